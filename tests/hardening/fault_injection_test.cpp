// Faults met on real folders during Investigate, Move and Undo: what the user
// is told, the state the flags are left in, and that no byte is lost.

#include "commands/plan_commands.h"
#include "common/error.h"
#include "hardening_support.h"
#include "platform/file_mover.h"
#include "support/fake_plan_view.h"
#include "support/fault_mover.h"
#include "support/manifest.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace morvick {
namespace {

using testing::EveryEntryInOnePlace;
using testing::FakePlanView;
using testing::Manifest;
using testing::ScriptedPrompter;
using testing::Summary;
using testing::TakeManifest;
using testing::TempDir;

const std::string kConfirm = "よろしいですか？";
const std::string kMoved = "フォルダを移動しました。";
const std::string kMoveFailed = "フォルダの移動に失敗しました。";

std::string Join(const std::vector<std::string>& parts, const std::string& separator) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
  return text;
}

std::string SetFlags(const CommandState& state) {
  std::vector<std::string> set;
  if (state.Searching) set.push_back("Searching");
  if (state.SearchDone) set.push_back("SearchDone");
  if (state.Updating) set.push_back("Updating");
  if (state.UpdateDone) set.push_back("UpdateDone");
  if (state.Undoing) set.push_back("Undoing");
  if (state.UndoDone) set.push_back("UndoDone");
  return Join(set, " ");
}

// One line per command: the boxes it showed, the flags it left set and the
// error that ended it, if any. A line is also what a child process running
// as another user sends back, so each case compares whole lines.
std::string Outcome(const std::vector<std::string>& texts, const std::string& flags,
                    const std::string& error = "") {
  std::string line = "boxes: " + Join(texts, " | ") + " || flags: " + flags;
  if (!error.empty()) line += " || error: " + error;
  return line;
}

std::string Failure(const std::string& source, const std::string& destination, int errno_value) {
  return platform::ShellMoveFailureText(source, destination, errno_value);
}

// The plan commands on one window: the input folder `in` holds a, b, c, dir,
// e and huge; by name with a capacity of 100 bytes they form the volumes
// CD001 = a b, CD002 = c dir, CD003 = e; huge fits no volume and stays.
class Session {
 public:
  explicit Session(const std::string& root) : root_(root) {
    form_.edits = {"100", root + "/in", root + "/out", "CD"};
    form_.unit_index = 1;
  }

  static void MakeInput(TempDir& dir, const std::string& relative_root) {
    const std::string in = relative_root + "in/";
    dir.WriteFile(in + "a", std::string(40, 'a'));
    dir.WriteFile(in + "b", std::string(50, 'b'));
    dir.WriteFile(in + "c", std::string(50, 'c'));
    dir.WriteFile(in + "dir/inner/deep.txt", "deep content");
    dir.WriteFile(in + "dir/f", std::string(10, 'f'));
    dir.CreateSymlink(in + "dir/link", "inner/deep.txt");
    dir.WriteFile(in + "e/visible", std::string(20, 'e'));
    dir.WriteFile(in + "huge", std::string(500, 'h'));
  }

  std::string Investigate() {
    return Run([&] { RunInvestigate(state_, form_, prompter_, PlatformPathRules()); });
  }
  std::string Move(platform::FileMover& mover = platform::RealFileMover()) {
    prompter_.Answer(Answer::Yes);
    MoveOptions options;
    options.mover = &mover;
    return Run([&] { RunMove(state_, form_, prompter_, PlatformPathRules(), options); });
  }
  std::string Undo(platform::FileMover& mover = platform::RealFileMover()) {
    prompter_.Answer(Answer::Yes);
    MoveOptions options;
    options.mover = &mover;
    return Run([&] { RunUndo(state_, form_, prompter_, PlatformPathRules(), options); });
  }

