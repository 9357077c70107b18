#include "commands/journal_commands.h"
#include "commands/plan_commands.h"
#include "common/error.h"
#include "moving/journal_check.h"
#include "moving/journal_reader.h"
#include "support/fake_plan_view.h"
#include "support/fault_mover.h"
#include "support/manifest.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace morvick {
namespace {

using testing::EveryEntryInOnePlace;
using testing::FakePlanView;
using testing::FaultMover;
using testing::PathExists;
using testing::ReadFile;
using testing::ScriptedPrompter;
using testing::TakeManifest;
using testing::TempDir;

const std::string kMoved = "フォルダを移動しました。";
const std::string kMoveFailed = "フォルダの移動に失敗しました。";

class MoveUndoTest : public ::testing::Test {
 protected:
  // Three volumes of capacity 100 by name: a+b | c+dir | e, and "huge" without one.
  void SetUp() override {
    dir_.WriteFile("in/a", std::string(40, 'a'));
    dir_.CreateFile("in/b", 50, 1600000000);
    dir_.CreateFile("in/c", 50);
    dir_.WriteFile("in/dir/inner/deep.txt", "deep content");
    dir_.CreateFile("in/dir/f", 10);
    dir_.CreateSymlink("in/dir/link", "inner/deep.txt");
    dir_.CreateFile("in/e", 90);
    dir_.CreateFile("in/huge", 500);
    form_.edits = {"100", dir_.Path("in"), dir_.Path("out"), "CD"};
    form_.unit_index = 1;
    RunInvestigate(state_, form_, prompter_, PlatformPathRules());
    ASSERT_EQ(state_.VolumeCount, 3);
    ASSERT_TRUE(prompter_.boxes().empty());
  }

  // Moves with a journal, as the window does; the journal is read back.
  // `meanwhile` runs while the question is up.
  void Move(platform::FileMover& mover = platform::RealFileMover(),
            std::function<void()> meanwhile = {}) {
    prompter_.Answer(Answer::Yes, std::move(meanwhile));
    MoveOptions options;
    options.journal_path = journals_.Path("move" + std::to_string(++moves_) + ".jsonl");
    options.mover = &mover;
    const MoveReport report = RunMove(state_, form_, prompter_, PlatformPathRules(), options);
    journal_ = report.journal_path.empty()
                   ? std::nullopt
                   : std::optional<Journal>(ParseJournal(ReadFile(report.journal_path)));
  }
  void Undo(platform::FileMover& mover = platform::RealFileMover(),
            std::function<void()> meanwhile = {}) {
    prompter_.Answer(Answer::Yes, std::move(meanwhile));
    MoveOptions options;
    options.mover = &mover;
    RunUndo(state_, form_, prompter_, PlatformPathRules(), options);
  }
  // The journal of the last move as it is now.
  Journal MoveJournal() const { return ParseJournal(ReadFile(state_.MoveJournal)); }
  // "name moved", "name failed" for every step of the last move's journal.
  std::vector<std::string> Steps() const {
    std::vector<std::string> lines;
    if (!journal_) return lines;
    for (const JournalStep& step : journal_->steps) {
      lines.push_back(step.name + " " + std::to_string(step.volume) +
                      (step.outcome == JournalStep::Outcome::Moved ? " moved" : " failed"));
    }
    return lines;
  }
  std::string Out(const std::string& relative) { return dir_.Path("out/" + relative); }

