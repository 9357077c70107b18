#include "win/about_box.h"

#include "commands/about_box_controls.h"
#include "common/error.h"
#include "platform/windows/wide.h"
#include "win/dialog.h"
#include "win/dpi.h"
#include "win/program_look.h"

#include <map>
#include <string_view>

namespace morvick::win {

using platform::windows::Wide;

void TAboutBox1::ShowModal(HWND owner) {
  RunEmptyDialog(owner, DialogProc, reinterpret_cast<LPARAM>(this));
  if (font_ != nullptr) {
    DeleteObject(font_);
    font_ = nullptr;
  }
}

INT_PTR CALLBACK TAboutBox1::DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: try { reinterpret_cast<TAboutBox1*>(lparam)->Build(dialog);
      } catch (...) {
        EndDialog(dialog, IDCANCEL);
      }
      SetFocus(GetDlgItem(dialog, IDOK));
      return FALSE;  // the focus is set
    case WM_COMMAND:
      // OK, Escape and the close box all close it; the result is not used.
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) EndDialog(dialog, IDOK);
      return TRUE;
    default: return FALSE;
  }
}

void TAboutBox1::Build(HWND dialog) {
  const int dpi = DpiOfWindow(dialog);
  font_ = CreateProgramFont(dpi, false);

  std::map<std::string_view, HWND> made{{kAboutBox.name, dialog}};
  for (std::size_t i = 0; i < kAboutBoxControls.size(); ++i) {
    const AboutControlEntry& entry = kAboutBoxControls[i];
    const std::string_view name = entry.name;
    const ControlRect rect = Scale(entry.rect, dpi);
    const wchar_t* window_class = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD ex_style = 0;
    int id = kFirstAboutControlId + static_cast<int>(i);
    if (name == "Panel1") {
      ex_style = WS_EX_CLIENTEDGE;  // a sunken bevel
      style |= WS_CLIPSIBLINGS;
    } else if (name == "ProgramIcon") {
      style |= SS_ICON | SS_REALSIZECONTROL;  // stretched to the picture's size
    } else if (name == "OKButton") {
      window_class = L"BUTTON";
      style |= BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP;
      id = IDOK;
    } else {
      style |= SS_LEFT | SS_NOPREFIX;
    }
    const HWND control = CreateWindowExW(
        ex_style, window_class, Wide(entry.text).c_str(), style, rect.left, rect.top, rect.width,
        rect.height, made.at(entry.container), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        GetModuleHandleW(nullptr), nullptr);
    if (control == nullptr) throw Error("コントロールを作成できません");
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (name == "ProgramIcon") {
      SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(ProgramIcon(32)), 0);
      SetWindowPos(control, nullptr, rect.left, rect.top, rect.width, rect.height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (!std::string_view(entry.text).empty() && name != "OKButton") {
      FitLabel(control, rect);
    }
    made[entry.name] = control;
  }
  FitDialog(dialog, kAboutBox, dpi);
}

}  // namespace morvick::win
