// A search for a packing into a known number of bins m. It keeps m - 2 bins
// that always fit and a pool of the items not placed, and has found a packing
// once the pool fits into two bins. Moves swap up to two items of a bin with up
// to two of the pool. The pool is to be as light as possible and, at equal
// weight, to hold as many items as possible, since many small items are easier
// to fit than a few large ones. A tabu search over the swaps (an item that
// left the pool may not return to it for some moves) alternates with a descent
// that refills each bin as full as it can be from its own items and the pool.

#include "engine/bin_packing.h"
#include "engine/bin_pool.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <random>
#include <utility>

namespace morvick::bin_packing {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

using Bin = PoolBin;

// Up to two pool items, as one candidate to enter a bin.
struct Group {
  std::int64_t size;
  std::size_t items[2];
  int count;
};

struct Move {
  std::size_t bin = kNone;
  std::size_t out[2] = {kNone, kNone};
  std::size_t in[2] = {kNone, kNone};
  Wide change = 0;       // of the pool's total size
  int count_change = 0;  // of the pool's items
};

class TargetSearch : PoolState {
 public:
  TargetSearch(const Instance& instance, WorkBudget& budget) : PoolState(instance, budget) {}

  std::optional<Packing> Run(const Packing& start, std::int32_t bins) {
    Load(start, bins);
    if (!Affordable()) return std::nullopt;
    std::uint64_t iteration = 0;
    while (!budget_.exhausted()) {
      Descend();
      if (PoolFits()) return Result();
      best_pool_ = Objective();
      for (std::uint64_t k = 0; k < kTabuMoves; ++k) {
        ++iteration;
        const Move move = BestMove(iteration);
        if (!budget_.Spend(1) || move.bin == kNone) return std::nullopt;
        Apply(move, iteration);
        if (PoolFits()) return Result();
        if (Objective() < best_pool_) {
          best_pool_ = Objective();
          k = 0;
        }
      }
    }
    return std::nullopt;
  }

 private:
  // The pool's weight, then the negated count of its items: smaller is better.
  std::pair<Wide, int> Objective() const { return {pool_size_, -static_cast<int>(pool_.size())}; }

  // The bins - 2 fullest bins of `start` stay; the items of the others form the pool.
  void Load(const Packing& start, std::int32_t bins) {
    std::vector<Bin> all = BinsOf(start);
    std::vector<std::size_t> order(all.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return all[a].load > all[b].load; });
    const auto kept = static_cast<std::size_t>(bins - kPoolBins);
    for (std::size_t k = 0; k < order.size(); ++k) {
      Bin& bin = all[order[k]];
      if (k < kept) {
        bins_.push_back(std::move(bin));
      } else {
        for (const std::size_t item : bin.items) AddToPool(item);
      }
    }
  }

  // Whether one move costs little enough: it looks at every way to take up to
  // two items out of each bin, and at every group of up to two pool items. A
  // large pool means the target is far from the start, which other searches
  // approach better.
  bool Affordable() const {
    if (pool_.size() > kMostPoolItems) return false;
    double cost = 0;
    for (const Bin& bin : bins_) {
      const auto k = static_cast<double>(bin.items.size());
      cost += 1 + k * (k + 1) / 2;
    }
    return cost <= kMostMoveCost;
  }

  // The pool's groups of up to two items that fit into one bin, smallest
  // first, the empty group first of all.
  void MakeGroups() {
    groups_.clear();
    groups_.push_back({0, {kNone, kNone}, 0});
    for (std::size_t a = 0; a < pool_.size(); ++a) {
      const std::size_t i = pool_[a];
      groups_.push_back({sizes_[i], {i, kNone}, 1});
      for (std::size_t b = a + 1; b < pool_.size(); ++b) {
        const std::size_t j = pool_[b];
        if (sizes_[j] <= capacity_ - sizes_[i])
          groups_.push_back({sizes_[i] + sizes_[j], {i, j}, 2});
      }
    }
    std::sort(groups_.begin(), groups_.end(), [](const Group& x, const Group& y) {
      if (x.size != y.size) return x.size < y.size;
      if (x.count != y.count) return x.count > y.count;
      return std::lexicographical_compare(x.items, x.items + 2, y.items, y.items + 2);
    });
    budget_.Spend(groups_.size());
  }

