// A complete search for a packing into a given number of bins: bin completion.
// Bins are filled one at a time, each starting with the largest item left; the
// search tries every way to complete that bin from the items left, except ways
// that another way dominates:
//  - an item left out would still fit (the fuller set packs at least as well);
//  - an item left out, larger than or as large as a chosen one, would fit in its
//    place (swapping the two packs at least as well; for equal sizes this keeps
//    one of the interchangeable choices).
// The room left in the bins may add up to at most bins × capacity − total size,
// which prunes most completions when the bins must be nearly full.
// With weights (see ItemWeights), the weight the bins lack below the heaviest
// bin is shared out the same way, which prunes the bins that the relaxation
// behind the weights finds wasteful although they are full.
// Items left after a failed bin are kept as a dead end: the same sizes left for
// the same number of bins, reached again through other bins, fail at once (the
// room and the weight left to waste follow from the items and bins left).

#include "engine/bin_packing.h"

#include <algorithm>
#include <limits>
#include <unordered_set>

namespace morvick::bin_packing {
namespace {

constexpr std::int64_t kNoSize = std::numeric_limits<std::int64_t>::max();
// Dead ends kept at most: about 50 MB.
constexpr std::size_t kMaxDeadEnds = std::size_t{1} << 20;

std::uint64_t Mix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

// The sizes left and the bins left for them, as two sums of 64-bit hashes of
// the sizes: equal multisets of sizes give equal keys, whatever the items.
struct DeadEnd {
  std::uint64_t first = 0;
  std::uint64_t second = 0;
  bool operator==(const DeadEnd&) const = default;
};
struct DeadEndHash {
  std::size_t operator()(const DeadEnd& key) const {
    return static_cast<std::size_t>(key.first ^ (key.second * 0x9e3779b97f4a7c15ULL));
  }
};

class BinCompletion {
 public:
  BinCompletion(const Instance& instance, WorkBudget& budget, const ItemWeights* weights)
      : sizes_(instance.sizes),
        capacity_(instance.capacity),
        budget_(budget),
        weights_(weights != nullptr && weights->heaviest > 0 &&
                         weights->of_item.size() == instance.sizes.size()
                     ? weights
                     : nullptr),
        bin_of_(instance.sizes.size(), -1) {
    hashes_.reserve(sizes_.size());
    for (const std::int64_t size : sizes_) {
      const auto value = static_cast<std::uint64_t>(size);
      hashes_.push_back({Mix(value), Mix(value ^ 0x5bd1e9955bd1e995ULL)});
      left_.first += hashes_.back().first;
      left_.second += hashes_.back().second;
    }
  }

  ExactOutcome Run(std::int32_t bins, Packing& found) {
    Wide waste = Wide{bins} * capacity_;
    for (const std::int64_t size : sizes_) waste -= size;
    if (waste < 0) return ExactOutcome::kNone;
    const std::int64_t waste_left = waste > kNoSize ? kNoSize : static_cast<std::int64_t>(waste);
    Wide weight_waste = 0;
    if (weights_ != nullptr) {
      weight_waste = Wide{bins} * weights_->heaviest;
      for (const Wide weight : weights_->of_item) weight_waste -= weight;
      if (weight_waste < 0) return ExactOutcome::kNone;
    }
    levels_.resize(static_cast<std::size_t>(bins) + 1);
    if (FillNextBin(0, bins, waste_left, weight_waste)) {
      found.bin_of = bin_of_;
      found.bin_count = 0;
      for (const std::int32_t bin : bin_of_) found.bin_count = std::max(found.bin_count, bin + 1);
      return ExactOutcome::kFound;
    }
    return stopped_ ? ExactOutcome::kStopped : ExactOutcome::kNone;
  }

 private:
  // What the completion of one bin works with.
  struct Level {
    std::int32_t bin = 0;
    std::int32_t bins_left = 0;
    std::int64_t waste_left = 0;
    Wide weight_waste_left = 0;
    std::vector<std::size_t> candidates;  // items left, largest first
    std::vector<Wide> after;              // sum of the candidates from k on
    std::vector<std::size_t> densest;     // the heaviest per byte from k on
    std::vector<std::size_t> chosen;
  };

