#include "platform/system_version.h"

#include <windows.h>

namespace morvick::platform {

SystemVersion CurrentSystemVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExW(&info)) return {};
  return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

}  // namespace morvick::platform
