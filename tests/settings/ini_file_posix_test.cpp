// The settings file's writes where POSIX has something to say: permission
// bits, symbolic links, and the leftovers of writers killed mid-write.

#include "settings/ini_file.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace morvick {
namespace {

using testing::ReadFile;
using testing::TempDir;

TEST(ProfileFile, WriteCreatesTheFileAndKeepsEverythingElse) {
  TempDir dir;
  const std::string path = dir.Path("a.ini");
  ASSERT_TRUE(WriteProfileString("Settings", "Size", "650", path));
  EXPECT_EQ(ReadFile(path), "[Settings]\r\nSize=650\r\n");

  dir.WriteFile("a.ini", "# notes\n[Settings]\nSize=650\n[Mine]\nk=v\n");
  ::chmod(path.c_str(), 0640);
  ASSERT_TRUE(WriteProfileString("Settings", "Size", " 700 ", path));
  EXPECT_EQ(ReadFile(path), "# notes\n[Settings]\nSize=\" 700 \"\r\n[Mine]\nk=v\n");
  EXPECT_EQ(GetProfileString("Settings", "Size", "", path), " 700 ");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ProfileFile, WriteThroughALinkReplacesTheLinkedFile) {
  TempDir dir;
  const std::string real = dir.WriteFile("dotfiles/morvick.ini", "[Settings]\nSize=1\n");
  const std::string link = dir.CreateSymlink("morvick.ini", real);
  ASSERT_TRUE(WriteProfileString("Settings", "Size", "2", link));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadFile(real), "[Settings]\nSize=2\r\n");
}

TEST(ProfileFile, WriteSweepsTheTemporariesOfKilledWriters) {
  TempDir dir;
  const std::string path = dir.WriteFile("m.ini", "[Settings]\r\nSize=1\r\n");
  // A process that has ended, for the leftover of a writer killed mid-write.
  const pid_t dead = ::fork();
  ASSERT_GE(dead, 0);
  if (dead == 0) ::_exit(0);
  ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
  const std::string killed = ".m.ini.tmp" + std::to_string(dead) + "-12345";
  const std::string live = ".m.ini.tmp" + std::to_string(::getppid()) + "-7";
  for (const std::string& name : {killed, live, std::string(".m.ini.tmpnotes"),
                                  std::string(".other.ini.tmp") + std::to_string(dead) + "-1"}) {
    dir.WriteFile(name, "half a file");
  }
  ASSERT_TRUE(WriteProfileString("Settings", "Size", "2", path));
  EXPECT_EQ(ReadFile(path), "[Settings]\r\nSize=2\r\n");
  EXPECT_FALSE(testing::PathExists(dir.Path(killed)));
  EXPECT_TRUE(testing::PathExists(dir.Path(live)));
  EXPECT_TRUE(testing::PathExists(dir.Path(".m.ini.tmpnotes")));
  EXPECT_TRUE(testing::PathExists(dir.Path(".other.ini.tmp" + std::to_string(dead) + "-1")));
}

}  // namespace
}  // namespace morvick
