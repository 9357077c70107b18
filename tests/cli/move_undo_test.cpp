#include "cli/cli_app.h"
#include "common/json_text.h"
#include "run_cli.h"
#include "support/as_nobody.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace morvick::cli {
namespace {

using testing::NamesIn;
using testing::PathExists;
using testing::RunCliProgram;
using testing::TakeManifest;
using testing::TempDir;

// An input folder with files, nested folders, a link, an empty folder and a
// name that is not UTF-8, split into several volumes of 1,000 bytes.
class MoveUndoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    input_ = dir_.CreateDir("in");
    dir_.WriteFile("in/a.txt", std::string(600, 'a'));
    dir_.WriteFile("in/b.txt", std::string(500, 'b'));
    dir_.WriteFile("in/deep/x/y/z.txt", std::string(300, 'z'));
    dir_.CreateDir("in/empty");
    dir_.CreateSymlink("in/link", "a.txt");
    dir_.WriteFile("in/odd\xff.bin", std::string(700, 'o'));
    dir_.WriteFile("in/too-big", std::string(1500, 't'));
    chmod(dir_.Path("in/b.txt").c_str(), 0600);
    before_ = TakeManifest(input_);
  }

  testing::CliRun Move(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"move",   input_,  dir_.Path("out"), "--size",    "1000",
                                     "--unit", "bytes", "--yes",          "--journal", journal()};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunCliProgram(args, dir_.path());
  }
  testing::CliRun Undo() { return RunCliProgram({"undo", journal(), "--yes"}, dir_.path()); }
  std::string journal() const { return dir_.Path("journal.jsonl"); }

  std::vector<std::string> JournalLines() const {
    std::vector<std::string> lines;
    std::istringstream stream(testing::ReadFile(journal()));
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
  }
  void WriteJournal(const std::string& text) const {
    std::ofstream(journal(), std::ios::binary | std::ios::trunc) << text;
  }

  TempDir dir_;
  std::string input_;
  testing::Manifest before_;
};

TEST_F(MoveUndoTest, UndoRestoresTheInputFolderExactly) {
  const testing::CliRun move = Move();
  ASSERT_EQ(move.status, kExitDone) << move.err;
  EXPECT_NE(move.err.find("morvick-cli: journal: " + journal() + "\n"), std::string::npos);
  EXPECT_NE(move.err.find("フォルダを移動しました。\n[更新終了] 分割数 ("), std::string::npos)
      << move.err;
  // Only the entry larger than a volume stays.
  EXPECT_EQ(NamesIn(input_), std::set<std::string>{"too-big"});
  EXPECT_FALSE(NamesIn(dir_.Path("out")).empty());

  const testing::CliRun undo = Undo();
  ASSERT_EQ(undo.status, kExitDone) << undo.err;
  EXPECT_NE(undo.err.find("フォルダを移動しました。\n[Undo終了] 分割数 ("), std::string::npos)
      << undo.err;
  EXPECT_EQ(TakeManifest(input_), before_);
  // The output folder was made by the move, so it goes too.
  EXPECT_FALSE(PathExists(dir_.Path("out")));

  const testing::CliRun again = Undo();
  EXPECT_EQ(again.status, kExitRefused);
  EXPECT_EQ(again.err, "Undoが終了してる為、処理できません。\n");
}

TEST_F(MoveUndoTest, UndoKeepsFoldersTheMoveDidNotMake) {
  dir_.CreateDir("out/folder00001");
  dir_.WriteFile("out/unrelated.txt", "keep");
  ASSERT_EQ(Move({"--skip-last", "--base", "v", "--digits", "2", "--start", "5"}).status,
            kExitDone);
  // The last volume stays in the input folder with --skip-last.
  EXPECT_TRUE(PathExists(dir_.Path("out/v05")));
  ASSERT_EQ(Undo().status, kExitDone);
  EXPECT_EQ(TakeManifest(input_), before_);
  EXPECT_EQ(NamesIn(dir_.Path("out")), (std::set<std::string>{"folder00001", "unrelated.txt"}));
}

