#include "platform/local_time.h"

#include <windows.h>

namespace morvick::platform {

std::optional<LocalTime> LocalTimeOf(std::int64_t seconds_since_epoch) {
  // 100-nanosecond ticks since 1601-01-01.
  constexpr std::int64_t kEpochOffsetSeconds = 11644473600LL;
  const std::int64_t seconds = seconds_since_epoch + kEpochOffsetSeconds;
  if (seconds < 0 || seconds > (INT64_MAX / 10000000)) return std::nullopt;
  const auto ticks = static_cast<std::uint64_t>(seconds) * 10000000u;
  FILETIME universal{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
  FILETIME local{};
  SYSTEMTIME calendar{};
  if (!::FileTimeToLocalFileTime(&universal, &local) ||
      !::FileTimeToSystemTime(&local, &calendar)) {
    return std::nullopt;
  }
  return LocalTime{calendar.wYear, calendar.wMonth,  calendar.wDay,
                   calendar.wHour, calendar.wMinute, calendar.wSecond};
}

}  // namespace morvick::platform