  FakePlanView& form() { return form_; }
  const CommandState& state() const { return state_; }
  std::string In(const std::string& name) const { return root_ + "/in/" + name; }
  std::string Out(const std::string& relative) const { return root_ + "/out/" + relative; }

 private:
  template <typename Command>
  std::string Run(Command command) {
    prompter_.Clear();
    std::string error;
    try {
      command();
    } catch (const Error& raised) {
      error = raised.what();
    }
    return Outcome(prompter_.texts(), SetFlags(state_), error);
  }

  std::string root_;
  CommandState state_;
  FakePlanView form_;
  ScriptedPrompter prompter_;
};

// Runs the session steps as nobody (see RunAsOrdinaryUser) and returns their
// outcome lines; an empty vector when the case cannot run here.
std::vector<std::string> RunSteps(const std::string& tree,
                                  const std::function<std::vector<std::string>()>& steps) {
  const std::string result = testing::RunAsOrdinaryUser(tree, [&] { return Join(steps(), "\n"); });
  testing::ReclaimTree(tree);
  if (result == "skip") return {};
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = result.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(result.substr(start, end - start));
  }
  lines.push_back(result.substr(start));
  return lines;
}

const std::string kPlanned = Outcome({}, "SearchDone");
const std::string kAfterMove = Outcome({kConfirm, kMoved}, "SearchDone UpdateDone");
const std::string kAfterUndo = Outcome({kConfirm, kMoved}, "SearchDone UpdateDone UndoDone");

TEST(FaultInjection, UnreadableEntries) {
  TempDir dir;
  Session::MakeInput(dir, "");
  dir.WriteFile("in/e/hidden/secret", std::string(90, 's'));
  ::chmod(dir.Path("in/a").c_str(), 0);         // a file nobody may read
  ::chmod(dir.Path("in/e/hidden").c_str(), 0);  // a folder the scan cannot enter
  ::chmod(dir.Path("in/dir").c_str(), 0555);    // a folder that may not be moved
  const Manifest before = TakeManifest(dir.Path("in"));

  Session session(dir.path());
  const std::vector<std::string> lines = RunSteps(dir.path(), [&] {
    return std::vector<std::string>{session.Investigate(), session.Move(), session.Undo()};
  });
  if (lines.empty()) GTEST_SKIP() << "no user without root's power to test with";
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], kPlanned);
  // Moving a folder to another parent rewrites its "..", which needs write
  // permission on it: dir stays, reported by name and reason.
  EXPECT_EQ(lines[1],
            Outcome({kConfirm, Failure(session.In("dir"), session.Out("CD002/dir"), EACCES),
                     kMoveFailed, kMoved},
                    "SearchDone UpdateDone"));
  EXPECT_EQ(lines[2],
            Outcome({kConfirm, Failure(session.Out("CD002/dir"), session.In("dir"), ENOENT),
                     kMoveFailed, kMoved},
                    "SearchDone UpdateDone UndoDone"));
  const Manifest after = TakeManifest(dir.Path("in"));
  EXPECT_EQ(DiffManifests(before, after), "");
  EXPECT_TRUE(TakeManifest(dir.Path("out")).empty());
  Summary("unreadable entries",
          "a file of mode 000, a folder of mode 000 below e, a folder of mode 555",
          before == after ? "manifest matched after undo" : "MANIFEST DIFFERS");
}

