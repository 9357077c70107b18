#include "platform/local_time.h"

#include <ctime>

namespace morvick::platform {

std::optional<LocalTime> LocalTimeOf(std::int64_t seconds_since_epoch) {
  const auto seconds = static_cast<std::time_t>(seconds_since_epoch);
  std::tm local{};
  if (::localtime_r(&seconds, &local) == nullptr) return std::nullopt;
  return LocalTime{1900 + local.tm_year, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace morvick::platform
