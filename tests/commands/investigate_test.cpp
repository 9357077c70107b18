#include "commands/plan_commands.h"
#include "common/error.h"
#include "engine/packing.h"
#include "engine/scan.h"
#include "platform/real_path.h"
#include "support/fake_plan_view.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <array>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace morvick {
namespace {

using testing::FakePlanView;
using testing::ScriptedPrompter;
using testing::TempDir;

constexpr std::time_t kTime = 1700000000;

class InvestigateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.CreateFile("in/a", 60, kTime);
    dir_.CreateFile("in/b", 50, kTime);
    dir_.CreateFile("in/c.txt", 30, kTime);
    dir_.CreateFile("in/d", 200, kTime);  // larger than a volume
    dir_.CreateFile("in/sub/x", 10);
    dir_.CreateFile("in/sub/deeper/y", 5);
    TempDir::SetMtime(dir_.Path("in/sub"), kTime);
    form_.edits = {"100", dir_.Path("in"), dir_.Path("out"), "vol"};
    form_.unit_index = 1;
    form_.digits = 3;
    form_.start_number = 5;
  }

  void Investigate() { RunInvestigate(state_, form_, prompter_, PlatformPathRules()); }

  TempDir dir_;
  CommandState state_;
  FakePlanView form_;
  ScriptedPrompter prompter_;
};

TEST_F(InvestigateTest, PlansRowsTotalsAndStatus) {
  Investigate();
  EXPECT_TRUE(prompter_.boxes().empty());
  const std::string date = FileTimeText(kTime);
  using Row = std::array<std::string, 5>;
  const std::vector<Row> entries = {
      {"1", "a", "60", date, KindTextOf("a", false)},
      {"2", "b", "50", date, KindTextOf("b", false)},
      {"2", "c.txt", "30", date, "File(.txt)"},
      {"0", "d", "200", date, KindTextOf("d", false)},
      {"2", "sub", "15", date, "Folder"},
  };
  EXPECT_EQ(form_.entry_rows, entries);
  using VolumeRow = std::array<std::string, 3>;
  EXPECT_EQ(form_.volume_rows,
            (std::vector<VolumeRow>{{"1", "vol005", "60"}, {"2", "vol006", "95"}}));
  EXPECT_EQ(state_.VolumeCount, 2);
  EXPECT_EQ(state_.GrandTotal, 155);
  EXPECT_EQ(state_.SplitCapacity, 100);
  ASSERT_TRUE(state_.EntryList);
  EXPECT_EQ(state_.EntryList->size(), 5u);
  EXPECT_TRUE(state_.SearchDone);
  EXPECT_FALSE(state_.Searching || state_.CancelRequested || state_.ScanRunning);
  EXPECT_EQ(
      form_.status_history,
      (std::vector<std::string>{
          "[検索中] ", "[検索終了] 分割数 (2)個  総容量 (155)bytes / クラスタSize (0)bytes"}));

  // The tree holds every entry at every depth; the next investigation starts it afresh.
  EXPECT_EQ(form_.tree.size(), 8u);
  EXPECT_EQ(form_.tree_update_depth, 0);
  Investigate();
  EXPECT_EQ(form_.tree.size(), 8u);
  EXPECT_EQ(form_.tree_clears, 2);
  EXPECT_EQ(form_.entry_rows.size(), 5u);

  // Without a tree (the command line) the plan is the same.
  form_.use_tree = false;
  Investigate();
  EXPECT_EQ(form_.tree.size(), 0u);
  EXPECT_EQ(form_.entry_rows, entries);
}

TEST_F(InvestigateTest, CapacityFromTheUnit) {
  form_.edits[0] = "650";
  form_.unit_index = 0;
  Investigate();
  EXPECT_EQ(state_.SplitCapacity, 681574400);
  form_.unit_index = 1;
  Investigate();
  EXPECT_EQ(state_.SplitCapacity, 650);
  // No unit selected: the previous capacity stays.
  form_.unit_index = -1;
  form_.edits[0] = "1";
  Investigate();
  EXPECT_EQ(state_.SplitCapacity, 650);
  EXPECT_EQ(state_.VolumeCount, 1);
  EXPECT_EQ(state_.GrandTotal, 355);

  // The largest Mbytes size whose bytes fit 64 bits is taken.
  form_.unit_index = 0;
  form_.edits[0] = "8796093022207";
  Investigate();
  EXPECT_TRUE(prompter_.boxes().empty());
  EXPECT_EQ(state_.SplitCapacity, 8796093022207 * 1048576);
}

