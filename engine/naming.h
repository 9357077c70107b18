#pragma once

// Volume folder names: the base name followed by the volume's sequence number.

#include <cstdint>
#include <string>

namespace morvick {

// "%." + digits + "d", as the number format of the digit count.
std::string NumberFormat(int digits);

// `value` in decimal, zero-padded on the left to at least `digits` digits, with
// "-" in front of the padding for a negative value.
std::string FormatSequenceNumber(std::int32_t value, int digits);

// The folder of volume n (from 1): base + (start + n - 1) in 32-bit arithmetic.
std::string VolumeFolderName(std::int32_t volume, const std::string& base_name, int digits,
                             std::int32_t start_number);

}  // namespace morvick
