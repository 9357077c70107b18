#pragma once

// The Windows version the start-up gate reads.

#include "commands/version_gate.h"

#include <string>

namespace morvick::win {

// Platform id, major and minor version as GetVersionExW reports them (the
// manifest names the versions the program knows, so that newer systems report
// their own); all 0 when the call fails.
PlatformVersion CurrentPlatformVersion();

// The full path of the running executable, "" when it cannot be read.
std::string ExecutablePath();

}  // namespace morvick::win
