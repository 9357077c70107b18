// The journal: its records and checksums, how damage ends the reading, and the
// check of every step against the plan before an undo moves anything.

#include "moving/journal_check.h"
#include "moving/journal_files.h"
#include "moving/journal_format.h"
#include "moving/journal_reader.h"
#include "moving/journal_writer.h"

#include "commands/journal_commands.h"
#include "common/error.h"
#include "engine/entry.h"
#include "platform/real_path.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace morvick {
namespace {

using testing::PathExists;
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
  EXPECT_EQ(journal.plan.folders.input, "/i");
  EXPECT_EQ(journal.plan.folders.output, "/o");
  EXPECT_EQ(journal.plan.volume_count, 2);
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
  JournalWriter taken(existing);
  EXPECT_THROW(taken.Create(), Error);
  EXPECT_EQ(testing::ReadFile(existing), "user data");

  JournalWriter unused(dir.Path("deeper/folder/new.jsonl"));
  unused.Create();
  EXPECT_TRUE(testing::PathExists(dir.Path("deeper/folder/new.jsonl")));
  unused.DiscardIfUnused();
  EXPECT_FALSE(testing::PathExists(dir.Path("deeper/folder/new.jsonl")));

  EXPECT_NE(NewJournalPath(dir.path()), NewJournalPath(dir.path() + "/x"));
}

// A path written with "/" in the platform's own form.
std::string Native(std::string path) {
  std::replace(path.begin(), path.end(), '/', platform::kPathSeparator);
  return path;
}

// A journal of the current format for a move of "a" (volume 1) and "b"
// (volume 2) from <root>/in to <root>/out, as the engine writes it.
struct MadeJournal {
  Json plan;
  std::vector<Json> records;

  explicit MadeJournal(const std::string& root) {
    const std::string in = Native(root + "/in/");
    const std::string out = Native(root + "/out/");
    plan = Json{{"record", "plan"},
                {"format", 2},
                {"program", "morvick"},
                {"frontEnd", "cli"},
                {"input", in},
                {"output", out},
                {"baseName", "v"},
                {"digits", 2},
                {"start", 1},
                {"volumeCount", 2},
                {"grandTotal", 2},
                {"cluster", "0"},
                {"method", 0},
                {"skipLast", false},
                {"entries", Json::array({Json{{"volume", 1}, {"name", "a"}, {"size", 1}},
                                         Json{{"volume", 2}, {"name", "b"}, {"size", 1}}})}};
    records = {Json{{"record", "intent"},
                    {"seq", 1},
                    {"volume", 1},
                    {"name", "a"},
                    {"source", in + "a"},
                    {"destination", out + Native("v01/a")},
                    {"creates", Json::array({Native(root + "/out"), out + "v01"})}},
               Json{{"record", "done"}, {"seq", 1}, {"moved", true}, {"reason", ""}},
               Json{{"record", "intent"},
                    {"seq", 2},
                    {"volume", 2},
                    {"name", "b"},
                    {"source", in + "b"},
                    {"destination", out + Native("v02/b")},
                    {"creates", Json::array({out + "v02"})}},
               Json{{"record", "done"}, {"seq", 2}, {"moved", true}, {"reason", ""}},
               Json{{"record", "end"}}};
  }
  std::string Text() const {
    std::string text = JournalLine(plan);
    for (const Json& record : records) text += JournalLine(record);
    return text;
  }
};

