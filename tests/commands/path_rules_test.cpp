#include "commands/path_rules.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvick {
namespace {

using testing::ScriptedPrompter;
using testing::TempDir;

const std::string kUnc =
    "コンピュータ名、共有名、フォルダが指定されていません。あるいは、指定が間違っています。";
const std::string kRoot = "ルートは指定できません。あるいは、指定が間違っています。";
const std::string kDrive = "ドライブ名は 「A～Z」 です。";
const std::string kColon = "ドライブ名の次は「:」です。";
const std::string kBackslash = "(ドライブ名): の次は「\\」です。";
const std::string kSame = "入力フォルダと出力フォルダが同じの為、処理できません。";
const std::string kSameDrive = "入力ドライブと出力ドライブは同じにしてください。";

// "表" in Shift-JIS: its second byte is a backslash.
const std::string kHyou = "\x95\x5C";

// Runs a check and returns the one message it showed ("" when it passed).
template <typename Check>
std::string MessageOf(Check check) {
  ScriptedPrompter prompter;
  const bool passed = check(prompter);
  EXPECT_EQ(prompter.boxes().size(), passed ? 0u : 1u);
  if (passed || prompter.boxes().empty()) return {};
  EXPECT_EQ(prompter.boxes()[0].kind, BoxKind::Message);
  return prompter.boxes()[0].text;
}

TEST(WindowsPathRules, CheckPathSyntaxAcceptsDriveAndShareFoldersOnly) {
  struct Case {
    std::string text;
    std::string failure;  // "" = accepted
  };
  const std::vector<Case> cases = {
      {"C:\\", kRoot},
      {"C:", kRoot},
      {"", kRoot},
      {"C:\\a", ""},
      {"z:\\data\\deeper", ""},
      {"1:\\data", kDrive},
      {"C;\\data", kColon},
      {"C:/data", kBackslash},
      {"\\data", kDrive},
      {"\\\\\\server\\x", kDrive},
      {"\\\\server\\share", kUnc},
      {"\\\\server\\share\\", kUnc},
      {"\\\\", kUnc},
      {"\\\\server\\share\\folder", ""},
      // A lead byte in the first positions fails like any other byte.
      {kHyou + ":\\data", kDrive},
      // The trail byte of a share name is no separator: still only server and share.
      {"\\\\server\\share" + kHyou, kUnc},
  };
  const WindowsPathRules rules;
  for (const Case& c : cases) {
    const std::string shown = MessageOf([&](Prompter& prompter) {
      return rules.CheckPathSyntax(prompter, c.text, "入力フォルダ");
    });
    EXPECT_EQ(shown, c.failure.empty() ? "" : "[入力フォルダ]:" + c.failure) << c.text;
  }
  const std::string output_label = MessageOf(
      [&](Prompter& prompter) { return rules.CheckPathSyntax(prompter, "C:\\", "出力フォルダ"); });
  EXPECT_EQ(output_label, "[出力フォルダ]:" + kRoot);
}

TEST(WindowsPathRules, HelpersStepOverDoubleByteCharacters) {
  const WindowsPathRules rules;
  EXPECT_EQ(rules.WithTrailingBackslash(""), "");
  EXPECT_EQ(rules.WithTrailingBackslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(rules.WithTrailingBackslash("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(rules.WithTrailingBackslash("C:\\" + kHyou), "C:\\" + kHyou + "\\");

  EXPECT_EQ(WindowsPathRules::CountChar('\\', "\\\\srv\\share\\"), 4);
  EXPECT_EQ(WindowsPathRules::CountChar('\\', "C:\\" + kHyou + "\\"), 2);
  EXPECT_EQ(WindowsPathRules::CountChar('a', "banana"), 3);

  EXPECT_EQ(WindowsPathRules::PrefixToNthBackslash("\\\\srv\\share\\folder", 4),
            "\\\\srv\\share\\");
  EXPECT_EQ(WindowsPathRules::PrefixToNthBackslash("\\\\srv\\share\\folder", 5), "");
  EXPECT_EQ(WindowsPathRules::PrefixToNthBackslash("C:\\" + kHyou + "\\x", 2),
            "C:\\" + kHyou + "\\");

  EXPECT_EQ(WindowsPathRules::ServerSharePrefix("\\\\server\\share\\folder"),
            "\\\\server\\share\\");
  EXPECT_EQ(WindowsPathRules::ServerSharePrefix("\\\\server\\share"), "\\\\server\\share\\");
  EXPECT_EQ(WindowsPathRules::ServerSharePrefix("\\\\server"), "");

  EXPECT_TRUE(WindowsPathRules::IsUncPath("\\\\"));
  EXPECT_TRUE(WindowsPathRules::IsUncPath("\\\\srv"));
  EXPECT_FALSE(WindowsPathRules::IsUncPath("\\\\\\srv"));
  EXPECT_FALSE(WindowsPathRules::IsUncPath("\\srv"));
  EXPECT_FALSE(WindowsPathRules::IsUncPath(""));

  EXPECT_EQ(WindowsPathRules::DrivePart("C:\\x"), "C:");
  EXPECT_EQ(WindowsPathRules::DrivePart("c:"), "c:");
  EXPECT_EQ(WindowsPathRules::DrivePart("\\\\server\\share\\folder"), "\\\\server\\share");
  EXPECT_EQ(WindowsPathRules::DrivePart("\\\\server\\share"), "\\\\server\\share");
  EXPECT_EQ(WindowsPathRules::DrivePart("\\\\server\\"), "\\\\server");
  EXPECT_EQ(WindowsPathRules::DrivePart("data"), "");
  EXPECT_EQ(WindowsPathRules::DrivePart("x"), "");
}

TEST(WindowsPathRules, CheckFolderPairByCommand) {
  struct Case {
    std::string input;
    std::string output;
    std::string move_failure;
    std::string undo_failure;
  };
  const std::string share =
      "入力(コンピュータ名＆共有名)と出力(コンピュータ名＆共有名)は同じにしてください。";
  // "ア" and a byte-wise folded variant differ only in a trail byte that looks
  // like an ASCII letter; they are different names.
  const std::string a_katakana = "\x83\x41";
  const std::string a_folded = "\x83\x61";
  const std::vector<Case> cases = {
      {"C:\\Data", "c:\\data\\", kSame, kSame},
      {"C:\\data", "D:\\out", kSameDrive, kSameDrive},
      {"C:\\data", "c:\\out", "", ""},
      {"C:\\data", "C:\\data\\out", "", ""},
      {"\\\\SRV\\Share\\a", "\\\\srv\\share\\b", "", ""},
      {"\\\\srv\\share1\\a", "\\\\srv\\share2\\a", share, share},
      {"\\\\srv\\share\\a", "C:\\out", "出力はネットワークドライブにしてください。",
       "入力はネットワークドライブ以外にしてください。"},
      {"C:\\data", "\\\\srv\\share\\a", "出力はネットワークドライブ以外にしてください。",
       "入力はネットワークドライブにしてください。"},
      {"C:\\" + a_katakana, "C:\\" + a_folded, "", ""},
  };
  const WindowsPathRules rules;
  for (const Case& c : cases) {
    EXPECT_EQ(MessageOf([&](Prompter& p) {
                return rules.CheckFolderPair(p, c.input, c.output, PairCommand::Move);
              }),
              c.move_failure)
        << c.input << " / " << c.output;
    EXPECT_EQ(MessageOf([&](Prompter& p) {
                return rules.CheckFolderPair(p, c.input, c.output, PairCommand::Undo);
              }),
              c.undo_failure)
        << c.input << " / " << c.output;
  }
}

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
