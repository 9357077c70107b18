// The Win32 message boxes of the prompter, read and answered from inside
// their own modal loop: a thread timer fires there once the box is up.

#include "platform/windows/wide.h"
#include "win/win_prompter.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace morvick::win {
namespace {

using platform::windows::Narrow;

enum class Gesture { Enter, Escape, CloseBox };

struct SeenBox {
  std::string caption;
  std::string text;
  std::vector<std::string> buttons;  // the visible ones, in the order Yes, No, OK, Cancel
  int default_id = 0;
};

// What the timer does once the box is up: read it into `seen`, then answer it.
thread_local Gesture pending_gesture = Gesture::Enter;
thread_local SeenBox* seen_box = nullptr;

std::string TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return Narrow(text);
}

BOOL CALLBACK FindBox(HWND window, LPARAM found) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
  if (box == nullptr) return;  // not up yet: the timer fires again
  KillTimer(nullptr, timer);
  seen_box->caption = TextOf(box);
  for (int id : {IDYES, IDNO, IDOK, IDCANCEL}) {
    const HWND button = GetDlgItem(box, id);
    if (button != nullptr && IsWindowVisible(button)) seen_box->buttons.push_back(TextOf(button));
  }
  // The default button is the one that has the focus when the box comes up.
  seen_box->default_id = GetDlgCtrlID(GetFocus());
  switch (pending_gesture) {
    case Gesture::Enter: PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0); break;
    case Gesture::Escape: PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); break;
    case Gesture::CloseBox: PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0); break;
  }
}

struct BoxCase {
  BoxKind kind;
  unsigned buttons;
  Gesture gesture;
  Answer expected;
  const char* caption;
  std::vector<std::string> shown;
  int default_id;
};

class PrompterTest : public ::testing::TestWithParam<BoxCase> {};

TEST_P(PrompterTest, TheBoxShowsTheProgramsButtonsAndAnswersAsTheyAsk) {
  const BoxCase& box = GetParam();
  SeenBox seen;
  seen_box = &seen;
  pending_gesture = box.gesture;
  SetTimer(nullptr, 0, 10, AnswerBox);
  Win32Prompter prompter;
  EXPECT_EQ(prompter.Ask(box.kind, "よろしいですか？", box.buttons), box.expected);
  EXPECT_EQ(seen.caption, box.caption);
  EXPECT_EQ(seen.buttons, box.shown);
  EXPECT_EQ(seen.default_id, box.default_id);
}

const std::vector<std::string> kYesNo = {"はい(&Y)", "いいえ(&N)"};
const std::vector<std::string> kYesNoCancel = {"はい(&Y)", "いいえ(&N)", "キャンセル"};

INSTANTIATE_TEST_SUITE_P(
    Boxes, PrompterTest,
    ::testing::Values(
        BoxCase{BoxKind::Message, kButtonOk, Gesture::Enter, Answer::Ok, "Morvick", {"OK"}, IDOK},
        BoxCase{BoxKind::Error, kButtonOk, Gesture::Escape, Answer::Ok, "Morvick", {"OK"}, IDOK},
        BoxCase{BoxKind::Confirm, kButtonYes | kButtonNo, Gesture::Enter, Answer::Yes, "確認",
                kYesNo, IDYES},
        BoxCase{BoxKind::Confirm, kButtonYes | kButtonNo, Gesture::Escape, Answer::No, "確認",
                kYesNo, IDYES},
        BoxCase{BoxKind::Warning, kButtonYes | kButtonNo, Gesture::CloseBox, Answer::No, "警告",
                kYesNo, IDYES},
        BoxCase{BoxKind::Confirm, kButtonYes | kButtonNo | kCloseBoxAnswersYes, Gesture::CloseBox,
                Answer::Yes, "確認", kYesNo, IDYES},
        BoxCase{BoxKind::Confirm, kButtonYes | kButtonNo | kCloseBoxAnswersYes, Gesture::Escape,
                Answer::No, "確認", kYesNo, IDYES},
        BoxCase{BoxKind::Confirm, kButtonYes | kButtonNo | kButtonCancel, Gesture::Escape,
                Answer::Cancel, "確認", kYesNoCancel, IDYES},
        BoxCase{BoxKind::Confirm, kButtonYes | kButtonNo | kButtonCancel, Gesture::CloseBox,
                Answer::Cancel, "確認", kYesNoCancel, IDYES}));

}  // namespace
}  // namespace morvick::win
