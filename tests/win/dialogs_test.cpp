// The Win32 message boxes of the prompter and the shell's folder browser,
// read and answered from inside their own modal loops: a thread timer fires
// there once the dialog is up.

#include "platform/windows/wide.h"
#include "support/temp_dir.h"
#include "win/folder_picker.h"
#include "win/win_prompter.h"

#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which it needs.
#include <ole2.h>
#undef CreateFile

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

// ---- The folder browser ---------------------------------------------------------

// The browser's answer once it is up: OK or Cancel, given once its status
// line shows `browser_status` (when set: the shell fills the tree and
// selects the folder after the browser has opened), and its texts.
thread_local int browser_command = IDOK;
thread_local std::string browser_status;
thread_local std::string* browser_texts = nullptr;
thread_local int browser_ticks = 0;
constexpr int kBrowserPatience = 1000;  // timer ticks of 10 ms

BOOL CALLBACK CollectTexts(HWND window, LPARAM texts) {
  reinterpret_cast<std::string*>(texts)->append(TextOf(window)).append("\n");
  return TRUE;
}

void CALLBACK AnswerBrowser(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND browser = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&browser));
  if (browser == nullptr) return;
  browser_texts->clear();
  EnumChildWindows(browser, CollectTexts, reinterpret_cast<LPARAM>(browser_texts));
  const bool status_shown = browser_status.empty() ||
                            browser_texts->find("\n" + browser_status + "\n") != std::string::npos;
  if (!status_shown && ++browser_ticks < kBrowserPatience) return;
  KillTimer(nullptr, timer);
  PostMessageW(browser, WM_COMMAND, MAKEWPARAM(browser_command, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(browser, browser_command)));
}

class FolderBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }

  bool Browse(int command, std::string& path, const std::string& status = "") {
    browser_command = command;
    browser_status = status;
    browser_ticks = 0;
    browser_texts = &texts_;
    SetTimer(nullptr, 0, 10, AnswerBrowser);
    return ShellFolderPicker().BrowseForFolder(path);
  }

  testing::TempDir temp_;
  std::string texts_;
};

TEST_F(FolderBrowserTest, OpensOnTheTypedFolderAndGivesItBackOnOk) {
  const std::string folder = temp_.CreateDir("選ぶ\\日本語のフォルダ");
  std::string path = folder;
  // Confirmed once the status line names the typed folder, highlighted.
  EXPECT_TRUE(Browse(IDOK, path, folder));
  EXPECT_EQ(path, folder);
  EXPECT_NE(texts_.find(kFolderPickerTitle), std::string::npos) << texts_;
  EXPECT_NE(texts_.find("\n" + folder + "\n"), std::string::npos) << texts_;
}

TEST_F(FolderBrowserTest, CancelLeavesThePathAsItWas) {
  std::string path = temp_.CreateDir("残る");
  const std::string typed = path;
  EXPECT_FALSE(Browse(IDCANCEL, path));
  EXPECT_EQ(path, typed);
}

}  // namespace
}  // namespace morvick::win
