#pragma once

// Times as the user's clock shows them.

#include <cstdint>
#include <optional>

namespace morvick::platform {

struct LocalTime {
  int year = 0;   // e.g. 2024
  int month = 0;  // 1..12
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// `seconds_since_epoch` in the user's time zone; nullopt when the system cannot
// convert it. Linux applies the zone's offset at that moment (localtime_r);
// Windows applies the offset in force now (FileTimeToLocalFileTime), so a
// summer file seen in winter shows an hour apart, as the system's own file
// listings show it.
std::optional<LocalTime> LocalTimeOf(std::int64_t seconds_since_epoch);

}  // namespace morvick::platform
