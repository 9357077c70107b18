#include "common/json_text.h"
#include "run_cli.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <ctime>
#include <functional>

namespace morvick::cli {
namespace {

using testing::RunCliProgram;
using testing::TempDir;

constexpr std::int64_t kCapacity = 2048;
constexpr std::int64_t kCluster = 512;
constexpr std::time_t kBaseTime = 1700000000;  // even: the date texts keep their seconds

struct Expected {
  std::string name;
  std::int64_t size;  // cluster-rounded
  std::time_t mtime;
  std::string kind;
  std::int32_t volume = 0;
};

std::string DateText(std::time_t time) {
  std::tm local{};
  localtime_r(&time, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
  return text;
}

std::string Thousands(std::int64_t value) {
  std::string digits = std::to_string(value);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) {
    digits.insert(static_cast<std::size_t>(i), ",");
  }
  return digits;
}

// Five entries whose names, dates, kinds and (but for two) sizes all differ,
// so every method has one right order.
class PlanJsonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    input_ = dir_.CreateDir("in");
    dir_.CreateFile("in/alpha.c", 700, kBaseTime + 40);
    dir_.CreateFile("in/bravo.h", 1500, kBaseTime + 10);
    dir_.CreateFile("in/charlie/x", 300);
    dir_.CreateFile("in/charlie/y", 100);
    TempDir::SetMtime(dir_.Path("in/charlie"), kBaseTime + 30);
    dir_.CreateFile("in/delta.txt", 2600, kBaseTime + 20);
    dir_.CreateFile("in/echo.md", 0, kBaseTime + 50);
    entries_ = {{"alpha.c", 1024, kBaseTime + 40, "File(.c)"},
                {"bravo.h", 1536, kBaseTime + 10, "File(.h)"},
                {"charlie", 1024, kBaseTime + 30, "Folder"},
                {"delta.txt", 3072, kBaseTime + 20, "File(.txt)"},
                {"echo.md", 0, kBaseTime + 50, "File(.md)"}};
  }

  // The scan order: the order the folder lists its entries in.
  std::vector<Expected> ScanOrder() const {
    std::vector<Expected> ordered;
    DIR* dir = opendir(input_.c_str());
    while (const dirent* entry = readdir(dir)) {
      for (const Expected& e : entries_) {
        if (e.name == entry->d_name) ordered.push_back(e);
      }
    }
    closedir(dir);
    return ordered;
  }

  TempDir dir_;
  std::string input_;
  std::vector<Expected> entries_;
};

void AssignNextFit(std::vector<Expected>& entries, std::int32_t& volume_count) {
  volume_count = 1;
  std::int64_t running = 0;
  for (Expected& e : entries) {
    if (e.size > kCapacity) continue;
    running += e.size;
    if (running > kCapacity) {
      ++volume_count;
      running = e.size;
    }
    e.volume = volume_count;
  }
}

void AssignFirstFit(std::vector<Expected>& entries, std::int32_t& volume_count) {
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Expected& a, const Expected& b) { return a.size > b.size; });
  std::vector<std::int64_t> bins;
  volume_count = 1;
  for (Expected& e : entries) {
    if (e.size > kCapacity) continue;
    std::size_t bin = 0;
    while (bin < bins.size() && bins[bin] + e.size > kCapacity) ++bin;
    if (bin == bins.size()) bins.push_back(0);
    bins[bin] += e.size;
    e.volume = static_cast<std::int32_t>(bin + 1);
    volume_count = std::max(volume_count, e.volume);
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Expected& a, const Expected& b) { return a.volume < b.volume; });
}

