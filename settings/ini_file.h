#pragma once

// Our private-profile (INI) reader and writer. Section and key names match
// without regard to ASCII case; the first of duplicate sections or keys wins.
// A write changes only the line of its key (or adds one), so comments, blank
// lines, other sections and unknown keys stay byte for byte as they were.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace morvick {

// The longest value a read returns, in bytes; a longer value is cut at the
// last whole UTF-8 character that fits.
inline constexpr std::size_t kProfileValueLimit = 2047;

// --- On the text of a file -------------------------------------------------

// The value of `key` in the first section named `section`: blanks around it
// removed and, when the whole value is enclosed in a matching pair of double
// or single quotes, without them. Empty when the section or key is missing.
std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key);

// The text with `key` set to `value`: an existing key's line is replaced in
// place, a new key goes after the last key of its section, a missing section
// is added at the end. Written lines end in CR LF. Empty when the section, key
// or value cannot be stored so that it reads back (a line break or NUL in any
// of them, a "=" in the key, a "]" in the section, blanks around either name).
std::optional<std::string> SetProfileValue(std::string_view text, std::string_view section,
                                           std::string_view key, std::string_view value);

// The value as written to the file: plain, or in double quotes when a reader
// would otherwise strip its outer blanks or quotes.
std::string EncodeProfileValue(std::string_view value);

// --- On files --------------------------------------------------------------

// The value of the key, or empty when the file, the section or the key is
// missing (an unreadable file counts as missing).
std::optional<std::string> ReadProfileValue(std::string_view section, std::string_view key,
                                            const std::string& path);

// The value, or `default_value` when the file, the section or the key is missing.
std::string GetProfileString(std::string_view section, std::string_view key,
                             std::string_view default_value, const std::string& path);

// Sets the key and replaces the file atomically (it is created when missing,
// its folder is not). False when the file cannot be read or written, or the
// value cannot be stored; the old file is then left as it was.
bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& path);

}  // namespace morvick
