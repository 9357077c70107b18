#pragma once

// The linguistic half of the collation, one per platform: ICU's collator on
// Linux (collation_icu.cpp), the user's locale of Windows on Windows
// (collation_windows.cpp). collation.cpp adds the tie-break by bytes.

#include <cstdint>
#include <string_view>
#include <vector>

namespace morvick {

// -1, 0 or +1; 0 also for different texts the locale holds equal.
int LinguisticCompare(std::string_view a, std::string_view b);

// Appends the sort key of `text` without a terminating zero; keys compare
// byte-wise as LinguisticCompare compares the texts.
void AppendLinguisticKey(std::string_view text, std::vector<std::uint8_t>& arena);

// A key that may be shorter and quicker to make: where two keys differ they
// compare as LinguisticCompare does; equal keys say nothing.
void AppendShortLinguisticKey(std::string_view text, std::vector<std::uint8_t>& arena);

}  // namespace morvick
