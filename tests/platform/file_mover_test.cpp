#include "platform/file_mover.h"
#include "common/error.h"
#include "platform/errno_map.h"
#include "platform/folders.h"
#include "support/fault_mover.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace morvick::platform {
namespace {

using testing::PathExists;
using testing::ReadFile;
using testing::ScriptedPrompter;
using testing::TempDir;

HeldFolder Held(const std::string& path) {
  HeldFolder folder;
  EXPECT_EQ(HoldFolder(path, folder), 0) << path;
  return folder;
}

// A folder is held by what it is: a link anywhere on the way is refused, and
// once held, the folder's path is compared with it again and again.
TEST(HeldFolder, HoldsTheFolderItselfAndTellsWhatItsPathNamesNow) {
  TempDir dir;
  dir.CreateDir("a/b");
  dir.CreateDir("elsewhere/b");
  dir.WriteFile("file", "x");
  dir.CreateSymlink("link", "a");
  HeldFolder folder;
  const std::vector<std::pair<std::string, int>> refused = {
      {dir.Path("link"), ENOTDIR},   {dir.Path("link/b"), ENOTDIR}, {dir.Path("file"), ENOTDIR},
      {dir.Path("missing"), ENOENT}, {dir.Path("a/../a"), EINVAL},  {"a/b", EINVAL},
  };
  for (const auto& [path, error] : refused) {
    EXPECT_EQ(HoldFolder(path, folder), error) << path;
    EXPECT_FALSE(folder) << path;
  }
  EXPECT_EQ(HoldFolderIn(Held(dir.path()), "link", folder), ENOTDIR);

  const HeldFolder a = Held(dir.Path("a"));
  EXPECT_EQ(a.path(), dir.Path("a"));
  EXPECT_EQ(a.State(), FolderState::InPlace);
  HeldFolder b;
  ASSERT_EQ(HoldFolderIn(a, "b", b), 0);
  EXPECT_EQ(b.path(), dir.Path("a/b"));
  EXPECT_EQ(b.StateIn(a, "b"), FolderState::InPlace);

  // Renamed away, then a link in its place, then another folder.
  ASSERT_EQ(::rename(dir.Path("a").c_str(), dir.Path("moved").c_str()), 0);
  EXPECT_EQ(a.State(), FolderState::Missing);
  EXPECT_EQ(b.StateIn(a, "b"), FolderState::InPlace);  // b is still in a, wherever a is
  dir.CreateSymlink("a", "elsewhere");
  EXPECT_EQ(a.State(), FolderState::Changed);
  // What goes through the held folder reaches the folder itself, not the link.
  EXPECT_EQ(RealFileMover().MakeFolder(a, "made"), 0);
  EXPECT_TRUE(PathExists(dir.Path("moved/made")));
  EXPECT_FALSE(PathExists(dir.Path("elsewhere/made")));
  ASSERT_EQ(::unlink(dir.Path("a").c_str()), 0);
  dir.CreateDir("a");
  EXPECT_EQ(a.State(), FolderState::Changed);
  ASSERT_EQ(::rename(dir.Path("moved/b").c_str(), dir.Path("moved/c").c_str()), 0);
  dir.CreateSymlink("moved/b", "../elsewhere/b");
  EXPECT_EQ(b.StateIn(a, "b"), FolderState::Changed);
}

TEST(ShellMove, MovesFilesFoldersAndLinksBetweenHeldFolders) {
  TempDir dir;
  dir.WriteFile("in/file", "content");
  dir.WriteFile("in/tree/a/b.txt", "nested");
  dir.CreateSymlink("in/link", "file");
  dir.CreateDir("out");
  ScriptedPrompter prompter;
  testing::FaultMover mover;
  const HeldFolder in = Held(dir.Path("in"));
  const HeldFolder out = Held(dir.Path("out"));

  EXPECT_EQ(ShellMove(prompter, in, "file", out, "file", mover), 0);
  EXPECT_EQ(ReadFile(dir.Path("out/file")), "content");
  EXPECT_FALSE(PathExists(dir.Path("in/file")));
  EXPECT_EQ(ShellMove(prompter, in, "tree", out, "tree", mover), 0);
  EXPECT_EQ(ReadFile(dir.Path("out/tree/a/b.txt")), "nested");

  // A link moves as a link, not as what it points to.
  EXPECT_EQ(ShellMove(prompter, in, "link", out, "link", RealFileMover()), 0);
  char target[16] = {};
  EXPECT_EQ(::readlink(dir.Path("out/link").c_str(), target, sizeof target - 1), 4);
  EXPECT_STREQ(target, "file");
  EXPECT_TRUE(prompter.boxes().empty());
}

TEST(ShellMove, FailuresLeaveEverythingAndExplainThemselves) {
  TempDir dir;
  dir.WriteFile("in/item", "mine");
  dir.WriteFile("out/item", "theirs");
  dir.CreateDir("in/folder");
  dir.WriteFile("out/folder/x", "theirs too");
  ScriptedPrompter prompter;
  testing::FaultMover mover;
  const HeldFolder in = Held(dir.Path("in"));
  const HeldFolder out = Held(dir.Path("out"));

  // An existing file or folder at the destination is never replaced.
  for (const char* name : {"item", "folder"}) {
    EXPECT_EQ(ShellMove(prompter, in, name, out, name, mover), EEXIST) << name;
  }
  EXPECT_EQ(ReadFile(dir.Path("out/item")), "theirs");
  EXPECT_EQ(ReadFile(dir.Path("out/folder/x")), "theirs too");
  EXPECT_EQ(ReadFile(dir.Path("in/item")), "mine");
  ASSERT_EQ(prompter.boxes().size(), 2u);
  EXPECT_EQ(prompter.boxes()[0].text,
            ShellMoveFailureText(dir.Path("in/item"), dir.Path("out/item"), EEXIST));
  EXPECT_NE(prompter.boxes()[0].text.find(dir.Path("out/item")), std::string::npos);

  // A missing source, an injected failure and a folder into itself: the
  // system's reason, naming the paths.
  prompter.Clear();
  EXPECT_EQ(ShellMove(prompter, in, "gone", out, "gone", mover), ENOENT);
  mover.Fail(testing::FaultMover::Op::Rename, mover.calls(testing::FaultMover::Op::Rename) + 1,
             ENOSPC);
  EXPECT_EQ(ShellMove(prompter, in, "item", out, "new", mover), ENOSPC);
  EXPECT_EQ(ShellMove(prompter, in, "folder", Held(dir.Path("in/folder")), "folder", mover),
            EINVAL);
  ASSERT_EQ(prompter.boxes().size(), 3u);
  EXPECT_EQ(prompter.boxes()[0].text,
            ShellMoveFailureText(dir.Path("in/gone"), dir.Path("out/gone"), ENOENT));
  EXPECT_NE(prompter.boxes()[1].text.find(std::strerror(ENOSPC)), std::string::npos);
  EXPECT_TRUE(PathExists(dir.Path("in/item")));
  EXPECT_FALSE(PathExists(dir.Path("out/new")));
  EXPECT_FALSE(PathExists(dir.Path("in/folder/folder")));
}

// The way a move goes on file systems that refuse the no-replace flag.
TEST(RenameWithoutReplaceFlag, MovesWithoutEverReplacing) {
  TempDir dir;
  dir.WriteFile("in/file", "mine");
  dir.WriteFile("in/folder/inner", "deep");
  dir.CreateSymlink("in/link", "folder/inner");
  dir.WriteFile("out/file", "theirs");
  dir.WriteFile("out/folder/x", "theirs too");
  const HeldFolder in = Held(dir.Path("in"));
  const HeldFolder out = Held(dir.Path("out"));

  // Existing items at the destination stay as they are, and so do the sources.
  EXPECT_EQ(RenameWithoutReplaceFlag(in, "file", out, "file"), EEXIST);
  EXPECT_EQ(RenameWithoutReplaceFlag(in, "folder", out, "folder"), EEXIST);
  EXPECT_EQ(ReadFile(dir.Path("out/file")), "theirs");
  EXPECT_EQ(ReadFile(dir.Path("out/folder/x")), "theirs too");
  EXPECT_EQ(ReadFile(dir.Path("in/file")), "mine");

  // Files, folders and links move; a link is moved, not what it points to.
  EXPECT_EQ(RenameWithoutReplaceFlag(in, "file", out, "file2"), 0);
  EXPECT_EQ(RenameWithoutReplaceFlag(in, "folder", out, "folder2"), 0);
  EXPECT_EQ(RenameWithoutReplaceFlag(in, "link", out, "link"), 0);
  EXPECT_EQ(ReadFile(dir.Path("out/file2")), "mine");
  EXPECT_EQ(ReadFile(dir.Path("out/folder2/inner")), "deep");
  EXPECT_FALSE(PathExists(dir.Path("in/file")));
  EXPECT_FALSE(PathExists(dir.Path("in/folder")));
  struct stat link_info;
  ASSERT_EQ(::lstat(dir.Path("out/link").c_str(), &link_info), 0);
  EXPECT_TRUE(S_ISLNK(link_info.st_mode));
  EXPECT_EQ(std::filesystem::read_symlink(dir.Path("out/link")), "folder/inner");

  // A missing source and a folder into itself fail with the system's reason.
  EXPECT_EQ(RenameWithoutReplaceFlag(in, "gone", out, "gone"), ENOENT);
  EXPECT_EQ(RenameWithoutReplaceFlag(out, "folder2", Held(dir.Path("out/folder2")), "sub"), EINVAL);
}

TEST(Folders, RemoveFolderRaisesNumberedErrors) {
  TempDir dir;
  const std::string empty = dir.CreateDir("empty");
  dir.WriteFile("full/file", "x");
  const std::string file = dir.WriteFile("file", "x");

  RemoveFolder(empty);
  EXPECT_FALSE(PathExists(empty));

  struct Case {
    std::string path;
    int number;
    std::string text;
  };
  const std::vector<Case> cases = {
      {dir.Path("full"), 145, "I/O エラー (145)"},
      {empty, 2, "ファイルが見つかりません"},
      {file, 3, "不正なファイル名です"},
  };
  for (const Case& c : cases) {
    try {
      RemoveFolder(c.path);
      ADD_FAILURE() << "removed " << c.path;
    } catch (const InOutError& error) {
      EXPECT_EQ(error.error_number(), c.number) << c.path;
      EXPECT_EQ(error.what(), c.text) << c.path;
    }
  }
  EXPECT_EQ(ReadFile(dir.Path("full/file")), "x");

  // Only the listed errno values have Windows numbers; EIO (5) is no "access denied".
  EXPECT_EQ(SystemErrorText(EACCES), "ファイルへのアクセスが拒否されました");
  EXPECT_EQ(SystemErrorText(EIO), "I/O エラー (5)");
  EXPECT_EQ(SystemErrorText(ENOSPC), "I/O エラー (28)");
  EXPECT_EQ(SystemInOutError(EIO).error_number(), 0);
}

TEST(Folders, SameDirectoryAndSameFileSystem) {
  TempDir dir;
  const std::string a = dir.CreateDir("a");
  const std::string b = dir.CreateDir("b");
  dir.CreateSymlink("link", a);
  EXPECT_TRUE(IsSameDirectory(a, dir.Path("link/")));
  EXPECT_TRUE(IsSameDirectory(a + "/", dir.Path("b/../a")));
  EXPECT_FALSE(IsSameDirectory(a, b));
  EXPECT_FALSE(IsSameDirectory(a, dir.Path("missing")));

  EXPECT_TRUE(IsSameFileSystem(a, b));
  EXPECT_TRUE(IsSameFileSystem(a, dir.Path("missing/deeper/still")));
  EXPECT_TRUE(IsSameFileSystem(dir.Path("gone/too"), b + "/"));
  EXPECT_FALSE(IsSameFileSystem(a, "/proc"));
  EXPECT_FALSE(IsSameFileSystem(a, "/proc/missing/x"));
}

}  // namespace
}  // namespace morvick::platform