TEST(FaultInjection, ReadOnlyDestination) {
  // A volume folder that already exists and is read-only: its entries stay.
  {
    TempDir dir;
    Session::MakeInput(dir, "");
    dir.CreateDir("out/CD002");
    ::chmod(dir.Path("out/CD002").c_str(), 0555);
    const Manifest before = TakeManifest(dir.Path("in"));
    Session session(dir.path());
    const std::vector<std::string> lines = RunSteps(dir.path(), [&] {
      return std::vector<std::string>{session.Investigate(), session.Move(), session.Undo()};
    });
    if (lines.empty()) GTEST_SKIP() << "no user without root's power to test with";
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(
        lines[1],
        Outcome({kConfirm, Failure(session.In("c"), session.Out("CD002/c"), EACCES), kMoveFailed,
                 Failure(session.In("dir"), session.Out("CD002/dir"), EACCES), kMoveFailed, kMoved},
                "SearchDone UpdateDone"));
    // Undo finds c and dir missing from CD002, then removes all three folders.
    EXPECT_EQ(
        lines[2],
        Outcome({kConfirm, Failure(session.Out("CD002/c"), session.In("c"), ENOENT), kMoveFailed,
                 Failure(session.Out("CD002/dir"), session.In("dir"), ENOENT), kMoveFailed, kMoved},
                "SearchDone UpdateDone UndoDone"));
    EXPECT_EQ(DiffManifests(before, TakeManifest(dir.Path("in"))), "");
    EXPECT_TRUE(TakeManifest(dir.Path("out")).empty());
    Summary("read-only volume folder", "an existing volume folder of mode 555",
            before == TakeManifest(dir.Path("in")) ? "manifest matched after undo"
                                                   : "MANIFEST DIFFERS");
  }
  // The whole output folder read-only: no volume folder can be made. Undo
  // then stops at the first volume folder, which was never made.
  {
    TempDir dir;
    Session::MakeInput(dir, "");
    dir.CreateDir("out");
    ::chmod(dir.Path("out").c_str(), 0555);
    const Manifest before = TakeManifest(dir.Path("in"));
    Session session(dir.path());
    const std::vector<std::string> lines = RunSteps(dir.path(), [&] {
      return std::vector<std::string>{session.Investigate(), session.Move(), session.Undo()};
    });
    ASSERT_EQ(lines.size(), 3u);
    std::vector<std::string> move_boxes = {kConfirm};
    std::vector<std::string> undo_boxes = {kConfirm};
    for (const auto& [name, folder] : std::vector<std::pair<std::string, std::string>>{
             {"a", "CD001"}, {"b", "CD001"}, {"c", "CD002"}, {"dir", "CD002"}, {"e", "CD003"}}) {
      move_boxes.push_back(Failure(session.In(name), session.Out(folder + "/" + name), EACCES));
      move_boxes.push_back(kMoveFailed);
      undo_boxes.push_back(Failure(session.Out(folder + "/" + name), session.In(name), ENOENT));
      undo_boxes.push_back(kMoveFailed);
    }
    move_boxes.push_back(kMoved);
    EXPECT_EQ(lines[1], Outcome(move_boxes, "SearchDone UpdateDone"));
    EXPECT_EQ(lines[2],
              Outcome(undo_boxes, "SearchDone UpdateDone Undoing", "ファイルが見つかりません"));
    EXPECT_EQ(DiffManifests(before, TakeManifest(dir.Path("in"))), "");
    EXPECT_TRUE(TakeManifest(dir.Path("out")).empty());
    Summary("read-only output folder", "an output folder of mode 555",
            before == TakeManifest(dir.Path("in")) ? "manifest matched, nothing moved"
                                                   : "MANIFEST DIFFERS");
  }
}

