#include "engine/packing.h"

#include "common/error.h"
#include "engine/bin_fills.h"
#include "engine/collation.h"
#include "engine/quicksort.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

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

// Puts the records in the order of `order`: position k receives the record
// that was at order[k]. The cycles of the permutation are followed in place,
// so no second copy of the records is made; `order` is used up.
void ApplyOrder(EntryList& entries, std::vector<std::uint32_t>& order, StridePump& pump) {
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (order[k] == k) continue;
    const TSplitEntry held = entries[k];
    std::size_t j = k;
    for (;;) {
      pump.Step();
      const std::size_t from = order[j];
      order[j] = static_cast<std::uint32_t>(j);
      if (from == k) {
        entries[j] = held;
        break;
      }
      entries[j] = entries[from];
      j = from;
    }
  }
}

// Applies the order of sorted items (each holding its record's index) and
// frees them first.
template <typename Item>
void ApplyItemOrder(EntryList& entries, std::vector<Item>& items, StridePump& pump) {
  std::vector<std::uint32_t> order;
  order.reserve(items.size());
  for (const Item& item : items) order.push_back(item.index);
  std::vector<Item>().swap(items);
  ApplyOrder(entries, order, pump);
}

// One entry with the sort key of the compared text. Eight key bytes after the
// prefix all keys share, big-endian and zero-padded, decide most comparisons
// without touching the arena.
struct KeyedItem {
  std::uint64_t prefix;
  std::uint32_t offset;
  std::uint32_t length;
  std::uint32_t index;
};

enum class TextField { kName, kKind };

void SortByText(EntryList& entries, TextField field, bool descending, StridePump& pump) {
  // Keys are a few times longer than their texts; room reserved up front is
  // only resident once written, and the arena never moves while it grows.
  std::size_t room = 0;
  for (const TSplitEntry& record : entries) room += 64 + 8 * (record.Name().size() + 8);
  std::vector<std::uint8_t> arena;
  arena.reserve(room);
  std::vector<KeyedItem> items;
  items.reserve(entries.size());
  // Names are nearly all different: their short keys decide, and the rare tie
  // goes to the full comparison. Kinds repeat: one exact key each.
  std::unordered_map<std::string, std::pair<std::uint32_t, std::uint32_t>> kind_keys;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    pump.Step();
    std::size_t offset = arena.size();
    std::size_t length = 0;
    if (field == TextField::kName) {
      length = AppendShortSortKey(entries[i].Name(), arena);
    } else {
      auto [known, added] = kind_keys.try_emplace(entries[i].KindText());
      if (added) {
        known->second = {static_cast<std::uint32_t>(offset),
                         static_cast<std::uint32_t>(AppendSortKey(known->first, arena))};
      }
      offset = known->second.first;
      length = known->second.second;
    }
    items.push_back(KeyedItem{0, static_cast<std::uint32_t>(offset),
                              static_cast<std::uint32_t>(length), static_cast<std::uint32_t>(i)});
  }
  const std::uint8_t* keys = arena.data();
  // The bytes every key begins with decide nothing (file names often share a stem).
  std::size_t shared = items.empty() ? 0 : items.front().length;
  for (const KeyedItem& item : items) {
    const std::uint8_t* first = keys + items.front().offset;
    const std::uint8_t* key = keys + item.offset;
    std::size_t k = 0;
    const std::size_t limit = std::min<std::size_t>(shared, item.length);
    while (k < limit && first[k] == key[k]) ++k;
    shared = k;
  }
  for (KeyedItem& item : items) {
    item.offset += static_cast<std::uint32_t>(shared);
    item.length -= static_cast<std::uint32_t>(shared);
    std::uint64_t prefix = 0;
    for (std::size_t k = 0; k < 8; ++k) {
      prefix <<= 8;
      if (k < item.length) prefix |= keys[item.offset + k];
    }
    item.prefix = prefix;
  }
  auto ascending = [keys, field, &entries](const KeyedItem& a, const KeyedItem& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
    // The quicksort meets its pivot about twice per range: no need to look further.
    if (a.index == b.index) return 0;
    const int by_key = CompareSortKeys(keys + a.offset, a.length, keys + b.offset, b.length);
    if (by_key != 0 || field == TextField::kKind) return by_key;
    const std::string_view a_name = entries[a.index].Name();
    const std::string_view b_name = entries[b.index].Name();
    return a_name == b_name ? 0 : CompareText(a_name, b_name);
  };
  if (descending) {
    PumpedQuickSort(
        items, [&](const KeyedItem& a, const KeyedItem& b) { return ascending(b, a); }, pump);
  } else {
    PumpedQuickSort(items, ascending, pump);
  }
  std::vector<std::uint8_t>().swap(arena);
  ApplyItemOrder(entries, items, pump);
}

struct ValueItem {
  std::int64_t value;
  std::uint32_t index;
};

// Sorts by a whole-number key of each record, with a comparison of two keys.
template <typename Key, typename Compare>
void SortByValue(EntryList& entries, Key key, Compare compare, StridePump& pump) {
  std::vector<ValueItem> items;
  items.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    items.push_back(ValueItem{key(entries[i]), static_cast<std::uint32_t>(i)});
  }
  PumpedQuickSort(
      items, [&](const ValueItem& a, const ValueItem& b) { return compare(a.value, b.value); },
      pump);
  ApplyItemOrder(entries, items, pump);
}

