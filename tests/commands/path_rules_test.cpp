#include "commands/path_rules.h"
#include "path_rules_messages.h"
#include "support/scripted_prompter.h"

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

const std::string kUnc =
    "コンピュータ名、共有名、フォルダが指定されていません。あるいは、指定が間違っています。";
const std::string kDrive = "ドライブ名は 「A～Z」 です。";
const std::string kColon = "ドライブ名の次は「:」です。";
const std::string kBackslash = "(ドライブ名): の次は「\\」です。";

// "表" in Shift-JIS: its second byte is a backslash.
const std::string kHyou = "\x95\x5C";

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

// The Windows build holds UTF-8, where a lead byte of Shift-JIS (0xE3 of "デ",
// E3 83 87) starts a three-byte sequence: read as Shift-JIS, "デ\" would end in
// a double-byte character that swallows the backslash.
TEST(WindowsPathRules, Utf8TextIsReadByteByByte) {
  const std::string de = "\xE3\x83\x87";
  const WindowsPathRules utf8(PathEncoding::Utf8);
  EXPECT_EQ(utf8.WithTrailingBackslash("C:\\" + de + "\\"), "C:\\" + de + "\\");
  EXPECT_EQ(WindowsPathRules().WithTrailingBackslash("C:\\" + de + "\\"), "C:\\" + de + "\\\\");
  EXPECT_EQ(WindowsPathRules::CountChar('\\', "\\\\" + de + "\\s\\", PathEncoding::Utf8), 4);
  EXPECT_EQ(WindowsPathRules::ServerSharePrefix("\\\\" + de + "\\s\\x", PathEncoding::Utf8),
            "\\\\" + de + "\\s\\");
  EXPECT_EQ(WindowsPathRules::DrivePart("\\\\" + de + "\\s\\x", PathEncoding::Utf8),
            "\\\\" + de + "\\s");
  ScriptedPrompter prompter;
  EXPECT_TRUE(utf8.CheckPathSyntax(prompter, "\\\\" + de + "\\s\\" + de, "入力フォルダ"));
  EXPECT_TRUE(
      utf8.CheckFolderPair(prompter, "C:\\" + de + "\\a", "c:\\" + de + "\\b", PairCommand::Move));
  EXPECT_TRUE(prompter.texts().empty());
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

}  // namespace
}  // namespace morvick