TEST_F(MoveUndoTest, UndoWithoutTerminalOrYesRefusesAndKeepsTheMove) {
  ASSERT_EQ(Move().status, kExitDone);
  const auto moved = TakeManifest(dir_.path());
  const testing::CliRun undo = RunCliProgram({"undo", journal()}, dir_.path());
  EXPECT_EQ(undo.status, kExitRefused);
  // The question names what would move, and where.
  EXPECT_EQ(undo.ErrLines().at(0),
            "morvick-cli: 6 entries go back from " + dir_.Path("out") + "/ into " + input_ + "/");
  EXPECT_EQ(undo.ErrLines().at(1), "よろしいですか？");
  EXPECT_EQ(TakeManifest(dir_.path()), moved);
}

// An entry refused before its rename stays where it was: that is a failure,
// and the undo takes back the rest.
TEST_F(MoveUndoTest, AFileInAVolumeFoldersPlaceIsAFailure) {
  dir_.WriteFile("out/folder00002", "the user's own file");
  const testing::CliRun move = Move();
  EXPECT_EQ(move.status, kExitSomeFailed) << move.err;
  EXPECT_NE(
      move.err.find("'" + dir_.Path("out/folder00002") + "' はフォルダではない為、使えません。"),
      std::string::npos)
      << move.err;
  EXPECT_EQ(testing::ReadFile(dir_.Path("out/folder00002")), "the user's own file");
  EXPECT_EQ(Undo().status, kExitDone);
  EXPECT_EQ(TakeManifest(input_), before_);
  EXPECT_EQ(NamesIn(dir_.Path("out")), std::set<std::string>{"folder00002"});
}

// Another user's folder in the journal folder's place would see every journal
// and could rewrite them: the move refuses it before anything moves.
TEST_F(MoveUndoTest, AJournalFolderOfAnotherUserIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user";
  const std::string folder = dir_.CreateDir("state/morvick");
  ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
  ASSERT_EQ(::chown(folder.c_str(), testing::kNobodyId, testing::kNobodyId), 0);
  const testing::CliRun move = RunCliProgram(
      {"move", input_, dir_.Path("out"), "--size", "1000", "--unit", "bytes", "--yes", "--quiet"},
      dir_.path());
  EXPECT_EQ(move.status, kExitRefused) << move.err;
  EXPECT_NE(move.err.find("belongs to another user"), std::string::npos) << move.err;
  EXPECT_EQ(TakeManifest(input_), before_);
  EXPECT_TRUE(NamesIn(folder).empty());
  EXPECT_FALSE(PathExists(dir_.Path("out")));
}

// A move of the folder that holds the journal folder would carry the journal
// away with it: refused, naming the journal folder.
TEST_F(MoveUndoTest, AJournalInsideAnEntryThatWouldMoveIsRefused) {
  dir_.CreateDir("state");
  TempDir elsewhere;
  const auto before = TakeManifest(dir_.path());
  const testing::CliRun move = RunCliProgram({"move", dir_.path(), elsewhere.Path("out"), "--size",
                                              "100000", "--unit", "bytes", "--yes", "--quiet"},
                                             dir_.path());
  EXPECT_EQ(move.status, kExitRefused) << move.err;
  EXPECT_NE(move.err.find("移動の記録のフォルダ '" + dir_.Path("state/morvick") +
                          "' が移動する項目 'state' の中にある為、処理できません。"),
            std::string::npos)
      << move.err;
  EXPECT_EQ(TakeManifest(dir_.path()), before);
  EXPECT_FALSE(PathExists(elsewhere.Path("out")));
}

