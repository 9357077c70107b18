#include "cli/journal.h"
#include "cli/cli_form.h"
#include "cli/interrupt.h"
#include "commands/plan_commands.h"
#include "common/error.h"
#include "run_cli.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>

namespace morvick::cli {
namespace {

using testing::TempDir;

const std::string kPlan =
    R"({"record":"plan","format":1,"input":"/i/","output":"/o/","baseName":"v","digits":2,)"
    R"("start":1,"volumeCount":2,"grandTotal":30,"cluster":"0","method":0,"skipLast":false,)"
    R"("entries":[]})";
const std::string kIntent1 =
    R"({"record":"intent","seq":1,"volume":1,"name":"a","source":"/i/a","destination":"/o/v01/a","creates":["/o","/o/v01"]})";
const std::string kIntent2 =
    R"({"record":"intent","seq":2,"volume":2,"name":"b\udcff","source":"/i/b\udcff","destination":"/o/v02/b\udcff","creates":["/o/v02"]})";

TEST(Journal, ReadsWholeRecordsAndIgnoresACutOffLastLine) {
  const std::string text = kPlan + "\n" + kIntent1 + "\n" +
                           R"({"record":"done","seq":1,"moved":true,"reason":""})" + "\n" +
                           kIntent2 + "\n" + R"({"record":"done","seq":2,"mov)";
  const Journal journal = ParseJournal(text);
  EXPECT_EQ(journal.input_path, "/i/");
  EXPECT_EQ(journal.output_path, "/o/");
  EXPECT_EQ(journal.volume_count, 2);
  ASSERT_EQ(journal.steps.size(), 2u);
  EXPECT_EQ(journal.steps[0].outcome, JournalStep::Outcome::Moved);
  EXPECT_EQ(journal.steps[0].created_folders, (std::vector<std::string>{"/o", "/o/v01"}));
  EXPECT_EQ(journal.steps[1].outcome, JournalStep::Outcome::Unknown);
  EXPECT_EQ(journal.steps[1].source, "/i/b\xff");
  EXPECT_EQ(journal.complete_length, text.rfind('\n') + 1);
  EXPECT_FALSE(journal.move_ended);
  EXPECT_FALSE(journal.undone);

  const Journal undone = ParseJournal(kPlan + "\n" + kIntent1 + "\n" +
                                      R"({"record":"undo-done","seq":1,"moved":true,"reason":""})" +
                                      "\n" + R"({"record":"undone"})" + "\n");
  EXPECT_TRUE(undone.steps[0].restored);
  EXPECT_TRUE(undone.undone);
}

TEST(Journal, DamageBeforeTheLastLineIsRefused) {
  const std::string damaged[] = {
      "",                                                      // no plan
      kIntent1 + "\n",                                         // no plan first
      kPlan + "\n{\"record\":\"intent\"\n" + kIntent1 + "\n",  // a broken record mid-file
      kPlan + "\n" + kIntent2 + "\n",                          // entries out of order
      kPlan + "\n" + R"({"record":"done","seq":3,"moved":true,"reason":""})" + "\n",
      kPlan + "\n" + R"({"record":"what"})" + "\n",
      R"({"record":"plan","format":2})"
      "\n",
  };
  for (const std::string& text : damaged) {
    EXPECT_THROW(ParseJournal(text), Error) << text;
  }
}

TEST(Journal, WriterRefusesAnExistingFileAndLeavesNoneWhenUnused) {
  TempDir dir;
  const std::string existing = dir.WriteFile("taken.jsonl", "user data");
  CommandState state;
  JournalWriter taken(existing, {&state, "0", 0, false}, false);
  EXPECT_THROW(taken.Create(), Error);
  EXPECT_EQ(testing::ReadFile(existing), "user data");

  JournalWriter unused(dir.Path("deeper/folder/new.jsonl"), {&state, "0", 0, false}, false);
  unused.Create();
  EXPECT_TRUE(testing::PathExists(dir.Path("deeper/folder/new.jsonl")));
  unused.DiscardIfUnused();
  EXPECT_FALSE(testing::PathExists(dir.Path("deeper/folder/new.jsonl")));

  EXPECT_NE(NewJournalPath(dir.path()), NewJournalPath(dir.path() + "/x"));
}

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
  settings.input = input;
  settings.output = dir.Path("out");
  CommandState state;
  CliPlanForm form(settings, state, nullptr);
  testing::ScriptedPrompter prompter;
  Button1Click(state, form, prompter, PlatformPathRules());
  EXPECT_TRUE(form.cancelled());
  EXPECT_TRUE(state.SearchDone);
  EXPECT_FALSE(state.CancelRequested);
  ASSERT_EQ(state.EntryList->size(), 1u);  // the first entry read, then the scan stopped

  JournalWriter journal(dir.Path("j.jsonl"), {&state, "0", 0, false}, false);
  journal.Create();
  prompter.Answer(Answer::Yes);
  EXPECT_THROW(Button5Click(state, form, prompter, PlatformPathRules(), &journal),
               InterruptedError);
  EXPECT_EQ(testing::NamesIn(input).size(), 4u);
  const Journal written = ParseJournal(testing::ReadFile(dir.Path("j.jsonl")));
  EXPECT_TRUE(written.steps.empty());
}

}  // namespace
}  // namespace morvick::cli
