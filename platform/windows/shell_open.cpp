#include "platform/shell_open.h"

#include "platform/windows/wide.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

namespace morvick::platform {

bool OpenWithShell(const std::string& path, void* owner) {
  // The shell takes a plain full path: ".." and "/" resolved, no "\\?\" prefix.
  const std::wstring wide = windows::Wide(path);
  std::wstring full(MAX_PATH, L'\0');
  DWORD length =
      GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length);
    length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  full.resize(length != 0 && length < full.size() ? length : 0);
  if (full.empty()) full = wide;

  SHELLEXECUTEINFOW open{};
  open.cbSize = sizeof open;
  open.fMask = SEE_MASK_NOASYNC;  // the shell's own message on failure stays
  open.hwnd = static_cast<HWND>(owner);
  open.lpFile = full.c_str();
  open.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&open) != FALSE;
}

}  // namespace morvick::platform
