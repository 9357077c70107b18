#pragma once

// The comparison of the Windows user's locale: CompareStringEx with the user's
// default locale and no flags (case, kana type and width all count), and the
// sort keys of LCMapStringEx that order as it does. Texts are UTF-8 here and
// UTF-16 for the system. Windows only: Linux collates with ICU in the engine.

#include <cstdint>
#include <string_view>
#include <vector>

namespace morvick::platform {

// -1, 0 or +1.
int CompareInUserLocale(std::string_view a, std::string_view b);

// Appends the sort key of `text` without its terminating zero.
void AppendUserLocaleSortKey(std::string_view text, std::vector<std::uint8_t>& arena);

}  // namespace morvick::platform
