#pragma once

// The fewest-volumes method on plain sizes: a packing that uses as few volumes
// as a search within a time limit finds, never more than first-fit decreasing,
// with a lower bound that says how close it is.

#include <cstdint>
#include <functional>
#include <vector>

namespace morvick {

// How long the search may run. The search counts its steps, so that the same
// sizes and limit give the same plan on any machine; `seconds` sets the number
// of steps (about what a current machine does in that time) and also stops a
// search on a machine much slower than that.
struct SearchLimits {
  double seconds = 2.0;
  std::uint64_t steps = 0;  // 0: derived from `seconds`
  // Called every few tens of thousands of steps while the search runs (a
  // window processes its events there); false stops the search at once with
  // the best plan found so far, not proven. Empty: never called.
  std::function<bool()> keep_going;
};

struct FewestVolumes {
  std::vector<std::int32_t> volume_of;  // per size; 0 for sizes above the capacity
  std::int32_t volume_count = 1;        // at least 1, as for every method
  std::int32_t lower_bound = 1;         // no plan uses fewer volumes
  bool proven_optimal = false;          // no plan uses fewer volumes than this one
};

// Volumes are numbered in the order of their largest size; among equal sizes,
// the earlier one counts as the larger. Sizes of 0 go into volume 1.
FewestVolumes FindFewestVolumes(const std::vector<std::int64_t>& sizes, std::int64_t capacity,
                                const SearchLimits& limits);

// The lower bound of the sizes that fit (1 when none does): Martello and Toth's
// L2, bounds from dual feasible functions, and the size bound.
std::int32_t VolumeLowerBound(const std::vector<std::int64_t>& sizes, std::int64_t capacity);

}  // namespace morvick