TEST(FaultInjection, InputFolderRenamedAway) {
  // During the scan: the scan goes on through its open descriptors, but the
  // move finds none of the planned names.
  {
    TempDir dir;
    Session::MakeInput(dir, "");
    const Manifest before = TakeManifest(dir.Path("in"));
    Session session(dir.path());
    bool renamed = false;
    session.form().on_pump = [&] {
      if (!renamed) renamed = ::rename(dir.Path("in").c_str(), dir.Path("gone").c_str()) == 0;
    };
    EXPECT_EQ(session.Investigate(), kPlanned);
    ASSERT_TRUE(renamed);
    EXPECT_EQ(session.state().EntryList->size(), 6u);
    std::vector<std::string> boxes = {kConfirm};
    for (const auto& [name, folder] : std::vector<std::pair<std::string, std::string>>{
             {"a", "CD001"}, {"b", "CD001"}, {"c", "CD002"}, {"dir", "CD002"}, {"e", "CD003"}}) {
      boxes.push_back(Failure(session.In(name), session.Out(folder + "/" + name), ENOENT));
      boxes.push_back(kMoveFailed);
    }
    boxes.push_back(kMoved);
    EXPECT_EQ(session.Move(), Outcome(boxes, "SearchDone UpdateDone"));
    EXPECT_FALSE(testing::PathExists(dir.Path("out")));
    EXPECT_EQ(DiffManifests(before, TakeManifest(dir.Path("gone"))), "");
    Summary("input renamed during the scan", "rename of the input folder at the first entry",
            "every move refused by name, manifest matched in the renamed folder");
  }
  // During the move, after the second entry: Undo brings the two back into
  // a new input folder and stops at CD002, which was never made.
  {
    TempDir dir;
    Session::MakeInput(dir, "");
    const Manifest before = TakeManifest(dir.Path("in"));
    Session session(dir.path());
    EXPECT_EQ(session.Investigate(), kPlanned);
    // The input folder is renamed away after the second rename.
    testing::FaultMover mover;
    mover.AfterRename(
        2, [&] { EXPECT_EQ(::rename(dir.Path("in").c_str(), dir.Path("gone").c_str()), 0); });
    std::vector<std::string> boxes = {kConfirm};
    for (const auto& [name, folder] : std::vector<std::pair<std::string, std::string>>{
             {"c", "CD002"}, {"dir", "CD002"}, {"e", "CD003"}}) {
      boxes.push_back(Failure(session.In(name), session.Out(folder + "/" + name), ENOENT));
      boxes.push_back(kMoveFailed);
    }
    boxes.push_back(kMoved);
    EXPECT_EQ(session.Move(mover), Outcome(boxes, "SearchDone UpdateDone"));
    const std::vector<std::string> places = {dir.Path("in"), dir.Path("gone"),
                                             dir.Path("out/CD001")};
    EXPECT_EQ(EveryEntryInOnePlace(before, places), "");

    boxes = {kConfirm};
    for (const auto& [name, folder] : std::vector<std::pair<std::string, std::string>>{
             {"c", "CD002"}, {"dir", "CD002"}, {"e", "CD003"}}) {
      boxes.push_back(Failure(session.Out(folder + "/" + name), session.In(name), ENOENT));
      boxes.push_back(kMoveFailed);
    }
    EXPECT_EQ(session.Undo(),
              Outcome(boxes, "SearchDone UpdateDone Undoing", "ファイルが見つかりません"));
    EXPECT_EQ(testing::NamesIn(dir.Path("in")), (std::set<std::string>{"a", "b"}));
    const std::string lost = EveryEntryInOnePlace(before, places);
    EXPECT_EQ(lost, "");
    Summary("input renamed during the move", "rename of the input folder after the second entry",
            lost.empty() ? "every entry whole in exactly one place" : "ENTRIES LOST");
  }
}