  // Whether the items of `group` have the sizes of `out0` and `out1`: then the
  // swap changes nothing but names.
  bool SameSizes(const Group& group, std::size_t out0, std::size_t out1) const {
    const int out_count = (out0 != kNone) + (out1 != kNone);
    if (group.count != out_count) return false;
    if (out_count == 0) return true;
    if (out_count == 1) return sizes_[group.items[0]] == sizes_[out0];
    return std::minmax(sizes_[group.items[0]], sizes_[group.items[1]]) ==
           std::minmax(sizes_[out0], sizes_[out1]);
  }

  // The swap that leaves the lightest pool, then the one of most items; among
  // equal ones each with the same chance. Items that came from the pool lately
  // stay in their bins unless the swap gives the best pool of this round.
  Move BestMove(std::uint64_t iteration) {
    MakeGroups();
    Move best;
    std::uint32_t ties = 0;
    std::uint64_t looked_at = 0;
    auto consider = [&](std::size_t bin, std::size_t out0, std::size_t out1, std::int64_t room,
                        std::int64_t out_size, bool tabu) {
      const int out_count = (out0 != kNone) + (out1 != kNone);
      const auto end = std::upper_bound(groups_.begin(), groups_.end(), room,
                                        [](std::int64_t r, const Group& g) { return r < g.size; });
      // The largest groups within the room first: the first one that is a
      // real change is the best for this bin and these items out.
      for (auto at = end; at != groups_.begin();) {
        --at;
        ++looked_at;
        if (SameSizes(*at, out0, out1)) continue;
        const Wide change = Wide{out_size} - at->size;
        const int count_change = out_count - at->count;
        if (tabu && std::pair{pool_size_ + change,
                              -(static_cast<int>(pool_.size()) + count_change)} >= best_pool_) {
          return;
        }
        if (best.bin == kNone || change < best.change ||
            (change == best.change && count_change > best.count_change)) {
          best = {bin, {out0, out1}, {at->items[0], at->items[1]}, change, count_change};
          ties = 1;
        } else if (change == best.change && count_change == best.count_change &&
                   random_() % ++ties == 0) {
          best = {bin, {out0, out1}, {at->items[0], at->items[1]}, change, count_change};
        }
        return;
      }
    };
    for (std::size_t b = 0; b < bins_.size(); ++b) {
      const Bin& bin = bins_[b];
      const std::int64_t room = capacity_ - bin.load;
      consider(b, kNone, kNone, room, 0, false);
      for (std::size_t x = 0; x < bin.items.size(); ++x) {
        const std::size_t first = bin.items[x];
        const bool first_tabu = tabu_until_[first] > iteration;
        consider(b, first, kNone, room + sizes_[first], sizes_[first], first_tabu);
        for (std::size_t y = x + 1; y < bin.items.size(); ++y) {
          const std::size_t second = bin.items[y];
          consider(b, first, second, room + sizes_[first] + sizes_[second],
                   sizes_[first] + sizes_[second], first_tabu || tabu_until_[second] > iteration);
        }
      }
      if (!budget_.Spend(looked_at / 4)) return Move{};
      looked_at = 0;
    }
    return best;
  }

  void Apply(const Move& move, std::uint64_t iteration) {
    Bin& bin = bins_[move.bin];
    for (const std::size_t item : move.out) {
      if (item == kNone) continue;
      MoveToPool(bin, item);
    }
    const std::uint64_t tenure = kTenureBase + random_() % kTenureSpread;
    for (const std::size_t item : move.in) {
      if (item == kNone) continue;
      MoveToBin(bin, item);
      tabu_until_[item] = iteration + tenure;
    }
  }

  // Refills every bin as full as its items and the pool allow (then with as
  // few items as possible), until no bin gains.
  void Descend() {
    for (bool gained = true; gained && !budget_.exhausted();) {
      gained = false;
      for (Bin& bin : bins_) {
        if (budget_.exhausted()) return;
        gained = Refill(bin) || gained;
      }
    }
  }

