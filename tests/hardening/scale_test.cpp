// Scale and odd names: many top-level entries, millions of entries in all,
// names at the limits of what the file system allows, and a tree deeper than
// any path. Each is planned, moved and undone, and the input folder must come
// back exactly. MORVICK_HARDENING_SCALE=full runs the full sizes.

#include "commands/plan_commands.h"
#include "hardening_support.h"
#include "support/fake_plan_view.h"
#include "support/manifest.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

namespace morvick {
namespace {

using testing::FakePlanView;
using testing::Manifest;
using testing::ScriptedPrompter;
using testing::TakeManifest;
using testing::TempDir;

const std::string kConfirm = "よろしいですか？";
const std::string kMoved = "フォルダを移動しました。";

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Removes the input and output trees before TempDir does, since they may be
// deeper than its removal reaches.
struct TreeCleanup {
  const TempDir& dir;
  ~TreeCleanup() {
    testing::RemoveTree(dir.Path("in"));
    testing::RemoveTree(dir.Path("out"));
  }
};

// Plans `in` with the given capacity in bytes, moves it to `out` and undoes
// the move through the commands, checking each step; returns a summary.
std::string PlanMoveUndo(const TempDir& dir, std::int64_t capacity, const Manifest& before,
                         std::int64_t top_level) {
  CommandState state;
  FakePlanView form;
  ScriptedPrompter prompter;
  form.edits = {std::to_string(capacity), dir.Path("in"), dir.Path("out"), "vol"};
  form.unit_index = 1;
  form.digits = 4;

  const auto start = std::chrono::steady_clock::now();
  RunInvestigate(state, form, prompter, PlatformPathRules());
  EXPECT_TRUE(prompter.boxes().empty());
  EXPECT_TRUE(state.SearchDone);
  EXPECT_EQ(static_cast<std::int64_t>(state.EntryList->size()), top_level);
  EXPECT_EQ(static_cast<std::int64_t>(form.entry_rows.size()), top_level);
  // Every entry that fits has a volume; no volume holds more than it may.
  std::int64_t planned = 0;
  for (const TSplitEntry& entry : *state.EntryList) {
    if (entry.Size <= capacity) {
      EXPECT_GT(entry.Volume, 0) << entry.Name();
    }
    if (entry.Volume > 0) planned += entry.Size;
  }
  EXPECT_EQ(planned, state.GrandTotal);
  EXPECT_EQ(static_cast<std::int32_t>(form.volume_rows.size()), state.VolumeCount);
  const double plan_seconds = SecondsSince(start);

  prompter.Answer(Answer::Yes);
  const auto move_start = std::chrono::steady_clock::now();
  RunMove(state, form, prompter, PlatformPathRules());
  const double move_seconds = SecondsSince(move_start);
  EXPECT_EQ(prompter.texts(), (std::vector<std::string>{kConfirm, kMoved}));
  EXPECT_TRUE(state.UpdateDone);
  std::vector<std::string> volumes;
  for (const std::string& name : testing::NamesIn(dir.Path("out"))) {
    volumes.push_back(dir.Path("out/" + name));
  }
  EXPECT_EQ(static_cast<std::int32_t>(volumes.size()), state.VolumeCount);
  volumes.push_back(dir.Path("in"));
  const std::string placed = EveryEntryInOnePlace(before, volumes);
  EXPECT_EQ(placed, "");

  prompter.Clear();
  prompter.Answer(Answer::Yes);
  const auto undo_start = std::chrono::steady_clock::now();
  RunUndo(state, form, prompter, PlatformPathRules());
  const double undo_seconds = SecondsSince(undo_start);
  EXPECT_EQ(prompter.texts(), (std::vector<std::string>{kConfirm, kMoved}));
  EXPECT_TRUE(state.UndoDone);
  const std::string diff = DiffManifests(before, TakeManifest(dir.Path("in")));
  EXPECT_EQ(diff, "");
  EXPECT_TRUE(testing::NamesIn(dir.Path("out")).empty());

  char times[160];
  std::snprintf(times, sizeof times, "plan %.1f s, move %.1f s, undo %.1f s, %d volumes",
                plan_seconds, move_seconds, undo_seconds, state.VolumeCount);
  return std::string(diff.empty() && placed.empty() ? "manifest matched after undo"
                                                    : "MANIFEST DIFFERS") +
         " (" + times + ")";
}

TEST(Scale, ManyTopLevelEntries) {
  const std::int64_t count = testing::Scaled(3000, 100000);
  TempDir dir;
  const TreeCleanup cleanup{dir};
  dir.CreateDir("in");
  testing::MakeNumberedFiles(dir.Path("in"), "entry-", count, 64);
  const Manifest before = TakeManifest(dir.Path("in"));
  ASSERT_EQ(static_cast<std::int64_t>(before.size()), count);
  const std::string outcome = PlanMoveUndo(dir, 64 * 1000, before, count);
  testing::Summary("many top-level entries", std::to_string(count) + " top-level files", outcome);
}

TEST(Scale, ManyEntriesInAll) {
  const std::int64_t folders = testing::Scaled(100, 1000);
  const std::int64_t per_folder = testing::Scaled(200, 2000);
  TempDir dir;
  const TreeCleanup cleanup{dir};
  dir.CreateDir("in");
  for (std::int64_t i = 0; i < folders; ++i) {
    const std::string folder = dir.CreateDir("in/folder-" + std::to_string(i));
    testing::MakeNumberedFiles(folder, "f", per_folder, i % 3);
  }
  const Manifest before = TakeManifest(dir.Path("in"));
  const std::int64_t total = folders * (per_folder + 1);
  ASSERT_EQ(static_cast<std::int64_t>(before.size()), total);
  const std::string outcome = PlanMoveUndo(dir, 2 * per_folder * 4, before, folders);
  testing::Summary(
      "many entries in all",
      std::to_string(total) + " entries in " + std::to_string(folders) + " top-level folders",
      outcome);
}

TEST(Scale, DeepTree) {
  const int depth = 5000;
  testing::RaiseDescriptorLimit();
  TempDir dir;
  const TreeCleanup cleanup{dir};
  dir.CreateDir("in");
  dir.WriteFile("in/beside", "a file next to the deep folder");
  // Made descriptor by descriptor: the path of the deepest folder is far
  // longer than any path the system accepts.
  int fd = ::open(dir.Path("in").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  for (int level = 0; level < depth; ++level) {
    const std::string name = level == 0 ? "deep" : "d";
    ASSERT_EQ(::mkdirat(fd, name.c_str(), 0755), 0) << level;
    const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    ASSERT_GE(child, 0) << level;
    fd = child;
  }
  const int file = ::openat(fd, "bottom.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(file, 0);
  ASSERT_EQ(::write(file, "12345", 5), 5);
  ::close(file);
  ::close(fd);

  const Manifest before = TakeManifest(dir.Path("in"));
  ASSERT_EQ(before.size(), static_cast<std::size_t>(depth + 2));
  // The deep folder is measured in full: its one file of 5 bytes.
  CommandState state;
  FakePlanView form;
  ScriptedPrompter prompter;
  form.edits = {"1000", dir.Path("in"), dir.Path("out"), "vol"};
  form.unit_index = 1;
  RunInvestigate(state, form, prompter, PlatformPathRules());
  ASSERT_EQ(state.EntryList->size(), 2u);
  for (const TSplitEntry& entry : *state.EntryList) {
    if (entry.Name() == "deep") {
      EXPECT_EQ(entry.Size, 5);
    }
  }
  EXPECT_EQ(form.tree.size(), static_cast<std::size_t>(depth + 2));
  const std::string outcome = PlanMoveUndo(dir, 1000, before, 2);
  testing::Summary("deep tree", std::to_string(depth) + " levels below the input folder", outcome);
}

// Names that break careless code: the longest a name may be (in ASCII and in
// Japanese), control characters, leading dashes, bytes that are not UTF-8,
// format directives and quotes. Through the commands and through morvick-cli,
// whose journal must carry every byte of them.
TEST(Scale, OddNames) {
  std::string japanese;
  for (int i = 0; i < 85; ++i) japanese += "名";  // 85 three-byte characters
  const std::vector<std::string> names = {std::string(255, 'n'),
                                          japanese,
                                          "line\nbreak",
                                          "tab\there",
                                          "-leading-dash",
                                          "--",
                                          "-",
                                          "bad\xff\xfe utf8",
                                          "cut\xe3\x81",
                                          "日本語のファイル名.txt",
                                          " spaced ",
                                          "back\\slash",
                                          "quote\"s'",
                                          "%s%n%d",
                                          ".hidden",
                                          "\x01control"};
  ASSERT_EQ(names[0].size(), 255u);
  ASSERT_EQ(names[1].size(), 255u);
  TempDir dir;
  const TreeCleanup cleanup{dir};
  dir.CreateDir("in");
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i % 2 == 0) {
      dir.WriteFile("in/" + names[i], "content of " + std::to_string(i));
    } else {
      dir.WriteFile("in/" + names[i] + "/" + names[i], "inner " + std::to_string(i));
    }
  }
  const Manifest before = TakeManifest(dir.Path("in"));
  ASSERT_EQ(testing::NamesIn(dir.Path("in")).size(), names.size());
  const std::string commands =
      PlanMoveUndo(dir, 40, before, static_cast<std::int64_t>(names.size()));

  std::string err;
  EXPECT_EQ(testing::RunCli({"plan", dir.Path("in"), "--size", "40", "--unit", "bytes", "--format",
                             "json", "--quiet"},
                            dir.path(), &err),
            0)
      << err;
  const std::string journal = dir.Path("odd.jsonl");
  EXPECT_EQ(testing::RunCli({"move", dir.Path("in"), dir.Path("out"), "--size", "40", "--unit",
                             "bytes", "--yes", "--quiet", "--journal", journal},
                            dir.path(), &err),
            0)
      << err;
  EXPECT_TRUE(testing::NamesIn(dir.Path("in")).empty());
  EXPECT_EQ(testing::RunCli({"undo", journal, "--yes", "--quiet"}, dir.path(), &err), 0) << err;
  const std::string diff = DiffManifests(before, TakeManifest(dir.Path("in")));
  EXPECT_EQ(diff, "");
  testing::Summary("odd names",
                   std::to_string(names.size()) +
                       " names (255 bytes, newline, tab, leading dashes, invalid UTF-8, Japanese)",
                   "commands: " + commands + "; morvick-cli: " +
                       (diff.empty() ? "manifest matched after undo" : "MANIFEST DIFFERS"));
}

}  // namespace
}  // namespace morvick
