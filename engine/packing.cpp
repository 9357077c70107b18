#include "engine/packing.h"

#include "common/error.h"
#include "engine/collation.h"
#include "engine/quicksort.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

namespace morvick {
namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

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

void SortByText(EntryList& entries, TextField field, bool descending) {
  std::vector<std::uint8_t> arena;
  std::vector<KeyedItem> items;
  items.reserve(entries.size());
  for (const auto& record : entries) {
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
    detail::PackingQuickSort(
        items, [&](const KeyedItem& a, const KeyedItem& b) { return ascending(b, a); });
  } else {
    detail::PackingQuickSort(items, ascending);
  }
  ApplyItemOrder(entries, items);
}

struct SizedItem {
  std::int64_t size;
  TSplitEntry* entry;
};

void SortBySizeDesc(EntryList& entries) {
  std::vector<SizedItem> items;
  items.reserve(entries.size());
  for (const auto& record : entries) items.push_back(SizedItem{record->Size, record.get()});
  detail::PackingQuickSort(items, [](const SizedItem& a, const SizedItem& b) {
    return (b.size > a.size) - (b.size < a.size);
  });
  ApplyItemOrder(entries, items);
}

void SortByVolumeAsc(EntryList& entries) {
  std::vector<SizedItem> items;
  items.reserve(entries.size());
  for (const auto& record : entries) items.push_back(SizedItem{record->Volume, record.get()});
  detail::PackingQuickSort(items, [](const SizedItem& a, const SizedItem& b) {
    return (a.size > b.size) - (a.size < b.size);
  });
  ApplyItemOrder(entries, items);
}

// The fill of the opened bins in a min-tree, so that the first bin whose fill
// leaves room for a size is found in logarithmic time. Leaves past the opened
// bins hold the largest value and are never chosen; the tree doubles as bins open.
class BinFills {
 public:
  std::int64_t opened() const { return opened_; }

  // The first opened bin (from 1) whose fill is at most `limit`; 0 when none.
  std::int64_t FirstAtMost(std::int64_t limit) const {
    if (opened_ == 0 || tree_[1] > limit) return 0;
    std::size_t node = 1;
    while (node < leaves_) node = tree_[2 * node] <= limit ? 2 * node : 2 * node + 1;
    return static_cast<std::int64_t>(node - leaves_) + 1;
  }

  void Add(std::int64_t bin, std::int64_t size) {
    std::size_t node = leaves_ + static_cast<std::size_t>(bin - 1);
    tree_[node] += size;
    Refresh(node);
  }

  std::int64_t Open() {
    if (static_cast<std::size_t>(opened_) == leaves_) Grow();
    const std::size_t node = leaves_ + static_cast<std::size_t>(opened_);
    tree_[node] = 0;
    Refresh(node);
    return ++opened_;
  }

 private:
  static constexpr std::int64_t kClosed = std::numeric_limits<std::int64_t>::max();

  void Refresh(std::size_t node) {
    for (node /= 2; node >= 1; node /= 2) {
      tree_[node] = std::min(tree_[2 * node], tree_[2 * node + 1]);
    }
  }

  void Grow() {
    const std::size_t new_leaves = leaves_ == 0 ? 64 : leaves_ * 2;
    std::vector<std::int64_t> tree(2 * new_leaves, kClosed);
    for (std::size_t k = 0; k < leaves_; ++k) tree[new_leaves + k] = tree_[leaves_ + k];
    for (std::size_t node = new_leaves - 1; node >= 1; --node) {
      tree[node] = std::min(tree[2 * node], tree[2 * node + 1]);
    }
    tree_ = std::move(tree);
    leaves_ = new_leaves;
  }

  std::vector<std::int64_t> tree_;
  std::size_t leaves_ = 0;
  std::int64_t opened_ = 0;
};

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

std::int32_t AssignFirstFit(EntryList& entries, std::int64_t capacity) {
  std::int32_t volume_count = 1;
  std::int64_t total = 0;
  for (const auto& record : entries) total = SaturatingAdd(total, record->Size);
  if (capacity == 0) throw DivisionByZeroError();
  // The bin count bounds the bins that may open; only the opened ones are kept.
  // The quotient is 64-bit and the bound saturates, so no count wraps around.
  const std::int64_t quotient = capacity == -1 ? kMax64 : total / capacity;
  const std::int64_t bin_count =
      SaturatingAdd(quotient, 1) > kMax64 / 2 ? kMax64 : 2 * SaturatingAdd(quotient, 1);

  BinFills bins;
  for (const auto& record : entries) {
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
  SortByVolumeAsc(entries);
  return volume_count;
}

std::int32_t PackEntries(EntryList& entries, int method, std::int64_t capacity) {
  switch (method) {
    case kNameAsc: SortByText(entries, TextField::kName, false); break;
    case kNameDesc: SortByText(entries, TextField::kName, true); break;
    case kDateAsc: SortByText(entries, TextField::kDate, false); break;
    case kDateDesc: SortByText(entries, TextField::kDate, true); break;
    case kKindAsc: SortByText(entries, TextField::kKind, false); break;
    case kKindDesc: SortByText(entries, TextField::kKind, true); break;
    case kFirstFit: SortBySizeDesc(entries); return AssignFirstFit(entries, capacity);
    default: break;
  }
  return AssignNextFit(entries, capacity);
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