TEST_F(InvestigateTest, NoUnitAndNoEarlierCapacityAssignsNothing) {
  form_.unit_index = -1;
  Investigate();
  EXPECT_EQ(state_.SplitCapacity, 0);
  EXPECT_EQ(state_.VolumeCount, 1);
  EXPECT_EQ(state_.GrandTotal, 0);
  for (const auto& row : form_.entry_rows) EXPECT_EQ(row[0], "0") << row[1];

  // First-fit cannot divide by a capacity of 0: the error leaves the scan's state.
  CommandState fresh;
  form_.method_index = 6;
  EXPECT_THROW(RunInvestigate(fresh, form_, prompter_, PlatformPathRules()), DivisionByZeroError);
  EXPECT_TRUE(fresh.Searching);
  EXPECT_FALSE(fresh.SearchDone || fresh.ScanRunning);
  EXPECT_EQ(form_.status, "[検索中] ");
}

TEST_F(InvestigateTest, RefusalsLeaveThePreviousResultUntouched) {
  Investigate();
  const auto rows = form_.entry_rows;
  const std::string status = form_.status;
  const EntryList* list = state_.EntryList.get();
  struct Case {
    std::string split_size;
    std::string input;
    int unit;
    std::string message;
  };
  const std::string in = dir_.Path("in");
  const bool posix = platform::kPathSeparator == '/';
  const std::vector<Case> cases = {
      {"0", in, 1, "分割サイズは正数でなければなりません"},
      {"-5", in, 1, "分割サイズは正数でなければなりません"},
      {"abc", in, 1, "分割サイズは数値でなければなりません"},
      {"", in, 1, "分割サイズは数値でなければなりません"},
      {"650 ", in, 1, "分割サイズは数値でなければなりません"},
      {"8796093022208", in, 0, "分割サイズが大きすぎます"},
      {"650", dir_.Path("missing"), 1, "入力フォルダがありません。"},
      {"650", dir_.Path("in/a"), 1, "入力フォルダがありません。"},
      // A relative path and the root, in the platform's dialect.
      {"650", posix ? "in" : "input", 1,
       posix ? "[入力フォルダ]:絶対パス(「/」で始まるパス)を指定してください。"
             : "[入力フォルダ]:ドライブ名の次は「:」です。"},
      {"650", posix ? "/" : "C:\\", 1,
       "[入力フォルダ]:ルートは指定できません。あるいは、指定が間違っています。"},
  };
  for (const Case& c : cases) {
    form_.edits[0] = c.split_size;
    form_.edits[1] = c.input;
    form_.unit_index = c.unit;
    prompter_.Clear();
    Investigate();
    EXPECT_EQ(prompter_.texts(), std::vector<std::string>{c.message})
        << c.split_size << " " << c.input;
    EXPECT_EQ(form_.entry_rows, rows);
    EXPECT_EQ(form_.status, status);
    EXPECT_EQ(state_.EntryList.get(), list);
    EXPECT_EQ(state_.SplitCapacity, 100);
    EXPECT_TRUE(state_.SearchDone);
  }
}

TEST_F(InvestigateTest, EmptyFolderPlansOneEmptyVolume) {
  form_.edits[1] = dir_.CreateDir("empty");
  form_.edits[3] = "CD";
  form_.start_number = 1;
  Investigate();
  EXPECT_TRUE(form_.entry_rows.empty());
  using VolumeRow = std::array<std::string, 3>;
  EXPECT_EQ(form_.volume_rows, (std::vector<VolumeRow>{{"1", "CD001", "0"}}));
  EXPECT_EQ(form_.status, "[検索終了] 分割数 (1)個  総容量 (0)bytes / クラスタSize (0)bytes");
}

