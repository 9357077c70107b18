#pragma once

// The fill of the opened bins in a min-tree, so that the first bin whose fill
// leaves room for a size is found in logarithmic time. Leaves past the opened
// bins hold the largest value and are never chosen; the tree doubles as bins open.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace morvick::detail {

class BinFills {
 public:
  std::int64_t opened() const { return opened_; }

  // The first opened bin (from 1) whose fill is at most `limit`; 0 when none.
  std::int64_t FirstAtMost(std::int64_t limit) const {
    if (opened_ == 0 || tree_[1] > limit) return 0;
    std::size_t node = 1;
    while (node < leaves_) node = tree_[2 * node] <= limit ? 2 * node : 2 * node + 1;
    return static_cast<std::int64_t>(node - leaves_) + 1;
  }

  void Add(std::int64_t bin, std::int64_t size) {
    std::size_t node = leaves_ + static_cast<std::size_t>(bin - 1);
    tree_[node] += size;
    Refresh(node);
  }

  std::int64_t Open() {
    if (static_cast<std::size_t>(opened_) == leaves_) Grow();
    const std::size_t node = leaves_ + static_cast<std::size_t>(opened_);
    tree_[node] = 0;
    Refresh(node);
    return ++opened_;
  }

 private:
  static constexpr std::int64_t kClosed = std::numeric_limits<std::int64_t>::max();

  void Refresh(std::size_t node) {
    for (node /= 2; node >= 1; node /= 2) {
      tree_[node] = std::min(tree_[2 * node], tree_[2 * node + 1]);
    }
  }

  void Grow() {
    const std::size_t new_leaves = leaves_ == 0 ? 64 : leaves_ * 2;
    std::vector<std::int64_t> tree(2 * new_leaves, kClosed);
    for (std::size_t k = 0; k < leaves_; ++k) tree[new_leaves + k] = tree_[leaves_ + k];
    for (std::size_t node = new_leaves - 1; node >= 1; --node) {
      tree[node] = std::min(tree[2 * node], tree[2 * node + 1]);
    }
    tree_ = std::move(tree);
    leaves_ = new_leaves;
  }

  std::vector<std::int64_t> tree_;
  std::size_t leaves_ = 0;
  std::int64_t opened_ = 0;
};

}  // namespace morvick::detail
