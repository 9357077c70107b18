#include "engine/packing.h"

#include "common/error.h"

#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace morvick {
namespace {

EntryList MakeEntries(const std::vector<std::pair<std::string, std::int64_t>>& named_sizes) {
  EntryList entries;
  for (const auto& [name, size] : named_sizes) {
    auto record = std::make_unique<TSplitEntry>();
    record->Name = name;
    record->Size = size;
    record->DateText = "2026/01/02 03:04:06";
    record->KindText = "File()";
    entries.push_back(std::move(record));
  }
  return entries;
}

std::string Names(const EntryList& entries) {
  std::string names;
  for (const auto& record : entries) names += record->Name;
  return names;
}

std::map<std::string, std::int32_t> VolumeOf(const EntryList& entries) {
  std::map<std::string, std::int32_t> volumes;
  for (const auto& record : entries) volumes[record->Name] = record->Volume;
  return volumes;
}

std::vector<std::int32_t> Volumes(const EntryList& entries) {
  std::vector<std::int32_t> volumes;
  for (const auto& record : entries) volumes.push_back(record->Volume);
  return volumes;
}

// The first-fit loop over a full array of bins, as plainly as it can be written,
// to check the fast assignment against.
std::int32_t ReferenceFirstFit(EntryList& entries, std::int64_t capacity) {
  std::int32_t volume_count = 1;
  std::int64_t total = 0;
  for (const auto& record : entries) total += record->Size;
  const std::int64_t bin_count = 2 * (total / capacity + 1);
  std::vector<std::int64_t> bins(static_cast<std::size_t>(bin_count) + 1, 0);
  for (const auto& record : entries) {
    for (std::int64_t j = 1; j <= bin_count; ++j) {
      if (bins[static_cast<std::size_t>(j)] + record->Size <= capacity) {
        bins[static_cast<std::size_t>(j)] += record->Size;
        record->Volume = static_cast<std::int32_t>(j);
        if (volume_count < j) volume_count = static_cast<std::int32_t>(j);
        break;
      }
    }
  }
  SortEntries(entries, CompareVolumeAsc);
  return volume_count;
}

const std::vector<std::pair<std::string, std::int64_t>> kSeven = {
    {"A", 60}, {"B", 50}, {"C", 120}, {"D", 40}, {"E", 10}, {"F", 100}, {"G", 30}};

TEST(Packing, NextFitClosesAVolumeAtTheFirstEntryThatDoesNotFit) {
  EntryList entries = MakeEntries(kSeven);
  EXPECT_EQ(PackEntries(entries, kScanOrder, 100), 4);
  EXPECT_EQ(Volumes(entries), (std::vector<std::int32_t>{1, 2, 0, 2, 2, 3, 4}));
  EXPECT_EQ(Names(entries), "ABCDEFG");
  EXPECT_EQ(ComputeVolumeTotals(entries, 4), (std::vector<std::int64_t>{0, 60, 100, 100, 30}));

  // Any index outside 0..7 keeps the scan order like 7 does.
  for (int method : {-1, 8, 1000}) {
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
  for (int method = 0; method <= 7; ++method) {
    EntryList none;
    EXPECT_EQ(PackEntries(none, method, 100), 1);
    EXPECT_EQ(ComputeVolumeTotals(none, 1), (std::vector<std::int64_t>{0, 0}));
  }
  // Capacity 0: next-fit places only empty entries; first-fit divides by zero.
  EntryList zero = MakeEntries({{"a", 0}, {"b", 5}, {"c", 0}});
  EXPECT_EQ(PackEntries(zero, kNameAsc, 0), 1);
  EXPECT_EQ(Volumes(zero), (std::vector<std::int32_t>{1, 0, 1}));
  EntryList divide = MakeEntries({{"a", 0}});
  try {
    PackEntries(divide, kFirstFit, 0);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_STREQ(error.what(), "ゼロによる除算");
  }
  // Sizes near the top of the 64-bit range neither wrap nor crash.
  const std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  EntryList huge = MakeEntries({{"a", kMax - 1}, {"b", kMax - 1}, {"c", 1}});
  EXPECT_EQ(PackEntries(huge, kScanOrder, kMax), 2);
  EXPECT_EQ(Volumes(huge), (std::vector<std::int32_t>{1, 2, 2}));
  EntryList huge_fit = MakeEntries({{"a", kMax - 1}, {"b", kMax - 1}, {"c", 1}});
  EXPECT_EQ(PackEntries(huge_fit, kFirstFit, kMax), 2);
  EXPECT_EQ(VolumeOf(huge_fit),
            (std::map<std::string, std::int32_t>{{"a", 2}, {"b", 1}, {"c", 1}}));
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
  static const char* const kPieces[] = {"a",  "B",  "b",    "1", "10", "9",
                                        "あ", "ア", "資料", ".", " "};
  for (int round = 0; round < 40; ++round) {
    std::vector<std::pair<std::string, std::int64_t>> named;
    const int count = 1 + static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i) {
      std::string name;
      for (int k = 0; k < 1 + static_cast<int>(random() % 3); ++k) name += kPieces[random() % 11];
      named.emplace_back(name, static_cast<std::int64_t>(random() % 50));
    }
    const EntryComparison comparisons[] = {CompareNameAsc,  CompareNameDesc, CompareDateAsc,
                                           CompareDateDesc, CompareKindAsc,  CompareKindDesc};
    for (int method = 0; method < 6; ++method) {
      EntryList fast = MakeEntries(named);
      EntryList plain = MakeEntries(named);
      for (std::size_t i = 0; i < fast.size(); ++i) {
        // Few distinct dates and kinds, so that equal keys are common.
        const std::string date = "2026/01/0" + std::to_string(1 + i % 3) + " 00:00:00";
        const std::string kind = i % 2 ? "Folder" : "File(.txt)";
        fast[i]->DateText = plain[i]->DateText = date;
        fast[i]->KindText = plain[i]->KindText = kind;
        fast[i]->Name = plain[i]->Name = named[i].first + "#" + std::to_string(i % 4);
      }
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
  EXPECT_EQ(entries.front()->Name, "huge");
  EXPECT_EQ(entries.front()->Volume, 0);
  EXPECT_EQ(entries.back()->Volume, 20000);
}

}  // namespace
}  // namespace morvick