TEST(StatusTotalsText, WorkedExamples) {
  CommandState state;
  FakePlanView form;
  state.VolumeCount = 3;
  state.GrandTotal = 1234567890;
  form.cluster_text = "4096";
  EXPECT_EQ(StatusTotalsText(state, form.cluster_text, kSearchEndTag, kInvestigateUnit),
            "[検索終了] 分割数 (3)個  総容量 (1,234,567,890)bytes / クラスタSize (4,096)bytes");
  EXPECT_EQ(StatusTotalsText(state, form.cluster_text, kUpdatingTag, kMoveUnit),
            "[更新中] 分割数 (3)個  総容量 (1,234,567,890)bytes/ クラスタSize (4,096)bytes");
  state.GrandTotal = 1234567;
  EXPECT_EQ(StatusTotalsText(state, form.cluster_text, kSearchEndTag, kInvestigateUnit),
            "[検索終了] 分割数 (3)個  総容量 (1,234,567)bytes / クラスタSize (4,096)bytes");
  form.cluster_text = "-512";
  state.GrandTotal = 1000000000;
  EXPECT_EQ(StatusTotalsText(state, form.cluster_text, kUndoEndTag, kMoveUnit),
            "[Undo終了] 分割数 (3)個  総容量 (1,000,000,000)bytes/ クラスタSize -(512)bytes");
  form.cluster_text = "$1000";
  EXPECT_EQ(StatusTotalsText(state, form.cluster_text, kUndoingTag, kMoveUnit),
            "[Undo中] 分割数 (3)個  総容量 (1,000,000,000)bytes/ クラスタSize (4,096)bytes");
  form.cluster_text = "4294967296";
  try {
    StatusTotalsText(state, form.cluster_text, kUpdateEndTag, kMoveUnit);
    ADD_FAILURE() << "no conversion error";
  } catch (const ConversionError& error) {
    EXPECT_STREQ(error.what(), "'4294967296' は整数ではありません");
  }
}

TEST_F(InvestigateTest, ClusterTextErrorsLeaveTheStateOfTheirMoment) {
  // Not a number at all: the scan fails; the state stays Scanning.
  form_.cluster_text = "abc";
  EXPECT_THROW(Investigate(), ConversionError);
  EXPECT_TRUE(state_.Searching);
  EXPECT_FALSE(state_.SearchDone || state_.ScanRunning);
  EXPECT_EQ(form_.status, "[検索中] ");
  EXPECT_TRUE(form_.entry_rows.empty());
  RunMove(state_, form_, prompter_, PlatformPathRules());
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"検索中の為、処理できません。"});

  // Fits 64 bits but not 32: the plan completes, only the last status line fails.
  form_.cluster_text = "4294967296";
  EXPECT_THROW(Investigate(), ConversionError);
  EXPECT_FALSE(state_.Searching);
  EXPECT_TRUE(state_.SearchDone);
  EXPECT_EQ(form_.entry_rows.size(), 5u);
  EXPECT_EQ(form_.status, "[検索中] ");

  // A new investigation clears the Scanning state an error left behind.
  form_.cluster_text = "abc";
  EXPECT_THROW(Investigate(), ConversionError);
  form_.cluster_text = "0";
  Investigate();
  EXPECT_TRUE(state_.SearchDone);
  EXPECT_FALSE(state_.Searching);
}

TEST_F(InvestigateTest, ClicksDuringTheScan) {
  // Another Investigate, a Move and an Undo from the scan's event pump: the
  // first is ignored, the others refused; the scan completes.
  int pumps = 0;
  form_.on_pump = [&] {
    if (++pumps != 2) return;
    Investigate();
    RunMove(state_, form_, prompter_, PlatformPathRules());
    RunUndo(state_, form_, prompter_, PlatformPathRules());
  };
  Investigate();
  EXPECT_EQ(prompter_.texts(), (std::vector<std::string>{"検索中の為、処理できません。",
                                                         "検索中の為、処理できません。"}));
  EXPECT_EQ(form_.entry_rows.size(), 5u);
  EXPECT_TRUE(state_.SearchDone);

  // A packing method chosen during the scan is the one used: names descending.
  form_.method_index = 0;
  form_.on_pump = [&] { form_.method_index = 1; };
  Investigate();
  std::vector<std::string> names;
  for (const auto& row : form_.entry_rows) names.push_back(row[1]);
  EXPECT_TRUE(std::is_sorted(names.rbegin(), names.rend())) << names.front();
  form_.method_index = 0;

  // Cancel ends the scan early; the entries found so far are planned.
  form_.on_pump = [&] { CancelCommand(state_); };
  Investigate();
  EXPECT_LT(form_.entry_rows.size(), 5u);
  EXPECT_TRUE(state_.SearchDone);
  EXPECT_FALSE(state_.CancelRequested || state_.Searching);
  EXPECT_EQ(form_.status.rfind("[検索終了] 分割数 (", 0), 0u);

  // A cancel made while no scan runs does not reach the next one.
  form_.on_pump = nullptr;
  CancelCommand(state_);
  Investigate();
  EXPECT_EQ(form_.entry_rows.size(), 5u);
}

