#include "cli/cli_app.h"
#include "commands/volume_index.h"
#include "common/json_text.h"
#include "run_cli.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

namespace morvick::cli {
namespace {

using testing::CliRun;
using testing::Manifest;
using testing::NamesIn;
using testing::PathExists;
using testing::RunCliProgram;
using testing::TakeManifest;
using testing::TempDir;

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator());
  return bytes;
}

// Rock Ridge keeps whole seconds: the times of a manifest cut the same way.
Manifest InSeconds(Manifest manifest) {
  for (testing::ManifestItem& item : manifest) item.mtime_ns -= item.mtime_ns % 1000000000;
  return manifest;
}

// The items of `manifest` below the top-level entries `names`.
Manifest Below(const Manifest& manifest, const std::set<std::string>& names) {
  Manifest kept;
  for (const testing::ManifestItem& item : manifest) {
    if (names.count(item.path.substr(0, item.path.find('/'))) > 0) kept.push_back(item);
  }
  return kept;
}

// Unpacks an image with another program than the one that wrote it.
std::string Unpack(TempDir& dir, const std::string& image, const std::string& into) {
  const std::string folder = dir.CreateDir(into);
  const std::string command = "bsdtar -x -p -f '" + image + "' -C '" + folder + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return folder;
}

// The paths in an image, as another program lists them.
std::vector<std::string> ListImage(const std::string& image) {
  const std::string command = "bsdtar -t -f '" + image + "'";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  std::vector<std::string> paths;
  if (!pipe) return paths;
  char line[4096];
  while (std::fgets(line, sizeof line, pipe)) {
    std::string path(line);
    if (!path.empty() && path.back() == '\n') path.pop_back();
    if (path.rfind("./", 0) == 0) path.erase(0, 2);
    if (!path.empty() && path != ".") paths.push_back(path);
  }
  EXPECT_EQ(::pclose(pipe), 0) << command;
  return paths;
}

const std::string kLongName = std::string(30, 'n') + "の長い名前" + std::string(30, 'n') + ".txt";

// An input of nested and Japanese names, an empty file and folder, a link,
// and an entry larger than an image of 100,000 bytes.
class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    input_ = dir_.CreateDir("in");
    dir_.WriteFile("in/a.txt", RandomBytes(600, 1));
    dir_.WriteFile("in/写真/日本語の名前.jpg", RandomBytes(5000, 2));
    dir_.WriteFile("in/写真/" + kLongName, "Joliet keeps 64 characters of this name");
    dir_.WriteFile("in/deep/x/y/z.txt", RandomBytes(300, 3));
    dir_.CreateDir("in/deep/empty");
    dir_.CreateFile("in/empty.txt");
    dir_.CreateSymlink("in/link", "a.txt");
    dir_.WriteFile("in/too-big", RandomBytes(120000, 4));
    before_ = TakeManifest(input_);
  }

  std::vector<std::string> Args(const std::string& size,
                                std::initializer_list<std::string> more = {}) const {
    std::vector<std::string> args = {"image",  input_,  dir_.Path("out"), "--size", size,
                                     "--unit", "bytes", "--base",         "DVD",    "--digits",
                                     "2",      "--yes", "--format",       "json"};
    args.insert(args.end(), more);
    return args;
  }

  TempDir dir_;
  std::string input_;
  Manifest before_;
};

