#include "engine/packing.h"

#include "common/error.h"
#include "engine/bin_packing.h"
#include "engine/collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace morvick {
namespace {

EntryList MakeEntries(const std::vector<std::pair<std::string, std::int64_t>>& named_sizes) {
  EntryList entries;
  for (const auto& [name, size] : named_sizes) {
    entries.Add(name, size, PackFileDate(2026, 1, 2, 3, 4, 6), false);
  }
  return entries;
}

std::string Names(const EntryList& entries) {
  std::string names;
  for (const auto& record : entries) names += record.Name();
  return names;
}

std::map<std::string, std::int32_t> VolumeOf(const EntryList& entries) {
  std::map<std::string, std::int32_t> volumes;
  for (const auto& record : entries) volumes[std::string(record.Name())] = record.Volume;
  return volumes;
}

std::vector<std::int32_t> Volumes(const EntryList& entries) {
  std::vector<std::int32_t> volumes;
  for (const auto& record : entries) volumes.push_back(record.Volume);
  return volumes;
}

// The first-fit loop over a full array of bins, as plainly as it can be written,
// to check the fast assignment against.
std::int32_t ReferenceFirstFit(EntryList& entries, std::int64_t capacity) {
  std::int32_t volume_count = 1;
  std::int64_t total = 0;
  for (const TSplitEntry& record : entries) total += record.Size;
  const std::int64_t bin_count = 2 * (total / capacity + 1);
  std::vector<std::int64_t> bins(static_cast<std::size_t>(bin_count) + 1, 0);
  for (TSplitEntry& record : entries) {
    for (std::int64_t j = 1; j <= bin_count; ++j) {
      if (bins[static_cast<std::size_t>(j)] + record.Size <= capacity) {
        bins[static_cast<std::size_t>(j)] += record.Size;
        record.Volume = static_cast<std::int32_t>(j);
        if (volume_count < j) volume_count = static_cast<std::int32_t>(j);
        break;
      }
    }
  }
  SortEntries(entries, CompareVolumeAsc);
  return volume_count;
}

// The fewest volumes that hold the sizes up to the capacity, by trying every
// assignment (largest first, each into a volume in use or the next new one).
std::int32_t BruteForceFewest(std::vector<std::int64_t> sizes, std::int64_t capacity) {
  std::erase_if(sizes, [&](std::int64_t size) { return size <= 0 || size > capacity; });
  std::sort(sizes.rbegin(), sizes.rend());
  std::int32_t best = std::max<std::int32_t>(1, static_cast<std::int32_t>(sizes.size()));
  std::vector<std::int64_t> fills;
  std::function<void(std::size_t)> place = [&](std::size_t next) {
    if (static_cast<std::int32_t>(fills.size()) >= best) return;
    if (next == sizes.size()) {
      best = std::max<std::int32_t>(1, static_cast<std::int32_t>(fills.size()));
      return;
    }
    for (std::size_t v = 0; v <= fills.size(); ++v) {
      if (v == fills.size()) fills.push_back(0);
      if (fills[v] + sizes[next] <= capacity) {
        fills[v] += sizes[next];
        place(next + 1);
        fills[v] -= sizes[next];
      }
      if (fills[v] == 0) {
        fills.pop_back();
        break;
      }
    }
  };
  place(0);
  return best;
}

// A plan of method 6 or 8 as it must look: oversized entries at 0 and first,
// the others in volumes 1 to the count, none of them empty or over the
// capacity; for 8 also every volume's entries largest first.
void ExpectPackedPlan(const EntryList& entries, std::int64_t capacity, std::int32_t volume_count,
                      bool largest_first) {
  std::vector<std::int64_t> totals(static_cast<std::size_t>(volume_count) + 1, 0);
  std::vector<int> counts(totals.size(), 0);
  const TSplitEntry* previous = nullptr;
  for (const auto& record : entries) {
    ASSERT_EQ(record.Volume == 0, record.Size > capacity) << record.Name();
    ASSERT_LE(record.Volume, volume_count);
    totals[static_cast<std::size_t>(record.Volume)] += record.Size;
    ++counts[static_cast<std::size_t>(record.Volume)];
    if (previous) {
      ASSERT_LE(previous->Volume, record.Volume);
      if (largest_first && previous->Volume == record.Volume) {
        ASSERT_GE(previous->Size, record.Size);
      }
    }
    previous = &record;
  }
  for (std::int32_t v = 1; v <= volume_count; ++v) {
    EXPECT_LE(totals[static_cast<std::size_t>(v)], capacity) << "volume " << v;
    if (volume_count > 1) {
      EXPECT_GT(counts[static_cast<std::size_t>(v)], 0) << "volume " << v;
    }
  }
}

// Steps enough for every list of these tests, and a clock that never stops them.
const SearchLimits kStepsOnly{3600, 50'000'000, {}};

const std::vector<std::pair<std::string, std::int64_t>> kSeven = {
    {"A", 60}, {"B", 50}, {"C", 120}, {"D", 40}, {"E", 10}, {"F", 100}, {"G", 30}};

TEST(Packing, NextFitClosesAVolumeAtTheFirstEntryThatDoesNotFit) {
  EntryList entries = MakeEntries(kSeven);
  EXPECT_EQ(PackEntries(entries, kScanOrder, 100), 4);
  EXPECT_EQ(Volumes(entries), (std::vector<std::int32_t>{1, 2, 0, 2, 2, 3, 4}));
  EXPECT_EQ(Names(entries), "ABCDEFG");
  EXPECT_EQ(ComputeVolumeTotals(entries, 4), (std::vector<std::int64_t>{0, 60, 100, 100, 30}));

  // Any index outside 0..8 keeps the scan order like 7 does.
  for (int method : {-1, 9, 1000}) {
    EntryList again = MakeEntries(kSeven);
    EXPECT_EQ(PackEntries(again, method, 100), 4) << method;
    EXPECT_EQ(Names(again), "ABCDEFG") << method;
  }
}

TEST(Packing, FirstFitFillsTheFirstBinWithRoomThenSortsByVolume) {
  EntryList entries = MakeEntries(kSeven);
  EXPECT_EQ(PackEntries(entries, kFirstFit, 100), 3);
  EXPECT_EQ(Names(entries), "CFDAEGB");
  EXPECT_EQ(Volumes(entries), (std::vector<std::int32_t>{0, 1, 2, 2, 3, 3, 3}));
  EXPECT_EQ(ComputeVolumeTotals(entries, 3), (std::vector<std::int64_t>{0, 100, 100, 90}));

  // The size sort puts the larger entry first, whatever the scan order; both
  // then share volume 1, and the volume sort swaps the two equal keys back.
  EntryList large = MakeEntries({{"small", 100'000'000}, {"large", 3'000'000'000}});
  SortEntries(large, CompareSizeDesc);
  EXPECT_EQ(Names(large), "largesmall");
  EXPECT_EQ(PackEntries(large, kFirstFit, 4'700'000'000), 1);
  EXPECT_EQ(Volumes(large), (std::vector<std::int32_t>{1, 1}));
  EXPECT_EQ(Names(large), "smalllarge");
}

TEST(Packing, EdgesOfCapacity) {
  // An entry of exactly the capacity fills a volume; one byte more gets none.
  // (The size sort leaves the equal a and c as c, a.)
  EntryList next_fit = MakeEntries({{"a", 100}, {"b", 101}, {"c", 100}});
  EXPECT_EQ(PackEntries(next_fit, kScanOrder, 100), 2);
  EXPECT_EQ(VolumeOf(next_fit),
            (std::map<std::string, std::int32_t>{{"a", 1}, {"b", 0}, {"c", 2}}));
  EntryList first_fit = MakeEntries({{"a", 100}, {"b", 101}, {"c", 100}});
  EXPECT_EQ(PackEntries(first_fit, kFirstFit, 100), 2);
  EXPECT_EQ(VolumeOf(first_fit),
            (std::map<std::string, std::int32_t>{{"a", 2}, {"b", 0}, {"c", 1}}));
  // An empty list still has one (empty) volume.
  for (int method = 0; method <= 8; ++method) {
    EntryList none;
    EXPECT_EQ(PackEntries(none, method, 100), 1);
    EXPECT_EQ(ComputeVolumeTotals(none, 1), (std::vector<std::int64_t>{0, 0}));
  }
  // Capacity 0: next-fit places only empty entries; first-fit and fewest divide by zero.
  EntryList zero = MakeEntries({{"a", 0}, {"b", 5}, {"c", 0}});
  EXPECT_EQ(PackEntries(zero, kNameAsc, 0), 1);
  EXPECT_EQ(Volumes(zero), (std::vector<std::int32_t>{1, 0, 1}));
  for (int method : {kFirstFit, kFewestVolumes}) {
    EntryList divide = MakeEntries({{"a", 0}});
    try {
      PackEntries(divide, method, 0);
      ADD_FAILURE() << "no error for method " << method;
    } catch (const Error& error) {
      EXPECT_STREQ(error.what(), "ゼロによる除算");
    }
  }
  // Sizes near the top of the 64-bit range neither wrap nor crash.
  const std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  EntryList huge = MakeEntries({{"a", kMax - 1}, {"b", kMax - 1}, {"c", 1}});
  EXPECT_EQ(PackEntries(huge, kScanOrder, kMax), 2);
  EXPECT_EQ(Volumes(huge), (std::vector<std::int32_t>{1, 2, 2}));
  for (int method : {kFirstFit, kFewestVolumes}) {
    EntryList huge_fit = MakeEntries({{"a", kMax - 1}, {"b", kMax - 1}, {"c", 1}});
    EXPECT_EQ(PackEntries(huge_fit, method, kMax), 2);
    EXPECT_EQ(VolumeOf(huge_fit),
              (std::map<std::string, std::int32_t>{{"a", 2}, {"b", 1}, {"c", 1}}));
    EXPECT_EQ(VolumeLowerBound(huge_fit, kMax), 2);
  }
}

TEST(Packing, EqualKeysEndInTheOrderOfThePackingQuicksort) {
  // Equal dates go through the keyed sort, equal sizes through the plain one.
  for (int method : {kDateAsc, kDateDesc, kKindAsc}) {
    EntryList entries = MakeEntries({{"P", 5}, {"Q", 5}, {"R", 5}, {"S", 5}});
    PackEntries(entries, method, 1000);
    EXPECT_EQ(Names(entries), "RSPQ") << method;
  }
  EntryList entries = MakeEntries({{"P", 5}, {"Q", 5}, {"R", 5}, {"S", 5}});
  SortEntries(entries, CompareSizeDesc);
  EXPECT_EQ(Names(entries), "RSPQ");
  // First-fit sorts twice (by size, then by the equal volume 1), which turns
  // the four back into their first order.
  EntryList twice = MakeEntries({{"P", 5}, {"Q", 5}, {"R", 5}, {"S", 5}});
  PackEntries(twice, kFirstFit, 1000);
  EXPECT_EQ(Names(twice), "PQRS");
}

TEST(Packing, KeyedSortsMatchTheComparisonsOnRandomLists) {
  std::mt19937_64 random(42);
  // Pieces that differ only in case, in kana, in composition (é as one code
  // point or two), in width, or in bytes that are not UTF-8.
  static const char* const kPieces[] = {"a",    "B", "b", "1",        "10",        "9", "あ",  "ア",
                                        "資料", ".", " ", "\xc3\xa9", "e\xcc\x81", "ｱ", "\xff"};
  for (int round = 0; round < 40; ++round) {
    std::vector<std::pair<std::string, std::int64_t>> named;
    const int count = 1 + static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i) {
      std::string name;
      for (int k = 0; k < 1 + static_cast<int>(random() % 3); ++k)
        name += kPieces[random() % std::size(kPieces)];
      named.emplace_back(name, static_cast<std::int64_t>(random() % 50));
    }
    const EntryComparison comparisons[] = {CompareNameAsc,  CompareNameDesc, CompareDateAsc,
                                           CompareDateDesc, CompareKindAsc,  CompareKindDesc};
    // Few distinct dates and kinds, so that equal keys are common.
    EntryList list;
    for (std::size_t i = 0; i < named.size(); ++i) {
      const int day = 1 + static_cast<int>(i % 3);
      list.Add(named[i].first + "#" + std::to_string(i % 4), named[i].second,
               PackFileDate(2026, day, day, 0, 0, 0), i % 2 == 1);
    }
    // The packed times compare as their date texts collate.
    for (std::size_t i = 1; i < list.size(); ++i) {
      ASSERT_EQ(CompareDateAsc(list[i - 1], list[i]),
                CompareText(list[i - 1].DateText(), list[i].DateText()));
    }
    for (int method = 0; method < 6; ++method) {
      EntryList fast = list;
      EntryList plain = list;
      PackEntries(fast, method, 100);
      SortEntries(plain, comparisons[method]);
      AssignNextFit(plain, 100);
      ASSERT_EQ(Names(fast), Names(plain)) << "method " << method << " round " << round;
      ASSERT_EQ(Volumes(fast), Volumes(plain));
    }
  }
}

TEST(Packing, FirstFitMatchesThePlainLoopOnRandomLists) {
  std::mt19937_64 random(1234);
  for (int round = 0; round < 500; ++round) {
    const std::int64_t capacity = 1 + static_cast<std::int64_t>(random() % 200);
    std::vector<std::pair<std::string, std::int64_t>> named;
    const int count = static_cast<int>(random() % 80);
    for (int i = 0; i < count; ++i) {
      // Mostly fitting entries, some exactly the capacity, some oversized, some empty.
      std::int64_t size =
          static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(capacity));
      switch (random() % 8) {
        case 0: size = capacity; break;
        case 1: size = capacity + 1 + static_cast<std::int64_t>(random() % 300); break;
        case 2: size = 0; break;
        default: break;
      }
      named.emplace_back(std::to_string(i), size);
    }
    EntryList fast = MakeEntries(named);
    EntryList plain = MakeEntries(named);
    const std::int32_t fast_count = PackEntries(fast, kFirstFit, capacity);
    SortEntries(plain, CompareSizeDesc);
    const std::int32_t plain_count = ReferenceFirstFit(plain, capacity);
    ASSERT_EQ(fast_count, plain_count) << "round " << round;
    ASSERT_EQ(Names(fast), Names(plain)) << "round " << round;
    ASSERT_EQ(Volumes(fast), Volumes(plain)) << "round " << round;
  }
}

TEST(Packing, FirstFitWithATinyCapacityAgainstATerabyteNeitherAllocatesNorCrawls) {
  std::vector<std::pair<std::string, std::int64_t>> named;
  named.emplace_back("huge", std::int64_t{1} << 40);
  for (int i = 0; i < 20000; ++i) named.emplace_back("f" + std::to_string(i), 1);
  EntryList entries = MakeEntries(named);
  // Capacity 1 against 2^40 bytes: the plain loop would want 2^41 bins.
  EXPECT_EQ(PackEntries(entries, kFirstFit, 1), 20000);
  EXPECT_EQ(entries[0].Name(), "huge");
  EXPECT_EQ(entries[0].Volume, 0);
  EXPECT_EQ(entries.back().Volume, 20000);
}

TEST(Packing, LowerBoundOfTheVolumes) {
  struct Case {
    std::vector<std::int64_t> sizes;
    std::int32_t bound;
  };
  const Case cases[] = {
      {{}, 1},
      {{0, 0}, 1},
      {{60, 40, 101, 5000}, 1},           // what does not fit counts for nothing
      {{50, 50, 50}, 2},                  // the total
      {{51, 51, 51, 51}, 4},              // each above half a volume needs its own (L2)
      {{60, 60, 60, 45, 45}, 4},          // ... and the 45s fit with none of those (L2)
      {{34, 34, 34, 34, 34, 34, 34}, 4},  // at most two above a third share a volume
  };
  for (const Case& c : cases) {
    std::vector<std::pair<std::string, std::int64_t>> named;
    for (const std::int64_t size : c.sizes) named.emplace_back("x", size);
    EXPECT_EQ(VolumeLowerBound(MakeEntries(named), 100), c.bound)
        << ::testing::PrintToString(c.sizes);
    EXPECT_LE(c.bound, BruteForceFewest(c.sizes, 100));
  }
}

TEST(Packing, FewestVolumesFindsTheOptimumOfSmallListsAndNeverLosesToFirstFit) {
  std::mt19937_64 random(2718);
  int bound_below_optimum = 0;
  int first_fit_beaten = 0;
  for (int round = 0; round < 400; ++round) {
    const std::int64_t capacity = 100 + static_cast<std::int64_t>(random() % 100);
    std::vector<std::pair<std::string, std::int64_t>> named;
    std::vector<std::int64_t> sizes;
    const int count = static_cast<int>(random() % 13);
    for (int i = 0; i < count; ++i) {
      // Mostly a fifth to a half of the volume, where first-fit and the bounds
      // both miss; some empty, some exactly full, some too large.
      std::int64_t size = capacity / 5 + static_cast<std::int64_t>(
                                             random() % static_cast<std::uint64_t>(capacity / 3));
      switch (random() % 12) {
        case 0: size = 0; break;
        case 1: size = capacity; break;
        case 2: size = capacity + 1; break;
        case 3: size = 1 + static_cast<std::int64_t>(random() % 10); break;
        default: break;
      }
      named.emplace_back(std::string(1, static_cast<char>('a' + i)), size);
      sizes.push_back(size);
    }
    EntryList fewest = MakeEntries(named);
    EntryList first_fit = MakeEntries(named);
    const PackingResult result = PackEntries(fewest, kFewestVolumes, capacity, kStepsOnly);
    const std::int32_t first_fit_count = PackEntries(first_fit, kFirstFit, capacity);
    const std::int32_t optimum = BruteForceFewest(sizes, capacity);
    SCOPED_TRACE("round " + std::to_string(round) + " " + ::testing::PrintToString(sizes));
    ASSERT_EQ(result.volume_count, optimum);
    EXPECT_TRUE(result.proven_optimal);
    EXPECT_EQ(result.lower_bound, optimum);
    ExpectPackedPlan(fewest, capacity, result.volume_count, true);
    EXPECT_LE(result.volume_count, first_fit_count);
    const std::int32_t cheap_bound = VolumeLowerBound(first_fit, capacity);
    EXPECT_LE(cheap_bound, optimum);
    bound_below_optimum += cheap_bound < optimum;
    first_fit_beaten += optimum < first_fit_count;
  }
  // Both ways of proving a plan the fewest were taken: reaching the bound, and a
  // finished search where the bound falls short.
  EXPECT_GT(bound_below_optimum, 0);
  EXPECT_GT(first_fit_beaten, 0);
}

TEST(Packing, FewestVolumesGivesTheSamePlanTwiceAlsoWhenTheSearchIsCut) {
  // Films onto discs: 15 % to 45 % of the capacity, where first-fit decreasing
  // wastes volumes; and a list too long to search whole.
  constexpr std::int64_t kDvd = 4'700'372'992;
  std::mt19937_64 random(31);
  for (const std::size_t count : {120, 4000}) {
    std::vector<std::pair<std::string, std::int64_t>> named;
    for (std::size_t i = 0; i < count; ++i) {
      named.emplace_back("f" + std::to_string(i),
                         kDvd * 15 / 100 + static_cast<std::int64_t>(random() % (kDvd * 30 / 100)));
    }
    EntryList first_fit = MakeEntries(named);
    const std::int32_t first_fit_count = PackEntries(first_fit, kFirstFit, kDvd);
    for (const std::uint64_t steps : {std::uint64_t{3'000}, std::uint64_t{2'000'000}}) {
      SCOPED_TRACE(std::to_string(count) + " entries, " + std::to_string(steps) + " steps");
      EntryList once = MakeEntries(named);
      EntryList twice = MakeEntries(named);
      const PackingResult first = PackEntries(once, kFewestVolumes, kDvd, {3600, steps, {}});
      // A hook that lets the search go on changes nothing.
      int asked = 0;
      const SearchLimits hooked{3600, steps, [&] { return ++asked > 0; }};
      const PackingResult second = PackEntries(twice, kFewestVolumes, kDvd, hooked);
      EXPECT_EQ(Names(once), Names(twice));
      EXPECT_EQ(Volumes(once), Volumes(twice));
      EXPECT_EQ(first.volume_count, second.volume_count);
      EXPECT_EQ(first.lower_bound, second.lower_bound);
      ExpectPackedPlan(once, kDvd, first.volume_count, true);
      EXPECT_LE(first.volume_count, first_fit_count);
      if (steps > 3'000) {
        EXPECT_LT(first.volume_count, first_fit_count);
        // The short list is searched whole and reaches its bound.
        if (count < 1000) {
          EXPECT_TRUE(first.proven_optimal);
        }
      }
    }
    // A window's Cancel: the search stops at its first question and still
    // leaves a whole plan, no worse than first-fit.
    SearchLimits stopped_limits{3600, 2'000'000, {}};
    int asked = 0;
    stopped_limits.keep_going = [&asked] { return ++asked == 0; };
    EntryList stopped = MakeEntries(named);
    const PackingResult cut = PackEntries(stopped, kFewestVolumes, kDvd, stopped_limits);
    EXPECT_LE(asked, 1);
    if (count > 1000) {
      EXPECT_EQ(asked, 1);
    }
    ExpectPackedPlan(stopped, kDvd, cut.volume_count, true);
    EXPECT_LE(cut.volume_count, first_fit_count);
    EXPECT_EQ(cut.proven_optimal, cut.volume_count <= cut.lower_bound);
  }
}

TEST(Packing, ColumnGenerationBoundIsNeverAboveTheOptimum) {
  struct Case {
    std::int64_t capacity;
    std::vector<std::int64_t> sizes;  // largest first
    std::int32_t optimum;
    std::int64_t bound;  // 0: at least optimum - 1
  };
  const Case cases[] = {
      // Where the cheap bounds are one short.
      {33, {21, 20, 19, 19, 17, 15, 15, 15, 11, 11, 10, 10, 10, 9, 8, 8, 8}, 8, 8},
      {59, {39, 37, 28, 23, 17, 17, 12}, 4, 4},
      {49, {33, 32, 28, 28, 23, 20, 14, 14, 13, 13, 12, 10}, 6, 6},
      // Where the relaxation itself is one below the optimum.
      {84, {39, 37, 37, 33, 30, 30, 28, 28, 28, 27, 24, 21, 20, 18, 18}, 6, 0},
      {94, {46, 46, 46, 39, 38, 37, 32, 32, 30, 28, 28, 23, 21, 19}, 6, 0},
      // Capacities in bytes: no table over the capacity is affordable.
      {100'000'000'000, {60'000'000'000, 60'000'000'000, 40'000'000'001, 40'000'000'000}, 3, 3},
  };
  std::mt19937_64 random(8);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.sizes));
    ASSERT_EQ(BruteForceFewest(c.sizes, c.capacity), c.optimum);
    bin_packing::Instance instance{c.sizes, c.capacity};
    bin_packing::WorkBudget budget(50'000'000, bin_packing::WorkBudget::Clock::time_point::max());
    const bin_packing::Packing start = bin_packing::FirstFitDecreasing(instance);
    const bin_packing::ColumnBound column =
        bin_packing::ColumnGenerationBound(instance, start, c.optimum + 1, budget);
    EXPECT_LE(column.bound, c.optimum);
    EXPECT_GE(column.bound, c.bound == 0 ? c.optimum - 1 : c.bound);
    // Its weights prune the complete search, which still finds the optimum and
    // still finds nothing below it.
    ASSERT_GT(column.heaviest, 0);
    bin_packing::ItemWeights weights{{}, column.heaviest};
    for (const std::int64_t size : c.sizes) {
      const auto at = std::find(column.sizes.begin(), column.sizes.end(), size);
      weights.of_item.push_back(column.weights.at(at - column.sizes.begin()));
    }
    for (const std::int32_t bins : {c.optimum, c.optimum - 1}) {
      bin_packing::WorkBudget steps(1'000'000, bin_packing::WorkBudget::Clock::time_point::max());
      bin_packing::Packing found;
      EXPECT_EQ(
          bin_packing::PackIntoBins(instance, bins, steps, found, &weights),
          bins == c.optimum ? bin_packing::ExactOutcome::kFound : bin_packing::ExactOutcome::kNone);
    }
    // Fewest volumes proves these optima, where the relaxation leaves it one short too.
    std::vector<std::pair<std::string, std::int64_t>> named;
    for (const std::int64_t size : c.sizes) named.emplace_back("x", size);
    EntryList entries = MakeEntries(named);
    const PackingResult result = PackEntries(entries, kFewestVolumes, c.capacity, kStepsOnly);
    EXPECT_EQ(result.volume_count, c.optimum);
    EXPECT_TRUE(result.proven_optimal);
  }
}

TEST(Packing, BudgetSharesWithTheirOwnClockStayWithinAFarDeadline) {
  // Without a clock the deadline is time_point::max(); a whole share of it,
  // scaled in double, rounded past it about every other nanosecond and
  // overflowed (the sanitizers' build reports it).
  bin_packing::WorkBudget budget(1'000, bin_packing::WorkBudget::Clock::time_point::max());
  for (int k = 0; k < 2'000; ++k) {
    bin_packing::WorkBudget share = budget.Share(k % 2 == 0 ? budget.left() : 500, true);
    ASSERT_TRUE(share.Spend(1));
  }
  EXPECT_EQ(budget.left(), 1'000u);
}

TEST(Packing, BinCompletionPacksFullTripletsWithinItsSteps) {
  // Twenty bins filled exactly by three items each: the search must find the
  // only kind of packing there is, and the dead ends it keeps let it do so in
  // well under half the steps it took without them.
  std::mt19937_64 random(7);
  bin_packing::Instance instance{{}, 1000};
  for (int bin = 0; bin < 20; ++bin) {
    const std::int64_t largest = 380 + static_cast<std::int64_t>(random() % 111);
    const std::int64_t rest = 1000 - largest;
    const std::int64_t second =
        250 + static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(rest / 2 - 249));
    instance.sizes.insert(instance.sizes.end(), {largest, second, rest - second});
  }
  std::sort(instance.sizes.begin(), instance.sizes.end(), std::greater<>());
  // Also pruned by the weights of the relaxation, which leave no bin any weight to lack.
  bin_packing::WorkBudget bound_steps(50'000'000,
                                      bin_packing::WorkBudget::Clock::time_point::max());
  const bin_packing::ColumnBound column = bin_packing::ColumnGenerationBound(
      instance, bin_packing::FirstFitDecreasing(instance), 21, bound_steps);
  ASSERT_EQ(column.bound, 20);
  // The bins its dive fixed hold each item at most once and fit, and fewer
  // than first-fit decreasing's whenever they hold every item.
  std::vector<std::int64_t> left(column.sizes.size(), 0);
  for (const std::int64_t size : instance.sizes) {
    ++left[std::find(column.sizes.begin(), column.sizes.end(), size) - column.sizes.begin()];
  }
  for (const std::vector<std::int64_t>& bin : column.fixed) {
    std::int64_t load = 0;
    for (std::size_t i = 0; i < bin.size(); ++i) {
      load += bin[i] * column.sizes[i];
      left[i] -= bin[i];
      EXPECT_GE(left[i], 0);
    }
    EXPECT_LE(load, 1000);
  }
  if (std::all_of(left.begin(), left.end(), [](std::int64_t n) { return n == 0; })) {
    EXPECT_LT(column.fixed.size(), bin_packing::FirstFitDecreasing(instance).bin_count);
  }
  bin_packing::ItemWeights weights{{}, column.heaviest};
  for (const std::int64_t size : instance.sizes) {
    const auto at = std::find(column.sizes.begin(), column.sizes.end(), size);
    weights.of_item.push_back(column.weights.at(at - column.sizes.begin()));
  }
  for (const bin_packing::ItemWeights* pruning :
       {static_cast<bin_packing::ItemWeights*>(nullptr), &weights}) {
    bin_packing::WorkBudget budget(1'500'000, bin_packing::WorkBudget::Clock::time_point::max());
    bin_packing::Packing found;
    ASSERT_EQ(bin_packing::PackIntoBins(instance, 20, budget, found, pruning),
              bin_packing::ExactOutcome::kFound);
    std::vector<std::int64_t> loads(20, 0);
    for (std::size_t i = 0; i < found.bin_of.size(); ++i)
      loads.at(found.bin_of[i]) += instance.sizes[i];
    EXPECT_EQ(loads, std::vector<std::int64_t>(20, 1000));
  }
}

TEST(Packing, TargetSearchFindsFullTripletsThatFirstFitDecreasingMisses) {
  // Twenty bins filled exactly by three items each, also in bytes at the scale
  // of large files, where no table over the capacity would be affordable.
  for (const std::int64_t scale : {std::int64_t{1}, std::int64_t{100'000'000}}) {
    std::mt19937_64 random(11);
    bin_packing::Instance instance{{}, 1000 * scale};
    for (int bin = 0; bin < 20; ++bin) {
      const std::int64_t largest = 380 + static_cast<std::int64_t>(random() % 111);
      const std::int64_t rest = 1000 - largest;
      const std::int64_t second =
          250 + static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(rest / 2 - 249));
      for (const std::int64_t size : {largest, second, rest - second}) {
        instance.sizes.push_back(size * scale);
      }
    }
    std::sort(instance.sizes.begin(), instance.sizes.end(), std::greater<>());
    const bin_packing::Packing start = bin_packing::FirstFitDecreasing(instance);
    ASSERT_GT(start.bin_count, 20);
    std::vector<std::int32_t> first_plan;
    for (int run = 0; run < 2; ++run) {
      bin_packing::WorkBudget budget(20'000'000, bin_packing::WorkBudget::Clock::time_point::max());
      const std::optional<bin_packing::Packing> found =
          bin_packing::PackIntoTarget(instance, start, 20, budget);
      ASSERT_TRUE(found.has_value());
      ASSERT_EQ(found->bin_of.size(), instance.sizes.size());
      ASSERT_EQ(found->bin_count, 20);
      std::vector<std::int64_t> loads(20, 0);
      for (std::size_t i = 0; i < found->bin_of.size(); ++i) {
        loads.at(static_cast<std::size_t>(found->bin_of[i])) += instance.sizes[i];
      }
      EXPECT_EQ(loads, std::vector<std::int64_t>(20, 1000 * scale));
      // The same entries give the same plan: the steps, not the clock, lead it.
      if (run == 0) first_plan = found->bin_of;
      EXPECT_EQ(found->bin_of, first_plan);
    }
  }
}

}  // namespace
}  // namespace morvick
