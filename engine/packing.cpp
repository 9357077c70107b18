#include "engine/packing.h"

#include "common/error.h"
#include "engine/bin_fills.h"
#include "engine/collation.h"
#include "engine/quicksort.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

namespace morvick {
namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

// Calls the pump once every few thousand steps of a long loop: often enough
// for a live window, rarely enough to cost nothing.
class StridePump {
 public:
  explicit StridePump(const std::function<void()>& pump) : pump_(pump) {}
  void Step() {
    if (--countdown_ != 0) return;
    countdown_ = kStride;
    if (pump_) pump_();
  }

 private:
  static constexpr int kStride = 4096;
  const std::function<void()>& pump_;
  int countdown_ = kStride;
};

// The packing quicksort with the pump stepped at every comparison.
template <typename Item, typename Compare>
void PumpedQuickSort(std::vector<Item>& items, Compare compare, StridePump& pump) {
  detail::PackingQuickSort(items, [&](const Item& a, const Item& b) {
    pump.Step();
    return compare(a, b);
  });
}

// Puts the records in the order of `sorted`, a permutation of their pointers.
void ApplyOrder(EntryList& entries, const std::vector<TSplitEntry*>& sorted) {
  for (auto& record : entries) static_cast<void>(record.release());
  for (std::size_t i = 0; i < sorted.size(); ++i) entries[i].reset(sorted[i]);
}

template <typename Item>
void ApplyItemOrder(EntryList& entries, const std::vector<Item>& items) {
  std::vector<TSplitEntry*> sorted;
  sorted.reserve(items.size());
  for (const Item& item : items) sorted.push_back(item.entry);
  ApplyOrder(entries, sorted);
}

// One entry with the sort key of the compared text. The first eight key bytes,
// big-endian and zero-padded, decide most comparisons without touching the arena.
struct KeyedItem {
  std::uint64_t prefix;
  std::uint32_t offset;
  std::uint32_t length;
  TSplitEntry* entry;
};

enum class TextField { kName, kDate, kKind };

const std::string& FieldOf(const TSplitEntry& entry, TextField field) {
  switch (field) {
    case TextField::kName: return entry.Name;
    case TextField::kDate: return entry.DateText;
    case TextField::kKind: return entry.KindText;
  }
  return entry.Name;
}

void SortByText(EntryList& entries, TextField field, bool descending, StridePump& pump) {
  std::vector<std::uint8_t> arena;
  std::vector<KeyedItem> items;
  items.reserve(entries.size());
  for (const auto& record : entries) {
    pump.Step();
    const std::size_t offset = arena.size();
    const std::size_t length = AppendSortKey(FieldOf(*record, field), arena);
    items.push_back(KeyedItem{0, static_cast<std::uint32_t>(offset),
                              static_cast<std::uint32_t>(length), record.get()});
  }
  for (KeyedItem& item : items) {
    std::uint64_t prefix = 0;
    for (std::size_t k = 0; k < 8; ++k) {
      prefix <<= 8;
      if (k < item.length) prefix |= arena[item.offset + k];
    }
    item.prefix = prefix;
  }
  const std::uint8_t* keys = arena.data();
  auto ascending = [keys](const KeyedItem& a, const KeyedItem& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
    return CompareSortKeys(keys + a.offset, a.length, keys + b.offset, b.length);
  };
  if (descending) {
    PumpedQuickSort(
        items, [&](const KeyedItem& a, const KeyedItem& b) { return ascending(b, a); }, pump);
  } else {
    PumpedQuickSort(items, ascending, pump);
  }
  ApplyItemOrder(entries, items);
}

struct SizedItem {
  std::int64_t size;
  TSplitEntry* entry;
};

void SortBySizeDesc(EntryList& entries, StridePump& pump) {
  std::vector<SizedItem> items;
  items.reserve(entries.size());
  for (const auto& record : entries) items.push_back(SizedItem{record->Size, record.get()});
  PumpedQuickSort(
      items,
      [](const SizedItem& a, const SizedItem& b) { return (b.size > a.size) - (b.size < a.size); },
      pump);
  ApplyItemOrder(entries, items);
}

void SortByVolumeAsc(EntryList& entries, StridePump& pump) {
  std::vector<SizedItem> items;
  items.reserve(entries.size());
  for (const auto& record : entries) items.push_back(SizedItem{record->Volume, record.get()});
  PumpedQuickSort(
      items,
      [](const SizedItem& a, const SizedItem& b) { return (a.size > b.size) - (a.size < b.size); },
      pump);
  ApplyItemOrder(entries, items);
}

constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();

// Byte sums never wrap: a sum past the 64-bit range stays at its end.
std::int64_t SaturatingAdd(std::int64_t a, std::int64_t b) {
  std::int64_t sum;
  if (__builtin_add_overflow(a, b, &sum)) return b > 0 ? kMax64 : kMin64;
  return sum;
}

}  // namespace

