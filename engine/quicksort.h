#pragma once

// The packing quicksort over any item type. The order it leaves equal keys in
// decides plans, so every step is fixed: middle pivot held by value, inclusive
// swaps, the left part sorted before the right one.

#include <cstdint>
#include <utility>
#include <vector>

namespace morvick::detail {

// `compare(a, b)` returns a signed value whose sign alone counts.
template <typename Item, typename Compare>
void PackingQuickSort(std::vector<Item>& items, Compare&& compare) {
  if (items.empty()) return;
  // Partitioning one range never touches another, so the pending ranges may be
  // kept on a heap stack instead of the call stack (no overflow on bad input)
  // without changing the result.
  std::vector<std::pair<std::int64_t, std::int64_t>> pending;
  pending.emplace_back(0, static_cast<std::int64_t>(items.size()) - 1);
  while (!pending.empty()) {
    auto [left, right] = pending.back();
    pending.pop_back();
    for (;;) {
      std::int64_t i = left;
      std::int64_t j = right;
      const Item pivot = items[static_cast<std::size_t>((left + right) / 2)];
      do {
        while (compare(items[static_cast<std::size_t>(i)], pivot) < 0) ++i;
        while (compare(items[static_cast<std::size_t>(j)], pivot) > 0) --j;
        if (i <= j) {
          std::swap(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)]);
          ++i;
          --j;
        }
      } while (i <= j);
      if (left < j) pending.emplace_back(left, j);
      left = i;
      if (i >= right) break;
    }
  }
}

}  // namespace morvick::detail
