#include "common/crc32.h"

#include <gtest/gtest.h>

#include <string>

#ifdef MORVICK_TEST_WITH_ZLIB
#include <zlib.h>
#endif

namespace morvick {
namespace {

TEST(Crc32, GivesTheStandardValuesAndContinuesAcrossPieces) {
  EXPECT_EQ(Crc32(""), 0u);
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc32("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
  // Journals written before this checksum replaced zlib's must still verify:
  // every byte value, every length up to a few table rounds, any split.
  std::string text;
  for (int i = 0; i < 1000; ++i) text += static_cast<char>((i * 37 + i / 7) & 0xFF);
  for (std::size_t length = 0; length <= text.size(); length += 37) {
    const std::string_view piece(text.data(), length);
    const std::size_t cut = length / 3;
    EXPECT_EQ(Crc32(piece.substr(cut), Crc32(piece.substr(0, cut))), Crc32(piece)) << length;
#ifdef MORVICK_TEST_WITH_ZLIB
    const uLong zlib =
        crc32(0L, reinterpret_cast<const Bytef*>(piece.data()), static_cast<uInt>(piece.size()));
    EXPECT_EQ(Crc32(piece), static_cast<std::uint32_t>(zlib)) << length;
#endif
  }
}

}  // namespace
}  // namespace morvick
