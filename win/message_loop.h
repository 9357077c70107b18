#pragma once

// The window's message loop and the pump a long command runs between two
// steps; both give the keyboard to the dialog manager first, so that Tab and
// the arrows move between the controls.

#include <windows.h>

namespace morvick::win {

// Dispatches every message waiting in the queue, then returns. A WM_QUIT is
// put back for the loop that owns it; returns false when one was met.
bool PumpPendingMessages(HWND main_window);

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop(HWND main_window);

}  // namespace morvick::win
