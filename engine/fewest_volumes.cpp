#include "engine/fewest_volumes.h"

#include "engine/bin_packing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numeric>

namespace morvick {
namespace {

using namespace bin_packing;

// Steps the searches take in about a second on a current 2-core machine.
constexpr double kStepsPerSecond = 100e6;
// Up to this many items every heuristic and the searches work on the whole
// instance; above it, the better of first-fit decreasing and minimum bin slack
// (which takes time in the square of the items, so only up to kSlackItems),
// then the searches over the items of its emptiest bins, about kTailItems.
constexpr std::size_t kWholeSearchItems = 3'000;
constexpr std::size_t kSlackItems = 20'000;
constexpr std::size_t kTailItems = 1'000;

// Searches for fewer bins than `best` holds, down to `lower_bound`. A short
// complete search for the bound settles small instances at once; then the local
// search looks for one bin fewer at a time, and what is left of the budget goes
// to the complete search for the bound, which either finds a packing or proves
// that none exists and so raises the bound by one.
void Improve(const Instance& instance, Packing& best, std::int64_t& lower_bound, WorkBudget& budget,
             const ItemWeights* weights = nullptr) {
  bool short_search_done = false;
  // Runs the complete search for the bound; true when the bound was met.
  auto search_bound = [&](std::uint64_t steps) {
    WorkBudget exact = budget.Share(steps);
    Packing found;
    const ExactOutcome outcome =
        PackIntoBins(instance, static_cast<std::int32_t>(lower_bound), exact, found, weights);
    budget.Charge(exact);
    if (outcome == ExactOutcome::kFound) {
      NumberBinsInItemOrder(found);
      best = std::move(found);
      return true;
    }
    if (outcome == ExactOutcome::kNone) {
      ++lower_bound;
      short_search_done = false;
    }
    return false;
  };
  while (best.bin_count > lower_bound && !budget.exhausted()) {
    if (!short_search_done) {
      short_search_done = true;
      if (search_bound(budget.left() / 16)) return;
      continue;
    }
    WorkBudget local = budget.Share(budget.left() / 2);
    std::optional<Packing> fewer = ReduceBins(instance, best, best.bin_count - 1, local);
    budget.Charge(local);
    if (fewer) {
      best = std::move(*fewer);
      continue;
    }
    const std::int64_t bound = lower_bound;
    if (search_bound(budget.left()) || lower_bound == bound) return;
  }
}

// The weights of some of the items: no bin of them weighs more than one of all.
ItemWeights SubWeights(const ItemWeights& weights, const std::vector<std::size_t>& items) {
  ItemWeights sub;
  if (weights.heaviest == 0) return sub;
  sub.heaviest = weights.heaviest;
  for (const std::size_t item : items) sub.of_item.push_back(weights.of_item[item]);
  return sub;
}

Instance SubInstance(const Instance& instance, const std::vector<std::size_t>& items) {
  Instance sub;
  sub.capacity = instance.capacity;
  for (const std::size_t item : items) sub.sizes.push_back(instance.sizes[item]);
  return sub;
}

// Packings from the linear relaxation: the bins its dive fixed take their
// items, and the items they leave are searched for the bins that the bound
// leaves them. When that fails, fewer bins are fixed, which leaves the search
// more freedom, down to none.
void PackFromRelaxation(const Instance& instance, const ColumnBound& column, Packing& best,
                        std::int64_t lower_bound, const ItemWeights& weights, WorkBudget& budget) {
  if (column.fixed.empty()) return;
  // The items of each distinct size, in the instance's order.
  std::vector<std::vector<std::size_t>> items_of(column.sizes.size());
  for (std::size_t item = 0, index = 0; item < instance.sizes.size(); ++item) {
    while (column.sizes[index] != instance.sizes[item]) ++index;
    items_of[index].push_back(item);
  }
  std::size_t keep = column.fixed.size();
  while (best.bin_count > lower_bound && !budget.exhausted()) {
    // The first `keep` fixed bins take their items; a pattern that wants more
    // of a size than is left takes what is left.
    Packing packing;
    packing.bin_of.assign(instance.sizes.size(), -1);
    std::vector<std::size_t> taken(items_of.size(), 0);
    for (std::size_t bin = 0; bin < keep; ++bin) {
      const std::vector<std::int64_t>& pattern = column.fixed[bin];
      for (std::size_t i = 0; i < pattern.size(); ++i) {
        for (std::int64_t k = 0; k < pattern[i] && taken[i] < items_of[i].size(); ++k) {
          packing.bin_of[items_of[i][taken[i]++]] = packing.bin_count;
        }
      }
      ++packing.bin_count;
    }
    std::vector<std::size_t> rest;
    for (std::size_t item = 0; item < instance.sizes.size(); ++item) {
      if (packing.bin_of[item] < 0) rest.push_back(item);
    }
    const Instance sub = SubInstance(instance, rest);
    Packing sub_best = FirstFitDecreasing(sub);
    if (!rest.empty()) {
      std::int64_t sub_bound =
          std::max(LowerBound(sub), lower_bound - static_cast<std::int64_t>(keep));
      const ItemWeights sub_weights = SubWeights(weights, rest);
      WorkBudget share = budget.Share(budget.left() / 4);
      Improve(sub, sub_best, sub_bound, share, &sub_weights);
      budget.Charge(share);
    }
    if (packing.bin_count + sub_best.bin_count < best.bin_count) {
      for (std::size_t k = 0; k < rest.size(); ++k) {
        packing.bin_of[rest[k]] = packing.bin_count + sub_best.bin_of[k];
      }
      packing.bin_count += sub_best.bin_count;
      NumberBinsInItemOrder(packing);
      best = std::move(packing);
    }
    if (keep == 0) return;
    keep = keep * 3 / 4;
  }
}

// For many items: the search over the items of the emptiest bins of `best`
// alone, which is where a bin can be saved; the full bins stay as they are.
void ImproveEmptiestBins(const Instance& instance, Packing& best, std::int64_t lower_bound,
                         const ItemWeights& weights, WorkBudget& budget) {
  std::vector<std::int64_t> loads(static_cast<std::size_t>(best.bin_count), 0);
  std::vector<std::int32_t> items_in(loads.size(), 0);
  for (std::size_t i = 0; i < best.bin_of.size(); ++i) {
    loads[static_cast<std::size_t>(best.bin_of[i])] += instance.sizes[i];
    ++items_in[static_cast<std::size_t>(best.bin_of[i])];
  }
  std::vector<std::int32_t> order(loads.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::int32_t a, std::int32_t b) { return loads[a] < loads[b]; });
  std::vector<char> chosen(loads.size(), 0);
  std::size_t item_count = 0;
  std::int32_t bin_count = 0;
  for (const std::int32_t bin : order) {
    if (item_count + static_cast<std::size_t>(items_in[bin]) > kTailItems && bin_count >= 2) break;
    chosen[bin] = 1;
    item_count += static_cast<std::size_t>(items_in[bin]);
    ++bin_count;
  }
  std::vector<std::size_t> items;
  for (std::size_t i = 0; i < best.bin_of.size(); ++i) {
    if (chosen[static_cast<std::size_t>(best.bin_of[i])]) items.push_back(i);
  }
  const Instance sub = SubInstance(instance, items);
  Packing sub_best;
  for (const std::size_t item : items) sub_best.bin_of.push_back(best.bin_of[item]);
  sub_best.bin_count = static_cast<std::int32_t>(loads.size());
  NumberBinsInItemOrder(sub_best);
  // The bins kept as they are count towards the bound of the whole.
  std::int64_t sub_bound = std::max(LowerBound(sub), lower_bound - (best.bin_count - bin_count));
  const ItemWeights sub_weights = SubWeights(weights, items);
  Improve(sub, sub_best, sub_bound, budget, &sub_weights);
  if (sub_best.bin_count >= bin_count) return;