  bool Refill(Bin& bin) {
    candidates_ = bin.items;
    candidates_.insert(candidates_.end(), pool_.begin(), pool_.end());
    // Largest first; equal sizes by index, so the choice never depends on the sort.
    std::sort(candidates_.begin(), candidates_.end(), [&](std::size_t a, std::size_t b) {
      return sizes_[a] != sizes_[b] ? sizes_[a] > sizes_[b] : a < b;
    });
    suffix_.assign(candidates_.size() + 1, 0);
    for (std::size_t k = candidates_.size(); k-- > 0;) {
      suffix_[k] = suffix_[k + 1] + sizes_[candidates_[k]];
    }
    best_load_ = bin.load;
    best_count_ = bin.items.size();
    best_fill_.clear();
    chosen_.clear();
    nodes_ = 0;
    Fill(0, 0);
    budget_.Spend(nodes_ / 4 + candidates_.size());
    if (best_fill_.empty()) return false;
    for (const std::size_t item : bin.items) AddToPool(item);
    for (const std::size_t item : best_fill_) TakeFromPool(item);
    bin.items = best_fill_;
    bin.load = best_load_;
    return true;
  }

  // The subset of the candidates from `k` on that best fills what `load`
  // leaves, within kFillNodes nodes; equal sizes are tried in one order only.
  void Fill(std::size_t k, std::int64_t load) {
    if (load > best_load_ || (load == best_load_ && chosen_.size() < best_count_)) {
      best_load_ = load;
      best_count_ = chosen_.size();
      best_fill_ = chosen_;
    }
    if (best_load_ == capacity_ && chosen_.size() + 1 >= best_count_) return;
    if (++nodes_ > kFillNodes) return;
    for (std::size_t j = k; j < candidates_.size(); ++j) {
      // Even all the rest would not fill more, or not with fewer items.
      if (Wide{load} + suffix_[j] < best_load_ ||
          (Wide{load} + suffix_[j] == best_load_ && chosen_.size() + 1 >= best_count_)) {
        return;
      }
      const std::int64_t size = sizes_[candidates_[j]];
      if ((j > k && size == sizes_[candidates_[j - 1]]) || size > capacity_ - load) continue;
      chosen_.push_back(candidates_[j]);
      Fill(j + 1, load + size);
      chosen_.pop_back();
      if (nodes_ > kFillNodes) return;
    }
  }

  bool PoolFits() { return SplitPool(kPoolBins, kSplitSteps); }

  static constexpr std::int32_t kPoolBins = 2;
  // Tabu moves without a better pool before the next descent.
  static constexpr std::uint64_t kTabuMoves = 200;
  static constexpr std::uint64_t kTenureBase = 3;
  static constexpr std::uint64_t kTenureSpread = 8;
  static constexpr std::uint64_t kFillNodes = 5000;
  static constexpr std::uint64_t kSplitSteps = 2000;
  // Ways to take items out of the bins one move may look at, and items the
  // pool may start with.
  static constexpr double kMostMoveCost = 1e6;
  static constexpr std::size_t kMostPoolItems = 64;

  std::pair<Wide, int> best_pool_{0, 0};
  std::vector<Group> groups_;
  std::mt19937 random_{20261209};
  // The refill's state.
  std::vector<std::size_t> candidates_;
  std::vector<Wide> suffix_;
  std::vector<std::size_t> chosen_;
  std::vector<std::size_t> best_fill_;
  std::int64_t best_load_ = 0;
  std::size_t best_count_ = 0;
  std::uint64_t nodes_ = 0;
};

}  // namespace

std::optional<Packing> PackIntoTarget(const Instance& instance, const Packing& start,
                                      std::int32_t bins, WorkBudget& budget) {
  if (bins <= 0 || bins >= start.bin_count || budget.exhausted()) return std::nullopt;
  if (bins <= 2) {
    Packing found;
    if (PackIntoBins(instance, bins, budget, found) != ExactOutcome::kFound) return std::nullopt;
    NumberBinsInItemOrder(found);
    return found;
  }
  TargetSearch search(instance, budget);
  return search.Run(start, bins);
}

}  // namespace morvick::bin_packing
