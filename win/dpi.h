#pragma once

// Dots per inch: the process is made aware of each monitor's own, and the
// window's 96-dpi design is scaled to the monitor it is on. The calls of newer
// Windows versions are looked up at run time, with the older ones behind them.

#include "commands/main_window_controls.h"

#include <windows.h>

namespace morvick::win {

inline constexpr int kDesignDpi = 96;

// Per-monitor awareness (version 2 where there is one); call before any window.
void EnablePerMonitorDpiAwareness();

// The dots per inch of the monitor `window` is on (the system's before Windows 10).
int DpiOfWindow(HWND window);

// A length of the design at `dpi`.
inline int Scale(int length, int dpi) { return MulDiv(length, dpi, kDesignDpi); }
ControlRect Scale(const ControlRect& rect, int dpi);

// The outer size of a window with this style whose client area is
// `client_width` × `client_height` at `dpi`, with a menu bar.
SIZE OuterSizeForClient(int client_width, int client_height, DWORD style, DWORD ex_style, int dpi);

}  // namespace morvick::win
