#include "settings/settings_io.h"

#include "common/error.h"
#include "settings/ini_file.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "test_forms.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace morvick {
namespace {

using testing::ReadFile;
using testing::ScriptedPrompter;
using testing::TempDir;
using testing::TestSettingsForm;

constexpr const char* kFreshSave =
    "[Settings]\r\nSize=650\r\nInputPath=\r\nOutputPath=\r\nBaseName=folder\r\nFigure=5\r\n"
    "Packing=0\r\nScale=0\r\nClusterSize=0\r\nSeq=1\r\nSeqFlag=0\r\nMoveFlag=0\r\n";

TestSettingsForm Loaded(const std::string& ini_path) {
  TestSettingsForm form;
  LoadSettings(form, ini_path);
  return form;
}

TEST(LoadSettings, FreshWindowGetsTheDefaultsInOrder) {
  TempDir dir;
  const TestSettingsForm form = Loaded(dir.Path("morvick.ini"));
  EXPECT_EQ(form.edits, (std::array<std::string, 4>{"650", "", "", "folder"}));
  EXPECT_EQ(form.track_bar, 5);
  EXPECT_EQ(form.radio_group, 0);
  EXPECT_EQ(form.combo1, 0);
  EXPECT_EQ(form.combo3, 0);
  EXPECT_EQ(form.spin_text, "1");
  EXPECT_FALSE(form.check1);
  EXPECT_FALSE(form.check2);
  EXPECT_TRUE(form.flags_cleared);
  EXPECT_EQ(form.status_text, "");
  EXPECT_EQ(form.calls,
            (std::vector<std::string>{"ClearStateFlags", "Edit1", "Edit2", "Edit3", "Edit4",
                                      "TrackBar1", "RadioGroup1", "StatusBar", "ComboBox1",
                                      "ComboBox3", "SpinEdit1", "CheckBox1", "CheckBox2"}));
  // The sample folder name was last refreshed with the loaded values.
  ASSERT_FALSE(form.edit4_changes.empty());
  EXPECT_EQ(form.edit4_changes.back().base_name, "folder");
  EXPECT_EQ(form.edit4_changes.back().digits, 5);
  EXPECT_EQ(form.edit4_changes.back().start, "1");
  EXPECT_FALSE(std::filesystem::exists(dir.Path("morvick.ini")));
}

TEST(LoadSettings, ClampsAndDefaultsStoredValues) {
  const struct {
    std::string line;
    std::function<bool(const TestSettingsForm&)> check;
    const char* what;
  } cases[] = {
      {"Figure=12", [](auto& f) { return f.track_bar == 9; }, "Figure 12 -> 9"},
      {"Figure=0", [](auto& f) { return f.track_bar == 1; }, "Figure 0 -> 1"},
      {"Figure=abc", [](auto& f) { return f.track_bar == 5; }, "Figure abc -> 5"},
      {"Figure=7x", [](auto& f) { return f.track_bar == 5; }, "Figure 7x -> 5"},
      {"Figure=", [](auto& f) { return f.track_bar == 5; }, "empty Figure -> 5"},
      {"Figure=0x7", [](auto& f) { return f.track_bar == 7; }, "Figure 0x7 -> 7"},
      {"Figure=$FFFFFFFF", [](auto& f) { return f.track_bar == 1; }, "Figure -1 -> 1"},
      {"Figure=99999999999", [](auto& f) { return f.track_bar == 5; }, "too big -> 5"},
      {"Seq=0", [](auto& f) { return f.spin_text == "1"; }, "Seq 0 -> 1"},
      {"Seq=1000000000", [](auto& f) { return f.spin_text == "999999999"; }, "Seq max"},
      {"Packing=8", [](auto& f) { return f.radio_group == 7; }, "Packing 8 -> 7"},
      {"Packing=-5", [](auto& f) { return f.radio_group == -1; }, "Packing -5 -> none"},
      {"Scale=2", [](auto& f) { return f.combo1 == -1; }, "Scale 2 -> none"},
      {"Scale=1", [](auto& f) { return f.combo1 == 1; }, "Scale 1"},
      {"ClusterSize=10", [](auto& f) { return f.combo3 == 10; }, "ClusterSize 10"},
      {"ClusterSize=11", [](auto& f) { return f.combo3 == -1; }, "ClusterSize 11 -> none"},
      {"Size=", [](auto& f) { return f.edits[0].empty(); }, "empty Size stays empty"},
      {"SeqFlag=2", [](auto& f) { return f.check1; }, "SeqFlag 2 ticks"},
      {"SeqFlag=-1", [](auto& f) { return f.check1; }, "SeqFlag -1 ticks"},
      {"SeqFlag=true", [](auto& f) { return !f.check1; }, "SeqFlag true -> default"},
      {"MoveFlag=1", [](auto& f) { return f.check2; }, "MoveFlag 1 ticks"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const std::string path = dir.WriteFile("morvick.ini", "[Settings]\r\n" + c.line + "\r\n");
    EXPECT_TRUE(c.check(Loaded(path))) << c.what;
  }
}

TEST(LoadSettings, TouchesTheListsOnlyWhenTheIndexDiffers) {
  TempDir dir;
  const std::string path = dir.WriteFile("morvick.ini", "[Settings]\nScale=-1\nClusterSize=3\n");
  TestSettingsForm form;
  form.combo3 = 3;
  LoadSettings(form, path);
  EXPECT_EQ(form.combo1, -1);
  EXPECT_EQ(form.combo3, 3);
  EXPECT_EQ(std::count(form.calls.begin(), form.calls.end(), "ComboBox1"), 0);
  EXPECT_EQ(std::count(form.calls.begin(), form.calls.end(), "ComboBox3"), 0);
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
  const TestSettingsForm form = Loaded(path);
  EXPECT_EQ(form.edits[3], " 巻 ");
  EXPECT_EQ(form.edits[1], "/home/u/写真");
  EXPECT_EQ(form.track_bar, 3);
  EXPECT_TRUE(form.check1);
  EXPECT_EQ(form.spin_text, "42");
  EXPECT_EQ(form.edit4_changes.back().base_name, " 巻 ");
  EXPECT_EQ(form.edit4_changes.back().digits, 3);
  EXPECT_EQ(form.edit4_changes.back().start, "42");
}

TEST(FormCloseQuery, YesOnAFreshWindowWritesTheElevenKeys) {
  TempDir dir;
  const std::string path = dir.Path("config/morvick/morvick.ini");  // folders made on save
  TestSettingsForm form = Loaded(path);
  ScriptedPrompter prompter;
  prompter.Answer(Answer::Yes);
  EXPECT_TRUE(FormCloseQuery(form, prompter, path));
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
  TestSettingsForm form = Loaded(path);
  form.edits[0] = "999";
  ScriptedPrompter prompter;
  prompter.Answer(Answer::No);
  prompter.Answer(Answer::Cancel);
  EXPECT_TRUE(FormCloseQuery(form, prompter, path));
  EXPECT_FALSE(FormCloseQuery(form, prompter, path));
  EXPECT_EQ(ReadFile(path), original);
  EXPECT_EQ(form.edits[0], "999");
}

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
    TestSettingsForm form;
    form.spin_text = c.spin;
    form.check1 = c.check1;
    form.list_view2_rows = c.rows;
    const auto entries = SettingsEntries(form);
    ASSERT_EQ(entries.size(), 11u);
    EXPECT_STREQ(entries[8].key, "Seq");
    EXPECT_EQ(entries[8].value, c.seq) << c.spin << " + " << c.rows;
  }
}