TEST(FaultInjection, ItemAlreadyAtTheDestination) {
  TempDir dir;
  Session::MakeInput(dir, "");
  dir.WriteFile("out/CD001/b", "keep me");
  const Manifest before = TakeManifest(dir.Path("in"));
  const Manifest theirs = TakeManifest(dir.Path("out/CD001"));
  Session session(dir.path());
  EXPECT_EQ(session.Investigate(), kPlanned);
  EXPECT_EQ(session.Move(),
            Outcome({kConfirm, Failure(session.In("b"), session.Out("CD001/b"), EEXIST),
                     kMoveFailed, kMoved},
                    "SearchDone UpdateDone"));
  // And on the way back: the b that was there before is not the move's to take
  // back, and a new c in the input folder is not replaced.
  dir.WriteFile("in/c", "new c");
  EXPECT_EQ(
      session.Undo(),
      Outcome({kConfirm,
               "'" + session.Out("CD001/b") + "' は分割開始で移動したものではない為、戻しません。",
               kMoveFailed, Failure(session.Out("CD002/c"), session.In("c"), EEXIST), kMoveFailed},
              "SearchDone UpdateDone Undoing", "I/O エラー (145)"));
  // The user's own b and new c are untouched; the moved c waits in CD002.
  EXPECT_EQ(testing::ReadFile(session.Out("CD001/b")), "keep me");
  EXPECT_EQ(testing::ReadFile(session.In("c")), "new c");
  Manifest original_c;
  Manifest all_but_c;
  for (const auto& item : before) {
    (item.path == "c" ? original_c : all_but_c).push_back(item);
  }
  Manifest moved_c;
  for (const auto& item : TakeManifest(dir.Path("out/CD002"))) {
    if (item.path == "c") moved_c.push_back(item);
  }
  EXPECT_EQ(moved_c, original_c);
  EXPECT_EQ(EveryEntryInOnePlace(all_but_c, {dir.Path("in")}), "");
  EXPECT_EQ(TakeManifest(dir.Path("out/CD001")), theirs);
  Summary("item already at the destination", "an existing CD001/b, then a new in/c before undo",
          "neither replaced; every other entry back, manifest matched");
}

TEST(FaultInjection, FullFileSystem) {
  TempDir dir;
  const std::string root = dir.CreateDir("fs");
  // A small file system of its own when this machine lets us mount one; its
  // inodes are then cut to what the tree uses plus one, so CD001 can still be
  // made and CD002 cannot.
  const bool mounted =
      ::mount("tmpfs", root.c_str(), "tmpfs", 0, "size=4m,nr_inodes=4096,mode=0755") == 0;
  Session::MakeInput(dir, "fs/");
  dir.CreateDir("fs/out");
  if (mounted) {
    struct statvfs info {};
    ASSERT_EQ(::statvfs(root.c_str(), &info), 0);
    const auto used = info.f_files - info.f_ffree;
    const std::string options = "size=4m,nr_inodes=" + std::to_string(used + 1);
    ASSERT_EQ(::mount("tmpfs", root.c_str(), "tmpfs", MS_REMOUNT, options.c_str()), 0)
        << std::strerror(errno);
  }
  const Manifest before = TakeManifest(root + "/in");
  Session session(root);
  EXPECT_EQ(session.Investigate(), kPlanned);
  // Every folder creation after the first fails, as on a file system without free inodes.
  testing::FaultMover injected;
  injected.Fail(testing::FaultMover::Op::MakeFolder, 2, ENOSPC, true);
  platform::FileMover& mover = mounted ? platform::RealFileMover() : injected;

  std::vector<std::string> boxes = {kConfirm};
  for (const auto& [name, folder] : std::vector<std::pair<std::string, std::string>>{
           {"c", "CD002"}, {"dir", "CD002"}, {"e", "CD003"}}) {
    boxes.push_back(Failure(session.In(name), session.Out(folder + "/" + name), ENOSPC));
    boxes.push_back(kMoveFailed);
  }
  boxes.push_back(kMoved);
  EXPECT_EQ(session.Move(mover), Outcome(boxes, "SearchDone UpdateDone"));
  EXPECT_EQ(EveryEntryInOnePlace(before, {root + "/in", root + "/out/CD001"}), "");

  boxes = {kConfirm};
  for (const auto& [name, folder] : std::vector<std::pair<std::string, std::string>>{
           {"c", "CD002"}, {"dir", "CD002"}, {"e", "CD003"}}) {
    boxes.push_back(Failure(session.Out(folder + "/" + name), session.In(name), ENOENT));
    boxes.push_back(kMoveFailed);
  }
  EXPECT_EQ(session.Undo(mover),
            Outcome(boxes, "SearchDone UpdateDone Undoing", "ファイルが見つかりません"));
  const Manifest after = TakeManifest(root + "/in");
  EXPECT_EQ(DiffManifests(before, after), "");
  EXPECT_TRUE(TakeManifest(root + "/out").empty());
  if (mounted) ::umount2(root.c_str(), MNT_DETACH);
  Summary("full file system",
          mounted ? "a tmpfs with one free inode" : "ENOSPC for every folder after the first",
          before == after ? "manifest matched after undo" : "MANIFEST DIFFERS");
}

