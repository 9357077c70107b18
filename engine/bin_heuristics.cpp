// Quick packings that give the search its starting point: first fit, best fit
// and minimum bin slack, each over the items largest first.

#include "engine/bin_fills.h"
#include "engine/bin_packing.h"

#include <algorithm>
#include <map>

namespace morvick::bin_packing {

Packing FirstFitDecreasing(const Instance& instance) {
  Packing packing;
  packing.bin_of.resize(instance.sizes.size());
  detail::BinFills fills;
  for (std::size_t i = 0; i < instance.sizes.size(); ++i) {
    const std::int64_t size = instance.sizes[i];
    std::int64_t bin = fills.FirstAtMost(instance.capacity - size);
    if (bin == 0) bin = fills.Open();
    fills.Add(bin, size);
    packing.bin_of[i] = static_cast<std::int32_t>(bin - 1);
  }
  packing.bin_count = static_cast<std::int32_t>(fills.opened());
  return packing;
}

Packing BestFitDecreasing(const Instance& instance) {
  Packing packing;
  packing.bin_of.resize(instance.sizes.size());
  // Room left -> bin; among equal rooms the bin opened first.
  std::multimap<std::int64_t, std::int32_t> rooms;
  for (std::size_t i = 0; i < instance.sizes.size(); ++i) {
    const std::int64_t size = instance.sizes[i];
    auto fit = rooms.lower_bound(size);
    std::int32_t bin;
    std::int64_t room;
    if (fit == rooms.end()) {
      bin = packing.bin_count++;
      room = instance.capacity;
    } else {
      bin = fit->second;
      room = fit->first;
      rooms.erase(fit);
    }
    rooms.emplace(room - size, bin);
    packing.bin_of[i] = bin;
  }
  return packing;
}

namespace {

// The subset of `candidates` (sizes largest first) that fills `room` best, by a
// depth-first search that takes larger items first and stops at an exact fill.
class SlackSearch {
 public:
  SlackSearch(const std::vector<std::int64_t>& sizes, const std::vector<std::size_t>& candidates,
              WorkBudget& budget)
      : sizes_(sizes), candidates_(candidates), budget_(budget) {
    after_.assign(candidates.size() + 1, 0);
    for (std::size_t k = candidates.size(); k-- > 0;) {
      after_[k] = after_[k + 1] + sizes[candidates[k]];
    }
  }

  std::vector<std::size_t> Best(std::int64_t room) {
    room_ = room;
    // First fit, largest first, is the fill to beat; it stands when the budget is spent.
    best_fill_ = 0;
    for (const std::size_t item : candidates_) {
      if (sizes_[item] <= room - best_fill_) {
        best_fill_ += sizes_[item];
        best_.push_back(item);
      }
    }
    if (best_fill_ < room) Extend(0, 0);
    return best_;
  }

 private:
  // Returns false to stop the whole search (an exact fill, or no budget).
  bool Extend(std::size_t from, std::int64_t fill) {
    if (fill > best_fill_) {
      best_fill_ = fill;
      best_ = chosen_;
      if (fill == room_) return false;
    }
    if (!budget_.Spend(1)) return false;
    for (std::size_t k = FirstFitting(from, room_ - fill); k < candidates_.size(); ++k) {
      if (!budget_.Spend(1)) return false;
      // Nothing after k can beat the best fill found.
      if (fill + after_[k] <= Wide{best_fill_}) return true;
      const std::int64_t size = sizes_[candidates_[k]];
      // Equal sizes are interchangeable: try only the first of a run at this depth.
      if (k > from && sizes_[candidates_[k - 1]] == size) continue;
      chosen_.push_back(candidates_[k]);
      const bool go_on = Extend(k + 1, fill + size);
      chosen_.pop_back();
      if (!go_on) return false;
    }
    return true;
  }

  // The first candidate from `from` on no larger than `room` (they are sorted).
  std::size_t FirstFitting(std::size_t from, std::int64_t room) const {
    return static_cast<std::size_t>(
        std::partition_point(candidates_.begin() + static_cast<std::ptrdiff_t>(from),
                             candidates_.end(),
                             [&](std::size_t item) { return sizes_[item] > room; }) -
        candidates_.begin());
  }

  const std::vector<std::int64_t>& sizes_;
  const std::vector<std::size_t>& candidates_;
  WorkBudget& budget_;
  std::vector<Wide> after_;  // sum of the candidates from k on
  std::vector<std::size_t> chosen_;
  std::vector<std::size_t> best_;
  std::int64_t room_ = 0;
  std::int64_t best_fill_ = -1;
};

// A bin's search may look at this many candidates before it takes the best so far.
constexpr std::uint64_t kStepsPerBin = 20'000;

}  // namespace

Packing MinimumBinSlack(const Instance& instance, WorkBudget& budget) {
  const std::vector<std::int64_t>& sizes = instance.sizes;
  Packing packing;
  packing.bin_of.assign(sizes.size(), -1);
  std::vector<std::size_t> left;
  for (std::size_t i = 0; i < sizes.size(); ++i) left.push_back(i);
  while (!left.empty()) {
    const std::size_t first = left.front();
    const std::vector<std::size_t> candidates(left.begin() + 1, left.end());
    budget.Spend(candidates.size() / 8 + 1);
    WorkBudget share = budget.Share(kStepsPerBin);
    const std::vector<std::size_t> chosen =
        SlackSearch(sizes, candidates, share).Best(instance.capacity - sizes[first]);
    budget.Charge(share);
    const std::int32_t bin = packing.bin_count++;
    packing.bin_of[first] = bin;
    for (const std::size_t item : chosen) packing.bin_of[item] = bin;
    std::erase_if(left, [&](std::size_t item) { return packing.bin_of[item] >= 0; });
  }
  return packing;
}

void NumberBinsInItemOrder(Packing& packing) {
  std::vector<std::int32_t> renumbered(static_cast<std::size_t>(packing.bin_count), -1);
  std::int32_t next = 0;
  for (std::int32_t& bin : packing.bin_of) {
    std::int32_t& number = renumbered[static_cast<std::size_t>(bin)];
    if (number < 0) number = next++;
    bin = number;
  }
  packing.bin_count = next;
}

}  // namespace morvick::bin_packing
