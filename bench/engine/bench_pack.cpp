// Packing of synthetic entries: method 0 (name ascending, collation), method 6
// (first-fit) and first-fit with a capacity tiny against the total, against a
// plain byte-order std::sort of the same names in the same run.
//
//   bench-pack [ENTRIES=1000000]

#include "bench_support.h"
#include "engine/packing.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace morvick;
using morvick::bench::Clock;

EntryList MakeEntries(std::size_t count) {
  std::mt19937_64 random(99);
  static const char* const kWords[] = {"photo", "Report", "資料",  "データ", "backup",
                                       "IMG",   "議事録", "draft", "Final",  "movie"};
  static const char* const kKinds[] = {"Folder", "File(.jpg)", "File(.txt)", "File(.zip)",
                                       "File()"};
  EntryList entries;
  entries.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    auto record = std::make_unique<TSplitEntry>();
    record->Name = std::string(kWords[random() % 10]) + "_" + std::to_string(random() % 100000) +
                   "-" + std::to_string(i);
    record->Size = static_cast<std::int64_t>(random() % (std::int64_t{700} << 20));
    char date[32];
    std::snprintf(date, sizeof date, "20%02d/%02d/%02d %02d:%02d:%02d",
                  static_cast<int>(random() % 26), static_cast<int>(1 + random() % 12),
                  static_cast<int>(1 + random() % 28), static_cast<int>(random() % 24),
                  static_cast<int>(random() % 60), static_cast<int>(random() % 30 * 2));
    record->DateText = date;
    record->KindText = kKinds[random() % 5];
    entries.push_back(std::move(record));
  }
  return entries;
}

double TimePack(std::size_t count, int method, std::int64_t capacity, std::int32_t* volumes) {
  EntryList entries = MakeEntries(count);
  const Clock::time_point start = Clock::now();
  *volumes = PackEntries(entries, method, capacity);
  return bench::SecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t count = argc > 1 ? static_cast<std::size_t>(std::atoll(argv[1])) : 1'000'000;

  EntryList reference = MakeEntries(count);
  std::vector<const std::string*> names;
  for (const auto& record : reference) names.push_back(&record->Name);
  const Clock::time_point start = Clock::now();
  std::sort(names.begin(), names.end(),
            [](const std::string* a, const std::string* b) { return *a < *b; });
  const double byte_sort = bench::SecondsSince(start);

  std::int32_t volumes = 0;
  const std::int64_t dvd = 4'700'372'992;
  const double name_asc = TimePack(count, kNameAsc, dvd, &volumes);
  std::printf("entries:                          %zu\n", count);
  std::printf("byte-order std::sort of names:    %.3f s\n", byte_sort);
  std::printf(
      "method 0, name ascending:         %.3f s  ratio %.2f x byte sort  (target < 3 s), "
      "%d volumes\n",
      name_asc, name_asc / byte_sort, volumes);
  const double first_fit = TimePack(count, kFirstFit, dvd, &volumes);
  std::printf(
      "method 6, first-fit:              %.3f s  ratio %.2f x byte sort  (target < 1 s), "
      "%d volumes\n",
      first_fit, first_fit / byte_sort, volumes);
  const double tiny = TimePack(count, kFirstFit, 1 << 20, &volumes);
  std::printf("method 6, capacity 1 MiB:         %.3f s  ratio %.2f x byte sort, %d volumes\n",
              tiny, tiny / byte_sort, volumes);
  return 0;
}
