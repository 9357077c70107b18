#pragma once

// What the two pool searches share: bins that always fit, and a pool of the
// items not placed, which is done once the complete search packs it into the
// last few bins.

#include "engine/bin_packing.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace morvick::bin_packing {

struct PoolBin {
  std::vector<std::size_t> items;
  std::int64_t load = 0;
};

// Whether the pool's items (of total size `pool_size`) fit into `bins` bins,
// by the complete search within `steps`; its packing of them goes to `found`.
// Sorts `pool` by item, which is largest first, as in the instance.
inline bool SplitPool(const std::vector<std::int64_t>& sizes, std::int64_t capacity,
                      std::vector<std::size_t>& pool, Wide pool_size, std::int32_t bins,
                      std::uint64_t steps, WorkBudget& budget, Packing& found) {
  if (pool_size > Wide{bins} * capacity) return false;
  found.bin_of.assign(pool.size(), 0);
  found.bin_count = pool.empty() ? 0 : 1;
  if (pool_size <= Wide{capacity}) return true;
  std::sort(pool.begin(), pool.end());
  Instance rest;
  rest.capacity = capacity;
  for (const std::size_t item : pool) rest.sizes.push_back(sizes[item]);
  WorkBudget split = budget.Share(steps);
  const ExactOutcome outcome = PackIntoBins(rest, bins, split, found);
  budget.Charge(split);
  return outcome == ExactOutcome::kFound;
}

// The packing of the bins that hold items and of the pool as `pool_bins` packs it.
inline Packing PoolPacking(std::size_t item_count, const std::vector<PoolBin>& bins,
                           const std::vector<std::size_t>& pool, const Packing& pool_bins) {
  Packing packing;
  packing.bin_of.assign(item_count, 0);
  for (const PoolBin& bin : bins) {
    if (bin.items.empty()) continue;
    for (const std::size_t item : bin.items) packing.bin_of[item] = packing.bin_count;
    ++packing.bin_count;
  }
  for (std::size_t k = 0; k < pool.size(); ++k) {
    packing.bin_of[pool[k]] = packing.bin_count + pool_bins.bin_of[k];
  }
  packing.bin_count += pool_bins.bin_count;
  NumberBinsInItemOrder(packing);
  return packing;
}

}  // namespace morvick::bin_packing
