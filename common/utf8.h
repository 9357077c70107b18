#pragma once

// UTF-8 decoding of file names that may not be UTF-8.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace morvick {

struct DecodedChar {
  std::uint32_t code_point = 0;
  std::size_t length = 0;  // 0: the byte at the position starts no valid sequence
};

// The valid UTF-8 sequence starting at `pos` (pos < text.size()). Overlong
// forms, surrogates and code points above U+10FFFF are not valid.
DecodedChar DecodeUtf8At(std::string_view text, std::size_t pos);

}  // namespace morvick