int CompareNameAsc(const TSplitEntry& a, const TSplitEntry& b) {
  return CompareText(a.Name, b.Name);
}
int CompareNameDesc(const TSplitEntry& a, const TSplitEntry& b) {
  return CompareText(b.Name, a.Name);
}
int CompareDateAsc(const TSplitEntry& a, const TSplitEntry& b) {
  return CompareText(a.DateText, b.DateText);
}
int CompareDateDesc(const TSplitEntry& a, const TSplitEntry& b) {
  return CompareText(b.DateText, a.DateText);
}
int CompareKindAsc(const TSplitEntry& a, const TSplitEntry& b) {
  return CompareText(a.KindText, b.KindText);
}
int CompareKindDesc(const TSplitEntry& a, const TSplitEntry& b) {
  return CompareText(b.KindText, a.KindText);
}
int CompareSizeDesc(const TSplitEntry& a, const TSplitEntry& b) {
  return (b.Size > a.Size) - (b.Size < a.Size);
}
int CompareVolumeAsc(const TSplitEntry& a, const TSplitEntry& b) {
  // Volume numbers are 32-bit; their difference is taken in 64 bits and kept to its sign.
  const std::int64_t difference = std::int64_t{a.Volume} - std::int64_t{b.Volume};
  return (difference > 0) - (difference < 0);
}

void SortEntries(EntryList& entries, EntryComparison compare) {
  std::vector<TSplitEntry*> items;
  items.reserve(entries.size());
  for (const auto& record : entries) items.push_back(record.get());
  detail::PackingQuickSort(items, [compare](const TSplitEntry* a, const TSplitEntry* b) {
    return Sign(compare(*a, *b));
  });
  ApplyOrder(entries, items);
}

std::int32_t AssignNextFit(EntryList& entries, std::int64_t capacity) {
  std::int32_t volume_count = 1;
  std::int64_t running_total = 0;
  for (const auto& record : entries) {
    if (record->Size > capacity) continue;
    std::int64_t total;
    if (__builtin_add_overflow(running_total, record->Size, &total) || total > capacity) {
      ++volume_count;
      running_total = record->Size;
    } else {
      running_total = total;
    }
    record->Volume = volume_count;
  }
  return volume_count;
}

