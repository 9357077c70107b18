#include "common/text_rules.h"

#include "common/error.h"

#include <limits>

namespace morvick {
namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The digits of an integer text, split off its sign and prefix.
struct IntegerText {
  bool negative = false;
  bool hex = false;
  std::string_view digits;
};

enum class Dialect { Int64, Int32, Settings };

std::optional<IntegerText> SplitIntegerText(std::string_view text, Dialect dialect) {
  std::size_t i = 0;
  if (dialect != Dialect::Settings) {
    while (i < text.size() && text[i] == ' ') ++i;
  }
  IntegerText result;
  auto starts_with = [&](std::string_view prefix) { return text.substr(i).starts_with(prefix); };

  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    result.negative = text[i] == '-';
    ++i;
    // The settings rule allows a sign only in front of decimal digits.
    if (dialect == Dialect::Settings) {
      result.digits = text.substr(i);
      return result;
    }
  }
  if (starts_with("$")) {
    result.hex = true;
    i += 1;
  } else if (starts_with("0x") || starts_with("0X")) {
    result.hex = true;
    i += 2;
  } else if (dialect != Dialect::Int64 && (starts_with("x") || starts_with("X"))) {
    result.hex = true;
    i += 1;
  }
  result.digits = text.substr(i);
  return result;
}

// Accumulates the magnitude; fails on an empty run, a stray byte or a value above `limit`.
std::optional<std::uint64_t> Magnitude(const IntegerText& parts, std::uint64_t limit) {
  if (parts.digits.empty()) return std::nullopt;
  const std::uint64_t base = parts.hex ? 16 : 10;
  std::uint64_t value = 0;
  for (char c : parts.digits) {
    const int digit = parts.hex ? HexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (digit < 0) return std::nullopt;
    if (value > (limit - static_cast<std::uint64_t>(digit)) / base) return std::nullopt;
    value = value * base + static_cast<std::uint64_t>(digit);
  }
  return value;
}

std::optional<std::int32_t> Parse32(std::string_view text, Dialect dialect) {
  const auto parts = SplitIntegerText(text, dialect);
  if (!parts) return std::nullopt;
  if (parts->hex) {
    const auto magnitude = Magnitude(*parts, 0xFFFFFFFFu);
    if (!magnitude) return std::nullopt;
    // Hexadecimal texts name the bits of the 32-bit value, so the sign wraps.
    std::uint32_t bits = static_cast<std::uint32_t>(*magnitude);
    if (parts->negative) bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
  }
  const std::uint64_t limit = parts->negative ? 0x80000000u : 0x7FFFFFFFu;
  const auto magnitude = Magnitude(*parts, limit);
  if (!magnitude) return std::nullopt;
  const auto value = static_cast<std::int64_t>(*magnitude);
  return static_cast<std::int32_t>(parts->negative ? -value : value);
}

std::string GroupDigits(std::uint64_t magnitude) {
  std::string digits = std::to_string(magnitude);
  std::string grouped;
  grouped.reserve(digits.size() + digits.size() / 3);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::uint64_t AbsoluteValue(std::int64_t value) {
  return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

}  // namespace

std::optional<std::int64_t> TryParseInt64(std::string_view text) {
  const auto parts = SplitIntegerText(text, Dialect::Int64);
  if (!parts) return std::nullopt;
  const std::uint64_t max = std::numeric_limits<std::int64_t>::max();
  const auto magnitude = Magnitude(*parts, parts->negative ? max + 1 : max);
  if (!magnitude) return std::nullopt;
  if (!parts->negative) return static_cast<std::int64_t>(*magnitude);
  return static_cast<std::int64_t>(0 - *magnitude);
}

std::optional<std::int32_t> TryParseInt32(std::string_view text) {
  return Parse32(text, Dialect::Int32);
}

std::optional<std::int32_t> TryParseSettingsInt(std::string_view text) {
  return Parse32(text, Dialect::Settings);
}

std::int64_t ParseInt64(std::string_view text) {
  if (const auto value = TryParseInt64(text)) return *value;
  throw ConversionError(text);
}

std::int32_t ParseInt32(std::string_view text) {
  if (const auto value = TryParseInt32(text)) return *value;
  throw ConversionError(text);
}

std::string FormatThousands(std::int64_t value) {
  return (value < 0 ? "-" : "") + GroupDigits(AbsoluteValue(value));
}

std::string FormatParenThousands(std::int64_t value) {
  return (value < 0 ? "-(" : "(") + GroupDigits(AbsoluteValue(value)) + ")";
}

}  // namespace morvick