TEST(Journal, EveryRecordCarriesAChecksumAndDamageEndsTheReading) {
  TempDir dir;
  const MadeJournal made(dir.path());
  const std::string text = made.Text();
  const Journal whole = ParseJournal(text);
  EXPECT_EQ(whole.format, 2);
  EXPECT_EQ(whole.steps.size(), 2u);
  EXPECT_TRUE(whole.move_ended);
  EXPECT_EQ(whole.damaged_line, 0u);
  EXPECT_EQ(whole.complete_length, text.size());

  // One byte changed in the second intent (line 4): the reading stops before it.
  std::string damaged = text;
  const std::size_t at = damaged.find("\"b\"", damaged.find("\"seq\":2"));
  damaged[at + 1] = 'c';
  const Journal cut = ParseJournal(damaged);
  EXPECT_EQ(cut.steps.size(), 1u);
  EXPECT_EQ(cut.damaged_line, 4u);
  EXPECT_TRUE(cut.damaged_before_end);
  EXPECT_FALSE(cut.move_ended);

  // A record of the current format without its checksum counts as damaged too.
  const Journal unchecked = ParseJournal(JournalLine(made.plan) + DumpJson(made.records[0]) + "\n");
  EXPECT_TRUE(unchecked.steps.empty());
  EXPECT_EQ(unchecked.damaged_line, 2u);
  // And a damaged plan leaves no journal at all.
  std::string bad_plan = text;
  bad_plan[bad_plan.find("/in/") + 1] = 'X';
  EXPECT_THROW(ParseJournal(bad_plan), Error);
}

TEST(Journal, EveryStepMustBeThePathThePlanImplies) {
  TempDir dir;
  dir.CreateDir("in");
  dir.CreateDir("out");
  // Wine makes no symbolic links; the case then names a folder that is not there.
  if (platform::kPathSeparator == '/') dir.CreateSymlink("link", "in");
  const std::string root = dir.path();
  EXPECT_EQ(CheckJournalAgainstPlan(ParseJournal(MadeJournal(root).Text())), std::nullopt);

  struct Case {
    const char* what;
    std::function<void(MadeJournal&)> change;
  };
  const std::vector<Case> cases = {
      {"a source outside the input",
       [](MadeJournal& j) { j.records[0]["source"] = "/etc/passwd"; }},
      {"a destination outside the volume folder",
       [&](MadeJournal& j) {
         j.records[0]["destination"] = Native(root + "/.config/autostart/a");
       }},
      {"a destination in another volume's folder",
       [&](MadeJournal& j) { j.records[0]["destination"] = Native(root + "/out/v02/a"); }},
      {"a created folder outside the plan",
       [&](MadeJournal& j) {
         j.records[2]["creates"] = Json::array({Native(root + "/elsewhere")});
       }},
      {"an entry that is not in the plan", [](MadeJournal& j) { j.records[0]["name"] = "z"; }},
      {"an entry with another volume", [](MadeJournal& j) { j.records[0]["volume"] = 2; }},
      {"a name with a separator",
       [&](MadeJournal& j) {
         j.plan["entries"][0]["name"] = "../a";
         j.records[0]["name"] = "../a";
         j.records[0]["source"] = Native(root + "/in/../a");
         j.records[0]["destination"] = Native(root + "/out/v01/../a");
       }},
      {"an input that is not canonical",
       [&](MadeJournal& j) { j.plan["input"] = Native(root + "/out/../in/"); }},
      {"an input through a link",
       [&](MadeJournal& j) { j.plan["input"] = Native(root + "/link/"); }},
      {"the same folder twice", [&](MadeJournal& j) { j.plan["output"] = Native(root + "/in/"); }},
  };
  for (const Case& c : cases) {
    MadeJournal journal(root);
    c.change(journal);
    EXPECT_NE(CheckJournalAgainstPlan(ParseJournal(journal.Text())), std::nullopt) << c.what;
  }
}

TEST(JournalUndo, AJournalThatFailsTheCheckMovesNothingAndStaysUndoable) {
  TempDir dir;
  dir.WriteFile("in/keep", "x");
  dir.WriteFile("secret/a", "mine");
  MadeJournal journal(dir.path());
  journal.records[0]["source"] = dir.Path("secret/a");
  journal.records[0]["destination"] = dir.Path("in/a");
  const std::string path = dir.WriteFile("hand-made.jsonl", journal.Text());

  testing::ScriptedPrompter prompter;
  const JournalUndoReport result = UndoJournal(path, prompter, {});
  EXPECT_EQ(result.status, JournalUndoReport::Status::Refused);
  EXPECT_EQ(result.refusal, JournalUndoReport::Refusal::NotItsPlan);
  EXPECT_TRUE(prompter.texts().empty());
  EXPECT_EQ(testing::ReadFile(dir.Path("secret/a")), "mine");
  EXPECT_FALSE(PathExists(dir.Path("in/a")));
  EXPECT_EQ(testing::ReadFile(path), journal.Text());
}

