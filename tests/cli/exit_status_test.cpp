#include "cli/cli_app.h"
#include "run_cli.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace morvick::cli {
namespace {

using testing::RunCliProgram;
using testing::TempDir;

struct RefusalCase {
  std::vector<std::string> args;  // "IN" and "OUT" stand for the folders of the test
  int status;
  std::string err;  // the whole of stderr, or its first line when `first_line_only`
  bool first_line_only = false;
};

TEST(ExitStatus, RefusalsPrintTheProgramsTextAndChangeNothing) {
  TempDir dir;
  const std::string input = dir.CreateDir("in");
  dir.CreateFile("in/a.bin", 100);
  dir.CreateFile("in/b.bin", 200);
  const std::string file = dir.CreateFile("plain-file", 1);

  const RefusalCase cases[] = {
      {{"plan", dir.Path("missing")}, kExitRefused, "入力フォルダがありません。\n"},
      {{"plan", file}, kExitRefused, "入力フォルダがありません。\n"},
      {{"plan", ""},
       kExitRefused,
       "[入力フォルダ]:絶対パス(「/」で始まるパス)を指定してください。\n"},
      {{"plan", "/"},
       kExitRefused,
       "[入力フォルダ]:ルートは指定できません。あるいは、指定が間違っています。\n"},
      {{"plan", "IN", "--size", "abc"}, kExitRefused, "分割サイズは数値でなければなりません\n"},
      {{"plan", "IN", "--size", "650 "}, kExitRefused, "分割サイズは数値でなければなりません\n"},
      {{"plan", "IN", "--size", "0"}, kExitRefused, "分割サイズは正数でなければなりません\n"},
      {{"plan", "IN", "--size", "-5"}, kExitRefused, "分割サイズは正数でなければなりません\n"},
      {{"plan", "IN", "--cluster", "abc"}, kExitRefused, "'abc' は整数ではありません\n"},
      {{"plan", "IN", "--cluster", "4294967296"},
       kExitRefused,
       "'4294967296' は整数ではありません\n"},
      {{"plan", "IN", "--base", "a/b"},
       kExitRefused,
       "morvick-cli: the base name cannot contain \"/\": a/b\n"},
      {{"move", "IN", "IN", "--yes"},
       kExitRefused,
       "入力フォルダと出力フォルダが同じの為、処理できません。\n"},
      {{"move", "IN", "", "--yes"},
       kExitRefused,
       "[出力フォルダ]:絶対パス(「/」で始まるパス)を指定してください。\n"},
      // A journal that cannot be made ends the move before anything moves.
      {{"move", "IN", "OUT", "--yes", "--quiet", "--journal", file + "/j.jsonl"},
       kExitRefused,
       "morvick-cli: cannot use the folder " + file,
       true},
      // No terminal and no --yes: the question is shown and refused.
      {{"move", "IN", "OUT"}, kExitRefused, "よろしいですか？", true},
      {{"copy", "IN", "IN", "--yes"},
       kExitRefused,
       "入力フォルダと出力フォルダが同じの為、処理できません。\n"},
      // Copy leaves the input folder as it is, so nothing may be made in it.
      {{"copy", "IN", input + "/out", "--yes"},
       kExitRefused,
       "morvick-cli: the output folder " + input + "/out lies in the input folder " + input +
           ", which copy leaves as it is\n"},
      {{"copy", "IN", "OUT"}, kExitRefused, "よろしいですか？", true},
      {{"verify", "IN"},
       kExitRefused,
       "morvick-cli: cannot verify: no morvick-index.json in " + input + "\n"},
      {{"verify", file},
       kExitRefused,
       "morvick-cli: cannot verify: " + file + ": not an ISO 9660 image",
       true},
      {{"verify", dir.Path("missing")},
       kExitRefused,
       "morvick-cli: not a folder or an image file: " + dir.Path("missing") + "\n"},
      {{"image", "IN", input + "/out", "--yes"},
       kExitRefused,
       "morvick-cli: the output folder " + input + "/out lies in the input folder " + input +
           ", which image leaves as it is\n"},
      {{"image", "IN", "OUT", "--size", "1000", "--unit", "bytes", "--yes"},
       kExitRefused,
       "morvick-cli: cannot plan the images: an image of no entries takes ",
       true},
      {{"image", "IN", file, "--yes"},
       kExitRefused,
       "morvick-cli: the output is not a folder: " + file + "\n"},
      {{"image", "IN", "OUT", "--media", "dvd", "--size", "5"},
       kExitUsage,
       "--size excludes --media",
       true},
      {{"image", "IN", "OUT", "--media", "floppy"}, kExitUsage, "--media: floppy not in", true},
      {{"verify"}, kExitUsage, "TARGET is required", true},
      {{"undo", dir.Path("no-journal")}, kExitRefused, "cannot open the journal", true},
      {{"undo", file}, kExitRefused, "not a journal of morvick", true},
      {{"plan", "IN", "--method", "9"}, kExitUsage, "--method: not a packing method: 9", true},
      {{"plan", "IN", "--time-limit", "1e3"},
       kExitUsage,
       "--time-limit: not a number of seconds from 0 to 86400: 1e3",
       true},
      {{"plan", "IN", "--time-limit", "86401"},
       kExitUsage,
       "--time-limit: not a number of seconds from 0 to 86400: 86401",
       true},
      {{"plan", "IN", "--digits", "0"}, kExitUsage, "--digits: Value 0 not in range 1 to 9", true},
      {{"plan", "IN", "--unit", "kbytes"},
       kExitUsage,
       "--unit: kbytes not in {mbytes,bytes}",
       true},
      {{"plan", "IN", "--settings", dir.Path("no.ini")},
       kExitUsage,
       "morvick-cli: no settings file " + dir.Path("no.ini") + "\n"},
      {{"settings", "--file", dir.Path("no.ini")},
       kExitUsage,
       "morvick-cli: no settings file " + dir.Path("no.ini") + "\n"},
      {{"plan"}, kExitUsage, "morvick-cli: INPUT is required (or an InputPath in --settings)\n"},
      {{"move", "IN"},
       kExitUsage,
       "morvick-cli: OUTPUT is required (or an OutputPath in --settings)\n"},
      {{}, kExitUsage, "A subcommand is required", true},
      {{"plan", "IN", "--bogus"},
       kExitUsage,
       "The following argument was not expected: --bogus",
       true},
  };
  const auto before = testing::TakeManifest(dir.path());
  for (const RefusalCase& c : cases) {
    std::vector<std::string> args;
    std::string shown;
    for (const std::string& arg : c.args) {
      args.push_back(arg == "IN" ? input : arg == "OUT" ? dir.Path("out") : arg);
      shown += arg + " ";
    }
    SCOPED_TRACE(shown);
    const testing::CliRun run = RunCliProgram(args, dir.path());
    EXPECT_EQ(run.status, c.status) << run.err;
    if (c.first_line_only) {
      ASSERT_FALSE(run.ErrLines().empty());
      EXPECT_EQ(run.ErrLines()[0].substr(0, c.err.size()), c.err);
    } else {
      EXPECT_EQ(run.err, c.err);
    }
    EXPECT_EQ(run.out.find("volume\t"), std::string::npos);
  }
  EXPECT_EQ(testing::TakeManifest(dir.path()), before);
}

TEST(ExitStatus, DoneHelpAndVersion) {
  TempDir dir;
  const std::string input = dir.CreateDir("in");
  dir.CreateFile("in/a", 1);
  EXPECT_EQ(RunCliProgram({"plan", input, "--quiet"}, dir.path()).status, kExitDone);
  const testing::CliRun version = RunCliProgram({"--version"}, dir.path());
  EXPECT_EQ(version.status, kExitDone);
  EXPECT_EQ(version.out.rfind("morvick-cli ", 0), 0u);
  for (const char* command : {"plan", "move"}) {
    const testing::CliRun help = RunCliProgram({command, "--help"}, dir.path());
    EXPECT_EQ(help.status, kExitDone);
    for (const char* shown :
         {"--size TEXT=650", "=mbytes", "--method TEXT:METHOD=0", "--cluster TEXT=0",
          "--base TEXT=folder", "=5", "--start", "--skip-last", "=table", "--quiet"}) {
      EXPECT_NE(help.out.find(shown), std::string::npos) << command << " " << shown;
    }
  }
  // A relative INPUT is taken against the working folder.
  const testing::CliRun relative =
      RunCliProgram({"plan", "in", "--format", "json"}, dir.path(), "", dir.path());
  EXPECT_EQ(relative.status, kExitDone) << relative.err;
  EXPECT_NE(relative.out.find("\"input\": \"" + input + "\""), std::string::npos);
}

TEST(ExitStatus, AMoveWithAFailedEntryEndsWithThreeAndReplacesNothing) {
  TempDir dir;
  const std::string input = dir.CreateDir("in");
  dir.WriteFile("in/a.txt", "mine");
  dir.WriteFile("in/b.txt", "moves");
  // Already in the volume folder: the move must not replace it.
  dir.WriteFile("out/folder00001/a.txt", "theirs");
  const testing::CliRun run = RunCliProgram(
      {"move", input, dir.Path("out"), "--yes", "--journal", dir.Path("j.jsonl")}, dir.path());
  EXPECT_EQ(run.status, kExitSomeFailed) << run.err;
  EXPECT_NE(run.err.find("フォルダの移動に失敗しました。\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("フォルダを移動しました。\n"), std::string::npos) << run.err;
  EXPECT_EQ(testing::ReadFile(dir.Path("out/folder00001/a.txt")), "theirs");
  EXPECT_EQ(testing::ReadFile(dir.Path("in/a.txt")), "mine");
  EXPECT_EQ(testing::ReadFile(dir.Path("out/folder00001/b.txt")), "moves");

  // The undo takes back b.txt only and keeps the folder that held a.txt before.
  const testing::CliRun undo = RunCliProgram({"undo", dir.Path("j.jsonl"), "--yes"}, dir.path());
  EXPECT_EQ(undo.status, kExitDone) << undo.err;
  EXPECT_EQ(testing::ReadFile(dir.Path("in/b.txt")), "moves");
  EXPECT_EQ(testing::ReadFile(dir.Path("out/folder00001/a.txt")), "theirs");
}

}  // namespace
}  // namespace morvick::cli
