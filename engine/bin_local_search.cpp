// A local search for a packing into fewer bins. To reach t bins, the items of
// the emptiest bins go into a pool until t - 3 bins are left; the pool becomes
// the last three bins once the complete search packs its items into three.
// Swaps between the pool and a bin (up to two items out of the bin, up to three
// into it) fill the bins and so shrink the pool; when no swap fills more, the
// least harmful one is taken, and a tabu on the items just moved keeps the
// search from undoing its steps.

#include "engine/bin_packing.h"
#include "engine/bin_pool.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <random>

namespace morvick::bin_packing {
namespace {

using Bin = PoolBin;

// One exchange between the pool and a bin: `out` leaves the bin for the pool,
// `in` leaves the pool for the bin. Unused places hold kNone.
struct Swap {
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t bin = kNone;
  std::size_t out[2] = {kNone, kNone};
  std::size_t in[3] = {kNone, kNone, kNone};
  Wide change = 0;  // of the pool's total size
};

// A group of one to three pool items that fits into a bin.
struct Group {
  std::size_t items[3];
  std::int64_t size;
  bool movable;  // no item of it is tabu
};

class PoolSearch : PoolState {
 public:
  PoolSearch(const Instance& instance, WorkBudget& budget) : PoolState(instance, budget) {}

  // Empties the `emptied` bins of `start` into the pool and searches until the
  // pool fits into one bin, the budget is spent or `patience` moves bring no
  // progress.
  std::optional<Packing> Run(const Packing& start, const std::vector<std::int32_t>& emptied,
                             std::uint64_t patience) {
    Load(start, emptied);
    Wide best_pool = pool_size_;
    std::uint64_t since_best = 0;
    for (std::uint64_t iteration = 1;; ++iteration) {
      if (SplitPool(kPoolBins, kSplitSteps)) return Result();
      if (pool_size_ < best_pool) {
        best_pool = pool_size_;
        since_best = 0;
      } else if (++since_best > patience) {
        return std::nullopt;
      }
      const Swap swap = BestSwap(iteration, best_pool);
      if (!budget_.Spend(1) || swap.bin == Swap::kNone) return std::nullopt;
      Apply(swap, iteration);
    }
  }

 private:
  void Load(const Packing& start, const std::vector<std::int32_t>& emptied) {
    bins_ = BinsOf(start);
    pool_.clear();
    pool_size_ = 0;
    std::vector<Bin> kept;
    for (std::size_t b = 0; b < bins_.size(); ++b) {
      if (std::find(emptied.begin(), emptied.end(), static_cast<std::int32_t>(b)) !=
          emptied.end()) {
        pool_.insert(pool_.end(), bins_[b].items.begin(), bins_[b].items.end());
        pool_size_ += bins_[b].load;
      } else {
        kept.push_back(std::move(bins_[b]));
      }
    }
    bins_ = std::move(kept);
    std::fill(tabu_until_.begin(), tabu_until_.end(), 0);
  }

  bool Movable(std::size_t item, std::uint64_t iteration) const {
    return tabu_until_[item] <= iteration;
  }