  TempDir dir_;
  CommandState state_;
  FakePlanView form_;
  ScriptedPrompter prompter_;
  TempDir journals_;
  std::optional<Journal> journal_;
  int moves_ = 0;
};

TEST_F(MoveUndoTest, MoveThenUndoRestoresTheInputFolderExactly) {
  const auto before = TakeManifest(dir_.Path("in"));
  Move();
  EXPECT_EQ(prompter_.texts(), (std::vector<std::string>{"よろしいですか？", kMoved}));
  // The output folder did not exist: the first move made it.
  EXPECT_EQ(ReadFile(Out("CD001/a")), std::string(40, 'a'));
  EXPECT_TRUE(PathExists(Out("CD001/b")));
  EXPECT_TRUE(PathExists(Out("CD002/c")));
  EXPECT_EQ(ReadFile(Out("CD002/dir/link")), "deep content");
  EXPECT_TRUE(PathExists(Out("CD003/e")));
  EXPECT_TRUE(PathExists(dir_.Path("in/huge")));  // no volume: never moved
  EXPECT_EQ(TakeManifest(dir_.Path("in")).size(), 1u);
  EXPECT_TRUE(state_.UpdateDone && state_.SearchDone);
  EXPECT_FALSE(state_.Updating);
  EXPECT_EQ(form_.status_history.back(),
            "[更新終了] 分割数 (3)個  総容量 (266)bytes/ クラスタSize (0)bytes");
  EXPECT_EQ(form_.status_history.at(form_.status_history.size() - 2),
            "[更新中] 分割数 (3)個  総容量 (266)bytes/ クラスタSize (0)bytes");

  prompter_.Clear();
  Undo();
  EXPECT_EQ(prompter_.texts(), (std::vector<std::string>{"よろしいですか？", kMoved}));
  EXPECT_EQ(TakeManifest(dir_.Path("in")), before);
  EXPECT_TRUE(TakeManifest(dir_.Path("out")).empty());  // the output folder itself stays
  EXPECT_TRUE(state_.UndoDone && state_.UpdateDone && state_.SearchDone);
  EXPECT_FALSE(state_.Undoing);
  EXPECT_EQ(form_.status, "[Undo終了] 分割数 (3)個  総容量 (266)bytes/ クラスタSize (0)bytes");

  ASSERT_TRUE(journal_);
  EXPECT_EQ(Steps(), (std::vector<std::string>{"a 1 moved", "b 1 moved", "c 2 moved", "dir 2 moved",
                                               "e 3 moved"}));
  EXPECT_TRUE(journal_->move_ended);
  EXPECT_EQ(journal_->steps[0].created_folders,
            (std::vector<std::string>{dir_.Path("out"), Out("CD001")}));
  EXPECT_EQ(CheckJournalAgainstPlan(*journal_), std::nullopt);
}

TEST_F(MoveUndoTest, AnsweringNoChangesNothing) {
  const auto before = TakeManifest(dir_.path());
  const std::string status = form_.status;
  prompter_.Answer(Answer::No);
  RunMove(state_, form_, prompter_, PlatformPathRules());
  EXPECT_EQ(TakeManifest(dir_.path()), before);
  EXPECT_EQ(form_.status, status);
  EXPECT_FALSE(state_.Updating || state_.UpdateDone);

  Move();
  const auto moved = TakeManifest(dir_.path());
  prompter_.Answer(Answer::No);
  RunUndo(state_, form_, prompter_, PlatformPathRules());
  EXPECT_EQ(TakeManifest(dir_.path()), moved);
  EXPECT_FALSE(state_.Undoing || state_.UndoDone);
}

TEST_F(MoveUndoTest, PathRefusalsOfMoveAndUndo) {
  struct Case {
    std::string output;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"out", "[出力フォルダ]:絶対パス(「/」で始まるパス)を指定してください。"},
      {dir_.Path("in") + "/", "入力フォルダと出力フォルダが同じの為、処理できません。"},
      {"/proc/out", "入力ドライブと出力ドライブは同じにしてください。"},
  };
  for (const Case& c : cases) {
    form_.edits[2] = c.output;
    prompter_.Clear();
    RunMove(state_, form_, prompter_, PlatformPathRules());
    EXPECT_EQ(prompter_.texts(), std::vector<std::string>{c.message});
    state_.UpdateDone = true;
    prompter_.Clear();
    RunUndo(state_, form_, prompter_, PlatformPathRules());
    EXPECT_EQ(prompter_.texts(), std::vector<std::string>{c.message});
    state_.UpdateDone = false;
    EXPECT_FALSE(state_.Updating || state_.Undoing);
  }
  EXPECT_TRUE(PathExists(dir_.Path("in/a")));
}

