#pragma once

// What the program's own dialogs share on Win32: an empty modal dialog whose
// controls are made when it opens, at its dots per inch, and its client area
// fitted to the design and centred on its monitor.

#include "commands/main_window_controls.h"

#include <windows.h>

namespace morvick::win {

// Runs a modal dialog without controls, owned by `owner`; `procedure` gets
// `parameter` with WM_INITDIALOG. Returns the result given to EndDialog.
INT_PTR RunEmptyDialog(HWND owner, DLGPROC procedure, LPARAM parameter);

// Gives `dialog` the caption of `window` and its client area at `dpi`, centred
// on the monitor's work area.
void FitDialog(HWND dialog, const WindowEntry& window, int dpi);

}  // namespace morvick::win