std::int32_t AssignFirstFit(EntryList& entries, std::int64_t capacity,
                            const std::function<void()>& pump) {
  StridePump stride(pump);
  std::int32_t volume_count = 1;
  std::int64_t total = 0;
  for (const auto& record : entries) total = SaturatingAdd(total, record->Size);
  if (capacity == 0) throw DivisionByZeroError();
  // The bin count bounds the bins that may open; only the opened ones are kept.
  // The quotient is 64-bit and the bound saturates, so no count wraps around.
  const std::int64_t quotient = capacity == -1 ? kMax64 : total / capacity;
  const std::int64_t bin_count =
      SaturatingAdd(quotient, 1) > kMax64 / 2 ? kMax64 : 2 * SaturatingAdd(quotient, 1);

  detail::BinFills bins;
  for (const auto& record : entries) {
    stride.Step();
    const std::int64_t size = record->Size;
    // A bin fits when fill + size <= capacity, i.e. fill <= capacity - size.
    std::int64_t limit;
    bool any_fill_fits = true;
    if (__builtin_sub_overflow(capacity, size, &limit)) {
      // Overflow upwards: every fill fits; downwards: none does.
      any_fill_fits = size < 0;
      limit = kMax64;
    }
    std::int64_t bin = 0;
    if (any_fill_fits) {
      bin = bins.FirstAtMost(limit);
      if (bin == 0 && limit >= 0 && bins.opened() < bin_count) bin = bins.Open();
    }
    if (bin == 0) continue;
    bins.Add(bin, size);
    record->Volume = static_cast<std::int32_t>(bin);
    volume_count = std::max(volume_count, static_cast<std::int32_t>(bin));
  }
  SortByVolumeAsc(entries, stride);
  return volume_count;
}

namespace {

std::vector<std::int64_t> SizesOf(const EntryList& entries) {
  std::vector<std::int64_t> sizes;
  sizes.reserve(entries.size());
  for (const auto& record : entries) sizes.push_back(record->Size);
  return sizes;
}

PackingResult AssignFewestVolumes(EntryList& entries, std::int64_t capacity,
                                  const SearchLimits& limits, StridePump& pump) {
  SortBySizeDesc(entries, pump);
  if (capacity == 0) throw DivisionByZeroError();
  const FewestVolumes found = FindFewestVolumes(SizesOf(entries), capacity, limits);
  for (std::size_t i = 0; i < entries.size(); ++i) entries[i]->Volume = found.volume_of[i];
  // By volume; within a volume the size order stays, largest first.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const auto& a, const auto& b) { return a->Volume < b->Volume; });
  return {found.volume_count, found.lower_bound, found.proven_optimal};
}

}  // namespace

PackingResult PackEntries(EntryList& entries, int method, std::int64_t capacity,
                          const SearchLimits& limits, const std::function<void()>& pump) {
  StridePump stride(pump);
  if (method == kFewestVolumes) return AssignFewestVolumes(entries, capacity, limits, stride);
  PackingResult result;
  switch (method) {
    case kNameAsc: SortByText(entries, TextField::kName, false, stride); break;
    case kNameDesc: SortByText(entries, TextField::kName, true, stride); break;
    case kDateAsc: SortByText(entries, TextField::kDate, false, stride); break;
    case kDateDesc: SortByText(entries, TextField::kDate, true, stride); break;
    case kKindAsc: SortByText(entries, TextField::kKind, false, stride); break;
    case kKindDesc: SortByText(entries, TextField::kKind, true, stride); break;
    case kFirstFit: SortBySizeDesc(entries, stride); break;
    default: break;
  }
  result.volume_count = method == kFirstFit ? AssignFirstFit(entries, capacity, pump)
                                            : AssignNextFit(entries, capacity);
  if (pump) pump();
  result.lower_bound = VolumeLowerBound(entries, capacity);
  result.proven_optimal = result.volume_count <= result.lower_bound;
  return result;
}

std::int32_t PackEntries(EntryList& entries, int method, std::int64_t capacity) {
  return PackEntries(entries, method, capacity, SearchLimits{}).volume_count;
}

std::int32_t VolumeLowerBound(const EntryList& entries, std::int64_t capacity) {
  return VolumeLowerBound(SizesOf(entries), capacity);
}

std::vector<std::int64_t> ComputeVolumeTotals(const EntryList& entries, std::int32_t volume_count) {
  std::vector<std::int64_t> totals(static_cast<std::size_t>(std::max(volume_count, 0)) + 1, 0);
  for (const auto& record : entries) {
    if (record->Volume > 0 && record->Volume <= volume_count) {
      totals[static_cast<std::size_t>(record->Volume)] += record->Size;
    }
  }
  return totals;
}

}  // namespace morvick