TEST_F(ImageTest, ImagesHoldTheirVolumesExactlyWithinTheCapacityAndVerify) {
  const std::int64_t capacity = 100000;
  const CliRun run = RunCliProgram(Args(std::to_string(capacity)), dir_.path());
  ASSERT_EQ(run.status, kExitDone) << run.err;
  EXPECT_EQ(TakeManifest(input_), before_);
  EXPECT_NE(run.err.find("warning: Joliet keeps 64 characters of a name; these are shortened "
                         "there (Rock Ridge keeps them whole):\n  写真/" +
                         kLongName + "\n"),
            std::string::npos)
      << run.err;
  const Json plan = ParseJson(run.out);
  std::map<int, std::set<std::string>> names;
  for (const Json& entry : plan["entries"]) {
    names[entry["volume"].get<int>()].insert(entry["name"].get<std::string>());
  }
  EXPECT_EQ(names[0], (std::set<std::string>{"too-big"}));
  ASSERT_GE(plan["volumes"].size(), 2u);
  std::set<std::string> files{kCatalogueJsonName, kCatalogueTsvName};
  for (const Json& volume : plan["volumes"]) {
    const std::string image = dir_.Path("out/") + volume["image"].get<std::string>();
    files.insert(volume["image"].get<std::string>());
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(image));
    EXPECT_EQ(size, volume["imageSize"].get<std::int64_t>());
    EXPECT_LE(size, capacity);
    const std::string unpacked =
        Unpack(dir_, image, "unpacked/" + volume["folder"].get<std::string>());
    Manifest read_back = TakeManifest(unpacked);
    EXPECT_EQ(
        std::erase_if(read_back, [](const auto& item) { return item.path == kIndexFileName; }), 1u);
    EXPECT_EQ(InSeconds(read_back), InSeconds(Below(before_, names[volume["volume"].get<int>()])));
    const CliRun verify = RunCliProgram({"verify", image}, dir_.path());
    EXPECT_EQ(verify.status, kExitDone) << verify.err << verify.out;
  }
  EXPECT_EQ(NamesIn(dir_.Path("out")), files);

  // A byte changed in the image, and a name changed so that its file is
  // missing and another extra.
  // By name, next-fit: the first image holds these three.
  ASSERT_TRUE(names[1].count("a.txt") && names[1].count("deep") && names[1].count("empty.txt"));
  const std::string holder = "DVD01.iso";
  std::string bytes = testing::ReadFile(dir_.Path("out/" + holder));
  const std::size_t content = bytes.find(RandomBytes(600, 1));
  ASSERT_NE(content, std::string::npos);
  bytes[content + 10] = static_cast<char>(bytes[content + 10] ^ 1);
  const std::size_t name = bytes.find(std::string("NM\x0a\x01\x00z.txt", 10));
  ASSERT_NE(name, std::string::npos);
  bytes[name + 5] = 'q';
  std::filesystem::permissions(dir_.Path("out/" + holder), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  std::ofstream(dir_.Path("out/" + holder), std::ios::binary) << bytes;
  const CliRun broken = RunCliProgram({"verify", dir_.Path("out/" + holder)}, dir_.path());
  EXPECT_EQ(broken.status, kExitSomeFailed);
  EXPECT_EQ(broken.out,
            "changed: a.txt (sha256)\nextra: deep/x/y/q.txt\nmissing: deep/x/y/z.txt\n");

  // Times count too, on the folder unpacked from the image as on the image;
  // a time kept in whole seconds matches the one listed to the nanosecond.
  const std::string unpacked = dir_.Path("unpacked/DVD01");
  EXPECT_EQ(RunCliProgram({"verify", unpacked}, dir_.path()).status, kExitDone);
  TempDir::SetMtime(unpacked + "/empty.txt", 1000000000);
  const CliRun touched = RunCliProgram({"verify", unpacked}, dir_.path());
  EXPECT_EQ(touched.status, kExitSomeFailed) << touched.err;
  EXPECT_EQ(touched.out.rfind("changed: empty.txt (mtime ", 0), 0u) << touched.out;
}

// The exact sizes decide: an entry whose image is exactly the capacity gets
// one of its own, one a block larger none, and thousands of tiny files whose
// data alone would fit one image take two once their records are counted.
TEST_F(ImageTest, ExactSizesDecideWhatFits) {
  dir_.WriteFile("solo/exact.bin", RandomBytes(100000, 5));
  const CliRun solo = RunCliProgram(
      {"image", dir_.Path("solo"), dir_.Path("solo-out"), "--size", "10000000", "--unit", "bytes",
       "--base", "DVD", "--digits", "2", "--yes", "--format", "json"},
      dir_.path());
  ASSERT_EQ(solo.status, kExitDone) << solo.err;
  const std::int64_t exact = ParseJson(solo.out)["volumes"][0]["imageSize"].get<std::int64_t>();

  const std::string fits = dir_.CreateDir("fits");
  dir_.WriteFile("fits/exact.bin", RandomBytes(100000, 5));
  dir_.WriteFile("fits/over.bin", RandomBytes(100000 + 2048, 6));
  dir_.WriteFile("fits/small.txt", "small");
  std::vector<std::string> args = Args(std::to_string(exact));
  args[1] = fits;
  const CliRun run = RunCliProgram(args, dir_.path());
  ASSERT_EQ(run.status, kExitDone) << run.err;
  const Json plan = ParseJson(run.out);
  std::map<std::string, int> volume_of;
  for (const Json& entry : plan["entries"]) {
    volume_of[entry["name"].get<std::string>()] = entry["volume"].get<int>();
  }
  EXPECT_EQ(volume_of["over.bin"], 0);
  ASSERT_NE(volume_of["exact.bin"], 0);
  EXPECT_NE(volume_of["small.txt"], volume_of["exact.bin"]);
  EXPECT_EQ(plan["volumes"][volume_of["exact.bin"] - 1]["imageSize"].get<std::int64_t>(), exact);

  const std::string tiny = dir_.CreateDir("tiny");
  constexpr int kFiles = 3000;
  for (int i = 0; i < kFiles; ++i) dir_.WriteFile("tiny/file-" + std::to_string(i), "t");
  const std::int64_t capacity = kFiles * 2048 + 700000;
  args = Args(std::to_string(capacity));
  args[1] = tiny;
  args[2] = dir_.Path("tiny-out");
  const CliRun many = RunCliProgram(args, dir_.path());
  ASSERT_EQ(many.status, kExitDone) << many.err;
  const Json volumes = ParseJson(many.out)["volumes"];
  EXPECT_EQ(volumes.size(), 2u);
  std::set<std::string> listed;
  for (const Json& volume : volumes) {
    const std::string image = dir_.Path("tiny-out/") + volume["image"].get<std::string>();
    EXPECT_LE(static_cast<std::int64_t>(std::filesystem::file_size(image)), capacity);
    for (const std::string& name : ListImage(image)) {
      if (name != kIndexFileName) {
        EXPECT_TRUE(listed.insert(name).second) << name;
      }
    }
  }
  EXPECT_EQ(listed.size(), static_cast<std::size_t>(kFiles));
}