  bool FillNextBin(std::int32_t bin, std::int32_t bins_left, std::int64_t waste_left,
                   Wide weight_waste_left) {
    std::size_t first = 0;
    while (first < sizes_.size() && bin_of_[first] >= 0) ++first;
    if (first == sizes_.size()) return true;
    if (bins_left == 0) return false;
    const DeadEnd key{left_.first + Mix(static_cast<std::uint64_t>(bins_left)), left_.second};
    if (dead_ends_.count(key) != 0) return false;

    Level& level = levels_[static_cast<std::size_t>(bin)];
    level.bin = bin;
    level.bins_left = bins_left;
    level.waste_left = waste_left;
    level.weight_waste_left = weight_waste_left;
    level.candidates.clear();
    for (std::size_t i = first + 1; i < sizes_.size(); ++i) {
      if (bin_of_[i] < 0) level.candidates.push_back(i);
    }
    level.after.assign(level.candidates.size() + 1, 0);
    for (std::size_t k = level.candidates.size(); k-- > 0;) {
      level.after[k] = level.after[k + 1] + sizes_[level.candidates[k]];
    }
    if (weights_ != nullptr) {
      level.densest.assign(level.candidates.size(), 0);
      for (std::size_t k = level.candidates.size(); k-- > 0;) {
        const std::size_t item = level.candidates[k];
        std::size_t best = item;
        if (k + 1 < level.candidates.size()) {
          const std::size_t other = level.densest[k + 1];
          if (Weight(other) * sizes_[item] > Weight(item) * sizes_[other]) best = other;
        }
        level.densest[k] = best;
      }
    }
    level.chosen.clear();
    // A packing found stays in bin_of_; a failed branch takes its items back.
    bin_of_[first] = bin;
    Take(first);
    if (Complete(level, 0, capacity_ - sizes_[first], Weight(first), kNoSize, kNoSize)) {
      return true;
    }
    Give(first);
    bin_of_[first] = -1;
    if (!stopped_ && dead_ends_.size() < kMaxDeadEnds) dead_ends_.insert(key);
    return false;
  }

  // Chooses the bin's items among the candidates from `from` on, larger ones
  // first, and closes the bin once none is added any more. `smallest_out`: the
  // size of the last candidate left out (the smallest so far); `closest_swap`:
  // the least by which a candidate left out exceeds a chosen one after it.
  // Returns true once every item is placed.
  bool Complete(Level& level, std::size_t from, std::int64_t room, Wide weight,
                std::int64_t smallest_out, std::int64_t closest_swap) {
    const std::vector<std::size_t>& candidates = level.candidates;
    if (!budget_.Spend(1)) {
      stopped_ = true;
      return false;
    }
    // Candidates too large for the room are passed over: being larger than the
    // room, they can neither be added nor take the place of a chosen item.
    const auto fitting = std::partition_point(
        candidates.begin() + static_cast<std::ptrdiff_t>(from), candidates.end(),
        [&](std::size_t item) { return sizes_[item] > room; });
    for (std::size_t k = static_cast<std::size_t>(fitting - candidates.begin());
         k < candidates.size(); ++k) {
      if (!budget_.Spend(1)) {
        stopped_ = true;
        return false;
      }
      // Even every candidate left would not fill the bin enough, or not
      // make it heavy enough when the room went to the densest of them.
      if (room - level.after[k] > Wide{level.waste_left}) return false;
      if (weights_ != nullptr) {
        const std::size_t densest = level.densest[k];
        const Wide most = weight + Wide{room} * Weight(densest) / sizes_[densest];
        if (weights_->heaviest - most > level.weight_waste_left) return false;
      }
      const std::int64_t size = sizes_[candidates[k]];
      level.chosen.push_back(candidates[k]);
      const std::int64_t swap =
          smallest_out == kNoSize ? closest_swap : std::min(closest_swap, smallest_out - size);
      const bool done =
          Complete(level, k + 1, room - size, weight + Weight(candidates[k]), smallest_out, swap);
      level.chosen.pop_back();
      if (done || stopped_) return done;
      smallest_out = size;
    }
    if (room > level.waste_left || smallest_out <= room || closest_swap <= room) return false;
    const Wide lacking = weights_ != nullptr ? weights_->heaviest - weight : 0;
    if (lacking > level.weight_waste_left) return false;
    for (const std::size_t item : level.chosen) {
      bin_of_[item] = level.bin;
      Take(item);
    }
    if (FillNextBin(level.bin + 1, level.bins_left - 1, level.waste_left - room,
                    level.weight_waste_left - lacking)) {
      return true;
    }
    for (const std::size_t item : level.chosen) {
      bin_of_[item] = -1;
      Give(item);
    }
    return false;
  }

  Wide Weight(std::size_t item) const { return weights_ != nullptr ? weights_->of_item[item] : 0; }

  void Take(std::size_t item) {
    left_.first -= hashes_[item].first;
    left_.second -= hashes_[item].second;
  }
  void Give(std::size_t item) {
    left_.first += hashes_[item].first;
    left_.second += hashes_[item].second;
  }

  const std::vector<std::int64_t>& sizes_;
  const std::int64_t capacity_;
  WorkBudget& budget_;
  const ItemWeights* weights_;        // null: sizes alone
  std::vector<std::int32_t> bin_of_;  // -1 while not placed
  std::vector<Level> levels_;
  std::vector<DeadEnd> hashes_;  // of each item's size
  DeadEnd left_;                 // of the items not placed
  std::unordered_set<DeadEnd, DeadEndHash> dead_ends_;
  bool stopped_ = false;
};

}  // namespace

ExactOutcome PackIntoBins(const Instance& instance, std::int32_t bins, WorkBudget& budget,
                          Packing& found, const ItemWeights* weights) {
  return BinCompletion(instance, budget, weights).Run(bins, found);
}

}  // namespace morvick::bin_packing