TEST(FaultInjection, VolumeFolderDeletedBetweenMoveAndUndo) {
  TempDir dir;
  Session::MakeInput(dir, "");
  const Manifest before = TakeManifest(dir.Path("in"));
  Session session(dir.path());
  EXPECT_EQ(session.Investigate(), kPlanned);
  EXPECT_EQ(session.Move(), kAfterMove);
  // The user takes CD002 away with what it holds.
  ASSERT_EQ(::rename(session.Out("CD002").c_str(), dir.Path("taken").c_str()), 0);

  std::vector<std::string> boxes = {kConfirm};
  for (const std::string name : {"c", "dir"}) {
    boxes.push_back(Failure(session.Out("CD002/" + name), session.In(name), ENOENT));
    boxes.push_back(kMoveFailed);
  }
  EXPECT_EQ(session.Undo(),
            Outcome(boxes, "SearchDone UpdateDone Undoing", "ファイルが見つかりません"));
  EXPECT_EQ(session.form().status.rfind("[Undo中] 分割数 (", 0), 0u);
  EXPECT_FALSE(testing::PathExists(session.Out("CD001")));
  EXPECT_TRUE(testing::PathExists(session.Out("CD003")));
  EXPECT_EQ(EveryEntryInOnePlace(before, {dir.Path("in"), dir.Path("taken")}), "");
  // Investigate and Move wait for the Undo to complete.
  EXPECT_EQ(session.Investigate(),
            Outcome({"Undo中の為、処理できません。"}, "SearchDone UpdateDone Undoing"));
  EXPECT_EQ(session.Move(),
            Outcome({"Undo中の為、処理できません。"}, "SearchDone UpdateDone Undoing"));

  // Put back, the folder lets a repeated Undo finish: the entries already
  // back fail one by one, CD001 is not tried again.
  ASSERT_EQ(::rename(dir.Path("taken").c_str(), session.Out("CD002").c_str()), 0);
  boxes = {kConfirm};
  boxes.push_back(Failure(session.Out("CD001/a"), session.In("a"), ENOENT));
  boxes.push_back(kMoveFailed);
  boxes.push_back(Failure(session.Out("CD001/b"), session.In("b"), ENOENT));
  boxes.push_back(kMoveFailed);
  boxes.push_back(Failure(session.Out("CD003/e"), session.In("e"), ENOENT));
  boxes.push_back(kMoveFailed);
  boxes.push_back(kMoved);
  EXPECT_EQ(session.Undo(), Outcome(boxes, "SearchDone UpdateDone UndoDone"));
  const Manifest after = TakeManifest(dir.Path("in"));
  EXPECT_EQ(DiffManifests(before, after), "");
  EXPECT_TRUE(TakeManifest(dir.Path("out")).empty());
  Summary("volume folder deleted before undo",
          "CD002 taken away between Move and Undo, later put back",
          before == after ? "Undo stopped at CD002, then completed; manifest matched"
                          : "MANIFEST DIFFERS");
}