TEST(SaveSettings, WhatIsSavedLoadsBackUnchanged) {
  TempDir dir;
  const std::string path = dir.WriteFile("morvick.ini",
                                         "; my notes\r\n[Settings]\r\nSize=1\r\nMine=keep\r\n"
                                         "\r\n[Other]\r\nSize=2\r\n");
  TestSettingsForm form;
  form.edits = {"700 MB", "/home/u/a=b;c", "/出力/\"x\"", " vol "};
  form.track_bar = 3;
  form.radio_group = -1;
  form.combo1 = -1;  // no unit chosen
  form.combo3 = -1;  // a typed cluster size is not stored
  form.spin_text = "5";
  form.check2 = true;
  SaveSettings(form, path);

  const std::string saved = ReadFile(path);
  EXPECT_TRUE(saved.starts_with("; my notes\r\n[Settings]\r\nSize=700 MB\r\nMine=keep\r\n"));
  EXPECT_TRUE(saved.ends_with("MoveFlag=1\r\n\r\n[Other]\r\nSize=2\r\n"));
  EXPECT_EQ(GetProfileString("Settings", "Scale", "", path), "-1");

  const TestSettingsForm loaded = Loaded(path);
  EXPECT_EQ(loaded.edits, form.edits);
  EXPECT_EQ(loaded.track_bar, 3);
  EXPECT_EQ(loaded.radio_group, -1);
  EXPECT_EQ(loaded.combo1, -1);
  EXPECT_EQ(loaded.combo3, -1);  // the box then shows its initial "0"
  EXPECT_EQ(loaded.spin_text, "5");
  EXPECT_FALSE(loaded.check1);
  EXPECT_TRUE(loaded.check2);
}

TEST(SaveSettings, StopsAtTheFirstKeyThatCannotBeWritten) {
  TempDir dir;
  const std::string path = dir.Path("morvick.ini");
  TestSettingsForm form = Loaded(path);
  form.edits[3] = "two\nlines";  // cannot be stored as one value
  try {
    SaveSettings(form, path);
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
    TestSettingsForm form;
    ScriptedPrompter prompter;
    prompter.Answer(Answer::Yes);
    try {
      return std::string(FormCloseQuery(form, prompter, path) ? "closed" : "open");
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
