#pragma once

// The version gate at the start of the Qt window (its rules are shared:
// commands/version_gate.h), with the version this platform reports.

#include "commands/version_gate.h"

namespace morvick::app {

using morvick::DefaultApplicationTitle;
using morvick::PlatformVersion;
using morvick::VersionGateRefusal;

// The version this platform reports: one that passes the gate.
PlatformVersion CurrentPlatformVersion();

}  // namespace morvick::app
