// Packing of synthetic entries: method 0 (name ascending, collation), method 6
// (first-fit), first-fit with a capacity tiny against the total and method 8
// (fewest volumes), against a plain byte-order std::sort of the same names in
// the same run. Then the quality of method 8 against method 6 and the lower
// bound on mixes of entry sizes, INSTANCES seeded lists of 30 to 200 entries each.
//
//   bench-pack [ENTRIES=1000000] [INSTANCES=200]
//
// With --bpp, method 8 on public bin-packing instances instead: every file of
// every folder below DIR (each: the item count, the capacity, then the sizes,
// one a line), against the optima of DIR/optima.tsv (name, lower, upper),
// SECONDS each, one line per folder: optimum reached, proven, gaps, times; on
// the standard error one line per instance not proven optimal.
//
//   bench-pack --bpp DIR [SECONDS=10] [FOLDER] [NAME]
//
// FOLDER and NAME (part of an instance's file name) narrow the run.

#include "bench_support.h"
#include "engine/packing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace morvick;
using morvick::bench::Clock;

EntryList MakeEntries(std::size_t count) {
  std::mt19937_64 random(99);
  static const char* const kWords[] = {"photo", "Report", "資料",  "データ", "backup",
                                       "IMG",   "議事録", "draft", "Final",  "movie"};
  // Kind 0 is a folder; the others are files with these extensions.
  static const char* const kExtensions[] = {"", ".jpg", ".txt", ".zip", ""};
  EntryList entries;
  for (std::size_t i = 0; i < count; ++i) {
    std::string name = std::string(kWords[random() % 10]) + "_";
    name += std::to_string(random() % 100000) + "-" + std::to_string(i);
    const auto size = static_cast<std::int64_t>(random() % (std::int64_t{700} << 20));
    int date[6];
    date[0] = 2000 + static_cast<int>(random() % 26);
    date[1] = 1 + static_cast<int>(random() % 12);
    date[2] = 1 + static_cast<int>(random() % 28);
    date[3] = static_cast<int>(random() % 24);
    date[4] = static_cast<int>(random() % 60);
    date[5] = static_cast<int>(random() % 30 * 2);
    const std::size_t kind = random() % 5;
    name += kExtensions[kind];
    entries.Add(name, size, PackFileDate(date[0], date[1], date[2], date[3], date[4], date[5]),
                kind == 0);
  }
  return entries;
}

double TimePack(std::size_t count, int method, std::int64_t capacity, PackingResult* result) {
  EntryList entries = MakeEntries(count);
  const Clock::time_point start = Clock::now();
  *result = PackEntries(entries, method, capacity, SearchLimits{});
  return bench::SecondsSince(start);
}

constexpr std::int64_t kDvd = 4'700'372'992;

// A uniform number in [0, 1) from the generator's bits alone, the same everywhere.
double Uniform(std::mt19937_64& random) { return static_cast<double>(random() >> 11) * 0x1.0p-53; }

struct Mix {
  const char* name;
  // A size as a share of the capacity.
  double (*share)(std::mt19937_64& random);
};

const Mix kMixes[] = {
    {"films onto DVDs (15-45 %)", [](std::mt19937_64& r) { return 0.15 + 0.30 * Uniform(r); }},
    {"uniform 20-50 %", [](std::mt19937_64& r) { return 0.20 + 0.30 * Uniform(r); }},
    {"uniform 10-60 %", [](std::mt19937_64& r) { return 0.10 + 0.50 * Uniform(r); }},
    // Lognormal with sigma 1 and mean C/6 (Box-Muller); about 1 % do not fit.
    {"photo folders (lognormal, C/6)",
     [](std::mt19937_64& r) {
       const double u = Uniform(r);
       const double v = Uniform(r);
       const double normal = std::sqrt(-2 * std::log(1 - u)) * std::cos(2 * M_PI * v);
       return std::exp(std::log(1.0 / 6) - 0.5 + normal);
     }},
};

EntryList MakeMixEntries(const Mix& mix, std::mt19937_64& random) {
  const std::size_t count = 30 + random() % 171;
  EntryList entries;
  for (std::size_t i = 0; i < count; ++i) {
    const auto size = static_cast<std::int64_t>(mix.share(random) * static_cast<double>(kDvd));
    entries.Add("e" + std::to_string(i), size, 0, false);
  }
  return entries;
}

