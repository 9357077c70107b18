#include "settings/presets.h"

#include "common/error.h"
#include "settings/settings_paths.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "test_forms.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>

namespace morvick {
namespace {

using testing::ReadFile;
using testing::ScriptedPrompter;
using testing::TempDir;
using testing::TestPresetGrid;
TestPresetGrid LoadGrid(const std::string& path) {
  TestPresetGrid grid;
  LoadPresetGrid(grid, path);
  return grid;
}

std::string ErrorText(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.what();
  }
  return "(no error)";
}

TEST(PresetList, WithoutAFileHoldsOnlyTheHeader) {
  TempDir dir;
  const PresetList list = LoadPresetList(dir.Path("morvick.dat"));
  EXPECT_EQ(list.size_texts, std::vector<std::string>{kPresetHeaderText});
  EXPECT_EQ(list.names, std::vector<std::string>{kPresetHeaderText});
  EXPECT_EQ(list.error, "");
  EXPECT_EQ(std::string(kPresetHeaderText), "<分割サイズ一覧> \xE3\x80\x80↑↑↑");
  EXPECT_FALSE(ComboBox2Change(kPresetHeaderText));

  const TestPresetGrid grid = LoadGrid(dir.Path("morvick.dat"));
  for (int row = 0; row < kPresetGridRows; ++row) {
    EXPECT_EQ(grid.Cell(0, row) + grid.Cell(1, row), "");
  }
}

TEST(PresetList, ChoosingAPresetPutsItsSizeTextIntoEdit1) {
  const auto choice = ComboBox2Change("700 MB");
  ASSERT_TRUE(choice);
  EXPECT_EQ(choice->size_text, "700 MB");
  EXPECT_STREQ(kUnitItems[static_cast<std::size_t>(choice->unit)], "bytes");
}

TEST(PresetList, OnlyLinesWithANameAndASizeQualify) {
  TempDir dir;
  const std::string path = dir.WriteFile("morvick.dat",
                                         "\"CD 700\",734003200\r\n"
                                         "NameOnly,\r\n"
                                         ",123\r\n"
                                         ",\r\n"
                                         "\" \",5\r\n"
                                         "x,\" \"\n"
                                         "a b,5,extra\r"
                                         "DVD,4700000000,ignored\r\n");
  const PresetList list = LoadPresetList(path);
  EXPECT_EQ(list.size_texts,
            (std::vector<std::string>{kPresetHeaderText, "734003200", "b", "4700000000"}));
  EXPECT_EQ(list.names, (std::vector<std::string>{kPresetHeaderText, "CD 700", "a", "DVD"}));

  // The editor shows every row as it was, a single blank as an empty cell.
  const TestPresetGrid grid = LoadGrid(path);
  const std::vector<std::pair<std::string, std::string>> rows = {{"CD 700", "734003200"},
                                                                 {"NameOnly", ""},
                                                                 {"", "123"},
                                                                 {"", ""},
                                                                 {"", "5"},
                                                                 {"x", ""},
                                                                 {"a", "b"},
                                                                 {"DVD", "4700000000"}};
  for (std::size_t row = 0; row < rows.size(); ++row) {
    EXPECT_EQ(grid.Cell(0, static_cast<int>(row)), rows[row].first) << row;
    EXPECT_EQ(grid.Cell(1, static_cast<int>(row)), rows[row].second) << row;
  }
}

TEST(PresetEditor, TwentyFiveLinesGiveTwentyFivePresetsAndTwentyRows) {
  TempDir dir;
  std::string content;
  for (int i = 1; i <= 25; ++i)
    content += "P" + std::to_string(i) + "," + std::to_string(i) + "\r\n";
  const std::string path = dir.WriteFile("morvick.dat", content);

  EXPECT_EQ(LoadPresetList(path).names.size(), 26u);
  const TestPresetGrid grid = LoadGrid(path);
  EXPECT_EQ(grid.Cell(0, 19), "P20");
  EXPECT_EQ(grid.Cell(1, 19), "20");

  ScriptedPrompter prompter;
  prompter.Answer(Answer::Yes);
  EXPECT_TRUE(OKBtnClick(grid, prompter, path));
  const auto lines = SplitTextLines(ReadFile(path));
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(lines.back(), "P20,20");
  EXPECT_EQ(prompter.boxes()[0].kind, BoxKind::Warning);
  EXPECT_EQ(prompter.boxes()[0].text, kPresetSaveQuestion);
  EXPECT_EQ(prompter.boxes()[0].buttons, kButtonYes | kButtonNo | kCloseBoxAnswersYes);
}

TEST(PresetEditor, SavingAnUntouchedEditorRewritesItsFile) {
  TempDir dir;
  TestPresetGrid grid;
  grid.SetCell(0, 0, "CD 700");
  grid.SetCell(1, 0, "734003200");
  grid.SetCell(0, 1, "名前\"引用\"");
  grid.SetCell(1, 1, "1,000");
  grid.SetCell(0, 3, "only a name");
  grid.SetCell(0, 4, " ");
  grid.SetCell(1, 4, "5");
  const std::string path = dir.Path("sub/morvick.dat");  // folder made on save
  SavePresetGrid(grid, path);
  const std::string written = ReadFile(path);
  EXPECT_TRUE(written.starts_with(
      "\"CD 700\",734003200\r\n\"名前\"\"引用\"\"\",\"1,000\"\r\n,\r\n\"only a name\",\r\n"
      "\" \",5\r\n,\r\n"));
  EXPECT_EQ(SplitTextLines(written).size(), 20u);

  // Loaded and saved again: the same bytes, except the lone blank comes back empty.
  SavePresetGrid(LoadGrid(path), path);
  std::string expected = written;
  expected.replace(expected.find("\" \",5"), 5, ",5");
  EXPECT_EQ(ReadFile(path), expected);
}

TEST(PresetEditor, NoLeavesTheFileAndTheEdits) {
  TempDir dir;
  const std::string original = "A,1\n";
  const std::string path = dir.WriteFile("morvick.dat", original);
  TestPresetGrid grid = LoadGrid(path);
  grid.SetCell(0, 0, "changed");
  ScriptedPrompter prompter;
  prompter.Answer(Answer::No);
  EXPECT_FALSE(OKBtnClick(grid, prompter, path));
  EXPECT_EQ(ReadFile(path), original);
  EXPECT_EQ(grid.Cell(0, 0), "changed");
}

TEST(PresetEditor, ALineBreakInACellStaysOnItsRow) {
  TempDir dir;
  TestPresetGrid grid;
  grid.SetCell(0, 0, "two\r\nlines");
  grid.SetCell(1, 0, "1");
  grid.SetCell(0, 1, "next");
  const std::string path = dir.Path("morvick.dat");
  SavePresetGrid(grid, path);
  const TestPresetGrid loaded = LoadGrid(path);
  EXPECT_EQ(loaded.Cell(0, 0), "two  lines");
  EXPECT_EQ(loaded.Cell(0, 1), "next");
}

TEST(PresetFile, FailuresNameTheFile) {
  TempDir dir;
  // A folder in place of the file exists but cannot be read.
  const std::string unreadable = dir.CreateDir("morvick.dat");
  const PresetList list = LoadPresetList(unreadable);
  EXPECT_EQ(list.error, "ファイル " + unreadable + " は開けません");
  EXPECT_EQ(list.size_texts, std::vector<std::string>{kPresetHeaderText});
  EXPECT_EQ(list.names, std::vector<std::string>{kPresetHeaderText});
  TestPresetGrid grid;
  grid.SetCell(0, 0, "typed");
  EXPECT_EQ(ErrorText([&] { LoadPresetGrid(grid, unreadable); }),
            "ファイル " + unreadable + " は開けません");
  EXPECT_EQ(grid.Cell(0, 0), "typed");
  // A FIFO in its place is not waited for.
  const std::string fifo = dir.Path("fifo.dat");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(LoadPresetList(fifo).error, "ファイル " + fifo + " は開けません");

  // The save cannot make its folder where a file stands.
  dir.WriteFile("file", "x");
  const std::string blocked = dir.Path("file/morvick.dat");
  ScriptedPrompter prompter;
  prompter.Answer(Answer::Yes);
  EXPECT_EQ(ErrorText([&] { OKBtnClick(grid, prompter, blocked); }),
            "ファイル " + blocked + " を作成できません");
  EXPECT_EQ(ReadFile(dir.Path("file")), "x");
}

// The shipped file: what the editor would write, sizes that fit each medium
// with at least 1% left for its file system.
TEST(ShippedPresets, FitTheirMediaAndReadAsTheEditorWritesThem) {
  const std::string path = std::string(MORVICK_TEST_DATA_DIR) + "/presets.dat";
  const std::string content = ReadFile(path);
  const std::vector<std::string> lines = SplitTextLines(content);
  std::string rejoined;
  for (const std::string& line : lines) rejoined += JoinCommaLine(SplitCommaLine(line)) + "\r\n";
  EXPECT_EQ(rejoined, content);

  const std::vector<std::int64_t> raw = {681984000,   737280000,   4700372992, 8543666176,
                                         25025314816, 50050629632, 4294967295};
  const PresetList list = LoadPresetList(path);
  ASSERT_EQ(list.size_texts.size(), raw.size() + 1);
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const std::int64_t size = std::stoll(list.size_texts[i + 1]);
    EXPECT_FALSE(list.names[i + 1].empty());
    if (i + 1 == raw.size()) {
      EXPECT_EQ(size, raw[i]) << "a file-size limit needs no margin";
    } else {
      EXPECT_LE(size, raw[i] - raw[i] / 100) << list.names[i + 1];
      EXPECT_GT(size, raw[i] - raw[i] / 50) << list.names[i + 1];
      EXPECT_EQ(size % 2048, 0) << list.names[i + 1];
    }
  }
}

TEST(ShippedPresets, AreReadUntilTheUserSavesTheirOwn) {
  TempDir dir;
  const std::string shipped = dir.WriteFile("share/presets.dat", "CD,1\r\n");
  const std::string user = dir.Path("config/morvick.dat");
  EXPECT_EQ(PresetReadPath(user, ""), user);
  ASSERT_EQ(PresetReadPath(user, shipped), shipped);

  TestPresetGrid grid = LoadGrid(PresetReadPath(user, shipped));
  EXPECT_EQ(grid.Cell(0, 0), "CD");
  grid.SetCell(0, 1, "Mine");
  grid.SetCell(1, 1, "2");
  SavePresetGrid(grid, user);
  EXPECT_EQ(ReadFile(shipped), "CD,1\r\n");
  ASSERT_EQ(PresetReadPath(user, shipped), user);
  EXPECT_EQ(LoadPresetList(user).names,
            (std::vector<std::string>{kPresetHeaderText, "CD", "Mine"}));
}

}  // namespace
}  // namespace morvick
