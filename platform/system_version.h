#pragma once

// The version of Windows the program runs on, for the start-up gate.

#include <cstdint>

namespace morvick::platform {

struct SystemVersion {
  std::uint32_t platform_id = 0;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
};

// Platform id, major and minor version as GetVersionExW reports them (the
// manifest names the versions the program knows, so that newer systems report
// their own); all 0 when the call fails. Windows only.
SystemVersion CurrentSystemVersion();

}  // namespace morvick::platform
