#include "common/text_rules.h"
#include "common/error.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace morvick {
namespace {

struct IntCase {
  std::string text;
  std::optional<std::int64_t> int64;
  std::optional<std::int32_t> int32;
  std::optional<std::int32_t> settings;
};

constexpr std::nullopt_t kFails = std::nullopt;

TEST(IntegerTextRules, AcceptAndRejectTheSameTextsAsEachRuleSays) {
  const std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
  const std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
  const IntCase cases[] = {
      {"650", 650, 650, 650},
      {"650 ", kFails, kFails, kFails},
      {"", kFails, kFails, kFails},
      {" ", kFails, kFails, kFails},
      {"6 50", kFails, kFails, kFails},
      {"$10", 16, 16, 16},
      {" +5", 5, 5, kFails},
      {"  -7", -7, -7, kFails},
      {"+5", 5, 5, 5},
      {"-0", 0, 0, 0},
      {"+", kFails, kFails, kFails},
      {"+-5", kFails, kFails, kFails},
      {"-9223372036854775808", kMin64, kFails, kFails},
      {"9223372036854775807", kMax64, kFails, kFails},
      {"9223372036854775808", kFails, kFails, kFails},
      {"-9223372036854775809", kFails, kFails, kFails},
      {"x10", kFails, 16, 16},
      {"X1f", kFails, 31, 31},
      {"0x7", 7, 7, 7},
      {" 7", 7, 7, kFails},
      {"0X1A", 26, 26, 26},
      {"0x", kFails, kFails, kFails},
      {"$", kFails, kFails, kFails},
      {"$fg", kFails, kFails, kFails},
      {"-$10", -16, -16, kFails},
      {"$FFFFFFFF", 4294967295LL, -1, -1},
      {"$100000000", 4294967296LL, kFails, kFails},
      {"$7FFFFFFFFFFFFFFF", kMax64, kFails, kFails},
      {"$8000000000000000", kFails, kFails, kFails},
      {"2147483647", 2147483647, 2147483647, 2147483647},
      {"2147483648", 2147483648LL, kFails, kFails},
      {"-2147483648", -2147483648LL, std::numeric_limits<std::int32_t>::min(),
       std::numeric_limits<std::int32_t>::min()},
      {"-2147483649", -2147483649LL, kFails, kFails},
      {"$80000000", 2147483648LL, std::numeric_limits<std::int32_t>::min(),
       std::numeric_limits<std::int32_t>::min()},
      {"12a", kFails, kFails, kFails},
      {"\t5", kFails, kFails, kFails},
      {"００", kFails, kFails, kFails},
      {"abc", kFails, kFails, kFails},
      {"7x", kFails, kFails, kFails},
      {"00012", 12, 12, 12},
  };
  for (const IntCase& c : cases) {
    SCOPED_TRACE("text: \"" + c.text + "\"");
    EXPECT_EQ(TryParseInt64(c.text), c.int64);
    EXPECT_EQ(TryParseInt32(c.text), c.int32);
    EXPECT_EQ(TryParseSettingsInt(c.text), c.settings);
  }
}

TEST(IntegerTextRules, ConvertingFormsRaiseTheConversionErrorNamingTheText) {
  EXPECT_EQ(ParseInt64(" -12"), -12);
  EXPECT_EQ(ParseInt32("$FFFFFFFF"), -1);
  try {
    ParseInt64("6 50");
    FAIL() << "no error raised";
  } catch (const ConversionError& error) {
    EXPECT_STREQ(error.what(), "'6 50' は整数ではありません");
  }
  try {
    ParseInt32("4294967296");
    FAIL() << "no error raised";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "'4294967296' は整数ではありません");
  }
}

TEST(NumberPatterns, GroupByThreeAndPutTheSignInFrontOfThePattern) {
  EXPECT_EQ(FormatThousands(0), "0");
  EXPECT_EQ(FormatThousands(999), "999");
  EXPECT_EQ(FormatThousands(1000), "1,000");
  EXPECT_EQ(FormatThousands(1000000000), "1,000,000,000");
  EXPECT_EQ(FormatThousands(-1234567), "-1,234,567");
  EXPECT_EQ(FormatThousands(std::numeric_limits<std::int64_t>::min()),
            "-9,223,372,036,854,775,808");
  EXPECT_EQ(FormatParenThousands(0), "(0)");
  EXPECT_EQ(FormatParenThousands(512), "(512)");
  EXPECT_EQ(FormatParenThousands(-512), "-(512)");
  EXPECT_EQ(FormatParenThousands(1000000000), "(1,000,000,000)");
  EXPECT_EQ(FormatParenThousands(123456), "(123,456)");
}

}  // namespace
}  // namespace morvick