TEST_F(MoveUndoTest, LastVolumeKeptForMoveButNotForUndo) {
  form_.skip_last = true;
  Move();
  EXPECT_TRUE(PathExists(dir_.Path("in/e")));
  EXPECT_FALSE(PathExists(Out("CD003")));
  EXPECT_TRUE(PathExists(Out("CD002/c")));

  // The box cleared before Undo: e is not in CD003 (one failure), and that
  // folder, never made, cannot be removed after the others were.
  form_.skip_last = false;
  prompter_.Clear();
  try {
    Undo();
    ADD_FAILURE() << "Undo completed";
  } catch (const InOutError& error) {
    EXPECT_EQ(error.error_number(), 2);
    EXPECT_STREQ(error.what(), "ファイルが見つかりません");
  }
  const std::vector<std::string> texts = prompter_.texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[1].find("'" + Out("CD003/e") + "'"), 0u) << texts[1];
  EXPECT_EQ(texts[2], kMoveFailed);
  EXPECT_FALSE(PathExists(Out("CD001")));
  EXPECT_FALSE(PathExists(Out("CD002")));
  EXPECT_TRUE(PathExists(dir_.Path("in/a")) && PathExists(dir_.Path("in/e")));
  EXPECT_TRUE(state_.Undoing);
  EXPECT_FALSE(state_.UndoDone);
  EXPECT_EQ(form_.status.rfind("[Undo中] 分割数 (", 0), 0u);

  // Repeated as it is, the Undo stops at the same folder: only the folders an
  // earlier run removed count as removed, so it never reports a false success.
  prompter_.Clear();
  EXPECT_THROW(Undo(), InOutError);
  EXPECT_TRUE(state_.Undoing);
  EXPECT_FALSE(state_.UndoDone);

  // With the box ticked again, CD003 is not asked for and the Undo completes.
  form_.skip_last = true;
  prompter_.Clear();
  Undo();
  EXPECT_EQ(prompter_.texts().back(), kMoved);
  EXPECT_FALSE(state_.Undoing);
  EXPECT_TRUE(state_.UndoDone);
  EXPECT_EQ(form_.status.rfind("[Undo終了] 分割数 (", 0), 0u);
}

TEST_F(MoveUndoTest, AVolumeWhoseEveryMoveFailedIsStillUndoneInOneGo) {
  FaultMover mover;
  mover.Fail(FaultMover::Op::Rename, 5, EACCES);  // e, the only entry of volume 3
  Move(mover);
  EXPECT_TRUE(PathExists(dir_.Path("in/e")));
  EXPECT_TRUE(PathExists(Out("CD003")));  // left empty, as the shell leaves it
  prompter_.Clear();
  Undo();
  EXPECT_EQ(prompter_.texts().back(), kMoved);
  EXPECT_TRUE(state_.UndoDone);
  EXPECT_FALSE(PathExists(Out("CD003")));
  EXPECT_TRUE(PathExists(dir_.Path("in/a")) && PathExists(dir_.Path("in/dir/f")));
}

TEST_F(MoveUndoTest, LastVolumeKeptForMoveAndUndo) {
  const auto before = TakeManifest(dir_.Path("in"));
  form_.skip_last = true;
  Move();
  prompter_.Clear();
  Undo();
  EXPECT_EQ(prompter_.texts(), (std::vector<std::string>{"よろしいですか？", kMoved}));
  EXPECT_TRUE(TakeManifest(dir_.Path("out")).empty());
  EXPECT_EQ(TakeManifest(dir_.Path("in")), before);
  EXPECT_TRUE(state_.UndoDone);
}

