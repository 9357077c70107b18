#pragma once

// TAboutBox1 on Win32: the About box of the shared layout, modal to the main
// window, closed by its OK button, its close box or Escape.

#include <windows.h>

namespace morvick::win {

// The controls of the box have the ids kFirstAboutControlId + their index in
// kAboutBoxControls (OKButton is IDOK instead), each in its container.
inline constexpr int kFirstAboutControlId = 100;

class TAboutBox1 {
 public:
  // Shows the box modally to `owner`, at the owner's dots per inch, centred
  // on its monitor; returns once it is closed.
  void ShowModal(HWND owner);

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  void Build(HWND dialog);

  HFONT font_ = nullptr;  // lives while the box is up
};

}  // namespace morvick::win