TEST_F(PlanJsonTest, EveryMethodGivesThePlanComputedHere) {
  using Less = std::function<bool(const Expected&, const Expected&)>;
  const Less by_name = [](const Expected& a, const Expected& b) { return a.name < b.name; };
  const Less by_date = [](const Expected& a, const Expected& b) { return a.mtime < b.mtime; };
  const Less by_kind = [](const Expected& a, const Expected& b) { return a.kind < b.kind; };
  const auto reversed = [](Less less) {
    return Less([less](const Expected& a, const Expected& b) { return less(b, a); });
  };
  const std::vector<Less> orders = {by_name,           reversed(by_name), by_date,
                                    reversed(by_date), by_kind,           reversed(by_kind)};

  // Method 8, fewest, finds first-fit's plan here: no plan has fewer than two volumes.
  for (int method = 0; method <= 8; ++method) {
    SCOPED_TRACE("method " + std::to_string(method));
    const bool by_volume = method == 6 || method == 8;
    std::vector<Expected> expected = method == 7 ? ScanOrder() : entries_;
    std::int32_t volume_count = 0;
    if (method < 6)
      std::sort(expected.begin(), expected.end(), orders[static_cast<std::size_t>(method)]);
    if (by_volume) {
      AssignFirstFit(expected, volume_count);
    } else {
      AssignNextFit(expected, volume_count);
    }

    const testing::CliRun run =
        RunCliProgram({"plan",   input_,         "--size",   "2048",     "--unit",
                       "bytes",  "--cluster",    "512",      "--method", std::to_string(method),
                       "--base", "vol",          "--digits", "3",        "--start",
                       "7",      "--time-limit", "0.5",      "--format", "json"},
                      dir_.path());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const Json plan = ParseJson(run.out);

    EXPECT_EQ(plan.at("input"), input_);
    EXPECT_EQ(plan.at("capacity"), kCapacity);
    EXPECT_EQ(plan.at("method"), method);
    EXPECT_EQ(plan.at("cluster"), kCluster);
    EXPECT_EQ(plan.at("volumeCount"), volume_count);
    EXPECT_EQ(plan.at("lowerBound"), 2);
    EXPECT_EQ(plan.contains("provenOptimal"), method == 8);
    if (method == 8) {
      EXPECT_EQ(plan.at("provenOptimal"), true);
    }
    EXPECT_EQ(plan.at("cancelled"), false);

    const Json& entries = plan.at("entries");
    ASSERT_EQ(entries.size(), expected.size());
    std::int32_t previous_volume = 0;
    std::int64_t previous_size = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const Json& entry = entries.at(i);
      // First-fit orders by volume; within a volume the order is the sort's own,
      // fewest's is largest first.
      const auto match =
          by_volume ? std::find_if(expected.begin(), expected.end(),
                                   [&](const Expected& e) { return e.name == entry.at("name"); })
                    : expected.begin() + static_cast<std::ptrdiff_t>(i);
      ASSERT_NE(match, expected.end()) << entry.dump();
      EXPECT_EQ(entry.at("name"), match->name);
      EXPECT_EQ(entry.at("volume"), match->volume) << match->name;
      EXPECT_EQ(entry.at("size"), match->size) << match->name;
      EXPECT_EQ(entry.at("date"), DateText(match->mtime)) << match->name;
      EXPECT_EQ(entry.at("kind"), match->kind) << match->name;
      EXPECT_GE(entry.at("volume").get<std::int32_t>(), previous_volume * by_volume);
      if (method == 8 && i > 0 && entry.at("volume") == previous_volume) {
        EXPECT_LE(entry.at("size").get<std::int64_t>(), previous_size) << match->name;
      }
      previous_volume = entry.at("volume").get<std::int32_t>();
      previous_size = entry.at("size").get<std::int64_t>();
    }

    std::vector<std::int64_t> totals(static_cast<std::size_t>(volume_count) + 1, 0);
    for (const Expected& e : expected) totals[static_cast<std::size_t>(e.volume)] += e.size;
    std::int64_t grand_total = 0;
    const Json& volumes = plan.at("volumes");
    ASSERT_EQ(volumes.size(), static_cast<std::size_t>(volume_count));
    for (std::int32_t n = 1; n <= volume_count; ++n) {
      const Json& volume = volumes.at(static_cast<std::size_t>(n - 1));
      EXPECT_EQ(volume.at("volume"), n);
      EXPECT_EQ(volume.at("folder"), "vol00" + std::to_string(6 + n));
      EXPECT_EQ(volume.at("size"), totals[static_cast<std::size_t>(n)]);
      grand_total += totals[static_cast<std::size_t>(n)];
    }
    EXPECT_EQ(plan.at("grandTotal"), grand_total);
    EXPECT_EQ(plan.at("status"), "[検索終了] 分割数 (" + std::to_string(volume_count) +
                                     ")個  総容量 (" + Thousands(grand_total) +
                                     ")bytes / クラスタSize (512)bytes");
  }
}