TEST_F(MoveUndoTest, FileAddedToAVolumeStopsUndoUntilRemoved) {
  Move();
  const std::string intruder = dir_.WriteFile("out/CD002/added", "x");
  try {
    Undo();
    ADD_FAILURE() << "Undo completed";
  } catch (const InOutError& error) {
    EXPECT_EQ(error.error_number(), 145);
    EXPECT_STREQ(error.what(), "I/O エラー (145)");
  }
  EXPECT_FALSE(PathExists(Out("CD001")));  // removed before the failure
  EXPECT_TRUE(PathExists(Out("CD003")));   // not reached
  EXPECT_TRUE(state_.Undoing);
  EXPECT_FALSE(state_.UndoDone);

  // Investigate and Move are refused until an Undo completes.
  prompter_.Clear();
  RunInvestigate(state_, form_, prompter_, PlatformPathRules());
  RunMove(state_, form_, prompter_, PlatformPathRules());
  EXPECT_EQ(prompter_.texts(), (std::vector<std::string>{"Undo中の為、処理できません。",
                                                         "Undo中の為、処理できません。"}));

  // Repeated, the entries already back fail one by one; the folders the first
  // run removed are not tried again, the rest are removed.
  ASSERT_EQ(::unlink(intruder.c_str()), 0);
  prompter_.Clear();
  Undo();
  const std::vector<std::string> texts = prompter_.texts();
  EXPECT_EQ(texts.front(), "よろしいですか？");
  EXPECT_EQ(texts.back(), kMoved);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), kMoveFailed), 5);
  EXPECT_FALSE(PathExists(Out("CD002")) || PathExists(Out("CD003")));
  EXPECT_TRUE(state_.UndoDone);
  EXPECT_FALSE(state_.Undoing);
}

TEST_F(MoveUndoTest, ExistingDestinationIsNeverReplaced) {
  dir_.WriteFile("out/CD001/b", "keep me");
  Move();
  EXPECT_EQ(ReadFile(Out("CD001/b")), "keep me");
  EXPECT_TRUE(PathExists(dir_.Path("in/b")));
  EXPECT_TRUE(PathExists(Out("CD001/a")) && PathExists(Out("CD003/e")));
  const std::vector<std::string> texts = prompter_.texts();
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_NE(texts[1].find(Out("CD001/b")), std::string::npos) << texts[1];
  EXPECT_EQ(texts[2], kMoveFailed);
  EXPECT_EQ(texts[3], kMoved);
  EXPECT_TRUE(state_.UpdateDone);

  // Undo puts nothing over an item that is back in the input folder either.
  dir_.WriteFile("in/c", "new c");
  prompter_.Clear();
  try {
    Undo();
  } catch (const InOutError& error) {
    EXPECT_EQ(error.error_number(), 145);  // CD001 still holds the old b, CD002 the moved c
  }
  EXPECT_EQ(ReadFile(dir_.Path("in/c")), "new c");
  EXPECT_TRUE(PathExists(Out("CD002/c")));
  EXPECT_EQ(ReadFile(Out("CD001/b")), "keep me");
}

// Every entry is measured again before the first step: one that grew past
// its volume's size refuses the whole move, naming it; growth that still fits
// does not.
TEST_F(MoveUndoTest, AnEntryThatGrewPastItsVolumeRefusesTheMove) {
  dir_.CreateFile("in/c", 55);  // c + dir: 65 of 100
  dir_.WriteFile("in/a", std::string(100000, 'a'));
  const auto before = TakeManifest(dir_.path());
  Move();
  EXPECT_EQ(prompter_.texts(),
            (std::vector<std::string>{"よろしいですか？",
                                      "'a' が分割調査の後に大きくなった為、CD001 "
                                      "が分割サイズを超えます。もう一度分割調査してください。"}));
  EXPECT_EQ(TakeManifest(dir_.path()), before);
  EXPECT_FALSE(journal_);
  EXPECT_TRUE(testing::NamesIn(journals_.path()).empty());
  EXPECT_FALSE(state_.Updating || state_.UpdateDone);

  dir_.WriteFile("in/a", std::string(40, 'a'));
  prompter_.Clear();
  Move();
  EXPECT_EQ(prompter_.texts(), (std::vector<std::string>{"よろしいですか？", kMoved}));
  EXPECT_TRUE(PathExists(Out("CD002/c")));
}

// An entry the user took out of its volume folder, with another file put under
// its name in the input folder, is not "already back": no undo ever began on
// it. The undo of the journal fails it, leaves the user's file alone and keeps
// the journal open.
TEST_F(MoveUndoTest, AnEntryBackWithoutAnUndoOfItIsAFailure) {
  Move();
  ASSERT_EQ(::rename(Out("CD001/a").c_str(), dir_.Path("taken-a").c_str()), 0);
  dir_.WriteFile("in/a", "the user's new a");
  prompter_.Clear();
  const JournalUndoReport report = UndoJournal(state_.MoveJournal, prompter_, {});
  EXPECT_EQ(report.status, JournalUndoReport::Status::SomeFailed);
  EXPECT_EQ(report.counts.failed, 1);
  EXPECT_EQ(ReadFile(dir_.Path("in/a")), "the user's new a");
  EXPECT_TRUE(PathExists(dir_.Path("in/dir/f")));
  EXPECT_FALSE(MoveJournal().undone);
}

