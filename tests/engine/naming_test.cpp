#include "engine/naming.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace morvick {
namespace {

TEST(VolumeNaming, PadsToTheDigitCountAndNeverCuts) {
  struct Case {
    std::int32_t volume;
    std::string base;
    int digits;
    std::int32_t start;
    std::string expected;
  };
  const Case cases[] = {
      {1, "folder", 5, 1, "folder00001"},
      {12, "folder", 5, 1, "folder00012"},
      {1, "folder", 3, 998, "folder998"},
      {2, "folder", 3, 998, "folder999"},
      {3, "folder", 3, 998, "folder1000"},
      {12, "folder", 1, 1, "folder12"},
      {1, "", 4, 7, "0007"},
      {1, "folder", 3, -5, "folder-005"},
      {1, "x", 1, 0, "x0"},
      {1, "vol", 9, 123456, "vol000123456"},
      {1, " v ", 2, 5, " v 05"},
      // S + n - 1 is 32-bit arithmetic: it wraps instead of overflowing.
      {2, "f", 1, INT_MAX, "f-2147483648"},
      {1, "f", 9, INT_MIN, "f-2147483648"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VolumeFolderName(c.volume, c.base, c.digits, c.start), c.expected)
        << c.volume << " " << c.digits << " " << c.start;
  }
  EXPECT_EQ(NumberFormat(5), "%.5d");
  EXPECT_EQ(NumberFormat(1), "%.1d");
}

}  // namespace
}  // namespace morvick