// Nothing is replaced, and an image that cannot be written whole leaves
// nothing behind: not under its name, not under a temporary one.
TEST_F(ImageTest, NoImageReplacedNoPartialImageLeft) {
  dir_.WriteFile("taken/DVD02.iso", "someone's");
  std::vector<std::string> args = Args("100000");
  args[2] = dir_.Path("taken");
  CliRun run = RunCliProgram(args, dir_.path());
  EXPECT_EQ(run.status, kExitSomeFailed);
  EXPECT_NE(
      run.err.find(dir_.Path("taken/DVD02.iso") + " exists; not replaced; nothing was written"),
      std::string::npos)
      << run.err;
  EXPECT_EQ(NamesIn(dir_.Path("taken")), (std::set<std::string>{"DVD02.iso"}));
  EXPECT_EQ(testing::ReadFile(dir_.Path("taken/DVD02.iso")), "someone's");

  struct NoRoom {
    const char* what;
    std::string script_prefix;  // before the command
    std::string folder;
    const char* message;
  };
  std::vector<NoRoom> cases = {{"a file size limit", "ulimit -f 40; ", dir_.CreateDir("limited"),
                                "the file is larger than this file system or the file size "
                                "limit allows; the partial image was removed"}};
  const std::string small = dir_.CreateDir("small");
  const bool mounted = ::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") == 0;
  if (mounted) {
    cases.push_back({"a full disk", "", small, "the disk is full; the partial image was removed"});
  }
  for (const NoRoom& no_room : cases) {
    std::string script = no_room.script_prefix + "\"$CLI\"";
    args = Args("100000", {"--quiet"});
    args[2] = no_room.folder;
    for (const std::string& arg : args) script += " '" + arg + "'";
    run = testing::RunCliInShell(script, dir_.path());
    EXPECT_EQ(run.status, kExitSomeFailed) << no_room.what << run.err;
    EXPECT_NE(run.err.find(no_room.message), std::string::npos) << no_room.what << run.err;
    EXPECT_EQ(NamesIn(no_room.folder), std::set<std::string>{}) << no_room.what;
  }
  if (mounted) ::umount(small.c_str());
  EXPECT_EQ(TakeManifest(input_), before_);

  // What a killed run left under the temporary name goes; near misses stay.
  const std::string again = dir_.CreateDir("again");
  dir_.WriteFile("again/.morvick-4000000-7.partial", "half an image");
  dir_.WriteFile("again/.morvick-x-7.partial", "someone's");
  dir_.CreateDir("again/.morvick-4000000-8.partial");
  args = Args("100000");
  args[2] = again;
  run = RunCliProgram(args, dir_.path());
  EXPECT_EQ(run.status, kExitDone) << run.err;
  EXPECT_NE(run.err.find("removed 1 partial image(s) left in " + again), std::string::npos)
      << run.err;
  const std::set<std::string> names = NamesIn(again);
  EXPECT_FALSE(names.contains(".morvick-4000000-7.partial"));
  EXPECT_TRUE(names.contains(".morvick-x-7.partial"));
  EXPECT_TRUE(names.contains(".morvick-4000000-8.partial"));
}

// On a terminal: Ctrl-C at the question writes nothing; the progress line
// shows bytes, rate and time left; Ctrl-C while an image is written removes it.
TEST_F(ImageTest, OnATerminal) {
  std::vector<std::string> args = Args("100000");
  args.erase(std::find(args.begin(), args.end(), "--yes"));
  CliRun run = testing::RunCliOnTerminal(args, dir_.path(), "よろしいですか？", "");
  EXPECT_EQ(run.status, kExitInterrupted) << run.err;
  EXPECT_FALSE(PathExists(dir_.Path("out")));

  run = testing::RunCliOnTerminal(args, dir_.path(), "よろしいですか？", "y\n");
  EXPECT_EQ(run.status, kExitDone) << run.err;
  EXPECT_NE(run.err.find("[イメージ作成中] "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(" bytes, "), std::string::npos) << run.err;
  EXPECT_NE(run.err.find(" left"), std::string::npos) << run.err;

  // Large enough that the signal comes long before the image is complete.
  dir_.CreateFile("large/zeros", std::int64_t{1} << 30);
  args = {"image", dir_.Path("large"), dir_.Path("large-out"), "--size", "2000", "--yes"};
  run = testing::RunCliOnTerminal(args, dir_.path(), "[イメージ作成中] ", "");
  EXPECT_EQ(run.status, kExitInterrupted) << run.err;
  EXPECT_EQ(NamesIn(dir_.Path("large-out")), std::set<std::string>{});
}

}  // namespace
}  // namespace morvick::cli
