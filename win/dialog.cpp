#include "win/dialog.h"

#include "platform/windows/wide.h"
#include "win/dpi.h"

namespace morvick::win {
namespace {

struct alignas(4) EmptyDialog {
  DLGTEMPLATE header;
  WORD menu;
  WORD window_class;
  WORD title;
};

}  // namespace

INT_PTR RunEmptyDialog(HWND owner, DLGPROC procedure, LPARAM parameter) {
  EmptyDialog empty{};
  empty.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &empty.header, owner, procedure,
                                 parameter);
}

void FitDialog(HWND dialog, const WindowEntry& window, int dpi) {
  SetWindowTextW(dialog, platform::windows::Wide(window.caption).c_str());
  const int client_width = Scale(window.client_width, dpi);
  const int client_height = Scale(window.client_height, dpi);
  RECT outer{0, 0, client_width, client_height};
  AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  // The frame the system really draws decides: correct by what the client misses.
  RECT client{};
  GetClientRect(dialog, &client);
  const int wide = width + client_width - client.right;
  const int high = height + client_height - client.bottom;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - wide) / 2,
               work.top + (work.bottom - work.top - high) / 2, wide, high, SWP_NOZORDER);
}

}  // namespace morvick::win
