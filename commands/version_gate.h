#pragma once

// The start-up version gate and the default application title that captions
// its message (the title "Morvick" is set only once the gate has passed).
// Each front end reads the platform's version its own way.

#include <optional>
#include <string>
#include <string_view>

namespace morvick {

// The platform's version as the gate reads it; 0 where the platform says nothing.
struct PlatformVersion {
  unsigned platform_id = 0;
  unsigned major = 0;
  unsigned minor = 0;
};

// The refusal text for a platform older than the program supports (major
// below 4, or 4.0), or nothing when the program may start.
std::optional<std::string> VersionGateRefusal(const PlatformVersion& version);

// The default title: the executable's file name without its folder, cut before
// its first ".", every character after the first in lower case.
std::string DefaultApplicationTitle(std::string_view executable_path);

}  // namespace morvick
