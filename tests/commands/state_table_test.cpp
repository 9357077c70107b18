// What each command does in each state of the seven flags.

#include "commands/plan_commands.h"
#include "support/fake_plan_view.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace morvick {
namespace {

using testing::FakePlanView;
using testing::ScriptedPrompter;
using testing::TempDir;

struct Flags {
  bool searching = false;
  bool search_done = false;
  bool updating = false;
  bool update_done = false;
  bool undoing = false;
  bool undo_done = false;
};

Flags FlagsOf(const CommandState& state) {
  return {state.Searching,  state.SearchDone, state.Updating,
          state.UpdateDone, state.Undoing,    state.UndoDone};
}

bool operator==(const Flags& a, const Flags& b) {
  return std::tie(a.searching, a.search_done, a.updating, a.update_done, a.undoing, a.undo_done) ==
         std::tie(b.searching, b.search_done, b.updating, b.update_done, b.undoing, b.undo_done);
}

void SetFlags(CommandState& state, const Flags& flags) {
  state.Searching = flags.searching;
  state.SearchDone = flags.search_done;
  state.Updating = flags.updating;
  state.UpdateDone = flags.update_done;
  state.Undoing = flags.undoing;
  state.UndoDone = flags.undo_done;
}

constexpr const char* kRuns = "";

struct Row {
  const char* name;
  Flags flags;
  const char* investigate;
  const char* move;
  const char* undo;
};

TEST(CommandStateTable, EveryCommandInEveryState) {
  const std::vector<Row> table = {
      {"No plan",
       {},
       kRuns,
       "検索が終了していない為、処理できません。",
       "更新が終了してない為、処理できません。"},
      {"Scanning",
       {.searching = true},
       kRuns,
       "検索中の為、処理できません。",
       "検索中の為、処理できません。"},
      {"Planned", {.search_done = true}, kRuns, kRuns, "更新が終了してない為、処理できません。"},
      {"Moving",
       {.search_done = true, .updating = true},
       "更新中の為、処理できません。",
       kRuns,
       "更新中の為、処理できません。"},
      {"Moved",
       {.search_done = true, .update_done = true},
       kRuns,
       "更新が終了してる為、処理できません。",
       kRuns},
      {"Undoing",
       {.search_done = true, .update_done = true, .undoing = true},
       "Undo中の為、処理できません。",
       "Undo中の為、処理できません。",
       kRuns},
      {"Undone",
       {.search_done = true, .update_done = true, .undo_done = true},
       kRuns,
       "更新が終了してる為、処理できません。",
       "Undoが終了してる為、処理できません。"},
  };

  TempDir dir;
  dir.CreateFile("in/a", 10);
  dir.CreateFile("in/b", 20);
  dir.CreateDir("out");

  for (const Row& row : table) {
    for (int command = 0; command < 3; ++command) {
      const char* expected = command == 0 ? row.investigate : command == 1 ? row.move : row.undo;
      SCOPED_TRACE(std::string(row.name) + ", command " + std::to_string(command));
      CommandState state;
      SetFlags(state, row.flags);
      FakePlanView form;
      form.edits = {"650", dir.Path("in"), dir.Path("out"), "CD"};
      form.status = "before";
      ScriptedPrompter prompter;
      const PathRules& rules = PlatformPathRules();

      if (command == 0) {
        RunInvestigate(state, form, prompter, rules);
        if (*expected == '\0') {
          EXPECT_TRUE(prompter.boxes().empty());
          EXPECT_TRUE(FlagsOf(state) == Flags{.search_done = true});
          EXPECT_EQ(form.entry_rows.size(), 2u);
          continue;
        }
      } else {
        // Running Move or Undo reaches the confirmation; "No" ends it there.
        if (*expected == '\0') prompter.Answer(Answer::No);
        if (command == 1) {
          RunMove(state, form, prompter, rules);
        } else {
          RunUndo(state, form, prompter, rules);
        }
        if (*expected == '\0') {
          ASSERT_EQ(prompter.boxes().size(), 1u);
          EXPECT_EQ(prompter.boxes()[0].kind, BoxKind::Confirm);
          EXPECT_EQ(prompter.boxes()[0].text, "よろしいですか？");
        }
      }
      if (*expected != '\0') {
        ASSERT_EQ(prompter.boxes().size(), 1u);
        EXPECT_EQ(prompter.boxes()[0].kind, BoxKind::Message);
        EXPECT_EQ(prompter.boxes()[0].text, expected);
      }
      // A refusal, and a question answered No, change nothing.
      EXPECT_TRUE(FlagsOf(state) == row.flags);
      EXPECT_EQ(form.status, "before");
      EXPECT_TRUE(form.entry_rows.empty());
    }
  }
}

TEST(CommandState, ClearFlagsAndCancel) {
  CommandState state;
  state.CancelRequested = state.Searching = state.SearchDone = state.Updating = true;
  state.UpdateDone = state.Undoing = state.UndoDone = true;
  state.ClearFlags();
  EXPECT_TRUE(FlagsOf(state) == Flags{});
  EXPECT_FALSE(state.CancelRequested);

  // Cancel only raises its flag, whatever the state.
  state.SearchDone = true;
  CancelCommand(state);
  EXPECT_TRUE(state.CancelRequested);
  EXPECT_TRUE(FlagsOf(state) == Flags{.search_done = true});
}

}  // namespace
}  // namespace morvick
