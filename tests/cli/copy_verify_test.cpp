#include "cli/cli_app.h"
#include "commands/volume_index.h"
#include "run_cli.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

namespace morvick::cli {
namespace {

using testing::NamesIn;
using testing::PathExists;
using testing::RunCliProgram;
using testing::TakeManifest;
using testing::TempDir;

// An input folder of two volumes of 1,000 bytes, with nested and Japanese
// names, a link and an entry larger than a volume.
class CopyVerifyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    input_ = dir_.CreateDir("in");
    dir_.WriteFile("in/a.txt", std::string(600, 'a'));
    dir_.WriteFile("in/写真/日本語.jpg", std::string(500, 'j'));
    dir_.WriteFile("in/deep/x/y/z.txt", std::string(300, 'z'));
    dir_.CreateDir("in/deep/empty");
    dir_.CreateSymlink("in/link", "a.txt");
    dir_.WriteFile("in/too-big", std::string(1500, 't'));
    before_ = TakeManifest(input_);
  }

  std::vector<std::string> PlanArgs(const std::string& command) const {
    std::vector<std::string> args = {command, input_};
    if (command != "plan") args.push_back(dir_.Path("out"));
    for (const char* arg :
         {"--size", "1000", "--unit", "bytes", "--base", "DVD", "--digits", "2"}) {
      args.push_back(arg);
    }
    if (command != "plan") args.push_back("--yes");
    return args;
  }
  testing::CliRun Copy() { return RunCliProgram(PlanArgs("copy"), dir_.path()); }
  testing::CliRun Verify(const std::string& volume) {
    return RunCliProgram({"verify", dir_.Path("out/" + volume)}, dir_.path());
  }

  TempDir dir_;
  std::string input_;
  testing::Manifest before_;
};