TEST_F(MoveUndoTest, EntryRenamedAfterInvestigateIsReportedAndTheRestMoved) {
  ASSERT_EQ(::rename(dir_.Path("in/c").c_str(), dir_.Path("in/c2").c_str()), 0);
  Move();
  const std::vector<std::string> texts = prompter_.texts();
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[1].find("'" + dir_.Path("in/c") + "'"), 0u) << texts[1];
  EXPECT_EQ(texts[2], kMoveFailed);
  EXPECT_TRUE(PathExists(dir_.Path("in/c2")));
  EXPECT_TRUE(PathExists(Out("CD002/dir/f")));
  EXPECT_EQ(Steps().at(2), "c 2 failed");
}

TEST_F(MoveUndoTest, InjectedFailureOfTheThirdMove) {
  FaultMover mover;
  mover.Fail(FaultMover::Op::Rename, 3, ENOSPC);
  Move(mover);
  EXPECT_TRUE(PathExists(dir_.Path("in/c")));
  EXPECT_TRUE(PathExists(Out("CD002/dir")));
  // The volume folder made for the failed move stays and takes the next entry.
  const std::vector<std::string> texts = prompter_.texts();
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_NE(texts[1].find(std::strerror(ENOSPC)), std::string::npos);
  EXPECT_EQ(texts[2], kMoveFailed);
  EXPECT_EQ(Steps(), (std::vector<std::string>{"a 1 moved", "b 1 moved", "c 2 failed",
                                               "dir 2 moved", "e 3 moved"}));
  EXPECT_TRUE(state_.UpdateDone);
}

TEST_F(MoveUndoTest, AFolderRemovalFailingWithEioNamesTheErrnoNotAccessDenied) {
  Move();
  FaultMover mover;
  mover.Fail(FaultMover::Op::RemoveFolder, 2, EIO);
  MoveOptions options;
  options.mover = &mover;
  prompter_.Answer(Answer::Yes);
  try {
    RunUndo(state_, form_, prompter_, PlatformPathRules(), options);
    ADD_FAILURE() << "Undo completed";
  } catch (const InOutError& error) {
    EXPECT_STREQ(error.what(), "I/O エラー (5)");
  }
  EXPECT_FALSE(PathExists(Out("CD001")));
  EXPECT_TRUE(PathExists(Out("CD002")));
  EXPECT_TRUE(state_.Undoing);
}

// Undo takes back the move's own steps between the folders it used: boxes that
// now name other folders or another naming refuse it, naming the move's.
TEST_F(MoveUndoTest, FoldersOrNamingChangedSinceTheMoveRefuseTheUndo) {
  Move();
  dir_.WriteFile("mine/keep", "the user's own");
  struct Change {
    const char* what;
    std::function<void(FakePlanView&)> apply;
  };
  const std::vector<Change> changes = {
      {"base name", [](FakePlanView& f) { f.edits[3] = "DVD"; }},
      {"digit count", [](FakePlanView& f) { f.digits = 2; }},
      {"start number", [](FakePlanView& f) { f.start_number = 7; }},
      {"input folder", [this](FakePlanView& f) { f.edits[1] = dir_.Path("mine"); }},
      {"output folder", [this](FakePlanView& f) { f.edits[2] = dir_.Path("mine"); }},
  };
  const auto moved = TakeManifest(dir_.path());
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    FakePlanView original = form_;
    change.apply(form_);
    prompter_.Clear();
    Undo();
    ASSERT_EQ(prompter_.texts().size(), 1u);
    const std::string text = prompter_.texts()[0];
    EXPECT_EQ(text.rfind("入力フォルダ、出力フォルダまたはフォルダ名が分割開始の時と違う", 0), 0u)
        << text;
    EXPECT_NE(text.find(dir_.Path("in") + "/\n出力フォルダ: " + dir_.Path("out") + "/"),
              std::string::npos)
        << text;
    EXPECT_EQ(TakeManifest(dir_.path()), moved);
    EXPECT_FALSE(state_.Undoing || state_.UndoDone);
    form_.edits = original.edits;
    form_.digits = original.digits;
    form_.start_number = original.start_number;
  }
  prompter_.Clear();
  Undo();
  EXPECT_TRUE(state_.UndoDone);
  EXPECT_TRUE(MoveJournal().undone);
}