  // The saved bins' numbers go to the bins of the sub-instance; the rest keep theirs.
  std::vector<std::int32_t> reused;
  for (std::size_t bin = 0; bin < chosen.size(); ++bin) {
    if (chosen[bin]) reused.push_back(static_cast<std::int32_t>(bin));
  }
  for (std::size_t k = 0; k < items.size(); ++k) {
    best.bin_of[items[k]] = reused[static_cast<std::size_t>(sub_best.bin_of[k])];
  }
  NumberBinsInItemOrder(best);
}

// The tabu search for a packing into as many bins as the bound allows, from `best`.
void SearchBound(const Instance& instance, Packing& best, std::int64_t lower_bound,
                 std::uint64_t steps, WorkBudget& budget) {
  if (best.bin_count <= lower_bound) return;
  WorkBudget share = budget.Share(steps, true);
  std::optional<Packing> found =
      PackIntoTarget(instance, best, static_cast<std::int32_t>(lower_bound), share);
  budget.Charge(share);
  if (found) best = std::move(*found);
}

std::uint64_t StepsOf(const SearchLimits& limits) {
  if (limits.steps > 0) return limits.steps;
  if (!(limits.seconds > 0)) return 0;
  return static_cast<std::uint64_t>(std::min(limits.seconds, 1e6) * kStepsPerSecond);
}

// The sizes that fit and are not empty, largest first (earlier first among
// equal sizes), with their places in `sizes`.
Instance FittingSizes(const std::vector<std::int64_t>& sizes, std::int64_t capacity,
                      std::vector<std::size_t>& places) {
  places.clear();
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    if (sizes[i] > 0 && sizes[i] <= capacity) places.push_back(i);
  }
  std::stable_sort(places.begin(), places.end(),
                   [&](std::size_t a, std::size_t b) { return sizes[a] > sizes[b]; });
  Instance instance;
  instance.capacity = capacity;
  instance.sizes.reserve(places.size());
  for (const std::size_t place : places) instance.sizes.push_back(sizes[place]);
  return instance;
}

