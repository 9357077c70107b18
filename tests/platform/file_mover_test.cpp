#include "platform/file_mover.h"
#include "common/error.h"
#include "platform/errno_map.h"
#include "platform/folders.h"
#include "support/fault_mover.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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

TEST(ShellMove, MovesFilesFoldersAndLinksMakingMissingFolders) {
  TempDir dir;
  dir.WriteFile("in/file", "content");
  dir.WriteFile("in/tree/a/b.txt", "nested");
  dir.CreateSymlink("in/link", "file");
  ScriptedPrompter prompter;
  testing::FaultMover mover;

  EXPECT_TRUE(ShellMove(prompter, dir.Path("in/file"), dir.Path("out/v1/file"), mover));
  EXPECT_EQ(mover.made(), (std::vector<std::string>{dir.Path("out"), dir.Path("out/v1")}));
  EXPECT_EQ(ReadFile(dir.Path("out/v1/file")), "content");
  EXPECT_FALSE(PathExists(dir.Path("in/file")));

  const MoveResult tree = ShellMove(prompter, dir.Path("in/tree"), dir.Path("out/v1/tree"), mover);
  EXPECT_TRUE(tree.moved);
  EXPECT_EQ(tree.errno_value, 0);
  EXPECT_EQ(ReadFile(dir.Path("out/v1/tree/a/b.txt")), "nested");
  EXPECT_EQ(mover.made().size(), 2u);  // the volume folder was there already

  // A link moves as a link, not as what it points to.
  EXPECT_TRUE(ShellMove(prompter, dir.Path("in/link"), dir.Path("out/v2/link")));
  char target[16] = {};
  EXPECT_EQ(::readlink(dir.Path("out/v2/link").c_str(), target, sizeof target - 1), 4);
  EXPECT_STREQ(target, "file");
  EXPECT_TRUE(prompter.boxes().empty());
}

TEST(ShellMove, FailuresLeaveEverythingAndExplainThemselves) {
  TempDir dir;
  dir.WriteFile("in/item", "mine");
  dir.WriteFile("out/v1/item", "theirs");
  dir.CreateDir("in/folder");
  dir.WriteFile("out/v1/folder/x", "theirs too");
  ScriptedPrompter prompter;
  testing::FaultMover mover;

  // An existing file or folder at the destination is never replaced.
  for (const char* name : {"item", "folder"}) {
    const MoveResult result = ShellMove(prompter, dir.Path(std::string("in/") + name),
                                        dir.Path(std::string("out/v1/") + name), mover);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.errno_value, EEXIST);
    EXPECT_FALSE(result.reason.empty());
  }
  EXPECT_EQ(ReadFile(dir.Path("out/v1/item")), "theirs");
  EXPECT_EQ(ReadFile(dir.Path("out/v1/folder/x")), "theirs too");
  EXPECT_EQ(ReadFile(dir.Path("in/item")), "mine");
  ASSERT_EQ(prompter.boxes().size(), 2u);
  EXPECT_EQ(prompter.boxes()[0].text,
            ShellMoveFailureText(dir.Path("in/item"), dir.Path("out/v1/item"), EEXIST));
  EXPECT_NE(prompter.boxes()[0].text.find(dir.Path("out/v1/item")), std::string::npos);

  // A missing source: nothing is made on the way to the destination.
  prompter.Clear();
  const MoveResult missing =
      ShellMove(prompter, dir.Path("in/gone"), dir.Path("new/v1/gone"), mover);
  EXPECT_EQ(missing.errno_value, ENOENT);
  EXPECT_EQ(missing.reason, std::strerror(ENOENT));
  EXPECT_FALSE(PathExists(dir.Path("new")));
  ASSERT_EQ(prompter.boxes().size(), 1u);
  EXPECT_NE(prompter.boxes()[0].text.find(dir.Path("in/gone")), std::string::npos);
  EXPECT_NE(prompter.boxes()[0].text.find(std::strerror(ENOENT)), std::string::npos);

  // A rename that fails leaves the folders made for it, empty, as the shell
  // does; Undo removes volume folders by number and relies on them.
  mover.Fail(testing::FaultMover::Op::Rename, mover.calls(testing::FaultMover::Op::Rename) + 1,
             ENOSPC);
  prompter.Clear();
  const MoveResult full = ShellMove(prompter, dir.Path("in/item"), dir.Path("new/v1/item"), mover);
  EXPECT_EQ(full.errno_value, ENOSPC);
  EXPECT_TRUE(PathExists(dir.Path("new/v1")));
  EXPECT_FALSE(PathExists(dir.Path("new/v1/item")));
  EXPECT_TRUE(PathExists(dir.Path("in/item")));
  EXPECT_NE(prompter.boxes().at(0).text.find(std::strerror(ENOSPC)), std::string::npos);

  // A file where a folder of the destination should be.
  dir.WriteFile("blocker", "file");
  const MoveResult blocked =
      ShellMove(prompter, dir.Path("in/item"), dir.Path("blocker/v1/item"), mover);
  EXPECT_FALSE(blocked);
  EXPECT_EQ(ReadFile(dir.Path("blocker")), "file");

  // A folder cannot move into itself.
  const MoveResult into_itself =
      ShellMove(prompter, dir.Path("in"), dir.Path("in/out/v1/in"), mover);
  EXPECT_FALSE(into_itself);
  EXPECT_FALSE(PathExists(dir.Path("in/out/v1/in")));
}