// The window's Undo is recorded in the move's journal: one that keeps the last
// volume back leaves the journal open, and the undo of the journal brings the
// rest; one stopped half-way is finished from the journal too.
TEST_F(MoveUndoTest, EveryUndoIsRecordedAndWhatItLeftIsTakenBackFromTheJournal) {
  const auto before = TakeManifest(dir_.Path("in"));
  Move();
  form_.skip_last = true;
  Undo();
  EXPECT_TRUE(state_.UndoDone);
  EXPECT_TRUE(PathExists(Out("CD003/e")));
  EXPECT_FALSE(MoveJournal().undone);
  EXPECT_FALSE(MoveJournal().UndoCutShort());

  prompter_.Clear();
  JournalUndoReport report = UndoJournal(state_.MoveJournal, prompter_, {});
  EXPECT_EQ(report.status, JournalUndoReport::Status::Done);
  EXPECT_EQ(report.counts.moved, 1);
  EXPECT_TRUE(TakeManifest(dir_.Path("out")).empty());
  EXPECT_EQ(TakeManifest(dir_.Path("in")), before);
  EXPECT_TRUE(MoveJournal().undone);

  // Stopped after its second step: the journal says which came back.
  RunInvestigate(state_, form_, prompter_, PlatformPathRules());
  form_.skip_last = false;
  Move();
  int checks = 0;
  MoveOptions stop;
  stop.stop_requested = [&checks] { return ++checks > 2; };
  prompter_.Answer(Answer::Yes);
  EXPECT_EQ(RunUndo(state_, form_, prompter_, PlatformPathRules(), stop).status,
            MoveReport::Status::Interrupted);
  const Journal cut = MoveJournal();
  EXPECT_TRUE(cut.UndoCutShort());
  EXPECT_EQ(std::count_if(cut.steps.begin(), cut.steps.end(),
                          [](const JournalStep& step) { return step.restored; }),
            2);
  report = UndoJournal(state_.MoveJournal, prompter_, {});
  EXPECT_EQ(report.status, JournalUndoReport::Status::Done);
  EXPECT_EQ(report.counts.moved, 3);
  EXPECT_EQ(TakeManifest(dir_.Path("in")), before);
  EXPECT_FALSE(PathExists(dir_.Path("out")));
}

TEST_F(MoveUndoTest, MovedFolderNamesFollowTheNamingInputs) {
  form_.edits[3] = "Vol";
  form_.digits = 2;
  form_.start_number = 5;
  form_.edits[2] = dir_.Path("deep/out");
  Move();
  EXPECT_TRUE(PathExists(dir_.Path("deep/out/Vol05/a")));
  EXPECT_TRUE(PathExists(dir_.Path("deep/out/Vol06/c")));
  EXPECT_TRUE(PathExists(dir_.Path("deep/out/Vol07/e")));
  prompter_.Clear();
  Undo();
  EXPECT_EQ(prompter_.texts().back(), kMoved);
  EXPECT_TRUE(TakeManifest(dir_.Path("deep/out")).empty());
}

TEST_F(MoveUndoTest, OnePlanOneVolumeWithTheLastKept) {
  form_.edits[0] = "1000";
  RunInvestigate(state_, form_, prompter_, PlatformPathRules());
  ASSERT_EQ(state_.VolumeCount, 1);
  form_.skip_last = true;
  const auto before = TakeManifest(dir_.path());
  Move();
  EXPECT_EQ(prompter_.texts().back(), kMoved);
  EXPECT_EQ(TakeManifest(dir_.path()), before);
  prompter_.Clear();
  Undo();
  EXPECT_EQ(prompter_.texts(), (std::vector<std::string>{"よろしいですか？", kMoved}));
  EXPECT_EQ(TakeManifest(dir_.path()), before);
}

