#pragma once

// The locale-aware string comparison of packing: ICU's collator for the user's
// locale at identical strength (case-sensitive; only the same text is equal),
// without numeric collation.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvick {

// The ICU locale name for the environment's collation setting: the first of
// LC_ALL, LC_COLLATE, LANG that is set and not empty, without its ".charset"
// and "@modifier"; "ja" when that names no language (unset, "C", "POSIX").
std::string CollationLocaleName(const char* lc_all, const char* lc_collate, const char* lang);

// Compares two native (UTF-8) texts with the process's collator: -1, 0 or +1.
int CompareText(std::string_view a, std::string_view b);

// Appends the sort key of `text` to `arena` and returns its length. Keys compare
// byte-wise (CompareSortKeys) exactly as CompareText compares the texts. Bytes
// that are not UTF-8 are read as U+FFFD for the collator; their raw bytes follow
// the key, so that different names never get equal keys.
std::size_t AppendSortKey(std::string_view text, std::vector<std::uint8_t>& arena);

// A shorter key for sorting many different texts. Where two keys differ they
// order the texts as CompareText does; equal keys say nothing, and those texts
// must be compared with CompareText. Returns its length.
std::size_t AppendShortSortKey(std::string_view text, std::vector<std::uint8_t>& arena);

int CompareSortKeys(const std::uint8_t* a, std::size_t a_length, const std::uint8_t* b,
                    std::size_t b_length);

}  // namespace morvick
