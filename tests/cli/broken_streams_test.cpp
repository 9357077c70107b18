// morvick-cli meeting the streams and files a shell can hand it: a closed
// standard error, a reader that goes away, a full disk, a closed standard
// output, journals that are no files or empty, and control characters in names.

#include "cli/cli_app.h"
#include "run_cli.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace morvick::cli {
namespace {

using testing::RunCliInShell;
using testing::TakeManifest;
using testing::TempDir;

class BrokenStreamsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.CreateFile("in/a", 600);
    dir_.CreateFile("in/b", 500);
    dir_.CreateFile("in/c", 700);
    before_ = TakeManifest(dir_.Path("in"));
  }
  // A move of the input folder into volumes of 1,000 bytes, journal j.jsonl.
  std::string Move(const std::string& name_list = "in") const {
    return "\"$CLI\" move " + name_list + " out --size 1000 --unit bytes --yes --journal j.jsonl";
  }
  testing::CliRun Shell(const std::string& script) { return RunCliInShell(script, dir_.path()); }
  bool Untouched() { return TakeManifest(dir_.Path("in")) == before_; }

  TempDir dir_;
  testing::Manifest before_;
};

TEST_F(BrokenStreamsTest, AClosedStandardErrorNeverLandsInTheJournal) {
  ASSERT_EQ(Shell(Move() + " 2>&-").status, kExitDone);
  EXPECT_FALSE(Untouched());
  const testing::CliRun undo = Shell("\"$CLI\" undo j.jsonl --yes 2>&-");
  EXPECT_EQ(undo.status, kExitDone);
  EXPECT_TRUE(Untouched());
}

TEST_F(BrokenStreamsTest, OutputThatCannotBeWrittenEndsWithItsOwnStatus) {
  // The plan cannot be written: nothing moves.
  for (const char* redirect : {" > /dev/full", " >&-"}) {
    const testing::CliRun run = Shell(Move() + redirect);
    EXPECT_EQ(run.status, kExitOutputFailed) << redirect << run.err;
    EXPECT_TRUE(Untouched()) << redirect;
    EXPECT_FALSE(testing::PathExists(dir_.Path("j.jsonl"))) << redirect;
  }
  // A reader that goes away after the first byte of a long plan.
  for (int i = 0; i < 2000; ++i)
    dir_.CreateFile("many/entry-with-a-long-name-" + std::to_string(i));
  const testing::CliRun piped = Shell("{ " + Move("many") + "; echo $? > status; } | head -c 1");
  EXPECT_EQ(testing::ReadFile(dir_.Path("status")), "4\n") << piped.err;
  EXPECT_EQ(testing::NamesIn(dir_.Path("many")).size(), 2000u);

  // Messages that cannot be written stop the move before its next entry, with
  // the journal whole: undo takes back what moved.
  const testing::CliRun full = Shell(Move() + " 2> /dev/full");
  EXPECT_EQ(full.status, kExitOutputFailed);
  EXPECT_EQ(Shell("\"$CLI\" undo j.jsonl --yes --quiet").status, kExitDone);
  EXPECT_TRUE(Untouched());

  for (const char* command : {"\"$CLI\" plan in --format json > /dev/full", "\"$CLI\" plan in >&-",
                              "\"$CLI\" settings > /dev/full"}) {
    EXPECT_EQ(Shell(command).status, kExitOutputFailed) << command;
  }
}

TEST_F(BrokenStreamsTest, JournalsThatAreNoFilesOrEmpty) {
  ASSERT_EQ(::mkfifo(dir_.Path("fifo").c_str(), 0600), 0);
  for (const char* journal : {"fifo", "/dev/zero", "in"}) {
    const testing::CliRun run = Shell(std::string("\"$CLI\" undo ") + journal + " --yes");
    EXPECT_EQ(run.status, kExitRefused) << journal << run.err;
  }
  // A move killed before its plan was written whole has moved nothing.
  dir_.WriteFile("empty.jsonl", "");
  dir_.WriteFile("cut.jsonl", "{\"record\":\"plan\",\"format\":2,\"inp");
  for (const char* journal : {"empty.jsonl", "cut.jsonl"}) {
    const testing::CliRun run = Shell(std::string("\"$CLI\" undo ") + journal + " --yes");
    EXPECT_EQ(run.status, kExitDone) << journal;
    EXPECT_NE(run.err.find("stopped before anything moved"), std::string::npos) << run.err;
  }
  EXPECT_EQ(testing::ReadFile(dir_.Path("empty.jsonl")), "");
}

TEST_F(BrokenStreamsTest, ControlCharactersInNamesNeverReachTheTerminalRaw) {
  dir_.CreateFile("in/esc\x1b[2Jname");
  dir_.CreateFile("in/c1\xc2\x9bname");
  const testing::CliRun tsv = Shell("\"$CLI\" plan in --format tsv");
  EXPECT_NE(tsv.out.find("esc\\u001b[2Jname"), std::string::npos) << tsv.out;
  EXPECT_NE(tsv.out.find("c1\\u009bname"), std::string::npos) << tsv.out;
  const testing::CliRun table = Shell("\"$CLI\" plan in");
  EXPECT_NE(table.out.find("esc\xEF\xBF\xBD[2Jname"), std::string::npos) << table.out;
  for (const std::string* out : {&tsv.out, &table.out}) {
    EXPECT_EQ(out->find('\x1b'), std::string::npos);
    EXPECT_EQ(out->find("\xc2\x9b"), std::string::npos);
  }
}

}  // namespace
}  // namespace morvick::cli