// Journals of the first format have no checksums: they are undone when every
// step passes the check against the plan, and refused whole otherwise.
TEST(JournalUndo, AJournalOfTheFirstFormatIsUndoneOnlyWhenEveryStepPasses) {
  TempDir dir;
  dir.WriteFile("out/v01/a", "a");
  dir.WriteFile("out/v02/b", "b");
  dir.CreateDir("in");
  MadeJournal made(dir.path());
  made.plan["format"] = 1;
  made.plan.erase("frontEnd");
  const auto first_format = [&made](const std::string& source_of_b) {
    Json plan = made.plan;
    std::string text = DumpJson(plan) + "\n";
    for (Json record : made.records) {
      if (record["seq"] == 2 && record["record"] == "intent") record["source"] = source_of_b;
      text += DumpJson(record) + "\n";
    }
    return text;
  };
  testing::ScriptedPrompter prompter;

  const std::string forged = dir.WriteFile("forged.jsonl", first_format(dir.Path("elsewhere/b")));
  EXPECT_EQ(UndoJournal(forged, prompter, {}).status, JournalUndoReport::Status::Refused);
  EXPECT_TRUE(PathExists(dir.Path("out/v01/a")) && PathExists(dir.Path("out/v02/b")));

  const std::string path = dir.WriteFile("old.jsonl", first_format(dir.Path("in/b")));
  EXPECT_EQ(UndoJournal(path, prompter, {}).status, JournalUndoReport::Status::Done);
  EXPECT_EQ(testing::ReadFile(dir.Path("in/a")), "a");
  EXPECT_EQ(testing::ReadFile(dir.Path("in/b")), "b");
  EXPECT_FALSE(PathExists(dir.Path("out")));
  EXPECT_TRUE(ParseJournal(testing::ReadFile(path)).undone);
}

// Every window journal cut short is found, newest first: moves without their
// end and undos without theirs; ended, undone, declined and command-line ones
// are not.
TEST(JournalFiles, EveryInterruptedWindowJournalIsFoundNewestFirst) {
  TempDir dir;
  const auto write = [&](const std::string& name, FrontEnd front_end,
                         const std::vector<RecordKind>& marks) {
    JournalWriter writer(dir.Path(name));
    writer.Create();
    JournalPlan plan;
    plan.front_end = front_end;
    plan.folders = {dir.Path("in"), dir.Path("out")};
    writer.WritePlan(plan, std::vector<TSplitEntry>{});
    for (const RecordKind mark : marks) writer.WriteMark(mark);
  };
  using K = RecordKind;
  write("1-move-cut.jsonl", FrontEnd::Window, {});
  write("2-cli.jsonl", FrontEnd::CommandLine, {});
  write("3-ended.jsonl", FrontEnd::Window, {K::End});
  write("4-undo-cut.jsonl", FrontEnd::Window, {K::End, K::UndoBegun});
  write("5-undo-ended.jsonl", FrontEnd::Window, {K::End, K::UndoBegun, K::UndoEnd});
  write("6-undone.jsonl", FrontEnd::Window, {K::UndoBegun, K::Undone});
  write("7-declined.jsonl", FrontEnd::Window, {K::RecoveryDeclined});
  std::vector<std::string> found;
  for (const InterruptedJournal& journal : FindInterruptedWindowJournals(dir.path())) {
    found.push_back(journal.path.substr(journal.path.find_last_of("/\\") + 1) +
                    (journal.undo ? " undo" : " move"));
  }
  EXPECT_EQ(found, (std::vector<std::string>{"4-undo-cut.jsonl undo", "1-move-cut.jsonl move"}));
}

}  // namespace
}  // namespace morvick
