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

#include "engine/bin_packing.h"

#include <algorithm>
#include <limits>

namespace morvick::bin_packing {
namespace {

constexpr std::int64_t kNoSize = std::numeric_limits<std::int64_t>::max();

class BinCompletion {
 public:
  BinCompletion(const Instance& instance, WorkBudget& budget)
      : sizes_(instance.sizes),
        capacity_(instance.capacity),
        budget_(budget),
        bin_of_(instance.sizes.size(), -1) {}

  ExactOutcome Run(std::int32_t bins, Packing& found) {
    Wide waste = Wide{bins} * capacity_;
    for (const std::int64_t size : sizes_) waste -= size;
    if (waste < 0) return ExactOutcome::kNone;
    const std::int64_t waste_left = waste > kNoSize ? kNoSize : static_cast<std::int64_t>(waste);
    levels_.resize(static_cast<std::size_t>(bins) + 1);
    if (FillNextBin(0, bins, waste_left)) {
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
    std::vector<std::size_t> candidates;  // items left, largest first
    std::vector<Wide> after;              // sum of the candidates from k on
    std::vector<std::size_t> chosen;
  };

  bool FillNextBin(std::int32_t bin, std::int32_t bins_left, std::int64_t waste_left) {
    std::size_t first = 0;
    while (first < sizes_.size() && bin_of_[first] >= 0) ++first;
    if (first == sizes_.size()) return true;
    if (bins_left == 0) return false;

    Level& level = levels_[static_cast<std::size_t>(bin)];
    level.bin = bin;
    level.bins_left = bins_left;
    level.waste_left = waste_left;
    level.candidates.clear();
    for (std::size_t i = first + 1; i < sizes_.size(); ++i) {
      if (bin_of_[i] < 0) level.candidates.push_back(i);
    }
    level.after.assign(level.candidates.size() + 1, 0);
    for (std::size_t k = level.candidates.size(); k-- > 0;) {
      level.after[k] = level.after[k + 1] + sizes_[level.candidates[k]];
    }
    level.chosen.clear();
    // A packing found stays in bin_of_; a failed branch takes its items back.
    bin_of_[first] = bin;
    if (Complete(level, 0, capacity_ - sizes_[first], kNoSize, kNoSize)) return true;
    bin_of_[first] = -1;
    return false;
  }

  // Chooses the bin's items among the candidates from `from` on, larger ones
  // first, and closes the bin once none is added any more. `smallest_out`: the
  // size of the last candidate left out (the smallest so far); `closest_swap`:
  // the least by which a candidate left out exceeds a chosen one after it.
  // Returns true once every item is placed.
  bool Complete(Level& level, std::size_t from, std::int64_t room, std::int64_t smallest_out,
                std::int64_t closest_swap) {
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
      // Even every candidate left would not fill the bin enough.
      if (room - level.after[k] > Wide{level.waste_left}) return false;
      const std::int64_t size = sizes_[candidates[k]];
      level.chosen.push_back(candidates[k]);
      const std::int64_t swap =
          smallest_out == kNoSize ? closest_swap : std::min(closest_swap, smallest_out - size);
      const bool done = Complete(level, k + 1, room - size, smallest_out, swap);
      level.chosen.pop_back();
      if (done || stopped_) return done;
      smallest_out = size;
    }
    if (room > level.waste_left || smallest_out <= room || closest_swap <= room) return false;
    for (const std::size_t item : level.chosen) bin_of_[item] = level.bin;
    if (FillNextBin(level.bin + 1, level.bins_left - 1, level.waste_left - room)) return true;
    for (const std::size_t item : level.chosen) bin_of_[item] = -1;
    return false;
  }

  const std::vector<std::int64_t>& sizes_;
  const std::int64_t capacity_;
  WorkBudget& budget_;
  std::vector<std::int32_t> bin_of_;  // -1 while not placed
  std::vector<Level> levels_;
  bool stopped_ = false;
};

}  // namespace

ExactOutcome PackIntoBins(const Instance& instance, std::int32_t bins, WorkBudget& budget,
                          Packing& found) {
  return BinCompletion(instance, budget).Run(bins, found);
}

}  // namespace morvick::bin_packing