// A journal that others may write could have been rewritten to lead files
// anywhere: it is refused until it is the user's own again.
TEST_F(MoveUndoTest, AJournalOthersMayWriteIsRefused) {
  ASSERT_EQ(Move().status, kExitDone);
  const auto moved = TakeManifest(dir_.Path("out"));
  ASSERT_EQ(::chmod(journal().c_str(), 0666), 0);
  const testing::CliRun refused = Undo();
  EXPECT_EQ(refused.status, kExitRefused);
  EXPECT_NE(refused.err.find("may be written by others"), std::string::npos) << refused.err;
  EXPECT_EQ(TakeManifest(dir_.Path("out")), moved);
  ASSERT_EQ(::chmod(journal().c_str(), 0600), 0);
  EXPECT_EQ(Undo().status, kExitDone);
  EXPECT_EQ(TakeManifest(input_), before_);
}

TEST_F(MoveUndoTest, TheQuestionIsAskedOnTheTerminal) {
  const std::string question = "よろしいですか？ [y/N] ";
  // Ctrl-C at the question: nothing moves and no journal is left behind.
  const testing::CliRun interrupted = testing::RunCliOnTerminal(
      {"move", input_, dir_.Path("out"), "--size", "1000", "--unit", "bytes", "--quiet"},
      dir_.path(), question, "");
  EXPECT_EQ(interrupted.status, kExitInterrupted) << interrupted.err;
  EXPECT_EQ(TakeManifest(input_), before_);
  EXPECT_FALSE(PathExists(dir_.Path("state")));

  const testing::CliRun moved =
      testing::RunCliOnTerminal({"move", input_, dir_.Path("out"), "--size", "1000", "--unit",
                                 "bytes", "--journal", journal()},
                                dir_.path(), question, "y\n");
  EXPECT_EQ(moved.status, kExitDone) << moved.err;
  EXPECT_EQ(NamesIn(input_), std::set<std::string>{"too-big"});

  const auto after_move = TakeManifest(dir_.path());
  const testing::CliRun declined =
      testing::RunCliOnTerminal({"undo", journal()}, dir_.path(), question, "n\n");
  EXPECT_EQ(declined.status, kExitRefused) << declined.err;
  EXPECT_EQ(TakeManifest(dir_.path()), after_move);

  const testing::CliRun undone =
      testing::RunCliOnTerminal({"undo", journal()}, dir_.path(), question, "y\n");
  EXPECT_EQ(undone.status, kExitDone) << undone.err;
  EXPECT_EQ(TakeManifest(input_), before_);
}

// Paths that would lead entries astray: an output inside a link among the
// entries is refused before anything moves; ".." through a missing folder is
// resolved to the folder it names; a journal with one changed byte in its plan
// is no journal, and one in a step is taken back only up to that step.
TEST_F(MoveUndoTest, PathsThatWouldLeadEntriesAstray) {
  dir_.CreateDir("elsewhere");
  dir_.CreateSymlink("in/zlink", "../elsewhere");
  const testing::CliRun into_link =
      RunCliProgram({"move", input_, dir_.Path("in/zlink/out"), "--size", "1000", "--unit", "bytes",
                     "--yes", "--journal", journal()},
                    dir_.path());
  EXPECT_EQ(into_link.status, kExitRefused);
  EXPECT_NE(into_link.err.find("出力フォルダが移動する項目 'zlink' の中にある為"),
            std::string::npos)
      << into_link.err;
  EXPECT_TRUE(NamesIn(dir_.Path("elsewhere")).empty());
  EXPECT_FALSE(PathExists(journal()));
  unlink(dir_.Path("in/zlink").c_str());

  const testing::CliRun dotdot =
      RunCliProgram({"move", input_, dir_.Path("OUT/missing/../out"), "--size", "1000", "--unit",
                     "bytes", "--yes", "--journal", journal()},
                    dir_.path());
  ASSERT_EQ(dotdot.status, kExitDone) << dotdot.err;
  EXPECT_FALSE(PathExists(dir_.Path("OUT/missing")));
  EXPECT_TRUE(PathExists(dir_.Path("OUT/out/folder00001")));
  const std::string journal_text = testing::ReadFile(journal());

  // One byte of the plan changed: refused, nothing moves, the journal stays.
  std::string changed = journal_text;
  changed[changed.find("/OUT/out/") + 1] = 'X';
  WriteJournal(changed);
  EXPECT_EQ(Undo().status, kExitRefused);
  EXPECT_EQ(testing::ReadFile(journal()), changed);
  EXPECT_TRUE(NamesIn(input_) == std::set<std::string>{"too-big"});

  // One byte of the third step changed: the steps before it come back, the
  // journal is not marked undone, and the rest is left where it is.
  changed = journal_text;
  const std::size_t third = changed.find("\"seq\":3");
  changed[changed.find("\"destination\"", third) + 20] ^= 1;
  WriteJournal(changed);
  const testing::CliRun partial = Undo();
  EXPECT_EQ(partial.status, kExitSomeFailed) << partial.err;
  EXPECT_NE(partial.err.find("damaged at line"), std::string::npos) << partial.err;
  EXPECT_EQ(NamesIn(input_).size(), 3u);  // too-big and the first two entries
  // Mended, the journal tells of that undo too: the rest comes back.
  std::string mended = testing::ReadFile(journal());
  mended[changed.find("\"destination\"", third) + 20] ^= 1;
  WriteJournal(mended);
  const testing::CliRun rest = Undo();
  EXPECT_EQ(rest.status, kExitDone) << rest.err;
  EXPECT_EQ(TakeManifest(input_), before_);
}