// The way a move goes on file systems that refuse the no-replace flag.
TEST(RenameWithoutReplaceFlag, MovesWithoutEverReplacing) {
  TempDir dir;
  dir.WriteFile("in/file", "mine");
  dir.WriteFile("in/folder/inner", "deep");
  dir.CreateSymlink("in/link", "folder/inner");
  dir.WriteFile("out/file", "theirs");
  dir.WriteFile("out/folder/x", "theirs too");

  // Existing items at the destination stay as they are, and so do the sources.
  EXPECT_EQ(RenameWithoutReplaceFlag(dir.Path("in/file"), dir.Path("out/file")), EEXIST);
  EXPECT_EQ(RenameWithoutReplaceFlag(dir.Path("in/folder"), dir.Path("out/folder")), EEXIST);
  EXPECT_EQ(ReadFile(dir.Path("out/file")), "theirs");
  EXPECT_EQ(ReadFile(dir.Path("out/folder/x")), "theirs too");
  EXPECT_EQ(ReadFile(dir.Path("in/file")), "mine");

  // Files, folders and links move; a link is moved, not what it points to.
  EXPECT_EQ(RenameWithoutReplaceFlag(dir.Path("in/file"), dir.Path("out/file2")), 0);
  EXPECT_EQ(RenameWithoutReplaceFlag(dir.Path("in/folder"), dir.Path("out/folder2")), 0);
  EXPECT_EQ(RenameWithoutReplaceFlag(dir.Path("in/link"), dir.Path("out/link")), 0);
  EXPECT_EQ(ReadFile(dir.Path("out/file2")), "mine");
  EXPECT_EQ(ReadFile(dir.Path("out/folder2/inner")), "deep");
  EXPECT_FALSE(PathExists(dir.Path("in/file")));
  EXPECT_FALSE(PathExists(dir.Path("in/folder")));
  struct stat link_info;
  ASSERT_EQ(::lstat(dir.Path("out/link").c_str(), &link_info), 0);
  EXPECT_TRUE(S_ISLNK(link_info.st_mode));
  EXPECT_EQ(std::filesystem::read_symlink(dir.Path("out/link")), "folder/inner");

  // A missing source and a folder into itself fail with the system's reason.
  EXPECT_EQ(RenameWithoutReplaceFlag(dir.Path("in/gone"), dir.Path("out/gone")), ENOENT);
  EXPECT_EQ(RenameWithoutReplaceFlag(dir.Path("out/folder2"), dir.Path("out/folder2/sub")), EINVAL);
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
