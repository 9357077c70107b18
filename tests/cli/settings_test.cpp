#include "cli/cli_app.h"
#include "common/json_text.h"
#include "run_cli.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace morvick::cli {
namespace {

using testing::RunCliProgram;
using testing::TempDir;

TEST(Settings, PrintsTheValuesTheWindowWouldLoad) {
  TempDir dir;
  struct Case {
    std::string file;  // "" for no file
    Json expected;     // without "file"
  };
  const Case cases[] = {
      {"",
       {{"Size", "650"},
        {"InputPath", ""},
        {"OutputPath", ""},
        {"BaseName", "folder"},
        {"Figure", 5},
        {"Packing", 0},
        {"Scale", 0},
        {"ClusterSize", 0},
        {"Seq", 1},
        {"SeqFlag", false},
        {"MoveFlag", false},
        {"FewestVolumes", false}}},
      {"[Settings]\nSize=\nInputPath=/data/in\nBaseName=cd\nFigure=12\nPacking=8\nScale=2\n"
       "ClusterSize=4\nSeq=0\nSeqFlag=2\nMoveFlag=true\nFewestVolumes=1\n",
       {{"Size", ""},
        {"InputPath", "/data/in"},
        {"OutputPath", ""},
        {"BaseName", "cd"},
        {"Figure", 9},
        {"Packing", 7},
        {"Scale", -1},
        {"ClusterSize", 4},
        {"Seq", 1},
        {"SeqFlag", true},
        {"MoveFlag", false},
        {"FewestVolumes", true}}},
      {"[Settings]\nFigure=0x7\nPacking=-5\nScale=1\nClusterSize=-1\nSeq=1000000000\n"
       "MoveFlag=1\n",
       {{"Size", "650"},
        {"InputPath", ""},
        {"OutputPath", ""},
        {"BaseName", "folder"},
        {"Figure", 7},
        {"Packing", -1},
        {"Scale", 1},
        {"ClusterSize", -1},
        {"Seq", 999999999},
        {"SeqFlag", false},
        {"MoveFlag", true},
        {"FewestVolumes", false}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::vector<std::string> args = {"settings"};
    std::string path;
    if (!c.file.empty()) {
      path = dir.WriteFile("morvick-" + std::to_string(&c - cases) + ".ini", c.file);
      args.insert(args.end(), {"--file", path});
    }
    const testing::CliRun run = RunCliProgram(args, dir.path());
    ASSERT_EQ(run.status, kExitDone) << run.err;
    Json expected = {{"file", path.empty() ? Json(nullptr) : Json(path)}};
    expected.update(c.expected);
    EXPECT_EQ(ParseJson(run.out), expected);
    EXPECT_EQ(run.out.substr(0, 10), "{\n  \"file\"");
  }

  // The default file is the one in the configuration folder.
  const std::string user_file =
      dir.WriteFile("config/morvick/morvick.ini", "[Settings]\nBaseName=mine\n");
  const Json shown = ParseJson(RunCliProgram({"settings"}, dir.path()).out);
  EXPECT_EQ(shown.at("file"), user_file);
  EXPECT_EQ(shown.at("BaseName"), "mine");
}

TEST(Settings, PlanStartsFromTheFileAndOptionsWin) {
  TempDir dir;
  const std::string input = dir.CreateDir("in");
  dir.CreateFile("in/a", 3000);
  dir.CreateFile("in/b", 3000);
  const std::string ini =
      dir.WriteFile("s.ini", "[Settings]\nSize=4096\nScale=1\nInputPath=" + input +
                                 "\nBaseName=disc\nFigure=2\nSeq=3\nClusterSize=4\nPacking=6\n");
  const testing::CliRun from_file =
      RunCliProgram({"plan", "--settings", ini, "--format", "json"}, dir.path());
  ASSERT_EQ(from_file.status, kExitDone) << from_file.err;
  const Json plan = ParseJson(from_file.out);
  EXPECT_EQ(plan.at("capacity"), 4096);
  EXPECT_EQ(plan.at("cluster"), 4096);
  EXPECT_EQ(plan.at("method"), 6);
  EXPECT_EQ(plan.at("volumes").at(1).at("folder"), "disc04");

  const testing::CliRun overridden =
      RunCliProgram({"plan", "--settings", ini, "--format", "json", "--base", "x", "--digits", "1",
                     "--size", "1", "--unit", "mbytes", "--cluster", "0", "--method", "name-desc"},
                    dir.path());
  ASSERT_EQ(overridden.status, kExitDone) << overridden.err;
  const Json plan2 = ParseJson(overridden.out);
  EXPECT_EQ(plan2.at("capacity"), 1048576);
  EXPECT_EQ(plan2.at("cluster"), 0);
  EXPECT_EQ(plan2.at("method"), 1);
  EXPECT_EQ(plan2.at("entries").at(0).at("name"), "b");
  EXPECT_EQ(plan2.at("volumes").at(0).at("folder"), "x3");
}

}  // namespace
}  // namespace morvick::cli
