#include "win/win_prompter.h"

#include "platform/windows/wide.h"

#include <commctrl.h>

#include <array>
#include <string>

namespace morvick::win {
namespace {

using platform::windows::Wide;

constexpr std::array<Answer, 4> kAnswers = {Answer::Yes, Answer::No, Answer::Ok, Answer::Cancel};

unsigned ButtonOf(Answer answer) {
  switch (answer) {
    case Answer::Yes: return kButtonYes;
    case Answer::No: return kButtonNo;
    case Answer::Ok: return kButtonOk;
    case Answer::Cancel: return kButtonCancel;
  }
  return 0;
}

int CommandOf(Answer answer) {
  switch (answer) {
    case Answer::Yes: return IDYES;
    case Answer::No: return IDNO;
    case Answer::Ok: return IDOK;
    case Answer::Cancel: return IDCANCEL;
  }
  return IDCANCEL;
}

// The message box that shows the buttons wanted: MB_YESNO would offer neither
// Escape nor the close box, so Yes and No come from MB_YESNOCANCEL with its
// Cancel button taken away, and Cancel (Escape, the close box) gives the
// Escape answer.
struct BoxLayout {
  UINT type;
  bool hide_cancel;
};

BoxLayout LayoutOf(unsigned buttons) {
  switch (buttons & ~unsigned{kCloseBoxAnswersYes}) {
    case kButtonOk: return {MB_OK, false};
    case kButtonOk | kButtonCancel: return {MB_OKCANCEL, false};
    case kButtonYes | kButtonNo | kButtonCancel: return {MB_YESNOCANCEL, false};
    default: return {MB_YESNOCANCEL, true};
  }
}

UINT IconOf(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::None: return 0;
    case BoxIcon::Question: return MB_ICONQUESTION;
    case BoxIcon::Exclamation: return MB_ICONEXCLAMATION;
    case BoxIcon::Error: return MB_ICONERROR;
  }
  return 0;
}

UINT DefaultButtonOf(const BoxLayout& layout, Answer answer) {
  // The default answer's place among the buttons of the layout.
  if (layout.type == MB_OK) return MB_DEFBUTTON1;
  if (layout.type == MB_OKCANCEL) return answer == Answer::Cancel ? MB_DEFBUTTON2 : MB_DEFBUTTON1;
  switch (answer) {
    case Answer::No: return MB_DEFBUTTON2;
    case Answer::Cancel: return MB_DEFBUTTON3;
    default: return MB_DEFBUTTON1;
  }
}

// The box being shown on this thread, between its creation and its first
// activation, when its buttons are given the program's captions.
struct PendingBox {
  HHOOK hook = nullptr;
  bool hide_cancel = false;
  bool closed_by_close_box = false;
};
thread_local PendingBox* pending_box = nullptr;

LRESULT CALLBACK WatchCloseBox(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                               UINT_PTR /*id*/, DWORD_PTR data) {
  if (message == WM_SYSCOMMAND && (wparam & 0xFFF0) == SC_CLOSE) {
    reinterpret_cast<PendingBox*>(data)->closed_by_close_box = true;
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(box, WatchCloseBox, 0);
  }
  return DefSubclassProc(box, message, wparam, lparam);
}

void CentreTwoButtons(HWND box, HWND first, HWND second, HWND removed) {
  RECT a{}, c{}, client{};
  GetWindowRect(first, &a);
  GetWindowRect(removed, &c);
  GetClientRect(box, &client);
  MapWindowPoints(HWND_DESKTOP, box, reinterpret_cast<POINT*>(&a), 2);
  MapWindowPoints(HWND_DESKTOP, box, reinterpret_cast<POINT*>(&c), 2);
  const int width = a.right - a.left;
  const int gap = (c.left - a.left) / 2 - width;  // the spacing of the three buttons
  const int left = (client.right - (2 * width + gap)) / 2;
  SetWindowPos(first, nullptr, left, a.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SetWindowPos(second, nullptr, left + width + gap, a.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

LRESULT CALLBACK DressBox(int code, WPARAM wparam, LPARAM lparam) {
  PendingBox* box = pending_box;
  if (code == HCBT_ACTIVATE && box != nullptr && box->hook != nullptr) {
    const HWND window = reinterpret_cast<HWND>(wparam);
    for (Answer answer : kAnswers) {
      if (HWND button = GetDlgItem(window, CommandOf(answer))) {
        SetWindowTextW(button, Wide(ButtonText(answer)).c_str());
      }
    }
    if (box->hide_cancel) {
      const HWND cancel = GetDlgItem(window, IDCANCEL);
      ShowWindow(cancel, SW_HIDE);
      CentreTwoButtons(window, GetDlgItem(window, IDYES), GetDlgItem(window, IDNO), cancel);
    }
    SetWindowSubclass(window, WatchCloseBox, 0, reinterpret_cast<DWORD_PTR>(box));
    const HHOOK hook = box->hook;
    box->hook = nullptr;
    UnhookWindowsHookEx(hook);
    return 0;
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

Answer Win32Prompter::Ask(BoxKind kind, std::string_view text, unsigned buttons) {
  const BoxLook look = MakeBoxLook(kind, buttons);
  const BoxLayout layout = LayoutOf(look.buttons);
  const UINT type = layout.type | IconOf(look.icon) | DefaultButtonOf(layout, look.default_answer) |
                    (owner_ ? MB_APPLMODAL : MB_TASKMODAL) | MB_SETFOREGROUND;

  PendingBox box;
  box.hide_cancel = layout.hide_cancel;
  box.hook = SetWindowsHookExW(WH_CBT, DressBox, nullptr, GetCurrentThreadId());
  PendingBox* const outer = pending_box;
  pending_box = &box;
  // Modal to the dialog of the window that is up, if any (the preset
  // editor's question), else to the window.
  const HWND owner = owner_ != nullptr ? GetLastActivePopup(owner_) : nullptr;
  const int result = MessageBoxW(owner, Wide(text).c_str(), Wide(look.caption).c_str(), type);
  pending_box = outer;
  if (box.hook != nullptr) UnhookWindowsHookEx(box.hook);

  switch (result) {
    case IDYES: return Answer::Yes;
    case IDNO: return Answer::No;
    case IDOK:
      // A box with OK alone answers its close box and Escape with IDOK.
      return (look.buttons & kButtonOk) != 0 ? Answer::Ok : look.escape_answer;
    case IDCANCEL:
      if (box.closed_by_close_box) return look.close_answer;
      return (look.buttons & ButtonOf(Answer::Cancel)) != 0 ? Answer::Cancel : look.escape_answer;
    default: return look.escape_answer;
  }
}

}  // namespace morvick::win
