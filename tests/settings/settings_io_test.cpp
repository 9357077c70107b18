#include "settings/settings_io.h"

#include "common/error.h"
#include "settings/ini_file.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "test_forms.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

namespace morvick {
namespace {

using testing::ReadFile;
using testing::ScriptedPrompter;
using testing::TempDir;

constexpr const char* kFreshSave =
    "[Settings]\r\nSize=650\r\nInputPath=\r\nOutputPath=\r\nBaseName=folder\r\nFigure=5\r\n"
    "Packing=0\r\nScale=0\r\nClusterSize=0\r\nSeq=1\r\nSeqFlag=0\r\nMoveFlag=0\r\n"
    "FewestVolumes=0\r\n";

TEST(LoadSettings, AMissingFileGivesTheDefaults) {
  TempDir dir;
  const SettingsValues values = LoadSettings(dir.Path("morvick.ini"));
  EXPECT_EQ(values.size, "650");
  EXPECT_EQ(values.input_path, "");
  EXPECT_EQ(values.output_path, "");
  EXPECT_EQ(values.base_name, "folder");
  EXPECT_EQ(values.figure, 5);
  EXPECT_EQ(values.packing, 0);
  EXPECT_EQ(values.scale, 0);
  EXPECT_EQ(values.cluster_size, 0);
  EXPECT_EQ(values.seq, 1);
  EXPECT_FALSE(values.seq_flag);
  EXPECT_FALSE(values.move_flag);
  EXPECT_EQ(values, SettingsValues{});
  EXPECT_FALSE(std::filesystem::exists(dir.Path("morvick.ini")));
}

// A FIFO, a device or an oversized file in the settings file's place counts as
// unreadable: the load never blocks and gives the defaults, and a save fails
// with its message and leaves the thing untouched (a link to /dev/null stays a
// link to the device).
TEST(SettingsFile, SpecialFilesAreNeitherReadNorReplaced) {
  TempDir dir;
  const std::string fifo = dir.Path("fifo.ini");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string device = dir.CreateSymlink("device.ini", "/dev/null");
  const std::string huge = dir.Path("huge.ini");
  ASSERT_EQ(::truncate(dir.WriteFile("huge.ini", "[Settings]\nSize=1\n").c_str(), 17 << 20), 0);
  for (const std::string& path : {fifo, device, huge}) {
    EXPECT_EQ(LoadSettings(path), SettingsValues{}) << path;
  }
  for (const std::string& path : {fifo, device}) {
    ScriptedPrompter prompter;
    prompter.Answer(Answer::Yes);
    try {
      FormCloseQuery(SettingsValues{}, 0, prompter, path);
      ADD_FAILURE() << "saved into " << path;
    } catch (const Error& error) {
      EXPECT_EQ(std::string(error.what()), path + " に書き込めません");
    }
  }
  struct stat info {};
  ASSERT_EQ(::lstat(device.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(::stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
  ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST(LoadSettings, ClampsAndDefaultsStoredValues) {
  const struct {
    std::string line;
    std::function<bool(const SettingsValues&)> check;
    const char* what;
  } cases[] = {
      {"Figure=12", [](auto& v) { return v.figure == 9; }, "Figure 12 -> 9"},
      {"Figure=0", [](auto& v) { return v.figure == 1; }, "Figure 0 -> 1"},
      {"Figure=abc", [](auto& v) { return v.figure == 5; }, "Figure abc -> 5"},
      {"Figure=7x", [](auto& v) { return v.figure == 5; }, "Figure 7x -> 5"},
      {"Figure=", [](auto& v) { return v.figure == 5; }, "empty Figure -> 5"},
      {"Figure=0x7", [](auto& v) { return v.figure == 7; }, "Figure 0x7 -> 7"},
      {"Figure=$FFFFFFFF", [](auto& v) { return v.figure == 1; }, "Figure -1 -> 1"},
      {"Figure=99999999999", [](auto& v) { return v.figure == 5; }, "too big -> 5"},
      {"Seq=0", [](auto& v) { return v.seq == 1; }, "Seq 0 -> 1"},
      {"Seq=1000000000", [](auto& v) { return v.seq == 999999999; }, "Seq max"},
      {"Packing=8", [](auto& v) { return v.packing == 7; }, "Packing 8 -> 7"},
      {"Packing=-5", [](auto& v) { return v.packing == -1; }, "Packing -5 -> none"},
      {"Scale=2", [](auto& v) { return v.scale == -1; }, "Scale 2 -> none"},
      {"Scale=1", [](auto& v) { return v.scale == 1; }, "Scale 1"},
      {"Scale=-1", [](auto& v) { return v.scale == -1; }, "Scale -1 -> none"},
      {"ClusterSize=10", [](auto& v) { return v.cluster_size == 10; }, "ClusterSize 10"},
      {"ClusterSize=11", [](auto& v) { return v.cluster_size == -1; }, "ClusterSize 11 -> none"},
      {"Size=", [](auto& v) { return v.size.empty(); }, "empty Size stays empty"},
      {"SeqFlag=2", [](auto& v) { return v.seq_flag; }, "SeqFlag 2 ticks"},
      {"SeqFlag=-1", [](auto& v) { return v.seq_flag; }, "SeqFlag -1 ticks"},
      {"SeqFlag=true", [](auto& v) { return !v.seq_flag; }, "SeqFlag true -> default"},
      {"MoveFlag=1", [](auto& v) { return v.move_flag; }, "MoveFlag 1 ticks"},
      {"FewestVolumes=1", [](auto& v) { return v.fewest_volumes && v.packing == 0; },
       "FewestVolumes 1 ticks, Packing untouched"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const std::string path = dir.WriteFile("morvick.ini", "[Settings]\r\n" + c.line + "\r\n");
    EXPECT_TRUE(c.check(LoadSettings(path))) << c.what;
  }
}

TEST(LoadSettings, ReadsAHandEditedFileAsAUserExpects) {
  TempDir dir;
  const std::string path = dir.WriteFile("morvick.ini",
                                         "; edited by hand\n"
                                         "[SETTINGS]\n"
                                         "  basename = \" 巻 \"  \n"
                                         "InputPath = /home/u/写真 \n"
                                         "figure=3\n"
                                         "SeqFlag = 1\n"
                                         "Seq='42'\n");
  const SettingsValues values = LoadSettings(path);
  EXPECT_EQ(values.base_name, " 巻 ");
  EXPECT_EQ(values.input_path, "/home/u/写真");
  EXPECT_EQ(values.figure, 3);
  EXPECT_TRUE(values.seq_flag);
  EXPECT_EQ(values.seq, 42);
}

TEST(FormCloseQuery, YesOnAFreshWindowWritesTheTwelveKeys) {
  TempDir dir;
  const std::string path = dir.Path("config/morvick/morvick.ini");  // folders made on save
  ScriptedPrompter prompter;
  prompter.Answer(Answer::Yes);
  EXPECT_TRUE(FormCloseQuery(LoadSettings(path), 0, prompter, path));
  EXPECT_EQ(ReadFile(path), kFreshSave);
  ASSERT_EQ(prompter.boxes().size(), 1u);
  EXPECT_EQ(prompter.boxes()[0].kind, BoxKind::Confirm);
  EXPECT_EQ(prompter.boxes()[0].text, kClosePromptText);
  EXPECT_EQ(prompter.boxes()[0].buttons, kButtonYes | kButtonNo | kButtonCancel);
}

TEST(FormCloseQuery, NoAndCancelLeaveTheFileAlone) {
  TempDir dir;
  const std::string original = "[Settings]\nSize=1\n; keep\n";
  const std::string path = dir.WriteFile("morvick.ini", original);
  SettingsValues values = LoadSettings(path);
  values.size = "999";
  ScriptedPrompter prompter;
  prompter.Answer(Answer::No);
  prompter.Answer(Answer::Cancel);
  EXPECT_TRUE(FormCloseQuery(values, 2, prompter, path));
  EXPECT_FALSE(FormCloseQuery(values, 2, prompter, path));
  EXPECT_EQ(ReadFile(path), original);
}

// The spin box's text as typed, then the volume rows when CheckBox1 is ticked.
TEST(SettingsEntries, SeqCountsTheVolumesWhenAsked) {
  const struct {
    std::string spin;
    bool check1;
    int rows;
    std::string seq;
  } cases[] = {
      {"7", true, 4, "11"},
      {"7", true, 0, "7"},
      {"7", false, 4, "7"},
      {"", false, 0, "1"},
      {"abc", true, 2, "3"},
      {"0x10", false, 0, "16"},
      {"2147483647", true, 4, "2147483651"},
  };
  for (const auto& c : cases) {
    SettingsValues values;
    values.seq = SeqOfTypedText(c.spin);
    values.seq_flag = c.check1;
    const auto entries = SettingsEntries(values, c.rows);
    ASSERT_EQ(entries.size(), 12u);
    EXPECT_STREQ(entries[8].key, "Seq");
    EXPECT_EQ(entries[8].value, c.seq) << c.spin << " + " << c.rows;
  }
}

TEST(SaveSettings, WhatIsSavedLoadsBackUnchanged) {
  TempDir dir;
  const std::string path = dir.WriteFile("morvick.ini",
                                         "; my notes\r\n[Settings]\r\nSize=1\r\nMine=keep\r\n"
                                         "\r\n[Other]\r\nSize=2\r\n");
  SettingsValues values;
  values.size = "700 MB";
  values.input_path = "/home/u/a=b;c";
  values.output_path = "/出力/\"x\"";
  values.base_name = " vol ";
  values.figure = 3;
  values.packing = -1;
  values.scale = -1;         // no unit chosen
  values.cluster_size = -1;  // a typed cluster size is not stored
  values.seq = 5;
  values.move_flag = true;
  values.fewest_volumes = true;
  SaveSettings(values, 4, path);

  const std::string saved = ReadFile(path);
  EXPECT_TRUE(saved.starts_with("; my notes\r\n[Settings]\r\nSize=700 MB\r\nMine=keep\r\n"));
  EXPECT_TRUE(saved.ends_with("MoveFlag=1\r\nFewestVolumes=1\r\n\r\n[Other]\r\nSize=2\r\n"));
  EXPECT_EQ(GetProfileString("Settings", "Scale", "", path), "-1");

  // The volume rows count only with SeqFlag; no list item stays -1, and the
  // cluster box then shows its initial "0".
  EXPECT_EQ(LoadSettings(path), values);
}

TEST(SaveSettings, StopsAtTheFirstKeyThatCannotBeWritten) {
  TempDir dir;
  const std::string path = dir.Path("morvick.ini");
  SettingsValues values = LoadSettings(path);
  values.base_name = "two\nlines";  // cannot be stored as one value
  try {
    SaveSettings(values, 0, path);
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(std::string(error.what()), path + " に書き込めません");
  }
  EXPECT_EQ(ReadFile(path), "[Settings]\r\nSize=650\r\nInputPath=\r\nOutputPath=\r\n");
}

TEST(FormCloseQuery, ReadOnlyFolderReportsAndKeepsTheWindowOpen) {
  TempDir dir;
  const std::string original = "[Settings]\r\nSize=1\r\n";
  const std::string path = dir.WriteFile("ro/morvick.ini", original);
  ::chmod(dir.Path("ro").c_str(), 0555);

  const std::string outcome = testing::RunUnprivileged(dir.path(), [&] {
    ScriptedPrompter prompter;
    prompter.Answer(Answer::Yes);
    try {
      return std::string(FormCloseQuery(SettingsValues{}, 0, prompter, path) ? "closed" : "open");
    } catch (const Error& error) {
      return std::string("error: ") + error.what();
    }
  });
  if (outcome == "skip") GTEST_SKIP() << "no unprivileged user to test with";
  EXPECT_EQ(outcome, "error: " + path + " に書き込めません");
  EXPECT_EQ(ReadFile(path), original);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path("ro")), {}), 1);
}

}  // namespace
}  // namespace morvick
