#include "cli/interrupt.h"
#include "cli/plan_view.h"
#include "commands/plan_commands.h"
#include "common/error.h"
#include "moving/journal_reader.h"
#include "run_cli.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>

namespace morvick::cli {
namespace {

using testing::TempDir;

// Ctrl-C during the scan is the Cancel button: the entry being read is kept,
// the scan stops, and the plan is still made of what was found. During a move
// it stops before the next entry with the journal whole. (Last in this
// program, since the flag stays raised for the rest of the process.)
TEST(Interrupt, CtrlCCancelsTheScanAndStopsTheMove) {
  TempDir dir;
  const std::string input = dir.CreateDir("in");
  for (const char* name : {"a", "b", "c", "d"}) dir.CreateFile(std::string("in/") + name, 10);

  const InterruptGuard guard;
  std::raise(SIGINT);
  ASSERT_TRUE(InterruptRequested());

  PlanSettings settings;
  settings.form.input_text = input;
  settings.form.output_text = dir.Path("out");
  CommandState state;
  CliPlanView form(settings, state, nullptr);
  testing::ScriptedPrompter prompter;
  InvestigateCommand(state, InvestigateInputsOf(settings), form, form, prompter,
                     PlatformPathRules());
  EXPECT_TRUE(form.cancelled());
  EXPECT_TRUE(state.SearchDone);
  EXPECT_FALSE(state.CancelRequested);
  ASSERT_EQ(state.EntryList->size(), 1u);  // the first entry read, then the scan stopped

  prompter.Answer(Answer::Yes);
  MoveOptions options;
  options.journal_path = dir.Path("j.jsonl");
  options.stop_requested = [] { return InterruptRequested(); };
  EXPECT_EQ(
      MoveCommand(state, MoveInputsOf(settings), form, form, prompter, PlatformPathRules(), options)
          .status,
      MoveReport::Status::Interrupted);
  EXPECT_EQ(testing::NamesIn(input).size(), 4u);
  const Journal written = ParseJournal(testing::ReadFile(dir.Path("j.jsonl")));
  EXPECT_TRUE(written.steps.empty());
}

}  // namespace
}  // namespace morvick::cli
