#include "win/platform_version.h"

#include "platform/windows/wide.h"

#include <windows.h>

#include <vector>

namespace morvick::win {

PlatformVersion CurrentPlatformVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExW(&info)) return {};
  return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

std::string ExecutablePath() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return platform::windows::UserPath({path.data(), length});
    path.resize(path.size() * 2);
  }
}

}  // namespace morvick::win