  Swap BestSwap(std::uint64_t iteration, Wide best_pool) {
    std::vector<Group>& groups = groups_;
    groups.clear();
    const std::size_t n = pool_.size();
    for (std::size_t a = 0; a < n; ++a) {
      const std::size_t i = pool_[a];
      groups.push_back({{i, Swap::kNone, Swap::kNone}, sizes_[i], Movable(i, iteration)});
      for (std::size_t b = a + 1; b < n; ++b) {
        const std::size_t j = pool_[b];
        if (sizes_[j] > capacity_ - sizes_[i]) continue;
        const std::int64_t pair = sizes_[i] + sizes_[j];
        const bool pair_movable = Movable(i, iteration) && Movable(j, iteration);
        groups.push_back({{i, j, Swap::kNone}, pair, pair_movable});
        for (std::size_t c = b + 1; c < n; ++c) {
          const std::size_t k = pool_[c];
          if (sizes_[k] > capacity_ - pair) continue;
          groups.push_back({{i, j, k}, pair + sizes_[k], pair_movable && Movable(k, iteration)});
        }
      }
    }

    Swap best;
    std::uint64_t looked_at = 0;
    auto consider = [&](std::size_t bin_index, std::size_t out0, std::size_t out1,
                        std::int64_t room, std::int64_t out_size) {
      looked_at += groups.size();
      for (const Group& group : groups) {
        if (group.size > room) continue;
        const Wide change = Wide{out_size} - group.size;
        if (best.bin != Swap::kNone && change >= best.change) continue;
        // A tabu move only when it gives the smallest pool so far.
        if (!group.movable && pool_size_ + change >= best_pool) continue;
        best = {bin_index, {out0, out1}, {group.items[0], group.items[1], group.items[2]}, change};
      }
    };
    for (std::size_t b = 0; b < bins_.size(); ++b) {
      const Bin& bin = bins_[b];
      const std::int64_t room = capacity_ - bin.load;
      consider(b, Swap::kNone, Swap::kNone, room, 0);
      for (std::size_t x = 0; x < bin.items.size(); ++x) {
        const std::size_t first = bin.items[x];
        if (!Movable(first, iteration)) continue;
        consider(b, first, Swap::kNone, room + sizes_[first], sizes_[first]);
        for (std::size_t y = x + 1; y < bin.items.size(); ++y) {
          const std::size_t second = bin.items[y];
          if (!Movable(second, iteration)) continue;
          consider(b, first, second, room + sizes_[first] + sizes_[second],
                   sizes_[first] + sizes_[second]);
        }
      }
    }
    budget_.Spend(looked_at / 4);
    return best;
  }

  void Apply(const Swap& swap, std::uint64_t iteration) {
    Bin& bin = bins_[swap.bin];
    const std::uint64_t tenure = kTenureBase + random_() % kTenureSpread;
    for (const std::size_t item : swap.out) {
      if (item == Swap::kNone) continue;
      MoveToPool(bin, item);
      tabu_until_[item] = iteration + tenure;
    }
    for (const std::size_t item : swap.in) {
      if (item == Swap::kNone) continue;
      MoveToBin(bin, item);
      tabu_until_[item] = iteration + tenure;
    }
  }

  static constexpr std::int32_t kPoolBins = 3;
  static constexpr std::uint64_t kSplitSteps = 2000;
  static constexpr std::uint64_t kTenureBase = 3;
  static constexpr std::uint64_t kTenureSpread = 8;

  std::vector<Group> groups_;
  std::mt19937 random_{20250101};
};

// Moves without a lighter pool before a start is given up.
constexpr std::uint64_t kPatience = 3000;

}  // namespace

std::optional<Packing> ReduceBins(const Instance& instance, const Packing& start, std::int32_t bins,
                                  WorkBudget& budget) {
  if (bins <= 0 || bins >= start.bin_count) return std::nullopt;
  // The bins in order of their load, emptiest first.
  std::vector<std::int64_t> loads(static_cast<std::size_t>(start.bin_count), 0);
  for (std::size_t i = 0; i < start.bin_of.size(); ++i) {
    loads[static_cast<std::size_t>(start.bin_of[i])] += instance.sizes[i];
  }
  std::vector<std::int32_t> order(loads.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::int32_t a, std::int32_t b) { return loads[a] < loads[b]; });

  // Several starts, each emptying other bins into the pool: the emptiest ones first.
  const std::size_t to_empty = static_cast<std::size_t>(start.bin_count - bins) + 3;
  PoolSearch search(instance, budget);
  for (std::size_t attempt = 0; attempt + to_empty <= order.size(); ++attempt) {
    std::vector<std::int32_t> emptied(
        order.begin() + static_cast<std::ptrdiff_t>(attempt),
        order.begin() + static_cast<std::ptrdiff_t>(attempt + to_empty));
    if (std::optional<Packing> found = search.Run(start, emptied, kPatience)) return found;
    if (budget.exhausted()) break;
  }
  return std::nullopt;
}

}  // namespace morvick::bin_packing