std::int32_t ToVolumes(std::int64_t bins) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(bins, 1, INT32_MAX));
}

}  // namespace

std::int32_t VolumeLowerBound(const std::vector<std::int64_t>& sizes, std::int64_t capacity) {
  if (capacity <= 0) return 1;
  Instance instance;
  instance.capacity = capacity;
  for (const std::int64_t size : sizes) {
    if (size > 0 && size <= capacity) instance.sizes.push_back(size);
  }
  std::sort(instance.sizes.begin(), instance.sizes.end(), std::greater<>());
  return ToVolumes(LowerBound(instance));
}

FewestVolumes FindFewestVolumes(const std::vector<std::int64_t>& sizes, std::int64_t capacity,
                                const SearchLimits& limits) {
  // The time limit counts from here: sorting and the bounds of many sizes take
  // part of it.
  const auto deadline = WorkBudget::Clock::now() +
                        std::chrono::duration_cast<WorkBudget::Clock::duration>(
                            std::chrono::duration<double>(std::clamp(limits.seconds, 0.0, 1e6)));
  FewestVolumes result;
  result.volume_of.assign(sizes.size(), 0);
  if (capacity < 0) {
    result.proven_optimal = true;
    return result;
  }
  // Entries of no size fit anywhere; they go with the largest ones.
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    if (sizes[i] <= 0) result.volume_of[i] = 1;
  }
  std::vector<std::size_t> places;
  const Instance instance = FittingSizes(sizes, capacity, places);
  if (instance.sizes.empty()) {
    result.proven_optimal = true;
    return result;
  }

  WorkBudget budget(StepsOf(limits), deadline, &limits.keep_going);
  std::int64_t lower_bound = std::max<std::int64_t>(1, LowerBound(instance));
  Packing best = FirstFitDecreasing(instance);
  // The linear relaxation's bound, where the cheap bounds leave a gap: it is
  // the optimum or one below it on nearly every instance, so the searches
  // below stop as soon as they reach it.
  ItemWeights weights;
  const auto raise_bound = [&] {
    if (best.bin_count <= lower_bound || instance.sizes.size() > kSlackItems) return;
    // The bound and its dive take three quarters: on instances that the
    // quick searches leave open, the dive is the search that most often packs
    // them into the bound's bins.
    WorkBudget share = budget.Share(budget.left() / 4 * 3, true);
    const ColumnBound column = ColumnGenerationBound(instance, best, best.bin_count, share);
    lower_bound = std::max(lower_bound, column.bound);
    budget.Charge(share);
    if (column.heaviest > 0) {
      // The bound's weights prune the complete search of the whole instance.
      weights.heaviest = column.heaviest;
      for (std::size_t item = 0, index = 0; item < instance.sizes.size(); ++item) {
        while (column.sizes[index] != instance.sizes[item]) ++index;
        weights.of_item.push_back(column.weights[index]);
      }
    }
    // The relaxation's bound may be above the one the quick search aimed at.
    SearchBound(instance, best, lower_bound, budget.left() / 8, budget);
    if (best.bin_count > lower_bound)
      PackFromRelaxation(instance, column, best, lower_bound, weights, budget);
  };
  if (instance.sizes.size() <= kWholeSearchItems) {
    if (best.bin_count > lower_bound) {
      for (Packing other : {BestFitDecreasing(instance), MinimumBinSlack(instance, budget)}) {
        NumberBinsInItemOrder(other);
        if (other.bin_count < best.bin_count) best = std::move(other);
      }
    }
    // A short search first settles most instances at once.
    WorkBudget quick = budget.Share(budget.left() / 16, true);
    Improve(instance, best, lower_bound, quick);
    budget.Charge(quick);
    SearchBound(instance, best, lower_bound, budget.left() / 32, budget);
    raise_bound();
    Improve(instance, best, lower_bound, budget, &weights);
  } else if (best.bin_count > lower_bound) {
    if (instance.sizes.size() <= kSlackItems) {
      Packing slack = MinimumBinSlack(instance, budget);
      NumberBinsInItemOrder(slack);
      if (slack.bin_count < best.bin_count) best = std::move(slack);
    }
    raise_bound();
    ImproveEmptiestBins(instance, best, lower_bound, weights, budget);
  }

  for (std::size_t k = 0; k < places.size(); ++k) {
    result.volume_of[places[k]] = best.bin_of[k] + 1;
  }
  result.volume_count = ToVolumes(best.bin_count);
  result.lower_bound = ToVolumes(lower_bound);
  result.proven_optimal = best.bin_count <= lower_bound;
  return result;
}

}  // namespace morvick