TEST_F(PlanJsonTest, TsvAndTableCarryTheSamePlan) {
  const std::vector<std::string> common = {"plan",   input_,  "--size",    "2048",
                                           "--unit", "bytes", "--cluster", "512"};
  auto args = common;
  args.insert(args.end(), {"--format", "tsv"});
  const testing::CliRun tsv = RunCliProgram(args, dir_.path());
  ASSERT_EQ(tsv.status, 0) << tsv.err;
  EXPECT_EQ(tsv.out,
            "volume\tname\tsize\tdate\tkind\n"
            "1\talpha.c\t1024\t" +
                DateText(kBaseTime + 40) +
                "\tFile(.c)\n"
                "2\tbravo.h\t1536\t" +
                DateText(kBaseTime + 10) +
                "\tFile(.h)\n"
                "3\tcharlie\t1024\t" +
                DateText(kBaseTime + 30) +
                "\tFolder\n"
                "0\tdelta.txt\t3072\t" +
                DateText(kBaseTime + 20) +
                "\tFile(.txt)\n"
                "3\techo.md\t0\t" +
                DateText(kBaseTime + 50) +
                "\tFile(.md)\n"
                "volume\tfolder\tsize\n"
                "1\tfolder00001\t1024\n"
                "2\tfolder00002\t1536\n"
                "3\tfolder00003\t1024\n");

  const testing::CliRun table = RunCliProgram(common, dir_.path());
  ASSERT_EQ(table.status, 0) << table.err;
  EXPECT_EQ(table.out,
            "No  名前       サイズ  更新日時             種類\n"
            " 1  alpha.c     1,024  " +
                DateText(kBaseTime + 40) +
                "  File(.c)\n"
                " 2  bravo.h     1,536  " +
                DateText(kBaseTime + 10) +
                "  File(.h)\n"
                " 3  charlie     1,024  " +
                DateText(kBaseTime + 30) +
                "  Folder\n"
                " 0  delta.txt   3,072  " +
                DateText(kBaseTime + 20) +
                "  File(.txt)\n"
                " 3  echo.md         0  " +
                DateText(kBaseTime + 50) +
                "  File(.md)\n"
                "\n"
                "No  フォルダ     サイズ\n"
                " 1  folder00001   1,024\n"
                " 2  folder00002   1,536\n"
                " 3  folder00003   1,024\n"
                "\n"
                "[検索終了] 分割数 (3)個  総容量 (3,584)bytes / クラスタSize (512)bytes\n"
                "volumes 3, lower bound 2\n");
}

TEST(PlanJson, NamesThatAreNotUtf8RoundTripThroughTheJson) {
  TempDir dir;
  const std::string input = dir.CreateDir("in");
  const std::vector<std::string> names = {"bad\xff\xfe", "caf\xe9.txt", "cut\xe3\x81", "日本語.txt",
                                          "tab\tand\"quote"};
  for (const std::string& name : names) dir.CreateFile("in/" + name, 10);
  const testing::CliRun run = RunCliProgram({"plan", input, "--format", "json"}, dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find(R"("bad\udcff\udcfe")"), std::string::npos);
  EXPECT_NE(run.out.find(R"("caf\udce9.txt")"), std::string::npos);
  EXPECT_NE(run.out.find(R"("日本語.txt")"), std::string::npos);

  std::set<std::string> decoded;
  const Json plan = ParseJson(run.out);
  for (const Json& entry : plan.at("entries")) decoded.insert(entry.at("name").get<std::string>());
  EXPECT_EQ(decoded, std::set<std::string>(names.begin(), names.end()));
  EXPECT_EQ(decoded, testing::NamesIn(input));
}

}  // namespace
}  // namespace morvick::cli