// Another user who may write to the output folder (or the input folder's
// parent) replaces a folder with a link to a folder of theirs, or moves it away,
// at one moment of a move or an undo. Whatever the moment, no entry lands in
// their folder or in the folder moved away, none of their files is taken, and
// the step that met the change refuses, naming the folder.
struct Race {
  using Change = std::function<void(TempDir&, FaultMover&)>;
  const char* name;
  enum class Command { Move, WindowUndo, JournalUndo } command;
  Change at_question;  // made while the command's question is up
  Change during;       // sets the mover's hooks, to act while the steps run
  const char* named;   // the folder the refusal names, below the test's folder
  const char* why;     // the refusal's words
  // Where, besides the input and the real volume folders, an entry may be
  // found afterwards: a folder the other user moved away with it.
  const char* taken_to = nullptr;
};

void PrintTo(const Race& race, std::ostream* out) { *out << race.name; }

constexpr const char* kNotAFolder = "' はフォルダではない為、使えません。";
constexpr const char* kChanged = "' は確認した後で移動されたか置き換えられた為、使えません。";

// Moves the folder `relative` into "elsewhere" and puts a link to "theirs" in
// its place; a link there already stays as it is.
void ReplaceWithLink(TempDir& dir, const std::string& relative) {
  struct stat info {};
  if (::lstat(dir.Path(relative).c_str(), &info) == 0) {
    if (S_ISLNK(info.st_mode)) return;
    const std::string away = dir.Path("elsewhere/" + relative.substr(relative.rfind('/') + 1));
    ASSERT_EQ(::rename(dir.Path(relative).c_str(), away.c_str()), 0) << relative;
  }
  dir.CreateSymlink(relative, dir.Path("theirs"));
}

// Replaces `relative` at the question.
Race::Change Replacing(std::string relative) {
  return [relative](TempDir& dir, FaultMover&) { ReplaceWithLink(dir, relative); };
}

// Replaces the volume folder of each path below the output folder that `op`
// acts on, right before the call or right after it.
Race::Change ReplacingVolumeFolders(FaultMover::Op op, bool after) {
  return [op, after](TempDir& dir, FaultMover& mover) {
    const auto replace = [&dir](const std::string& path) {
      const std::string out = dir.Path("out/");
      if (path.rfind(out, 0) != 0 || path.size() == out.size()) return;
      ReplaceWithLink(dir,
                      "out/" + path.substr(out.size(), path.find('/', out.size()) - out.size()));
    };
    after ? mover.After(op, replace) : mover.Before(op, replace);
  };
}

// Replaces `relative` right before the rename to `destination` (any rename
// when it is empty).
Race::Change ReplacingBeforeRename(std::string relative, std::string destination = {}) {
  return [relative, destination](TempDir& dir, FaultMover& mover) {
    mover.Before(FaultMover::Op::Rename, [&dir, relative, destination](const std::string& path) {
      if (destination.empty() || path == dir.Path(destination)) ReplaceWithLink(dir, relative);
    });
  };
}

class MoveUndoRaceTest : public MoveUndoTest, public ::testing::WithParamInterface<Race> {};