TEST_F(CopyVerifyTest, CopyPrintsThePlanLeavesTheInputAndVerifyChecksEachVolume) {
  const testing::CliRun plan = RunCliProgram(PlanArgs("plan"), dir_.path());
  const testing::CliRun copy = Copy();
  ASSERT_EQ(copy.status, kExitDone) << copy.err;
  EXPECT_EQ(copy.out, plan.out);
  EXPECT_EQ(TakeManifest(input_), before_);
  EXPECT_EQ(NamesIn(dir_.Path("out")),
            (std::set<std::string>{"DVD01", "DVD02", kCatalogueJsonName, kCatalogueTsvName}));
  EXPECT_FALSE(PathExists(dir_.Path("out/DVD01/too-big")));
  EXPECT_FALSE(PathExists(dir_.Path("out/DVD02/too-big")));
  for (const char* volume : {"DVD01", "DVD02"}) {
    const testing::CliRun verify = Verify(volume);
    EXPECT_EQ(verify.status, kExitDone) << verify.err;
    EXPECT_EQ(verify.out, "");
    EXPECT_NE(verify.err.find(std::string(volume) + ", volume "), std::string::npos) << verify.err;
    EXPECT_NE(verify.err.find(" of 2 (set "), std::string::npos) << verify.err;
  }

  // The same copy again keeps everything and says so.
  const testing::CliRun again = Copy();
  EXPECT_EQ(again.status, kExitDone) << again.err;
  EXPECT_NE(again.err.find("files already complete"), std::string::npos) << again.err;

  // A byte changed and a file gone, on whichever volume holds them.
  const std::string a = PathExists(dir_.Path("out/DVD01/a.txt")) ? "DVD01" : "DVD02";
  const std::string z = PathExists(dir_.Path("out/DVD01/deep")) ? "DVD01" : "DVD02";
  {
    std::fstream file(dir_.Path("out/" + a + "/a.txt"),
                      std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(599);
    file.put('b');
  }
  ASSERT_EQ(unlink(dir_.Path("out/" + z + "/deep/x/y/z.txt").c_str()), 0);
  const testing::CliRun changed = Verify(a);
  EXPECT_EQ(changed.status, kExitSomeFailed);
  EXPECT_NE(changed.out.find("changed: a.txt (sha256)\n"), std::string::npos) << changed.out;
  const testing::CliRun missing = Verify(z);
  EXPECT_EQ(missing.status, kExitSomeFailed);
  EXPECT_NE(missing.out.find("missing: deep/x/y/z.txt\n"), std::string::npos) << missing.out;
  EXPECT_EQ(TakeManifest(input_), before_);
}

// An item that cannot be copied fails its entry with 3, the rest is copied;
// once it is gone, the same command finishes the copy.
TEST_F(CopyVerifyTest, AFailedEntryEndsWithThreeAndASecondRunCompletes) {
  const std::string fifo = dir_.Path("in/deep/x/pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  before_ = TakeManifest(input_);
  const testing::CliRun first = Copy();
  EXPECT_EQ(first.status, kExitSomeFailed) << first.err;
  EXPECT_NE(first.err.find("morvick-cli: cannot copy " + fifo + ": not a file, folder or link"),
            std::string::npos)
      << first.err;
  EXPECT_FALSE(PathExists(dir_.Path("out/") + kCatalogueJsonName));
  EXPECT_EQ(TakeManifest(input_), before_);

  ASSERT_EQ(unlink(fifo.c_str()), 0);
  const testing::CliRun second = Copy();
  EXPECT_EQ(second.status, kExitDone) << second.err;
  EXPECT_TRUE(PathExists(dir_.Path("out/") + kCatalogueJsonName));
  for (const char* volume : {"DVD01", "DVD02"}) EXPECT_EQ(Verify(volume).status, kExitDone);
}

// A disk that fills in the middle of a file: the copies it cuts fail and go,
// and every name in the volume holds a whole file.
TEST_F(CopyVerifyTest, AFullDiskLeavesOnlyWholeFilesUnderTheirNames) {
  const std::string out = dir_.CreateDir("small");
  if (::mount("tmpfs", out.c_str(), "tmpfs", 0, "size=256k") != 0) {
    GTEST_SKIP() << "needs root to mount a small file system";
  }
  const std::string in = dir_.CreateDir("many");
  for (const char* name : {"1", "2", "3", "4"}) {
    dir_.WriteFile(std::string("many/") + name, std::string(120000, name[0]));
  }
  const testing::CliRun run =
      RunCliProgram({"copy", in, out, "--size", "1000000", "--unit", "bytes", "--base", "DVD",
                     "--digits", "2", "--yes", "--quiet"},
                    dir_.path());
  const testing::Manifest copied = TakeManifest(out + "/DVD01");
  ::umount(out.c_str());
  EXPECT_EQ(run.status, kExitSomeFailed) << run.err;
  EXPECT_NE(run.err.find(std::strerror(ENOSPC)), std::string::npos) << run.err;
  const testing::Manifest sources = TakeManifest(in);
  EXPECT_FALSE(copied.empty());
  EXPECT_LT(copied.size(), sources.size());
  for (const testing::ManifestItem& item : copied) {
    EXPECT_NE(std::find(sources.begin(), sources.end(), item), sources.end()) << item.path;
  }
}

// On a terminal: the question is asked there, Ctrl-C at it copies nothing;
// verify shows its progress line and clears it.
TEST_F(CopyVerifyTest, OnATerminal) {
  std::vector<std::string> args = PlanArgs("copy");
  args.pop_back();  // no --yes
  const testing::CliRun interrupted =
      testing::RunCliOnTerminal(args, dir_.path(), "よろしいですか？", "");
  EXPECT_EQ(interrupted.status, kExitInterrupted) << interrupted.err;
  EXPECT_FALSE(PathExists(dir_.Path("out")));

  const testing::CliRun copy =
      testing::RunCliOnTerminal(args, dir_.path(), "よろしいですか？", "y\n");
  ASSERT_EQ(copy.status, kExitDone) << copy.err;
  const testing::CliRun verify =
      testing::RunCliOnTerminal({"verify", dir_.Path("out/DVD01")}, dir_.path(), "[検証中] ", "\n");
  EXPECT_EQ(verify.status, kExitDone) << verify.err;
  EXPECT_NE(verify.err.find(" bytes"), std::string::npos) << verify.err;
  EXPECT_NE(verify.err.find("\r\x1b[K"), std::string::npos) << verify.err;
  EXPECT_EQ(TakeManifest(input_), before_);
}

// Unlike a move, a copy may go to another file system; hard links may not.
TEST_F(CopyVerifyTest, CopiesToAnotherFileSystemButLinksOnlyWithinOne) {
  struct stat here {};
  struct stat shm {};
  if (stat(dir_.path().c_str(), &here) != 0 || stat("/dev/shm", &shm) != 0 ||
      here.st_dev == shm.st_dev) {
    GTEST_SKIP() << "no second file system at /dev/shm";
  }
  char pattern[] = "/dev/shm/morvick-copy-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string other = pattern;
  // Removed however the test ends.
  const std::unique_ptr<const std::string, void (*)(const std::string*)> remove(
      &other, [](const std::string* path) { std::filesystem::remove_all(*path); });
  std::vector<std::string> args = PlanArgs("copy");
  args[2] = other + "/out";
  std::vector<std::string> linked = args;
  linked.push_back("--link");
  const testing::CliRun refused = RunCliProgram(linked, dir_.path());
  EXPECT_EQ(refused.status, kExitRefused);
  EXPECT_NE(refused.err.find("--link needs the input and output folders on one file system"),
            std::string::npos)
      << refused.err;
  EXPECT_FALSE(PathExists(other + "/out"));

  const testing::CliRun copy = RunCliProgram(args, dir_.path());
  EXPECT_EQ(copy.status, kExitDone) << copy.err;
  const testing::CliRun verify = RunCliProgram({"verify", other + "/out/DVD01"}, dir_.path());
  EXPECT_EQ(verify.status, kExitDone) << verify.err;
  EXPECT_EQ(TakeManifest(input_), before_);
}

TEST_F(CopyVerifyTest, ManyFilesCopyUnderALowDescriptorLimit) {
  // A batch of copies waiting for their flush keeps each one open: it must
  // stay within what the process may open.
  for (int i = 0; i < 200; ++i) dir_.WriteFile("in/many/" + std::to_string(i), "m");
  std::string script = "ulimit -n 64 && \"$CLI\"";
  for (const std::string& arg : PlanArgs("copy")) script += " '" + arg + "'";
  const testing::CliRun copy = testing::RunCliInShell(script, dir_.path());
  ASSERT_EQ(copy.status, kExitDone) << copy.err;
  const std::string volume = PathExists(dir_.Path("out/DVD01/many")) ? "DVD01" : "DVD02";
  EXPECT_EQ(NamesIn(dir_.Path("out/" + volume + "/many")).size(), 200u);
  EXPECT_EQ(Verify(volume).status, kExitDone);
}

TEST_F(CopyVerifyTest, NoIndexLeavesIndexAndCatalogueOut) {
  std::vector<std::string> args = PlanArgs("copy");
  args.push_back("--no-index");
  const testing::CliRun copy = RunCliProgram(args, dir_.path());
  ASSERT_EQ(copy.status, kExitDone) << copy.err;
  EXPECT_EQ(NamesIn(dir_.Path("out")), (std::set<std::string>{"DVD01", "DVD02"}));
  EXPECT_FALSE(PathExists(dir_.Path("out/DVD01/") + kIndexFileName));
  EXPECT_EQ(Verify("DVD01").status, kExitRefused);
}

}  // namespace
}  // namespace morvick::cli
