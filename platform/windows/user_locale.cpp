#include "platform/user_locale.h"

#include "platform/windows/wide.h"

#include <windows.h>

#include <stdexcept>

namespace morvick::platform {

int CompareInUserLocale(std::string_view a, std::string_view b) {
  const std::wstring wide_a = windows::Wide(a);
  const std::wstring wide_b = windows::Wide(b);
  const int result =
      ::CompareStringEx(LOCALE_NAME_USER_DEFAULT, 0, wide_a.data(), static_cast<int>(wide_a.size()),
                        wide_b.data(), static_cast<int>(wide_b.size()), nullptr, nullptr, 0);
  if (result == 0) throw std::runtime_error("CompareStringEx failed");
  return result - CSTR_EQUAL;
}

void AppendUserLocaleSortKey(std::string_view text, std::vector<std::uint8_t>& arena) {
  const std::wstring wide = windows::Wide(text);
  const int source_length = static_cast<int>(wide.size());
  const std::size_t start = arena.size();
  // The key's length in bytes, its terminating zero included.
  const int needed = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY, wide.data(),
                                     source_length, nullptr, 0, nullptr, nullptr, 0);
  if (needed <= 0) return;
  arena.resize(start + static_cast<std::size_t>(needed));
  const int written =
      ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY, wide.data(), source_length,
                      reinterpret_cast<LPWSTR>(arena.data() + start), needed, nullptr, nullptr, 0);
  arena.resize(start + (written > 0 ? static_cast<std::size_t>(written) - 1 : 0));
}

}  // namespace morvick::platform
