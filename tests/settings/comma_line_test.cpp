#include "settings/comma_line.h"

#include <gtest/gtest.h>

#include <random>

namespace morvick {
namespace {

using Fields = std::vector<std::string>;

TEST(SplitCommaLine, ReadsFieldsAsTheEditorAndHandWrittenFilesHoldThem) {
  const struct {
    std::string line;
    Fields fields;
  } cases[] = {
      {"CD650,681574400", {"CD650", "681574400"}},
      {"\"CD 700\",734003200", {"CD 700", "734003200"}},
      {",", {"", ""}},
      {"CD650,", {"CD650", ""}},
      {"a b,5", {"a", "b", "5"}},
      {"a, ", {"a"}},
      {"", {}},
      {" \t ", {}},
      {",,", {"", "", ""}},
      {"a,,b", {"a", "", "b"}},
      {"  a  ,  b  ", {"a", "b"}},
      {"\"a\"\"b\",c", {"a\"b", "c"}},
      {"\"\"\"\"", {"\""}},
      {"\" \",\" \"", {" ", " "}},
      {"\"a,b\"", {"a,b"}},
      {"\"ab\"cd,5", {"ab", "cd", "5"}},
      // A quote never closed takes the rest of the line.
      {"\"CD 700,734003200", {"CD 700,734003200"}},
      {"a,\"b\"\"c", {"a", "b\"c"}},
      // Multi-byte characters, including the ideographic blank, stay whole.
      {"ＤＶＤ\u3000片面,4700000000", {"ＤＶＤ\u3000片面", "4700000000"}},
      {"\"CD 700 分\",1", {"CD 700 分", "1"}},
      // A stray lead byte must not swallow the comma after it.
      {"a\xE3,b", {"a\xE3", "b"}},
      {std::string("a,b\0c", 5), {"a", "b"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitCommaLine(c.line), c.fields) << "line: " << c.line;
  }
}

TEST(JoinCommaLine, QuotesOnlyCellsThatWouldNotReadBack) {
  const struct {
    Fields cells;
    std::string line;
  } cases[] = {
      {{"CD650", "681574400"}, "CD650,681574400"},
      {{"CD 700", "734003200"}, "\"CD 700\",734003200"},
      {{"", ""}, ","},
      {{"CD650", ""}, "CD650,"},
      {{"a\"b", "c,d"}, "\"a\"\"b\",\"c,d\""},
      {{" ", "x"}, "\" \",x"},
      {{"片面\u3000２層", "1"}, "片面\u3000２層,1"},
      {{"tab\there"}, "\"tab\there\""},
      {{""}, "\"\""},
      {{}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(JoinCommaLine(c.cells), c.line);
}

// Any cells without control characters come back from their line unchanged.
TEST(JoinCommaLine, SplitGivesTheCellsBack) {
  const std::vector<std::string> pieces = {"a", "Z",  "0",      " ", "\"", ",",  "'", "=",
                                           ";", "片", "\u3000", "ü", "😀",  "\\", "[", "]"};
  std::mt19937 random(20240601);
  for (int round = 0; round < 5000; ++round) {
    Fields cells(random() % 5);
    for (std::string& cell : cells) {
      const int length = static_cast<int>(random() % 6);
      for (int i = 0; i < length; ++i) cell += pieces[random() % pieces.size()];
    }
    const std::string line = JoinCommaLine(cells);
    ASSERT_EQ(SplitCommaLine(line), cells) << "line: " << line;
  }
}

TEST(SplitTextLines, EndsLinesAtCrLfCrOrLf) {
  const struct {
    std::string text;
    Fields lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"\r\n", {""}},
      {"a\r\n\r\n", {"a", ""}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitTextLines(c.text), c.lines);
}

}  // namespace
}  // namespace morvick
