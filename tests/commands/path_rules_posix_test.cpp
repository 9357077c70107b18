#include "commands/path_rules.h"
#include "path_rules_messages.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvick {
namespace {

using testing::kRoot;
using testing::kSame;
using testing::kSameDrive;
using testing::MessageOf;
using testing::ScriptedPrompter;
using testing::TempDir;

TEST(PosixPathRules, CheckPathSyntaxWantsAnAbsolutePathBelowTheRoot) {
  const std::string not_absolute = "絶対パス(「/」で始まるパス)を指定してください。";
  struct Case {
    std::string text;
    std::string failure;
  };
  const std::vector<Case> cases = {
      {"", not_absolute},
      {"data", not_absolute},
      {"C:\\data", not_absolute},
      {"./data", not_absolute},
      {"/", kRoot},
      {"///", kRoot},
      {"/data", ""},
      {"/data/", ""},
      {"//srv/x", ""},
  };
  const PosixPathRules rules;
  for (const Case& c : cases) {
    const std::string shown = MessageOf([&](Prompter& prompter) {
      return rules.CheckPathSyntax(prompter, c.text, "出力フォルダ");
    });
    EXPECT_EQ(shown, c.failure.empty() ? "" : "[出力フォルダ]:" + c.failure) << c.text;
  }
  EXPECT_EQ(rules.WithTrailingBackslash(""), "");
  EXPECT_EQ(rules.WithTrailingBackslash("/a"), "/a/");
  EXPECT_EQ(rules.WithTrailingBackslash("/a/"), "/a/");
  EXPECT_EQ(&PlatformPathRules(), &PlatformPathRules());
  EXPECT_EQ(PlatformPathRules().Separator(), '/');
}

TEST(PosixPathRules, CheckFolderPairOnRealFolders) {
  TempDir dir;
  const std::string in = dir.CreateDir("in");
  const std::string out = dir.CreateDir("out");
  dir.CreateSymlink("link-to-in", in);
  const PosixPathRules rules;
  auto pair = [&](const std::string& input, const std::string& output) {
    return MessageOf(
        [&](Prompter& p) { return rules.CheckFolderPair(p, input, output, PairCommand::Move); });
  };
  EXPECT_EQ(pair(in, in + "/"), kSame);
  EXPECT_EQ(pair(in, dir.Path("link-to-in")), kSame);
  EXPECT_EQ(pair(in, dir.Path("in/../in")), kSame);
  // Case matters on Linux: a folder spelled differently is another folder.
  EXPECT_EQ(pair(dir.Path("In"), in), "");
  EXPECT_EQ(pair(in, out), "");
  EXPECT_EQ(pair(in, in + "/sub"), "");
  EXPECT_EQ(pair(in, dir.Path("not/yet/made")), "");
  // /proc is a file system of its own.
  EXPECT_EQ(pair(in, "/proc/no/such/folder"), kSameDrive);
  EXPECT_EQ(MessageOf([&](Prompter& p) {
              return rules.CheckFolderPair(p, in, "/proc/x", PairCommand::Undo);
            }),
            kSameDrive);
}

TEST(PathRules, IsExistingFolderFollowsLinksAndRejectsFiles) {
  TempDir dir;
  const std::string folder = dir.CreateDir("folder");
  const std::string file = dir.CreateFile("file", 3);
  dir.CreateSymlink("link", folder);
  dir.CreateSymlink("dangling", dir.Path("gone"));
  const PosixPathRules posix;
  const WindowsPathRules windows;
  for (const PathRules* rules :
       {static_cast<const PathRules*>(&posix), static_cast<const PathRules*>(&windows)}) {
    EXPECT_TRUE(rules->IsExistingFolder(folder));
    EXPECT_TRUE(rules->IsExistingFolder(folder + "/"));
    EXPECT_TRUE(rules->IsExistingFolder(dir.Path("link/")));
    EXPECT_FALSE(rules->IsExistingFolder(file));
    EXPECT_FALSE(rules->IsExistingFolder(file + "/"));
    EXPECT_FALSE(rules->IsExistingFolder(dir.Path("missing")));
    EXPECT_FALSE(rules->IsExistingFolder(dir.Path("dangling")));
    EXPECT_FALSE(rules->IsExistingFolder(""));
  }
}

}  // namespace
}  // namespace morvick
