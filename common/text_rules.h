#pragma once

// The integer texts and number patterns that every part of Morvick shares.
// All functions work on bytes; none of them depends on the process locale.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvick {

// The 64-bit integer text: optional leading blanks, one optional sign, then
// decimal digits or hexadecimal digits after "$", "0x" or "0X"; nothing may
// follow the digits and the value must fit a signed 64-bit integer.
std::optional<std::int64_t> TryParseInt64(std::string_view text);

// The 32-bit integer text: as above, but a lone "x" or "X" also introduces
// hexadecimal digits, and hexadecimal values up to FFFFFFFF are read as the
// signed 32-bit number with the same bits ("$FFFFFFFF" is -1).
std::optional<std::int32_t> TryParseInt32(std::string_view text);

// Converting forms: raise ConversionError ("'%s' は整数ではありません").
std::int64_t ParseInt64(std::string_view text);
std::int32_t ParseInt32(std::string_view text);

// The integer rule of the settings file: no leading blanks; an optional sign
// followed by decimal digits, or one of the prefixes "$", "x", "X", "0x", "0X"
// followed by hexadecimal digits up to FFFFFFFF (read as signed 32-bit).
std::optional<std::int32_t> TryParseSettingsInt(std::string_view text);

// "#,##0": decimal digits grouped by three with ",", a leading "-" when negative.
std::string FormatThousands(std::int64_t value);

// "(#,##0)": the same digits between "(" and ")"; a negative value gives "-(...)".
std::string FormatParenThousands(std::int64_t value);

}  // namespace morvick