int Ascending(std::int64_t a, std::int64_t b) { return (a > b) - (a < b); }
int Descending(std::int64_t a, std::int64_t b) { return (b > a) - (b < a); }

void SortBySizeDesc(EntryList& entries, StridePump& pump) {
  SortByValue(
      entries, [](const TSplitEntry& e) { return e.Size; }, Descending, pump);
}

void SortByVolumeAsc(EntryList& entries, StridePump& pump) {
  SortByValue(
      entries, [](const TSplitEntry& e) { return std::int64_t{e.Volume}; }, Ascending, pump);
}

// The date texts are fixed-width digits in the same places, so they collate
// as the packed times compare.
void SortByDate(EntryList& entries, bool descending, StridePump& pump) {
  SortByValue(
      entries, [](const TSplitEntry& e) { return std::int64_t{e.Stamp}; },
      descending ? Descending : Ascending, pump);
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
  return CompareText(a.Name(), b.Name());
}
int CompareNameDesc(const TSplitEntry& a, const TSplitEntry& b) {
  return CompareText(b.Name(), a.Name());
}
int CompareDateAsc(const TSplitEntry& a, const TSplitEntry& b) {
  return Ascending(a.Stamp, b.Stamp);
}
int CompareDateDesc(const TSplitEntry& a, const TSplitEntry& b) {
  return Ascending(b.Stamp, a.Stamp);
}
int CompareKindAsc(const TSplitEntry& a, const TSplitEntry& b) {
  return CompareText(a.KindText(), b.KindText());
}
int CompareKindDesc(const TSplitEntry& a, const TSplitEntry& b) {
  return CompareText(b.KindText(), a.KindText());
}
int CompareSizeDesc(const TSplitEntry& a, const TSplitEntry& b) {
  return Descending(a.Size, b.Size);
}
int CompareVolumeAsc(const TSplitEntry& a, const TSplitEntry& b) {
  // Volume numbers are 32-bit; their difference is taken in 64 bits and kept to its sign.
  return Ascending(a.Volume, b.Volume);
}

void SortEntries(EntryList& entries, EntryComparison compare) {
  std::vector<std::uint32_t> order;
  order.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) order.push_back(static_cast<std::uint32_t>(i));
  detail::PackingQuickSort(order, [&](std::uint32_t a, std::uint32_t b) {
    return Sign(compare(entries[a], entries[b]));
  });
  const std::function<void()> no_pump;
  StridePump stride(no_pump);
  ApplyOrder(entries, order, stride);
}

std::int32_t AssignNextFit(EntryList& entries, std::int64_t capacity) {
  std::int32_t volume_count = 1;
  std::int64_t running_total = 0;
  for (TSplitEntry& record : entries) {
    if (record.Size > capacity) continue;
    std::int64_t total;
    if (__builtin_add_overflow(running_total, record.Size, &total) || total > capacity) {
      ++volume_count;
      running_total = record.Size;
    } else {
      running_total = total;
    }
    record.Volume = volume_count;
  }
  return volume_count;
}

std::int32_t AssignFirstFit(EntryList& entries, std::int64_t capacity,
                            const std::function<void()>& pump) {
  StridePump stride(pump);
  std::int32_t volume_count = 1;
  std::int64_t total = 0;
  for (const TSplitEntry& record : entries) total = SaturatingAdd(total, record.Size);
  if (capacity == 0) throw DivisionByZeroError();
  // The bin count bounds the bins that may open; only the opened ones are kept.
  // The quotient is 64-bit and the bound saturates, so no count wraps around.
  const std::int64_t quotient = capacity == -1 ? kMax64 : total / capacity;
  const std::int64_t bin_count =
      SaturatingAdd(quotient, 1) > kMax64 / 2 ? kMax64 : 2 * SaturatingAdd(quotient, 1);

  detail::BinFills bins;
  for (TSplitEntry& record : entries) {
    stride.Step();
    const std::int64_t size = record.Size;
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
    record.Volume = static_cast<std::int32_t>(bin);
    volume_count = std::max(volume_count, static_cast<std::int32_t>(bin));
  }
  SortByVolumeAsc(entries, stride);
  return volume_count;
}

namespace {

std::vector<std::int64_t> SizesOf(const EntryList& entries) {
  std::vector<std::int64_t> sizes;
  sizes.reserve(entries.size());
  for (const TSplitEntry& record : entries) sizes.push_back(record.Size);
  return sizes;
}

PackingResult AssignFewestVolumes(EntryList& entries, std::int64_t capacity,
                                  const SearchLimits& limits, StridePump& pump) {
  SortBySizeDesc(entries, pump);
  if (capacity == 0) throw DivisionByZeroError();
  const FewestVolumes found = FindFewestVolumes(SizesOf(entries), capacity, limits);
  for (std::size_t i = 0; i < entries.size(); ++i) entries[i].Volume = found.volume_of[i];
  // By volume; within a volume the size order stays, largest first.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const TSplitEntry& a, const TSplitEntry& b) { return a.Volume < b.Volume; });
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
    case kDateAsc: SortByDate(entries, false, stride); break;
    case kDateDesc: SortByDate(entries, true, stride); break;
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
  for (const TSplitEntry& record : entries) {
    if (record.Volume > 0 && record.Volume <= volume_count) {
      totals[static_cast<std::size_t>(record.Volume)] += record.Size;
    }
  }
  return totals;
}

}  // namespace morvick
