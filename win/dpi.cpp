#include "win/dpi.h"

namespace morvick::win {
namespace {

template <typename Function>
Function User32Function(const char* name) {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (user32 == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 and _PER_MONITOR_AWARE, as the
// headers of older SDKs do not have them.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(-4);
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(-3);

}  // namespace

void EnablePerMonitorDpiAwareness() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  if (const auto set_context = User32Function<SetContext>("SetProcessDpiAwarenessContext")) {
    if (set_context(kPerMonitorAwareV2) || set_context(kPerMonitorAware)) return;
  }
  using SetAware = BOOL(WINAPI*)();
  if (const auto set_aware = User32Function<SetAware>("SetProcessDPIAware")) set_aware();
}

int DpiOfWindow(HWND window) {
  using GetDpi = UINT(WINAPI*)(HWND);
  static const auto get_dpi = User32Function<GetDpi>("GetDpiForWindow");
  if (get_dpi != nullptr && window != nullptr) {
    if (const UINT dpi = get_dpi(window); dpi != 0) return static_cast<int>(dpi);
  }
  const HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

ControlRect Scale(const ControlRect& rect, int dpi) {
  return {Scale(rect.left, dpi), Scale(rect.top, dpi), Scale(rect.width, dpi),
          Scale(rect.height, dpi)};
}

SIZE OuterSizeForClient(int client_width, int client_height, DWORD style, DWORD ex_style, int dpi) {
  RECT rect{0, 0, Scale(client_width, dpi), Scale(client_height, dpi)};
  using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjust_for_dpi = User32Function<AdjustForDpi>("AdjustWindowRectExForDpi");
  if (adjust_for_dpi == nullptr ||
      !adjust_for_dpi(&rect, style, TRUE, ex_style, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&rect, style, TRUE, ex_style);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace morvick::win