// Method 6 and method 8 with the default time limit on the same lists.
void PrintQualityTable(int instances) {
  std::printf(
      "\nquality on a DVD, %d lists of 30 to 200 entries per mix "
      "(volumes are means per list):\n",
      instances);
  std::printf("%-32s %9s %9s %9s %9s %10s %9s\n", "mix", "method 6", "method 8", "bound", "proven",
              "8 beats 6", "longest");
  for (std::size_t m = 0; m < std::size(kMixes); ++m) {
    const Mix& mix = kMixes[m];
    std::mt19937_64 random(1000 + m);
    double first_fit_sum = 0, fewest_sum = 0, bound_sum = 0, longest = 0;
    int proven = 0, better = 0, worse = 0;
    for (int i = 0; i < instances; ++i) {
      EntryList first_fit = MakeMixEntries(mix, random);
      EntryList fewest = first_fit;
      const std::int32_t first_fit_count = PackEntries(first_fit, kFirstFit, kDvd);
      const Clock::time_point start = Clock::now();
      const PackingResult result = PackEntries(fewest, kFewestVolumes, kDvd, SearchLimits{});
      longest = std::max(longest, bench::SecondsSince(start));
      first_fit_sum += first_fit_count;
      fewest_sum += result.volume_count;
      bound_sum += result.lower_bound;
      proven += result.proven_optimal;
      better += result.volume_count < first_fit_count;
      worse += result.volume_count > first_fit_count;
    }
    std::printf("%-32s %9.2f %9.2f %9.2f %8.1f%% %9.1f%% %8.2fs%s\n", mix.name,
                first_fit_sum / instances, fewest_sum / instances, bound_sum / instances,
                100.0 * proven / instances, 100.0 * better / instances, longest,
                worse > 0 ? "  WORSE THAN METHOD 6" : "");
  }
  std::printf(
      "target: films proven optimal in at least 95 %% of the lists, each within 2 s; "
      "method 8 never worse than 6\n");
}

// One instance file: the count, the capacity, the sizes.
bool ReadInstance(const std::filesystem::path& path, std::int64_t& capacity,
                  std::vector<std::int64_t>& sizes) {
  std::ifstream in(path);
  std::size_t count = 0;
  if (!(in >> count >> capacity)) return false;
  sizes.resize(count);
  for (std::int64_t& size : sizes) {
    if (!(in >> size)) return false;
  }
  return true;
}