TEST_P(MoveUndoRaceTest, NothingLandsOutsideTheFoldersAndNothingOfTheirsMoves) {
  const Race& race = GetParam();
  dir_.WriteFile("theirs/a", "their a");
  dir_.WriteFile("theirs/c", "their c");
  dir_.WriteFile("theirs/dir/f", "their f");
  dir_.CreateDir("elsewhere");
  const auto before = TakeManifest(dir_.Path("in"));
  const auto theirs = TakeManifest(dir_.Path("theirs"));
  FaultMover mover;
  if (race.during) race.during(dir_, mover);
  const auto meanwhile = [&] {
    if (race.at_question) race.at_question(dir_, mover);
  };

  if (race.command == Race::Command::Move) {
    Move(mover, meanwhile);
    EXPECT_EQ(EveryEntryInOnePlace(before, {dir_.Path("in")}), "");
  } else {
    Move();
    prompter_.Clear();
    if (race.command == Race::Command::WindowUndo) {
      EXPECT_THROW(Undo(mover, meanwhile), InOutError);  // a volume folder stays behind
    } else {
      JournalUndoOptions options;
      options.mover = &mover;
      EXPECT_EQ(UndoJournal(state_.MoveJournal, prompter_, options).status,
                JournalUndoReport::Status::SomeFailed);
    }
  }
  EXPECT_EQ(TakeManifest(dir_.Path("theirs")), theirs);
  std::vector<std::string> places;
  for (const char* folder : {"in", "out/CD001", "out/CD002", "out/CD003"}) {
    struct stat info {};
    if (::lstat(dir_.Path(folder).c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      places.push_back(dir_.Path(folder));
    }
  }
  if (race.taken_to) places.push_back(dir_.Path(race.taken_to));
  EXPECT_EQ(EveryEntryInOnePlace(before, places), "");
  const std::vector<std::string> texts = prompter_.texts();
  const std::string refusal = "'" + dir_.Path(race.named) + race.why;
  EXPECT_NE(std::find(texts.begin(), texts.end(), refusal), texts.end())
      << refusal << "\nshown:\n"
      << ::testing::PrintToString(texts);
}

using Op = FaultMover::Op;
const Race kRaces[] = {
    {"LinkWhereEachVolumeFolderIsAboutToBeMade",
     Race::Command::Move,
     {},
     ReplacingVolumeFolders(Op::MakeFolder, false),
     "out/CD001",
     kNotAFolder},
    {"EachVolumeFolderMovedAwayForALinkAsSoonAsItIsMade",
     Race::Command::Move,
     {},
     ReplacingVolumeFolders(Op::MakeFolder, true),
     "out/CD002",
     kNotAFolder},
    // Past every check: the rename goes into the folder held, now moved away,
    // and its entry comes back at once.
    {"EachVolumeFolderMovedAwayForALinkRightBeforeTheRename",
     Race::Command::Move,
     {},
     ReplacingVolumeFolders(Op::Rename, false),
     "out/CD003",
     kChanged},
    {"OutputFolderMovedAwayForALinkRightBeforeTheFirstRename",
     Race::Command::Move,
     {},
     ReplacingBeforeRename("out"),
     "out",
     kChanged},
    {"OutputFolderMadeALinkAtTheQuestion",
     Race::Command::Move,
     [](TempDir& dir, FaultMover&) { dir.CreateSymlink("out", dir.Path("theirs")); },
     {},
     "out",
     kNotAFolder},
    {"VolumeFolderReplacedByALinkAtTheQuestion",
     Race::Command::WindowUndo,
     Replacing("out/CD002"),
     {},
     "out/CD002",
     kNotAFolder,
     "elsewhere/CD002"},
    {"VolumeFolderReplacedByALinkRightBeforeTheRenameBack",
     Race::Command::WindowUndo,
     {},
     ReplacingBeforeRename("out/CD002", "in/c"),
     "out/CD002",
     kNotAFolder,
     "elsewhere/CD002"},
    {"InputFolderReplacedByALinkAtTheQuestion",
     Race::Command::WindowUndo,
     Replacing("in"),
     {},
     "in",
     kChanged,
     "elsewhere/in"},
    {"InputFolderMovedAwayForALinkRightBeforeTheFirstRenameBack",
     Race::Command::WindowUndo,
     {},
     ReplacingBeforeRename("in"),
     "in",
     kChanged,
     "elsewhere/in"},
    {"VolumeFolderReplacedByALinkRightBeforeTheJournalsRenameBack",
     Race::Command::JournalUndo,
     {},
     ReplacingBeforeRename("out/CD002", "in/dir"),
     "out/CD002",
     kNotAFolder,
     "elsewhere/CD002"},
};

INSTANTIATE_TEST_SUITE_P(Races, MoveUndoRaceTest, ::testing::ValuesIn(kRaces),
                         [](const ::testing::TestParamInfo<Race>& race) {
                           return std::string(race.param.name);
                         });

}  // namespace
}  // namespace morvick