TEST_F(InvestigateTest, ClicksWhileALargeListIsPacked) {
  // Enough entries for the sort to pump events now and then.
  for (int i = 0; i < 1500; ++i) dir_.CreateFile("many/f" + std::to_string(i * 7919 % 1500), i);
  form_.edits[1] = dir_.Path("many");
  form_.edits[0] = "100000";
  Investigate();
  EXPECT_GT(form_.packing_pumps, 0);
  const auto undisturbed = form_.entry_rows;
  ASSERT_EQ(undisturbed.size(), 1500u);

  // Investigate again, Move and Cancel from the packing's pump: the first is
  // ignored, Move refused, Cancel has nothing to stop; the plan is the same.
  bool clicked = false;
  form_.on_packing_pump = [&] {
    if (std::exchange(clicked, true)) return;
    Investigate();
    RunMove(state_, form_, prompter_, PlatformPathRules());
    CancelCommand(state_);
  };
  Investigate();
  EXPECT_TRUE(clicked);
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"検索中の為、処理できません。"});
  EXPECT_EQ(form_.entry_rows, undisturbed);
  EXPECT_TRUE(state_.SearchDone);
  EXPECT_FALSE(state_.CancelRequested || state_.Searching || state_.ScanRunning);
}

TEST_F(InvestigateTest, CancelEndsTheFewestVolumesSearchWithTheBestPlanSoFar) {
  // Triplets that fill volumes of 1000 bytes exactly: first-fit decreasing
  // misses the optimum, so the search runs long enough to be asked.
  std::mt19937 random(7);
  for (int i = 0; i < 40; ++i) {
    const int a = 380 + static_cast<int>(random() % 111);
    const int b = 250 + static_cast<int>(random() % static_cast<unsigned>((1000 - a) / 2 - 249));
    const std::string name = "t/" + std::to_string(i);
    dir_.CreateFile(name + "a", a);
    dir_.CreateFile(name + "b", b);
    dir_.CreateFile(name + "c", 1000 - a - b);
  }
  form_.edits[1] = dir_.Path("t");
  form_.edits[0] = "1000";
  form_.method_index = kFewestVolumes;
  form_.on_packing_pump = [this] { CancelCommand(state_); };
  Investigate();
  // Asked once, stopped there, and the plan is whole: every entry in a volume
  // within the capacity, proven only when it reaches the bound.
  EXPECT_EQ(form_.packing_pumps, 1);
  ASSERT_EQ(form_.entry_rows.size(), 120u);
  EXPECT_TRUE(state_.SearchDone);
  EXPECT_FALSE(state_.CancelRequested);
  EXPECT_GE(state_.VolumeCount, state_.LowerBound);
  EXPECT_EQ(state_.ProvenOptimal, state_.VolumeCount <= state_.LowerBound);
  std::vector<std::int64_t> totals(static_cast<std::size_t>(state_.VolumeCount) + 1, 0);
  for (const TSplitEntry& entry : *state_.EntryList) {
    ASSERT_GE(entry.Volume, 1);
    ASSERT_LE(entry.Volume, state_.VolumeCount);
    totals[static_cast<std::size_t>(entry.Volume)] += entry.Size;
  }
  for (const std::int64_t total : totals) EXPECT_LE(total, 1000);
  EXPECT_EQ(PlanBoundText(state_).empty(), false);
}

}  // namespace
}  // namespace morvick
