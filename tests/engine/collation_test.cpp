#include "engine/collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace morvick {
namespace {

TEST(Collation, LocaleComesFromTheEnvironmentWithJapaneseForNoLanguage) {
  EXPECT_EQ(CollationLocaleName(nullptr, nullptr, nullptr), "ja");
  EXPECT_EQ(CollationLocaleName("", "", "C"), "ja");
  EXPECT_EQ(CollationLocaleName(nullptr, nullptr, "POSIX"), "ja");
  EXPECT_EQ(CollationLocaleName(nullptr, nullptr, "C.UTF-8"), "ja");
  EXPECT_EQ(CollationLocaleName("de_DE.UTF-8", "fr_FR", "en_US"), "de_DE");
  EXPECT_EQ(CollationLocaleName(nullptr, "fr_FR.UTF-8@euro", "en_US"), "fr_FR");
  EXPECT_EQ(CollationLocaleName("", nullptr, "ja_JP.UTF-8"), "ja_JP");
}

TEST(Collation, OnlyTheSameTextComparesEqual) {
  EXPECT_EQ(CompareText("abc", "abc"), 0);
  EXPECT_NE(CompareText("ア", "あ"), 0);  // equal at the collator's default strength
  EXPECT_NE(CompareText("a", "A"), 0);
  EXPECT_NE(CompareText("ｱ", "ア"), 0);
  EXPECT_EQ(CompareText("a", "b"), -1);
  EXPECT_EQ(CompareText("b", "a"), 1);
  // Linguistic, not numeric and not byte order.
  EXPECT_LT(CompareText("file10", "file9"), 0);
  EXPECT_LT(CompareText("apple", "Banana"), 0);
  // Bytes that are not UTF-8 still give a strict order.
  const std::string bad1("a\xff", 2), bad2("a\xfe", 2);
  EXPECT_NE(CompareText(bad1, bad2), 0);
  EXPECT_EQ(CompareText(bad1, bad2), -CompareText(bad2, bad1));
  EXPECT_EQ(CompareText(bad1, bad1), 0);
  // Canonically equivalent names are two names in one Linux folder.
  EXPECT_NE(CompareText("caf\xc3\xa9", "cafe\xcc\x81"), 0);
  EXPECT_EQ(CompareText("caf\xc3\xa9", "cafe\xcc\x81"),
            -CompareText("cafe\xcc\x81", "caf\xc3\xa9"));
}

// The packing sorts compare precomputed keys; they must order exactly as the
// collator compares the texts.
TEST(Collation, SortKeysOrderAsTheComparison) {
  std::vector<std::string> texts = {"",
                                    "a",
                                    "A",
                                    "b",
                                    "file9",
                                    "file10",
                                    "ア",
                                    "あ",
                                    "ｱ",
                                    "資料",
                                    "資料 2026",
                                    "Ä",
                                    "a b",
                                    "a-b",
                                    "ab",
                                    std::string("x\xff", 2),
                                    std::string("x\xfe", 2),
                                    std::string("\xc3", 1),
                                    "2026/01/02 03:04:06",
                                    "2026/01/02 03:04:04",
                                    "File(.gz)",
                                    "File()",
                                    "Folder",
                                    "caf\xc3\xa9",
                                    "cafe\xcc\x81"};
  std::mt19937 random(7);
  for (int i = 0; i < 200; ++i) {
    std::string text;
    const int length = static_cast<int>(random() % 6);
    static const char* const kPieces[] = {"a", "B", "1", "9", " ", ".", "あ", "ア", "漢", "\xff"};
    for (int k = 0; k < length; ++k) text += kPieces[random() % 10];
    texts.push_back(text);
  }
  std::vector<std::uint8_t> arena;
  std::vector<std::pair<std::size_t, std::size_t>> keys;
  for (const std::string& text : texts) {
    const std::size_t offset = arena.size();
    keys.emplace_back(offset, AppendSortKey(text, arena));
  }
  for (std::size_t i = 0; i < texts.size(); ++i) {
    for (std::size_t j = 0; j < texts.size(); ++j) {
      const int by_key = CompareSortKeys(arena.data() + keys[i].first, keys[i].second,
                                         arena.data() + keys[j].first, keys[j].second);
      ASSERT_EQ(by_key, CompareText(texts[i], texts[j])) << texts[i] << " / " << texts[j];
      if (texts[i] != texts[j]) {
        ASSERT_NE(by_key, 0) << texts[i] << " / " << texts[j];
      }
    }
  }
}

}  // namespace
}  // namespace morvick
