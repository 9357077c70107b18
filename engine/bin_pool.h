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

// The bins, the pool and the moves between them; each search adds its own
// choice of moves and its tabu.
class PoolState {
 protected:
  PoolState(const Instance& instance, WorkBudget& budget)
      : sizes_(instance.sizes),
        capacity_(instance.capacity),
        budget_(budget),
        tabu_until_(instance.sizes.size(), 0) {}

  // The bins of `packing`, with their items and loads.
  std::vector<PoolBin> BinsOf(const Packing& packing) const {
    std::vector<PoolBin> bins(static_cast<std::size_t>(packing.bin_count));
    for (std::size_t i = 0; i < packing.bin_of.size(); ++i) {
      PoolBin& bin = bins[static_cast<std::size_t>(packing.bin_of[i])];
      bin.items.push_back(i);
      bin.load += sizes_[i];
    }
    return bins;
  }

  void AddToPool(std::size_t item) {
    pool_.push_back(item);
    pool_size_ += sizes_[item];
  }

  void TakeFromPool(std::size_t item) {
    std::erase(pool_, item);
    pool_size_ -= sizes_[item];
  }

  void MoveToPool(PoolBin& bin, std::size_t item) {
    std::erase(bin.items, item);
    bin.load -= sizes_[item];
    AddToPool(item);
  }

  void MoveToBin(PoolBin& bin, std::size_t item) {
    TakeFromPool(item);
    bin.items.push_back(item);
    bin.load += sizes_[item];
  }

  // Whether the pool fits into `bins` bins, by the complete search within
  // `steps`; its packing goes to pool_bins_. Sorts the pool by item, which is
  // largest first, as in the instance.
  bool SplitPool(std::int32_t bins, std::uint64_t steps) {
    if (pool_size_ > Wide{bins} * capacity_) return false;
    pool_bins_.bin_of.assign(pool_.size(), 0);
    pool_bins_.bin_count = pool_.empty() ? 0 : 1;
    if (pool_size_ <= Wide{capacity_}) return true;
    std::sort(pool_.begin(), pool_.end());
    Instance rest;
    rest.capacity = capacity_;
    for (const std::size_t item : pool_) rest.sizes.push_back(sizes_[item]);
    WorkBudget split = budget_.Share(steps);
    const ExactOutcome outcome = PackIntoBins(rest, bins, split, pool_bins_);
    budget_.Charge(split);
    return outcome == ExactOutcome::kFound;
  }

  // The packing of the bins that hold items and of the pool as pool_bins_ packs it.
  Packing Result() const {
    Packing packing;
    packing.bin_of.assign(sizes_.size(), 0);
    for (const PoolBin& bin : bins_) {
      if (bin.items.empty()) continue;
      for (const std::size_t item : bin.items) packing.bin_of[item] = packing.bin_count;
      ++packing.bin_count;
    }
    for (std::size_t k = 0; k < pool_.size(); ++k) {
      packing.bin_of[pool_[k]] = packing.bin_count + pool_bins_.bin_of[k];
    }
    packing.bin_count += pool_bins_.bin_count;
    NumberBinsInItemOrder(packing);
    return packing;
  }

  const std::vector<std::int64_t>& sizes_;
  const std::int64_t capacity_;
  WorkBudget& budget_;
  std::vector<std::uint64_t> tabu_until_;
  std::vector<PoolBin> bins_;
  std::vector<std::size_t> pool_;
  Wide pool_size_ = 0;
  Packing pool_bins_;
};

}  // namespace morvick::bin_packing
