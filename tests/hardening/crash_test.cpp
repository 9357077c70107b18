// Crashes at random moments: morvick-cli move killed with SIGKILL and taken
// back with morvick-cli undo, an undo killed and finished by the next, a copy
// killed and finished by the next, and a settings save killed while it writes.

#include "commands/volume_index.h"
#include "hardening_support.h"
#include "moving/journal_reader.h"
#include "platform/file_copy.h"
#include "settings/ini_file.h"
#include "settings/settings_io.h"
#include "support/manifest.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace morvick {
namespace {

using testing::Manifest;
using testing::TakeManifest;
using testing::TempDir;

using Clock = std::chrono::steady_clock;

std::mt19937 SeededGenerator() {
  const unsigned seed = std::random_device{}();
  std::cout << "[hardening] random seed " << seed << std::endl;
  return std::mt19937(seed);
}

// Top-level files and small folders of varied sizes, many enough that moving
// them (two records flushed to disk per entry) takes a moment.
void MakeMoveTree(TempDir& dir, std::int64_t entries) {
  dir.CreateDir("in");
  testing::MakeNumberedFiles(dir.Path("in"), "file-", entries - entries / 4, 300);
  for (std::int64_t i = 0; i < entries / 4; ++i) {
    const std::string folder = "in/folder-" + std::to_string(i);
    dir.WriteFile(folder + "/inner/x.txt", std::string(100 + i % 200, 'x'));
    dir.CreateSymlink(folder + "/link", "inner/x.txt");
  }
}

std::vector<std::string> MoveArguments(const TempDir& dir, const std::string& journal) {
  return {"move",  dir.Path("in"), dir.Path("out"), "--size",    "3000", "--unit",
          "bytes", "--yes",        "--quiet",       "--journal", journal};
}

TEST(CrashSafety, MoveKilledAtRandomThenUndone) {
  const std::int64_t entries = testing::Scaled(160, 2000);
  const int kills = static_cast<int>(testing::Scaled(6, 30));
  TempDir dir;
  MakeMoveTree(dir, entries);
  const Manifest before = TakeManifest(dir.Path("in"));
  ASSERT_EQ(before.size(), static_cast<std::size_t>(entries - entries / 4 + entries / 4 * 4));

  // One whole move and undo to learn how long a move takes here.
  const auto start = Clock::now();
  std::string err;
  ASSERT_EQ(testing::RunCli(MoveArguments(dir, dir.Path("whole.jsonl")), dir.path(), &err), 0)
      << err;
  const auto move_time = Clock::now() - start;
  ASSERT_EQ(
      testing::RunCli({"undo", dir.Path("whole.jsonl"), "--yes", "--quiet"}, dir.path(), &err), 0)
      << err;
  ASSERT_EQ(DiffManifests(before, TakeManifest(dir.Path("in"))), "");

  std::mt19937 random = SeededGenerator();
  const auto longest = std::chrono::duration_cast<std::chrono::microseconds>(move_time * 11 / 10);
  std::uniform_int_distribution<std::int64_t> delay(0, longest.count());
  for (int kill = 1; kill <= kills; ++kill) {
    const std::string journal = dir.Path("kill-" + std::to_string(kill) + ".jsonl");
    const std::chrono::microseconds wait(delay(random));
    SCOPED_TRACE("kill " + std::to_string(kill) + " after " + std::to_string(wait.count()) + " us");
    const testing::CliProcess move = testing::StartCli(MoveArguments(dir, journal), dir.path());
    std::this_thread::sleep_for(wait);
    ::kill(move.pid, SIGKILL);
    const int status = testing::WaitCli(move);

    std::int64_t moved = 0;
    for (const std::string& volume : testing::NamesIn(dir.Path("out"))) {
      moved += static_cast<std::int64_t>(testing::NamesIn(dir.Path("out/" + volume)).size());
    }
    // A move killed before its journal held the plan has moved nothing, and
    // its undo has nothing to read; any later kill must be taken back whole.
    const std::string text = testing::PathExists(journal) ? testing::ReadFile(journal) : "";
    std::string undo_err;
    int undo_status = 0;
    if (text.find('\n') != std::string::npos) {
      undo_status = testing::RunCli({"undo", journal, "--yes", "--quiet"}, dir.path(), &undo_err);
      EXPECT_EQ(undo_status, 0) << undo_err;
    } else {
      EXPECT_EQ(moved, 0);
    }
    const std::string diff = DiffManifests(before, TakeManifest(dir.Path("in")));
    EXPECT_EQ(diff, "");
    EXPECT_TRUE(testing::NamesIn(dir.Path("out")).empty());
    testing::Summary(
        "move killed " + std::to_string(kill) + "/" + std::to_string(kills),
        "SIGKILL after " + std::to_string(wait.count() / 1000) + " ms (" +
            (status == 128 + SIGKILL ? "killed" : "had ended") + ", " + std::to_string(moved) +
            " of " + std::to_string(entries) + " entries moved)",
        diff.empty() && undo_status == 0 ? "undo restored the manifest" : "NOT RESTORED");
    if (!diff.empty()) break;
  }
}

// A copy killed at a random moment: every file that has its final name is
// whole, and the same copy run again finishes the volumes, removes the
// temporary files the killed one left, and every volume verifies.
TEST(CrashSafety, CopyKilledAtRandomThenFinished) {
  // More files than one batch of copies that wait for their flush holds.
  const std::int64_t entries = testing::Scaled(640, 4000);
  const int kills = static_cast<int>(testing::Scaled(5, 30));
  TempDir dir;
  MakeMoveTree(dir, entries);
  const Manifest before = TakeManifest(dir.Path("in"));
  std::map<std::string, testing::ManifestItem> sources;
  for (const testing::ManifestItem& item : before) sources[item.path] = item;
  const std::string out = dir.Path("out");
  const std::vector<std::string> copy = {"copy",   dir.Path("in"), out,     "--size", "60000",
                                         "--unit", "bytes",        "--yes", "--quiet"};
  const auto volumes = [&out] {
    std::vector<std::string> folders;
    for (const std::string& name : testing::NamesIn(out)) {
      if (name.rfind("folder", 0) == 0) folders.push_back(out + "/" + name);
    }
    return folders;
  };

  const auto start = Clock::now();
  std::string err;
  ASSERT_EQ(testing::RunCli(copy, dir.path(), &err), 0) << err;
  const auto longest =
      std::chrono::duration_cast<std::chrono::microseconds>((Clock::now() - start) * 11 / 10);
  testing::RemoveTree(out);

  std::mt19937 random = SeededGenerator();
  std::uniform_int_distribution<std::int64_t> delay(0, longest.count());
  for (int kill = 1; kill <= kills; ++kill) {
    const std::chrono::microseconds wait(delay(random));
    SCOPED_TRACE("kill " + std::to_string(kill) + " after " + std::to_string(wait.count()) + " us");
    const testing::CliProcess first = testing::StartCli(copy, dir.path());
    std::this_thread::sleep_for(wait);
    ::kill(first.pid, SIGKILL);
    const int status = testing::WaitCli(first);

    int whole = 0;
    int torn = 0;
    int left = 0;
    for (const std::string& volume : volumes()) {
      for (const testing::ManifestItem& item : TakeManifest(volume)) {
        const std::string name = item.path.substr(item.path.find_last_of('/') + 1);
        if (platform::IsCopyTemporaryName(name)) {
          ++left;
        } else if (item.type == 'f' && item.path != kIndexFileName) {
          const auto source = sources.find(item.path);
          (source != sources.end() && source->second == item ? whole : torn) += 1;
        }
      }
    }
    EXPECT_EQ(torn, 0);

    std::string again_err;
    const int again = testing::RunCli(copy, dir.path(), &again_err);
    EXPECT_EQ(again, 0) << again_err;
    std::vector<std::string> unverified;
    int still_left = 0;
    for (const std::string& volume : volumes()) {
      if (testing::RunCli({"verify", volume, "--quiet"}, dir.path()) != 0) {
        unverified.push_back(volume);
      }
      for (const testing::ManifestItem& item : TakeManifest(volume)) {
        still_left += platform::IsCopyTemporaryName(item.path.substr(item.path.rfind('/') + 1));
      }
    }
    EXPECT_TRUE(unverified.empty()) << unverified.front();
    EXPECT_EQ(still_left, 0);
    const std::string misplaced = testing::EveryEntryInOnePlace(before, volumes());
    EXPECT_EQ(misplaced, "");
    EXPECT_EQ(DiffManifests(before, TakeManifest(dir.Path("in"))), "");
    const bool finished =
        torn == 0 && again == 0 && unverified.empty() && still_left == 0 && misplaced.empty();
    testing::Summary("copy killed " + std::to_string(kill) + "/" + std::to_string(kills),
                     "SIGKILL after " + std::to_string(wait.count() / 1000) + " ms (" +
                         (status == 128 + SIGKILL ? "killed" : "had ended") + ", " +
                         std::to_string(whole) + " files whole, " + std::to_string(left) +
                         " temporary files left)",
                     finished ? "the second copy finished, every volume verifies" : "NOT FINISHED");
    testing::RemoveTree(out);
    if (!finished) break;
  }
}

// Settings with fixed values; `variant` 0 and 1 differ in every key.
SettingsValues FixedSettings(int variant) {
  SettingsValues values;
  if (variant == 0) {
    values.input_path = "/home/user/photos";
    values.output_path = "/media/disc";
    return values;
  }
  values.size = "4700";
  values.input_path = "/srv/archive/2024 年の写真";
  values.output_path = "/srv/split-output";
  values.base_name = "DVD";
  values.figure = 2;
  values.packing = 6;
  values.scale = 1;
  values.cluster_size = 4;
  values.seq = 17;
  values.seq_flag = true;
  values.move_flag = true;
  return values;
}

// Runs `write(n)` for n = 1, 2, ... in a child until it is killed at a random
// moment; returns the file's text afterwards, for each of `rounds` kills.
std::vector<std::string> KilledWriters(const std::string& path, int rounds,
                                       const std::function<void(int)>& write) {
  std::mt19937 random = SeededGenerator();
  std::uniform_int_distribution<int> delay(0, 30000);
  std::vector<std::string> texts;
  for (int round = 0; round < rounds; ++round) {
    std::cout.flush();
    const pid_t child = ::fork();
    if (child == 0) {
      for (int n = 1;; ++n) write(n);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(2000 + delay(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    texts.push_back(testing::ReadFile(path));
  }
  return texts;
}

std::size_t LeftoverTemporaryFiles(const std::string& folder) {
  std::size_t count = 0;
  for (const std::string& name : testing::NamesIn(folder))
    count += name.find(".tmp") != std::string::npos;
  return count;
}

// An undo killed at a random moment leaves its steps in the move's journal:
// the next undo of the same journal finishes it, whatever the moment was.
TEST(CrashSafety, UndoKilledAtRandomThenFinished) {
  const std::int64_t entries = testing::Scaled(160, 2000);
  const int kills = static_cast<int>(testing::Scaled(6, 30));
  TempDir dir;
  MakeMoveTree(dir, entries);
  const Manifest before = TakeManifest(dir.Path("in"));

  std::mt19937 random = SeededGenerator();
  std::chrono::microseconds undo_time{0};
  for (int kill = 0; kill <= kills; ++kill) {
    const std::string journal = dir.Path("undo-" + std::to_string(kill) + ".jsonl");
    std::string err;
    ASSERT_EQ(testing::RunCli(MoveArguments(dir, journal), dir.path(), &err), 0) << err;
    const std::vector<std::string> undo = {"undo", journal, "--yes", "--quiet"};
    if (kill == 0) {
      // One whole undo to learn how long an undo takes here.
      const auto start = Clock::now();
      ASSERT_EQ(testing::RunCli(undo, dir.path(), &err), 0) << err;
      undo_time = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
      ASSERT_EQ(DiffManifests(before, TakeManifest(dir.Path("in"))), "");
      continue;
    }
    const std::chrono::microseconds wait(
        std::uniform_int_distribution<std::int64_t>(0, undo_time.count() * 11 / 10)(random));
    SCOPED_TRACE("kill " + std::to_string(kill) + " after " + std::to_string(wait.count()) + " us");
    const testing::CliProcess first = testing::StartCli(undo, dir.path());
    std::this_thread::sleep_for(wait);
    ::kill(first.pid, SIGKILL);
    const int status = testing::WaitCli(first);
    std::int64_t still_out = 0;
    for (const std::string& volume : testing::NamesIn(dir.Path("out"))) {
      still_out += static_cast<std::int64_t>(testing::NamesIn(dir.Path("out/" + volume)).size());
    }
    // An undo killed after it had marked its journal undone leaves nothing
    // to take back, and the second run refuses it; any other is finished by it.
    const bool marked_undone = ParseJournal(testing::ReadFile(journal)).undone;
    std::string again_err;
    const int again = testing::RunCli(undo, dir.path(), &again_err);
    const bool finished = marked_undone ? again != 0 && still_out == 0 : again == 0;
    EXPECT_TRUE(finished) << again_err;
    const std::string diff = DiffManifests(before, TakeManifest(dir.Path("in")));
    EXPECT_EQ(diff, "");
    EXPECT_TRUE(testing::NamesIn(dir.Path("out")).empty());
    testing::Summary(
        "undo killed " + std::to_string(kill) + "/" + std::to_string(kills),
        "SIGKILL after " + std::to_string(wait.count() / 1000) + " ms (" +
            (status == 128 + SIGKILL ? "killed" : "had ended") + ", " + std::to_string(still_out) +
            " of " + std::to_string(entries) + " entries still out)",
        diff.empty() && finished ? "the second undo restored the manifest" : "NOT RESTORED");
    if (!diff.empty()) break;
  }
}

TEST(CrashSafety, SettingsSaveKilledLeavesTheOldOrTheNewFile) {
  const int rounds = static_cast<int>(testing::Scaled(20, 200));
  TempDir dir;
  // The two files a whole save gives, each over the same user's notes.
  const std::string notes = "; my notes\r\n[Other]\r\nKey=kept\r\n";
  std::array<std::string, 2> whole;
  for (int v = 0; v < 2; ++v) {
    const std::string path = dir.WriteFile("whole" + std::to_string(v) + ".ini", notes);
    SaveSettings(FixedSettings(v), 3, path);
    whole[v] = testing::ReadFile(path);
  }
  const std::string path = dir.WriteFile("config/morvick.ini", whole[0]);
  const std::vector<std::string> texts =
      KilledWriters(path, rounds, [&](int n) { SaveSettings(FixedSettings(n % 2), 3, path); });
  int mixed = 0;
  for (const std::string& text : texts) {
    if (text != whole[0] && text != whole[1]) ++mixed;
  }
  EXPECT_EQ(mixed, 0) << "saves killed mid-way left a file that is neither the old nor the new one";
  testing::Summary("settings save killed", std::to_string(rounds) + " SIGKILLs during SaveSettings",
                   std::to_string(rounds - mixed) + " of " + std::to_string(rounds) +
                       " files whole (old or new); " +
                       std::to_string(LeftoverTemporaryFiles(dir.Path("config"))) +
                       " temporary files left by the kills");

  // One key written again and again: the rest of the file never changes.
  const std::string one_key = dir.WriteFile("one/morvick.ini", whole[0]);
  const std::array<std::string, 2> values = {std::string(3000, 'x'), "/short"};
  std::array<std::string, 2> expected;
  for (int v = 0; v < 2; ++v) {
    expected[v] = *SetProfileValue(whole[0], kSettingsSection, "InputPath", values[v]);
  }
  ASSERT_TRUE(WriteProfileString(kSettingsSection, "InputPath", values[0], one_key));
  const std::vector<std::string> key_texts = KilledWriters(one_key, rounds, [&](int n) {
    WriteProfileString(kSettingsSection, "InputPath", values[n % 2], one_key);
  });
  int torn = 0;
  for (const std::string& text : key_texts) {
    if (text != expected[0] && text != expected[1]) ++torn;
  }
  EXPECT_EQ(torn, 0);
  testing::Summary("key write killed",
                   std::to_string(rounds) + " SIGKILLs during WriteProfileString",
                   std::to_string(rounds - torn) + " of " + std::to_string(rounds) +
                       " files whole (old or new value, other lines unchanged)");
}

}  // namespace
}  // namespace morvick