int RunPublicInstances(const std::filesystem::path& root, double seconds, const char* only,
                       const char* name_part) {
  std::map<std::string, std::int64_t> optimum;
  std::ifstream table(root / "optima.tsv");
  for (std::string name; std::getline(table, name);) {
    std::istringstream fields(name);
    std::string instance;
    std::int64_t lower = 0;
    std::int64_t upper = 0;
    if (fields >> instance >> lower >> upper) optimum[instance] = upper;
  }
  std::vector<std::filesystem::path> folders;
  for (const auto& entry : std::filesystem::directory_iterator(root)) {
    if (entry.is_directory() && (!only || entry.path().filename() == only)) {
      folders.push_back(entry.path());
    }
  }
  std::sort(folders.begin(), folders.end());
  std::printf("%-14s %9s %9s %9s %9s %9s %9s %9s\n", "class", "instances", "optimum", "proven",
              "mean gap", "worst gap", "mean s", "worst s");
  int all = 0;
  int all_reached = 0;
  int all_proven = 0;
  for (const std::filesystem::path& folder : folders) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (entry.is_regular_file() &&
          (!name_part || entry.path().filename().string().find(name_part) != std::string::npos)) {
        files.push_back(entry.path());
      }
    }
    std::sort(files.begin(), files.end());
    int count = 0;
    int reached = 0;
    int proven = 0;
    std::int64_t gaps = 0;
    std::int64_t worst_gap = 0;
    double total_time = 0;
    double worst_time = 0;
    for (const std::filesystem::path& file : files) {
      const auto known = optimum.find(file.stem().string());
      std::int64_t capacity = 0;
      std::vector<std::int64_t> sizes;
      if (known == optimum.end() || !ReadInstance(file, capacity, sizes)) continue;
      const Clock::time_point start = Clock::now();
      const FewestVolumes result = FindFewestVolumes(sizes, capacity, SearchLimits{seconds, 0, {}});
      const double time = bench::SecondsSince(start);
      const std::int64_t gap = result.volume_count - known->second;
      ++count;
      reached += gap == 0 ? 1 : 0;
      proven += gap == 0 && result.proven_optimal ? 1 : 0;
      gaps += gap;
      worst_gap = std::max(worst_gap, gap);
      total_time += time;
      worst_time = std::max(worst_time, time);
      if (gap > 0 || !result.proven_optimal) {
        std::fprintf(stderr, "%s: %d volumes, bound %d, optimum %lld, %.2f s\n",
                     file.filename().c_str(), result.volume_count, result.lower_bound,
                     static_cast<long long>(known->second), time);
      }
      if (gap < 0 || result.lower_bound > known->second) {
        std::printf("WRONG: %s gives %d volumes, bound %d, optimum %lld\n", file.filename().c_str(),
                    result.volume_count, result.lower_bound, static_cast<long long>(known->second));
      }
    }
    if (count == 0) continue;
    std::printf("%-14s %9d %9d %9d %9.3f %9lld %9.2f %9.2f\n", folder.filename().c_str(), count,
                reached, proven, static_cast<double>(gaps) / count,
                static_cast<long long>(worst_gap), total_time / count, worst_time);
    all += count;
    all_reached += reached;
    all_proven += proven;
  }
  std::printf("all: %d instances, optimum reached %d (%.1f %%), proven %d (%.1f %%), %.1f s each\n",
              all, all_reached, all > 0 ? 100.0 * all_reached / all : 0.0, all_proven,
              all > 0 ? 100.0 * all_proven / all : 0.0, seconds);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 && std::string_view(argv[1]) == "--bpp") {
    return RunPublicInstances(argv[2], argc > 3 ? std::atof(argv[3]) : 10.0,
                              argc > 4 ? argv[4] : nullptr, argc > 5 ? argv[5] : nullptr);
  }
  const std::size_t count = argc > 1 ? static_cast<std::size_t>(std::atoll(argv[1])) : 1'000'000;
  const int instances = argc > 2 ? std::atoi(argv[2]) : 200;

  EntryList reference = MakeEntries(count);
  std::vector<std::string_view> names;
  for (const TSplitEntry& record : reference) names.push_back(record.Name());
  const Clock::time_point start = Clock::now();
  std::sort(names.begin(), names.end());
  const double byte_sort = bench::SecondsSince(start);

  PackingResult packed;
  const std::int64_t dvd = kDvd;
  const double name_asc = TimePack(count, kNameAsc, dvd, &packed);
  std::printf("entries:                          %zu\n", count);
  std::printf("byte-order std::sort of names:    %.3f s\n", byte_sort);
  std::printf(
      "method 0, name ascending:         %.3f s  ratio %.2f x byte sort  (target < 3 s), "
      "%d volumes\n",
      name_asc, name_asc / byte_sort, packed.volume_count);
  const double first_fit = TimePack(count, kFirstFit, dvd, &packed);
  std::printf(
      "method 6, first-fit:              %.3f s  ratio %.2f x byte sort  (target < 1 s), "
      "%d volumes, lower bound %d\n",
      first_fit, first_fit / byte_sort, packed.volume_count, packed.lower_bound);
  const double tiny = TimePack(count, kFirstFit, 1 << 20, &packed);
  std::printf("method 6, capacity 1 MiB:         %.3f s  ratio %.2f x byte sort, %d volumes\n",
              tiny, tiny / byte_sort, packed.volume_count);
  const double fewest = TimePack(count, kFewestVolumes, dvd, &packed);
  std::printf(
      "method 8, fewest volumes:         %.3f s  ratio %.2f x byte sort  (target < 5 s), "
      "%d volumes, lower bound %d%s\n",
      fewest, fewest / byte_sort, packed.volume_count, packed.lower_bound,
      packed.proven_optimal ? ", proven optimal" : "");

  // Sizes of films, where first-fit decreasing leaves room that the search over
  // its emptiest volumes takes back.
  EntryList films;
  std::mt19937_64 random(7);
  for (std::size_t i = 0; i < count; ++i) {
    const auto size =
        static_cast<std::int64_t>(kMixes[0].share(random) * static_cast<double>(kDvd));
    films.Add("film" + std::to_string(i), size, 0, false);
  }
  EntryList films_first_fit = films;
  const std::int32_t films_first_fit_count = PackEntries(films_first_fit, kFirstFit, dvd);
  const Clock::time_point films_start = Clock::now();
  packed = PackEntries(films, kFewestVolumes, dvd, SearchLimits{});
  const double films_fewest = bench::SecondsSince(films_start);
  std::printf(
      "method 8, films (15-45 %%):        %.3f s  (target < 5 s), %d volumes, method 6 %d, "
      "lower bound %d\n",
      films_fewest, packed.volume_count, films_first_fit_count, packed.lower_bound);

  PrintQualityTable(instances);
  return 0;
}