// The same faults met by morvick-cli, whose undo works from its journal.
TEST(FaultInjection, CommandLineMoveAndUndo) {
  const auto move_args = [](const TempDir& dir) {
    return std::vector<std::string>{
        "move",   dir.Path("in"), dir.Path("out"), "--size",    "100",
        "--unit", "bytes",        "--base",        "CD",        "--digits",
        "3",      "--yes",        "--quiet",       "--journal", dir.Path("j.jsonl")};
  };
  // A read-only volume folder: its entries stay, the move ends with status 3,
  // and undo takes back exactly what moved.
  {
    TempDir dir;
    Session::MakeInput(dir, "");
    dir.CreateDir("out/CD002");
    ::chmod(dir.Path("out/CD002").c_str(), 0555);
    const Manifest before = TakeManifest(dir.Path("in"));
    const std::vector<std::string> lines = RunSteps(dir.path(), [&] {
      std::string move_err;
      std::string undo_err;
      const int move = testing::RunCli(move_args(dir), dir.path(), &move_err);
      const int undo =
          testing::RunCli({"undo", dir.Path("j.jsonl"), "--yes", "--quiet"}, dir.path(), &undo_err);
      // One line each: what the two printed, with their line breaks as " / ".
      for (std::string* text : {&move_err, &undo_err}) {
        for (std::size_t at; (at = text->find('\n')) != std::string::npos;) {
          text->replace(at, 1, " / ");
        }
      }
      return std::vector<std::string>{std::to_string(move), move_err, std::to_string(undo),
                                      undo_err};
    });
    if (lines.empty()) GTEST_SKIP() << "no user without root's power to test with";
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "3");
    const std::string all = Join(lines, "\n");
    EXPECT_NE(all.find(Failure(dir.Path("in/c"), dir.Path("out/CD002/c"), EACCES)),
              std::string::npos)
        << all;
    EXPECT_NE(all.find(kMoveFailed), std::string::npos);
    EXPECT_EQ(lines[2], "0") << all;
    const Manifest after = TakeManifest(dir.Path("in"));
    EXPECT_EQ(DiffManifests(before, after), "");
    // The folder the move did not make stays; the others are gone.
    EXPECT_EQ(testing::NamesIn(dir.Path("out")), std::set<std::string>{"CD002"});
    Summary("morvick-cli, read-only volume folder", "an existing volume folder of mode 555",
            before == after ? "exit 3, undo exit 0, manifest matched" : "MANIFEST DIFFERS");
  }
  // A volume folder taken away before undo: undo restores the rest and says
  // which entries it could not; once the folder is back, undo finishes.
  {
    TempDir dir;
    Session::MakeInput(dir, "");
    const Manifest before = TakeManifest(dir.Path("in"));
    std::string err;
    ASSERT_EQ(testing::RunCli(move_args(dir), dir.path(), &err), 0) << err;
    ASSERT_EQ(::rename(dir.Path("out/CD002").c_str(), dir.Path("taken").c_str()), 0);
    const std::vector<std::string> undo = {"undo", dir.Path("j.jsonl"), "--yes", "--quiet"};
    EXPECT_EQ(testing::RunCli(undo, dir.path(), &err), 3);
    EXPECT_NE(err.find(Failure(dir.Path("out/CD002/c"), dir.Path("in/c"), ENOENT)),
              std::string::npos)
        << err;
    EXPECT_EQ(EveryEntryInOnePlace(before, {dir.Path("in"), dir.Path("taken")}), "");
    ::mkdir(dir.Path("out").c_str(), 0755);
    ASSERT_EQ(::rename(dir.Path("taken").c_str(), dir.Path("out/CD002").c_str()), 0);
    EXPECT_EQ(testing::RunCli(undo, dir.path(), &err), 0) << err;
    const Manifest after = TakeManifest(dir.Path("in"));
    EXPECT_EQ(DiffManifests(before, after), "");
    Summary("morvick-cli, volume folder taken away", "CD002 taken away before undo, later put back",
            before == after ? "undo exit 3 naming c and dir, then exit 0; manifest matched"
                            : "MANIFEST DIFFERS");
  }
}

}  // namespace
}  // namespace morvick
