// Lower bounds on the number of bins: no packing of the items can use fewer.

#include "engine/bin_packing.h"

#include <algorithm>
#include <limits>

namespace morvick::bin_packing {
namespace {

Wide CeilDiv(Wide numerator, Wide denominator) {
  if (numerator <= 0) return 0;
  return (numerator + denominator - 1) / denominator;
}

// The sizes with prefix sums, for counting and summing the items above a size.
class SortedSizes {
 public:
  explicit SortedSizes(const std::vector<std::int64_t>& sizes) : sizes_(sizes) {
    prefix_.resize(sizes.size() + 1, 0);
    for (std::size_t i = 0; i < sizes.size(); ++i) prefix_[i + 1] = prefix_[i] + sizes[i];
  }

  // The number of items larger than `size` (they come first).
  std::size_t CountAbove(Wide size) const {
    return static_cast<std::size_t>(
        std::partition_point(sizes_.begin(), sizes_.end(),
                             [size](std::int64_t s) { return Wide{s} > size; }) -
        sizes_.begin());
  }
  Wide SumOf(std::size_t from, std::size_t to) const { return prefix_[to] - prefix_[from]; }

 private:
  const std::vector<std::int64_t>& sizes_;
  std::vector<Wide> prefix_;
};

// Martello and Toth's L2: for a threshold k, the items above C - k each need a
// bin of their own, the items above C/2 one each, and the items from k to C/2
// fill what those leave before needing bins of their own. k runs over 0 and the
// distinct sizes up to C/2, largest first, so the items above C - k only shrink.
Wide MartelloTothL2(const SortedSizes& sorted, const std::vector<std::int64_t>& sizes, Wide c) {
  const std::size_t above_half = sorted.CountAbove(c / 2);
  auto bound = [&](std::size_t alone, std::size_t at_least_k) {
    const Wide big_count = static_cast<Wide>(above_half - alone);
    const Wide room = big_count * c - sorted.SumOf(alone, above_half);
    const Wide small = sorted.SumOf(above_half, at_least_k);
    return static_cast<Wide>(above_half) + CeilDiv(small - room, c);
  };
  Wide best = bound(0, sizes.size());
  std::size_t alone = above_half;
  for (std::size_t i = above_half; i < sizes.size(); ++i) {
    // k = sizes[i] once per distinct size, at the last item of at least k.
    if (i + 1 < sizes.size() && sizes[i + 1] == sizes[i]) continue;
    const Wide k = sizes[i];
    while (alone > 0 && sizes[alone - 1] <= c - k) --alone;
    best = std::max(best, bound(alone, i + 1));
  }
  return best;
}

// Fekete and Schepers' dual feasible functions u(k), scaled by k to stay integer:
// a size x counts k·x when (k+1)·x is a multiple of C, else floor((k+1)·x / C)·C.
Wide FeketeSchepers(const std::vector<std::int64_t>& sizes, Wide c, int k) {
  Wide total = 0;
  if (c <= std::numeric_limits<std::int64_t>::max() / (k + 1)) {
    // The common case in 64 bits, which divide many times faster.
    const std::int64_t narrow = static_cast<std::int64_t>(c);
    for (const std::int64_t size : sizes) {
      const std::int64_t scaled = (k + 1) * size;
      total += scaled % narrow == 0 ? Wide{k} * size : Wide{scaled / narrow} * narrow;
    }
  } else {
    for (const std::int64_t size : sizes) {
      const Wide scaled = Wide{k + 1} * size;
      total += scaled % c == 0 ? Wide{k} * size : scaled / c * c;
    }
  }
  return CeilDiv(total, Wide{k} * c);
}

// Carlier, Clautiaux and Moukrim's function with parameter λ (1 <= λ <= C/2):
// items above C/2 count what they keep items of size λ from sharing their bin.
Wide CarlierClautiauxMoukrim(const std::vector<std::int64_t>& sizes, Wide c, Wide lambda) {
  const Wide per_bin = c / lambda;
  Wide total = 0;
  for (const std::int64_t size : sizes) {
    if (2 * Wide{size} > c) {
      total += 2 * (per_bin - (c - size) / lambda);
    } else if (2 * Wide{size} == c) {
      total += per_bin;
    } else {
      total += 2 * (size / lambda);
    }
  }
  return CeilDiv(total, 2 * per_bin);
}

// The functions cost a pass over the items each; many items need few of them.
constexpr std::size_t kAllFunctionsUpTo = 20'000;
constexpr int kFeketeSchepersLargest = 20;
constexpr std::size_t kCarlierParameters = 200;

}  // namespace

std::int64_t LowerBound(const Instance& instance) {
  const std::vector<std::int64_t>& sizes = instance.sizes;
  if (sizes.empty()) return 0;
  const Wide c = instance.capacity;
  const SortedSizes sorted(sizes);
  Wide best = MartelloTothL2(sorted, sizes, c);

  const bool all = sizes.size() <= kAllFunctionsUpTo;
  for (int k = 1; k <= (all ? kFeketeSchepersLargest : 4); ++k) {
    best = std::max(best, FeketeSchepers(sizes, c, k));
  }
  if (all) {
    // λ among the distinct sizes up to C/2, spread evenly when there are many.
    std::vector<std::int64_t> lambdas;
    for (const std::int64_t size : sizes) {
      if (2 * Wide{size} <= c && (lambdas.empty() || lambdas.back() != size)) {
        lambdas.push_back(size);
      }
    }
    const std::size_t step = std::max<std::size_t>(1, lambdas.size() / kCarlierParameters);
    for (std::size_t i = 0; i < lambdas.size(); i += step) {
      best = std::max(best, CarlierClautiauxMoukrim(sizes, c, lambdas[i]));
    }
  }
  return static_cast<std::int64_t>(std::min<Wide>(best, static_cast<Wide>(sizes.size())));
}

}  // namespace morvick::bin_packing
