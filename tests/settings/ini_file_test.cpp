#include "settings/ini_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace morvick {
namespace {

using testing::ReadFile;
using testing::TempDir;

TEST(FindProfileValue, ReadsWhatAUserWouldExpectFromAHandEditedFile) {
  const struct {
    std::string text;
    std::string key;
    std::optional<std::string> value;
  } cases[] = {
      {"[Settings]\r\nSize=700\r\n", "Size", "700"},
      {"[settings]\nSIZE=700\n", "size", "700"},
      {"  [ Settings ]  \n  Size  =  700  \n", "Size", "700"},
      {"[Settings]\rSize=700\rFigure=3", "Figure", "3"},
      {"\xEF\xBB\xBF[Settings]\nSize=700\n", "Size", "700"},
      {"[Settings]\nBaseName=\" vol \"\n", "BaseName", " vol "},
      {"[Settings]\nBaseName='vol'\n", "BaseName", "vol"},
      {"[Settings]\nBaseName=\"vol'\n", "BaseName", "\"vol'"},
      {"[Settings]\nBaseName=\"\n", "BaseName", "\""},
      {"[Settings]\nInputPath=/a=b;c\n", "InputPath", "/a=b;c"},
      {"[Settings]\nInputPath=/データ/入力\n", "InputPath", "/データ/入力"},
      {"[Settings]\nSize=\n", "Size", ""},
      {"[Settings]\nSize=1\nSize=2\n", "Size", "1"},
      // The first of duplicate sections wins, even for keys only the second has.
      {"[Settings]\nSize=1\n[Settings]\nSize=2\nFigure=3\n", "Figure", std::nullopt},
      {"Size=1\n[Settings]\n", "Size", std::nullopt},
      {"[Other]\nSize=1\n", "Size", std::nullopt},
      {"[Settings]\n;Size=1\n#Size=2\n", "Size", std::nullopt},
      {"[Settings]\nSize\n", "Size", std::nullopt},
      {"", "Size", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindProfileValue(c.text, "Settings", c.key), c.value) << c.text;
  }
}

TEST(FindProfileValue, CutsLongValuesAtAWholeCharacter) {
  const std::string ascii(3000, 'a');
  EXPECT_EQ(FindProfileValue("[S]\nk=" + ascii, "S", "k")->size(), kProfileValueLimit);
  // 2046 bytes, then a three-byte character that would straddle the limit.
  const std::string mixed = std::string(2046, 'a') + "字" + "b";
  EXPECT_EQ(*FindProfileValue("[S]\nk=" + mixed, "S", "k"), std::string(2046, 'a'));
}

TEST(SetProfileValue, ChangesOnlyTheKeysLine) {
  const std::string user_file =
      "; my settings\n"
      "\n"
      "[Settings]\n"
      "  size = 1 ; old\n"
      "Extra=keep me\n"
      "; comment inside\n"
      "\n"
      "[Tools]\n"
      "Size=99\n";
  EXPECT_EQ(*SetProfileValue(user_file, "Settings", "Size", "700"),
            "; my settings\n\n[Settings]\nsize=700\r\nExtra=keep me\n; comment inside\n\n"
            "[Tools]\nSize=99\n");
  // A new key follows the section's last key, before its trailing comment.
  EXPECT_EQ(*SetProfileValue(user_file, "settings", "Figure", "5"),
            "; my settings\n\n[Settings]\n  size = 1 ; old\nExtra=keep me\nFigure=5\r\n"
            "; comment inside\n\n[Tools]\nSize=99\n");
  // A missing section goes to the end, set apart by a blank line.
  EXPECT_EQ(*SetProfileValue("[Tools]\nA=1", "Settings", "Size", "7"),
            "[Tools]\nA=1\r\n\r\n[Settings]\r\nSize=7\r\n");
  EXPECT_EQ(*SetProfileValue("", "Settings", "Size", "7"), "[Settings]\r\nSize=7\r\n");
  // A section without keys gets its first key right below the header.
  EXPECT_EQ(*SetProfileValue("[Settings]\n\n[X]\n", "Settings", "A", "1"),
            "[Settings]\nA=1\r\n\n[X]\n");
  EXPECT_EQ(*SetProfileValue("[Settings]", "Settings", "A", "1"), "[Settings]\r\nA=1\r\n");
  // The first of duplicates is the one written.
  EXPECT_EQ(*SetProfileValue("[S]\nk=1\nk=2\n[S]\nk=3\n", "S", "k", "0"),
            "[S]\nk=0\r\nk=2\n[S]\nk=3\n");
  EXPECT_EQ(*SetProfileValue("\xEF\xBB\xBF"
                             "k=1\n[S]\n",
                             "S", "k", "0"),
            "\xEF\xBB\xBF"
            "k=1\n[S]\nk=0\r\n");
  EXPECT_EQ(*SetProfileValue("\xEF\xBB\xBF[S]\n", "S", "k", "0"), "\xEF\xBB\xBF[S]\nk=0\r\n");
}

TEST(SetProfileValue, RefusesWhatCouldNotBeReadBack) {
  EXPECT_FALSE(SetProfileValue("", "Settings", "InputPath", "/a\nb"));
  EXPECT_FALSE(SetProfileValue("", "Settings", "InputPath", "/a\rb"));
  EXPECT_FALSE(SetProfileValue("", "Settings", "InputPath", std::string("a\0b", 3)));
  EXPECT_FALSE(SetProfileValue("", "Settings", "a=b", "1"));
  EXPECT_FALSE(SetProfileValue("", "Settings", " a", "1"));
  EXPECT_FALSE(SetProfileValue("", "Settings", "", "1"));
  EXPECT_FALSE(SetProfileValue("", "Set]tings", "a", "1"));
}

// Every value the program may write reads back as it was, also after a
// second write over it.
TEST(SetProfileValue, ValuesRoundTrip) {
  const std::string values[] = {
      "",
      " vol ",
      "vol ",
      "\tvol",
      "\"vol\"",
      "'vol'",
      "\"vol",
      "vol'",
      "\"",
      "'",
      "\"\"",
      "a=b=c",
      "=",
      "; not a comment",
      "# hash",
      "[x]",
      "/データ/出力",
      "フォルダ\u3000名",
      "650",
      "-1",
      "0x7",
      "C:\\dir",
      "\" a \"",
      "a\"b\"c",
  };
  const std::string user_file = "; mine\n[Settings]\nOther=1\n[More]\nX=2\n";
  for (const std::string& value : values) {
    const std::string once = *SetProfileValue(user_file, "Settings", "BaseName", value);
    EXPECT_EQ(FindProfileValue(once, "Settings", "BaseName"), value) << once;
    const std::string twice = *SetProfileValue(once, "Settings", "BaseName", value);
    EXPECT_EQ(twice, once);
    EXPECT_EQ(FindProfileValue(twice, "Settings", "Other"), "1");
    EXPECT_EQ(FindProfileValue(twice, "More", "X"), "2");
  }
}

TEST(ProfileFile, DefaultOnlyWhenFileSectionOrKeyIsMissing) {
  TempDir dir;
  const std::string path = dir.Path("a.ini");
  EXPECT_EQ(GetProfileString("Settings", "Size", "650", path), "650");
  dir.WriteFile("a.ini", "[Other]\nSize=1\n[Settings]\nSize=\n");
  EXPECT_EQ(GetProfileString("Settings", "Size", "650", path), "");
  EXPECT_EQ(GetProfileString("Settings", "Figure", "5", path), "5");
  EXPECT_EQ(GetProfileString("None", "Size", "650", path), "650");
}

TEST(ProfileFile, FailedWriteLeavesNothingBehind) {
  TempDir dir;
  // A folder where the file should be cannot be read, so it must not be replaced.
  dir.CreateDir("a.ini");
  EXPECT_FALSE(WriteProfileString("Settings", "Size", "650", dir.Path("a.ini")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path("a.ini")));
  // The file's folder is missing.
  EXPECT_FALSE(WriteProfileString("Settings", "Size", "650", dir.Path("none/a.ini")));
  // A value that could not be read back is refused before the file is touched.
  const std::string path = dir.WriteFile("b.ini", "[Settings]\nSize=1\n");
  EXPECT_FALSE(WriteProfileString("Settings", "Size", "1\n[Evil]", path));
  EXPECT_EQ(ReadFile(path), "[Settings]\nSize=1\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

}  // namespace
}  // namespace morvick