// A folder replaced by a link to another user's folder while the program
// waits at its question: the move puts nothing there and moves nothing, the
// undo is refused whole and takes none of their files; once the folder is
// back, the undo brings everything back.
TEST_F(MoveUndoTest, AFolderReplacedByALinkAtTheQuestionLeadsNothingAstray) {
  dir_.WriteFile("theirs/folder00001/a.txt", "their a");
  dir_.WriteFile("theirs/b.txt", "their b");
  const auto theirs = TakeManifest(dir_.Path("theirs"));
  const std::string question = "よろしいですか？ [y/N] ";
  const auto replace = [this](const std::string& folder) {
    ASSERT_EQ(::rename(dir_.Path(folder).c_str(), dir_.Path(folder + ".real").c_str()), 0);
    dir_.CreateSymlink(folder, dir_.Path("theirs"));
  };
  const auto put_back = [this](const std::string& folder) {
    ASSERT_EQ(::unlink(dir_.Path(folder).c_str()), 0);
    ASSERT_EQ(::rename(dir_.Path(folder + ".real").c_str(), dir_.Path(folder).c_str()), 0);
  };
  const std::vector<std::string> move = {"move",   input_,  dir_.Path("out"), "--size", "1000",
                                         "--unit", "bytes", "--journal",      journal()};

  // The move: an output folder that exists, then one the move would make.
  dir_.CreateDir("out");
  testing::CliRun run =
      testing::RunCliOnTerminal(move, dir_.path(), question, "y\n", [&] { replace("out"); });
  EXPECT_EQ(run.status, kExitSomeFailed) << run.err;
  EXPECT_NE(run.err.find("'" + dir_.Path("out") + "' は確認した後で移動されたか置き換えられた"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(NamesIn(dir_.Path("out.real")).empty());
  put_back("out");
  ASSERT_EQ(::rmdir(dir_.Path("out").c_str()), 0);
  ASSERT_EQ(::unlink(journal().c_str()), 0);
  run = testing::RunCliOnTerminal(move, dir_.path(), question, "y\n",
                                  [&] { dir_.CreateSymlink("out", dir_.Path("theirs")); });
  EXPECT_EQ(run.status, kExitSomeFailed) << run.err;
  EXPECT_NE(run.err.find("'" + dir_.Path("out") + "' はフォルダではない為"), std::string::npos)
      << run.err;
  EXPECT_EQ(TakeManifest(input_), before_);
  EXPECT_EQ(TakeManifest(dir_.Path("theirs")), theirs);
  ASSERT_EQ(::unlink(dir_.Path("out").c_str()), 0);
  ASSERT_EQ(::unlink(journal().c_str()), 0);

  // The undo: the input folder, then the output folder, replaced at its question.
  ASSERT_EQ(Move().status, kExitDone);
  const auto moved = TakeManifest(dir_.Path("out"));
  const std::string text = testing::ReadFile(journal());
  for (const std::string folder : {"in", "out"}) {
    SCOPED_TRACE(folder);
    run = testing::RunCliOnTerminal({"undo", journal()}, dir_.path(), question, "y\n",
                                    [&] { replace(folder); });
    EXPECT_EQ(run.status, kExitRefused) << run.err;
    EXPECT_NE(run.err.find("no longer leads where the journal says: " + dir_.Path(folder)),
              std::string::npos)
        << run.err;
    put_back(folder);
    EXPECT_EQ(TakeManifest(dir_.Path("theirs")), theirs);
    EXPECT_EQ(TakeManifest(dir_.Path("out")), moved);
    EXPECT_EQ(testing::ReadFile(journal()), text);
  }
  const testing::CliRun undo = Undo();
  EXPECT_EQ(undo.status, kExitDone) << undo.err;
  EXPECT_EQ(TakeManifest(input_), before_);
}

TEST_F(MoveUndoTest, UndoAfterAMoveKilledAtAnyStep) {
  struct Kill {
    const char* what;
    std::size_t whole_lines;  // records that reached the disk
    std::size_t partial;      // bytes of the next record that did
    bool renamed;             // whether the rename of the last whole intent happened
  };
  // The records: the plan, then an intent and an outcome per entry, then the end.
  const Kill kills[] = {
      {"after the plan", 1, 0, false},
      {"in the middle of the first intent", 1, 20, false},
      {"after the second intent, before its rename", 4, 0, false},
      {"after the second rename, before its outcome", 4, 0, true},
      {"in the middle of the second outcome", 4, 9, true},
      {"after the last outcome, before the end", 13, 0, true},
  };
  for (const Kill& kill : kills) {
    SCOPED_TRACE(kill.what);
    unlink(journal().c_str());
    ASSERT_EQ(Move().status, kExitDone);
    const std::vector<std::string> full = JournalLines();
    ASSERT_EQ(full.size(), 14u);  // six entries move, too-big stays

    // Put the disk in the state the kill left it in: what was not renamed
    // yet is back in the input folder, and no empty volume folder is left.
    std::string cut;
    std::size_t last_intent = 0;
    for (std::size_t i = 0; i < kill.whole_lines; ++i) {
      cut += full[i] + "\n";
      if (ParseJson(full[i]).at("record") == "intent") last_intent = i;
    }
    cut += full[kill.whole_lines].substr(0, kill.partial);
    for (std::size_t i = 1; i < full.size(); ++i) {
      const Json record = ParseJson(full[i]);
      if (record.at("record") != "intent") continue;
      if (i < kill.whole_lines && (i != last_intent || kill.renamed)) continue;
      const std::string source = record.at("source");
      const std::string destination = record.at("destination");
      ASSERT_EQ(rename(destination.c_str(), source.c_str()), 0) << destination;
    }
    for (const std::string& folder : NamesIn(dir_.Path("out"))) {
      rmdir(dir_.Path("out/" + folder).c_str());  // only the empty ones go
    }
    rmdir(dir_.Path("out").c_str());
    WriteJournal(cut);

    const testing::CliRun undo = Undo();
    EXPECT_EQ(undo.status, kExitDone) << undo.err;
    EXPECT_EQ(TakeManifest(input_), before_);
    EXPECT_FALSE(PathExists(dir_.Path("out")));
    EXPECT_EQ(Undo().status, kExitRefused);
  }
}

}  // namespace
}  // namespace morvick::cli
