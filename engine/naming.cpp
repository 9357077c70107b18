#include "engine/naming.h"

namespace morvick {

std::string NumberFormat(int digits) { return "%." + std::to_string(digits) + "d"; }

std::string FormatSequenceNumber(std::int32_t value, int digits) {
  // The magnitude in unsigned arithmetic, so that INT32_MIN has one too.
  std::uint32_t magnitude = static_cast<std::uint32_t>(value);
  if (value < 0) magnitude = 0u - magnitude;
  std::string text = std::to_string(magnitude);
  if (digits > 0 && text.size() < static_cast<std::size_t>(digits)) {
    text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
  }
  if (value < 0) text.insert(0, 1, '-');
  return text;
}

std::string VolumeFolderName(std::int32_t volume, const std::string& base_name, int digits,
                             std::int32_t start_number) {
  // S + n - 1 wraps around in 32 bits, as the 32-bit sum does, without overflow.
  const std::uint32_t sum =
      static_cast<std::uint32_t>(start_number) + static_cast<std::uint32_t>(volume) - 1u;
  return base_name + FormatSequenceNumber(static_cast<std::int32_t>(sum), digits);
}

}  // namespace morvick
