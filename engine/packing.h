#pragma once

// Packing: sorts the entry list by the packing method and assigns volume numbers.

#include "engine/entry.h"
#include "engine/fewest_volumes.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace morvick {

// The eight packing methods of the window, by the index of RadioGroup1, and the
// fewest-volumes method of morvick-cli. Any other index acts as 7.
enum PackingMethod : int {
  kNameAsc = 0,
  kNameDesc = 1,
  kDateAsc = 2,
  kDateDesc = 3,
  kKindAsc = 4,
  kKindDesc = 5,
  kFirstFit = 6,
  kScanOrder = 7,
  kFewestVolumes = 8,
};

// A plan's volume count and how close it is to the fewest possible.
struct PackingResult {
  std::int32_t volume_count = 1;
  std::int32_t lower_bound = 1;  // no plan of the entries has fewer volumes
  bool proven_optimal = false;   // no plan of the entries has fewer volumes than this one
};

// Sorts by the method (none for 7 and unknown indices), then assigns with
// first-fit for 6, the fewest-volumes search for 8 and next-fit otherwise.
// Method 8 leaves the entries that fit sorted by volume and, within a volume,
// largest first, with the oversized ones (volume 0) before them, as 6 does.
// Raises DivisionByZeroError for methods 6 and 8 with capacity 0.
// `pump`, when given, is called every few thousand steps of the sorts and of
// first-fit, so that a window stays live while a large list is packed; it must
// not touch the entries.
PackingResult PackEntries(EntryList& entries, int method, std::int64_t capacity,
                          const SearchLimits& limits, const std::function<void()>& pump = {});
// The same with the default search limits; returns VolumeCount (at least 1).
std::int32_t PackEntries(EntryList& entries, int method, std::int64_t capacity);

// A comparison of two records: negative when `a` belongs before `b`, positive
// when after, 0 for equal keys. Only the sign counts.
using EntryComparison = int (*)(const TSplitEntry& a, const TSplitEntry& b);

int CompareNameAsc(const TSplitEntry& a, const TSplitEntry& b);
int CompareNameDesc(const TSplitEntry& a, const TSplitEntry& b);
int CompareDateAsc(const TSplitEntry& a, const TSplitEntry& b);
int CompareDateDesc(const TSplitEntry& a, const TSplitEntry& b);
int CompareKindAsc(const TSplitEntry& a, const TSplitEntry& b);
int CompareKindDesc(const TSplitEntry& a, const TSplitEntry& b);
int CompareSizeDesc(const TSplitEntry& a, const TSplitEntry& b);
int CompareVolumeAsc(const TSplitEntry& a, const TSplitEntry& b);

// The packing quicksort with a comparison; equal keys end in the order that
// quicksort leaves them (P, Q, R, S of equal keys become R, S, P, Q).
// PackEntries sorts with the same quicksort over precomputed sort keys, which
// gives the same order faster.
void SortEntries(EntryList& entries, EntryComparison compare);

std::int32_t AssignNextFit(EntryList& entries, std::int64_t capacity);
std::int32_t AssignFirstFit(EntryList& entries, std::int64_t capacity,
                            const std::function<void()>& pump = {});

// The lower bound of the plans of the entries (see VolumeLowerBound).
std::int32_t VolumeLowerBound(const EntryList& entries, std::int64_t capacity);

// VolumeTotals: volume_count + 1 sums, index 0 unused and 0.
std::vector<std::int64_t> ComputeVolumeTotals(const EntryList& entries, std::int32_t volume_count);

}  // namespace morvick
