// The column-generation (Gilmore and Gomory) lower bound on the number of bins.
//
// The linear relaxation of the pattern formulation, min sum x_p over patterns p
// (ways to fill one bin) with every size covered as often as it occurs, is
// solved through its dual over the distinct sizes: max sum d_i y_i subject to
// sum_i a_pi y_i <= 1 for every pattern, y >= 0. The pattern that most breaks
// the current y is found by an exact knapsack over the items (capacities are
// bytes, up to 1e11, so no table over the capacity) and added as a row.
//
// Floating point only steers the search. The bound itself comes from integer
// weights w_i = floor(y_i * kScale) and the exact maximum Z of any one bin's
// weight (Farley): every bin holds at most Z, so at least sum d_i w_i / Z bins
// are needed, whatever the rounding did to w.

#include "engine/bin_packing.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numeric>
#include <optional>
#include <vector>

namespace morvick::bin_packing {
namespace {

// Dual values in units of 2^-40: fine enough that the bound loses nothing on
// instances of up to some thousands of items, small enough for 128-bit sums.
constexpr double kScale = 1099511627776.0;
constexpr double kEpsilon = 1e-9;
// A pattern's row with more slack than this is loose.
constexpr double kLoose = 1e-6;
// Past these the method is not worth its cost: the tableau is dense, sizes
// wide and patterns tall, and loose patterns leave it once it is twice as tall
// as wide.
constexpr std::size_t kMostDistinctSizes = 600;
constexpr std::size_t MostPatterns(std::size_t sizes) { return 3 * sizes + 256; }
// Nodes of the quick pricing before the exact one takes over.
constexpr std::uint64_t kQuickNodes = 20'000;
// Patterns a dive tries, one after the other, where fixing bins fails.
constexpr std::size_t kDiveAlternatives = 4;
// Items left at which the dive hands over to a short complete search, and its
// steps: once on each path when it first gets down to kDiveSearchItems, and at
// every bin fixed from kDiveSmallItems on, where the search is much more often
// decisive (a search at every bin below kDiveSearchItems mostly runs out of
// steps and leaves the dive too little for its alternatives).
constexpr std::size_t kDiveSearchItems = 120;
constexpr std::size_t kDiveSmallItems = 60;
constexpr std::uint64_t kDiveSearchSteps = 2'000'000;
// How near the weights kept for the complete search come to the relaxation, in bins.
constexpr double kWeightsClose = 1e-4;
// Alternatives one path of the dive may take.
constexpr std::size_t kDiveDiscrepancies = 2;

struct SizeClass {
  std::int64_t size;
  std::int64_t count;
};

std::vector<SizeClass> DistinctSizes(const std::vector<std::int64_t>& sizes) {
  std::vector<SizeClass> classes;
  for (const std::int64_t size : sizes) {
    if (!classes.empty() && classes.back().size == size) {
      ++classes.back().count;
    } else {
      classes.push_back({size, 1});
    }
  }
  return classes;
}

Wide CeilDiv(Wide numerator, Wide denominator) {
  if (numerator <= 0) return 0;
  return (numerator + denominator - 1) / denominator;
}

// The ratio order of the classes of positive weight: weight per byte, largest
// first; ties by size, largest first, so the order never depends on how the
// sort treats equal keys.
std::vector<std::size_t> RatioOrder(const std::vector<SizeClass>& classes,
                                    const std::vector<Wide>& weights) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < classes.size(); ++i) {
    if (weights[i] > 0) order.push_back(i);
  }
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const Wide left = weights[a] * classes[b].size;
    const Wide right = weights[b] * classes[a].size;
    return left != right ? left > right : a < b;
  });
  return order;
}

// What a pricing gives: the heaviest bin it found above `floor` (none when
// `best` is the floor), and a weight no bin exceeds when it is exact.
struct Pricing {
  Wide best = 0;
  bool exact = false;
  std::vector<std::int64_t> pattern;  // per class; empty when nothing beat the floor
};

// The heaviest bin by a depth-first search in the ratio order with the
// fractional bound, which is quick when the weights tell the items apart and
// stops after a number of nodes when they do not.
class BinKnapsack {
 public:
  BinKnapsack(const std::vector<SizeClass>& classes, std::int64_t capacity)
      : classes_(classes), capacity_(capacity) {}

  Pricing Solve(const std::vector<Wide>& weights, Wide floor, std::uint64_t most_nodes,
                WorkBudget& budget) {
    weights_ = &weights;
    order_ = RatioOrder(classes_, weights);
    result_ = Pricing{};
    result_.best = floor;
    current_.assign(classes_.size(), 0);
    stopped_ = false;
    nodes_left_ = most_nodes;
    Search(0, capacity_, 0, budget);
    result_.exact = !stopped_;
    return result_;
  }

 private:
  // Weight so far plus the most the rest could add, items split at the end.
  Wide Fractional(std::size_t from, std::int64_t room, Wide value) const {
    for (std::size_t k = from; k < order_.size() && room > 0; ++k) {
      const SizeClass& item = classes_[order_[k]];
      const Wide weight = (*weights_)[order_[k]];
      const std::int64_t whole = std::min(item.count, room / item.size);
      value += weight * whole;
      room -= whole * item.size;
      // Every pattern's weight is a whole number: the split item's share,
      // rounded down, keeps this an upper bound of them all.
      if (whole < item.count && room > 0) return value + weight * room / item.size;
    }
    return value;
  }

  void Search(std::size_t from, std::int64_t room, Wide value, WorkBudget& budget) {
    if (value > result_.best) {
      result_.best = value;
      result_.pattern = current_;
    }
    if (stopped_ || from == order_.size() || room == 0) return;
    if (Fractional(from, room, value) <= result_.best) return;
    if (nodes_left_ == 0 || !budget.Spend(1)) {
      stopped_ = true;
      return;
    }
    --nodes_left_;
    const std::size_t index = order_[from];
    const SizeClass& item = classes_[index];
    const Wide weight = (*weights_)[index];
    for (std::int64_t take = std::min(item.count, room / item.size); take >= 0; --take) {
      current_[index] = take;
      Search(from + 1, room - take * item.size, value + weight * take, budget);
    }
    current_[index] = 0;
  }

  const std::vector<SizeClass>& classes_;
  std::int64_t capacity_;
  const std::vector<Wide>* weights_ = nullptr;
  std::vector<std::size_t> order_;
  std::vector<std::int64_t> current_;
  Pricing result_;
  bool stopped_ = false;
  std::uint64_t nodes_left_ = 0;
};

// The heaviest bin exactly, by the list of the bins' loads that no other load
// beats (no heavier bin of less or equal size), grown one class at a time in the
// ratio order. A load goes once even the best ratio left cannot lift it above the
// heaviest load so far or the floor. Equal or nearly equal ratios, where the
// search above tries each of many equivalent bins, merge here into one load per
// size. Multiple items of a class go in as pieces of 1, 2, 4, ... items.
class LoadListKnapsack {
 public:
  LoadListKnapsack(const std::vector<SizeClass>& classes, std::int64_t capacity)
      : classes_(classes), capacity_(capacity) {}

  // nullopt when the list grew past its limit or the budget ran out.
  std::optional<Pricing> Solve(const std::vector<Wide>& weights, Wide floor, WorkBudget& budget) {
    loads_.assign(1, Load{0, 0, -1});
    links_.clear();
    for (const std::size_t index : RatioOrder(classes_, weights)) {
      const SizeClass& item = classes_[index];
      const Wide weight = weights[index];
      for (std::int64_t left = item.count, piece = 1; left > 0; left -= piece, piece *= 2) {
        piece = std::min(piece, left);
        if (piece * item.size > capacity_) break;
        Prune(weight, item.size, floor);
        if (!Add(index, piece, piece * item.size, weight * piece, budget)) return std::nullopt;
      }
    }
    Pricing result;
    result.exact = true;
    result.best = std::max(floor, loads_.back().value);
    if (loads_.back().value > floor) {
      result.pattern.assign(classes_.size(), 0);
      for (std::int32_t link = loads_.back().link; link >= 0; link = links_[link].parent) {
        result.pattern[links_[link].index] += links_[link].count;
      }
    }
    return result;
  }

 private:
  struct Load {
    std::int64_t size;
    Wide value;
    std::int32_t link;  // the last piece added, -1 for the empty bin
  };
  struct Link {
    std::int32_t parent;
    std::size_t index;
    std::int64_t count;
  };

  static constexpr std::size_t kMostLoads = 400'000;
  static constexpr std::size_t kMostLinks = 6'000'000;

  // Drops the loads that cannot beat the heaviest one (the last) or the floor
  // when every byte left is filled at the best ratio left, weight / size.
  void Prune(Wide weight, std::int64_t size, Wide floor) {
    const Wide target = std::max(floor, loads_.back().value);
    std::size_t kept = 0;
    for (std::size_t k = 0; k + 1 < loads_.size(); ++k) {
      const Load& load = loads_[k];
      if (load.value + Wide{capacity_ - load.size} * weight / size > target) loads_[kept++] = load;
    }
    loads_[kept++] = loads_.back();
    loads_.resize(kept);
  }

  // Merges the loads with the loads plus one piece, keeping the undominated.
  bool Add(std::size_t index, std::int64_t count, std::int64_t size, Wide value,
           WorkBudget& budget) {
    if (!budget.Spend(1 + loads_.size() / 8)) return false;
    merged_.clear();
    std::size_t a = 0;
    std::size_t b = 0;
    const std::size_t n = loads_.size();
    auto push = [&](const Load& load) {
      if (!merged_.empty() && merged_.back().value >= load.value) return;
      while (!merged_.empty() && merged_.back().size >= load.size) merged_.pop_back();
      merged_.push_back(load);
    };
    while (a < n || b < n) {
      const bool shifted_fits = b < n && loads_[b].size + size <= capacity_;
      if (!shifted_fits) b = n;
      if (b == n || (a < n && loads_[a].size <= loads_[b].size + size)) {
        if (a == n) break;
        push(loads_[a++]);
        continue;
      }
      const Load& from = loads_[b++];
      const Wide shifted_value = from.value + value;
      if (!merged_.empty() && merged_.back().value >= shifted_value) continue;
      links_.push_back({from.link, index, count});
      push(Load{from.size + size, shifted_value, static_cast<std::int32_t>(links_.size() - 1)});
    }
    loads_.swap(merged_);
    return loads_.size() <= kMostLoads && links_.size() <= kMostLinks;
  }

  const std::vector<SizeClass>& classes_;
  std::int64_t capacity_;
  std::vector<Load> loads_;  // by size, values rising
  std::vector<Load> merged_;
  std::vector<Link> links_;
};

// The dual LP, max d.y subject to one row a_p.y <= 1 per pattern and y >= 0,
// as a dense simplex tableau. The origin is feasible, so no first phase is
// needed; a row added later that the current y breaks is brought back by the
// dual simplex, which keeps the objective row optimal.
class DualMaster {
 public:
  explicit DualMaster(const std::vector<SizeClass>& classes) : sizes_(classes.size()) {
    objective_.assign(sizes_ + 1, 0.0);
    for (std::size_t i = 0; i < sizes_; ++i) objective_[i] = -static_cast<double>(classes[i].count);
  }

  std::size_t rows() const { return rows_.size(); }

  // Adds the row of one pattern (counts per class), in terms of the current basis.
  void AddPattern(const std::vector<std::int64_t>& pattern) {
    const std::size_t old_width = Width();
    for (std::vector<double>& row : rows_) row.insert(row.end() - 1, 0.0);
    objective_.insert(objective_.end() - 1, 0.0);
    std::vector<double> row(old_width + 2, 0.0);
    for (std::size_t i = 0; i < sizes_; ++i) row[i] = static_cast<double>(pattern[i]);
    row[old_width] = 1.0;  // its slack
    row.back() = 1.0;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const double factor = row[basic_[r]];
      if (factor == 0.0) continue;
      for (std::size_t j = 0; j < row.size(); ++j) row[j] -= factor * rows_[r][j];
    }
    rows_.push_back(std::move(row));
    basic_.push_back(old_width);
    patterns_.push_back(pattern);
  }

  const std::vector<std::vector<std::int64_t>>& patterns() const { return patterns_; }

  // Drops the patterns whose rows the solution does not touch (their slack is
  // basic and above zero), so that the tableau stays about as tall as there
  // are sizes; with `tight_too`, also those whose slack is basic at zero,
  // which the solution uses no bin of either. A basic slack's column is a unit
  // column: with its row it goes without changing the rest of the tableau.
  void DropLoosePatterns(bool tight_too) {
    std::vector<char> drop(Width(), 0);
    bool any = false;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      if (basic_[r] >= sizes_ && (tight_too || rows_[r].back() > kLoose)) {
        drop[basic_[r]] = any = true;
      }
    }
    if (!any) return;
    std::vector<std::size_t> moved(Width() + 1, 0);
    std::size_t width = 0;
    for (std::size_t j = 0; j <= Width(); ++j) {
      moved[j] = width;
      if (j == Width() || !drop[j]) ++width;
    }
    const auto compact = [&](std::vector<double>& cells) {
      for (std::size_t j = 0; j < cells.size(); ++j) {
        if (j == Width() || !drop[j]) cells[moved[j]] = cells[j];
      }
      cells.resize(width);
    };
    std::size_t kept = 0;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      if (basic_[r] >= sizes_ && drop[basic_[r]]) continue;
      compact(rows_[r]);
      if (kept != r) rows_[kept] = std::move(rows_[r]);
      basic_[kept++] = moved[basic_[r]];
    }
    rows_.resize(kept);
    basic_.resize(kept);
    std::size_t pattern_count = 0;
    for (std::size_t p = 0; p < patterns_.size(); ++p) {
      if (drop[sizes_ + p]) continue;
      if (pattern_count != p) patterns_[pattern_count] = std::move(patterns_[p]);
      ++pattern_count;
    }
    patterns_.resize(pattern_count);
    compact(objective_);
  }

  // New counts of the sizes: the objective row again for the same basis.
  void SetDemand(const std::vector<std::int64_t>& demand) {
    const auto cost = [&](std::size_t column) {
      return column < sizes_ ? static_cast<double>(demand[column]) : 0.0;
    };
    for (std::size_t j = 0; j < objective_.size(); ++j) {
      objective_[j] = j < Width() ? -cost(j) : 0.0;
    }
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      const double c = cost(basic_[r]);
      if (c == 0.0) continue;
      for (std::size_t j = 0; j < objective_.size(); ++j) objective_[j] += c * rows_[r][j];
    }
  }

  // The LP's bins of each pattern: the reduced cost of its row's slack.
  std::vector<double> PatternValues() const {
    std::vector<double> x(patterns_.size());
    for (std::size_t p = 0; p < patterns_.size(); ++p) x[p] = std::max(objective_[sizes_ + p], 0.0);
    return x;
  }

  // Optimises again; false when the budget ran out or the pivots did not settle.
  // The steepest choices go first; past a number of pivots, when degenerate
  // steps may be cycling, the least index (Bland's rule). The steepest choices
  // settle within about 2.5 pivots per row and size; a solve still going at
  // twice the point where Bland's rule takes over is stalling (the tolerances
  // let the two phases undo each other), and as each pivot is a pass over the
  // whole tableau, it gives up: the caller rebuilds the master or leaves that
  // relaxation.
  bool Solve(WorkBudget& budget) {
    const std::size_t steep = 4 * (rows_.size() + sizes_);
    for (std::size_t pivots = 0; pivots < 2 * steep; ++pivots) {
      if (!budget.Spend(1 + rows_.size() * Width() / 32)) return false;
      const bool bland = pivots >= steep;
      // Dual simplex first: a row whose right-hand side went negative.
      std::size_t leave = rows_.size();
      double most_negative = -kEpsilon;
      for (std::size_t r = 0; r < rows_.size(); ++r) {
        if (rows_[r].back() < most_negative &&
            (!bland || leave == rows_.size() || basic_[r] < basic_[leave])) {
          if (!bland) most_negative = rows_[r].back();
          leave = r;
        }
      }
      if (leave < rows_.size()) {
        std::size_t enter = Width();
        double best_ratio = std::numeric_limits<double>::infinity();
        for (std::size_t j = 0; j < Width(); ++j) {
          if (rows_[leave][j] < -kEpsilon) {
            const double ratio = std::max(objective_[j], 0.0) / -rows_[leave][j];
            if (ratio < best_ratio) {
              best_ratio = ratio;
              enter = j;
            }
          }
        }
        if (enter == Width()) return false;  // only by rounding: y = 0 is feasible
        Pivot(leave, enter);
        continue;
      }
      // Then the primal simplex: a column that still improves the objective.
      std::size_t enter = Width();
      double most_improving = -kEpsilon;
      for (std::size_t j = 0; j < Width(); ++j) {
        if (objective_[j] < most_improving) {
          enter = j;
          if (bland) break;
          most_improving = objective_[j];
        }
      }
      if (enter == Width()) return true;
      std::size_t row = rows_.size();
      double best_ratio = std::numeric_limits<double>::infinity();
      for (std::size_t r = 0; r < rows_.size(); ++r) {
        if (rows_[r][enter] > kEpsilon) {
          const double ratio = std::max(rows_[r].back(), 0.0) / rows_[r][enter];
          if (ratio < best_ratio || (bland && ratio == best_ratio && basic_[r] < basic_[row])) {
            best_ratio = ratio;
            row = r;
          }
        }
      }
      if (row == rows_.size()) return false;  // unbounded: some size has no pattern
      Pivot(row, enter);
    }
    return false;
  }

  // The current y, one value per class.
  std::vector<double> Duals() const {
    std::vector<double> y(sizes_, 0.0);
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      if (basic_[r] < sizes_) y[basic_[r]] = std::max(rows_[r].back(), 0.0);
    }
    return y;
  }

 private:
  std::size_t Width() const { return objective_.size() - 1; }

  void Pivot(std::size_t row, std::size_t column) {
    std::vector<double>& pivot_row = rows_[row];
    const double pivot = pivot_row[column];
    for (double& cell : pivot_row) cell /= pivot;
    // Only the pivot row's cells that are not zero change the others.
    nonzero_.clear();
    for (std::size_t j = 0; j < pivot_row.size(); ++j) {
      if (pivot_row[j] != 0.0) nonzero_.push_back(j);
    }
    const auto eliminate = [&](std::vector<double>& other) {
      const double factor = other[column];
      if (factor == 0.0) return;
      for (const std::size_t j : nonzero_) other[j] -= factor * pivot_row[j];
      other[column] = 0.0;
    };
    for (std::size_t r = 0; r < rows_.size(); ++r) {
      if (r != row) eliminate(rows_[r]);
    }
    eliminate(objective_);
    basic_[row] = column;
  }

  std::size_t sizes_;
  std::vector<std::vector<double>> rows_;  // each: y columns, slack columns, right-hand side
  std::vector<double> objective_;          // reduced costs, then the objective's value
  std::vector<std::size_t> basic_;         // the basic column of each row
  std::vector<std::size_t> nonzero_;
  std::vector<std::vector<std::int64_t>> patterns_;  // per row: items per class
};

}  // namespace

ColumnBound ColumnGenerationBound(const Instance& instance, const Packing& start,
                                  std::int64_t enough, WorkBudget& budget) {
  ColumnBound result;
  // The knapsacks read the counts of `classes`, which the dive lowers.
  std::vector<SizeClass> classes = DistinctSizes(instance.sizes);
  if (classes.empty() || classes.size() > kMostDistinctSizes) return result;
  const std::int64_t capacity = instance.capacity;
  for (const SizeClass& c : classes) result.sizes.push_back(c.size);

  DualMaster master(classes);
  // The bins of the best packing so far as the first patterns: every size is in
  // one, so every y is bounded from the start, and the duals they give tell
  // the sizes apart far better than one pattern per size would.
  std::vector<std::vector<std::int64_t>> patterns(static_cast<std::size_t>(start.bin_count),
                                                  std::vector<std::int64_t>(classes.size(), 0));
  for (std::size_t item = 0, index = 0; item < instance.sizes.size(); ++item) {
    while (classes[index].size != instance.sizes[item]) ++index;
    ++patterns[static_cast<std::size_t>(start.bin_of[item])][index];
  }
  std::sort(patterns.begin(), patterns.end());
  patterns.erase(std::unique(patterns.begin(), patterns.end()), patterns.end());
  if (patterns.size() > MostPatterns(classes.size())) return result;
  for (const std::vector<std::int64_t>& pattern : patterns) master.AddPattern(pattern);

  BinKnapsack search(classes, capacity);
  LoadListKnapsack load_list(classes, capacity);
  // A bin must weigh more than one (the scale) by more than the simplex's
  // tolerance to improve the master: a row it broke by less would be taken as
  // kept, and the same pattern would come back again and again.
  const Wide floor = static_cast<Wide>(kScale) + static_cast<Wide>(kScale * 16 * kEpsilon);
  // Farley's weights of one relaxation, for a complete search.
  struct Weights {
    std::vector<Wide> of_class;
    Wide heaviest = 0;
    Wide total = 0;
  };
  WorkBudget* spend = &budget;  // what the column generation spends
  // Column generation on the items of `classes` until no pattern improves the
  // master or the bound reaches `stop_at`; the bound (Farley's, never above the
  // optimum of those items) in `bound`. False when it could not finish.
  // With `settle`, for the dive, it also stops once the master's value (never
  // below the relaxation's) shows that the relaxation fits in stop_at - 1 bins;
  // `bound` is then stop_at - 1, an estimate, not a bound. With `keep`, it
  // keeps there the weights that hold the most bins' worth, and goes on until
  // they come within kWeightsClose of the relaxation.
  const auto converge = [&](std::int64_t stop_at, std::int64_t& bound, bool settle = false,
                            Weights* keep = nullptr) {
    bound = 0;
    bool rebuilt = false;
    while (master.rows() <= MostPatterns(classes.size())) {
      if (!master.Solve(*spend)) {
        if (rebuilt || spend->exhausted()) return false;
        // Rounding that piled up over many pivots, or a size that dropped
        // patterns left in none: the same patterns again from the origin, for
        // the counts of now, and a bin of its own for a size in none.
        std::vector<std::vector<std::int64_t>> kept = master.patterns();
        for (std::size_t i = 0; i < classes.size(); ++i) {
          if (std::none_of(kept.begin(), kept.end(), [&](const auto& p) { return p[i] > 0; })) {
            kept.emplace_back(classes.size(), 0);
            kept.back()[i] =
                std::max<std::int64_t>(1, std::min(classes[i].count, capacity / classes[i].size));
          }
        }
        master = DualMaster(classes);
        for (const std::vector<std::int64_t>& pattern : kept) master.AddPattern(pattern);
        rebuilt = true;
        continue;
      }
      if (master.rows() > 2 * classes.size() + 64) master.DropLoosePatterns(false);
      // Degenerate rows pile up over a long dive; they go before the limit stops it.
      if (master.rows() >= MostPatterns(classes.size())) master.DropLoosePatterns(true);
      const std::vector<double> y = master.Duals();
      std::vector<Wide> weights(classes.size());
      Wide total = 0;
      double objective = 0;
      for (std::size_t i = 0; i < classes.size(); ++i) {
        weights[i] = static_cast<Wide>(std::floor(std::clamp(y[i], 0.0, 1.0) * kScale));
        total += weights[i] * classes[i].count;
        objective += y[i] * static_cast<double>(classes[i].count);
      }
      if (settle && objective <= static_cast<double>(stop_at - 1) + 1e-7) {
        bound = stop_at - 1;
        return true;
      }
      Pricing pricing = search.Solve(weights, floor, kQuickNodes, *spend);
      if (!pricing.exact && pricing.pattern.empty()) {
        std::optional<Pricing> exact = load_list.Solve(weights, floor, *spend);
        if (!exact) return false;
        pricing = std::move(*exact);
      }
      if (pricing.exact) {
        // Farley: no bin weighs more than pricing.best, so the bins hold all
        // the weight only when there are at least total / best of them.
        bound = std::max(bound, static_cast<std::int64_t>(CeilDiv(total, pricing.best)));
        if (keep != nullptr &&
            (keep->heaviest == 0 || total * keep->heaviest > keep->total * pricing.best)) {
          *keep = Weights{weights, pricing.best, total};
        }
        // The master's value is the most this bound can reach; weights kept
        // prune a complete search by what they lack of it.
        const bool close =
            keep == nullptr || static_cast<double>(total) >=
                                   (objective - kWeightsClose) * static_cast<double>(pricing.best);
        if (bound >= stop_at ||
            (close && static_cast<double>(bound) >= std::ceil(objective - 1e-6))) {
          return true;
        }
      }
      if (pricing.pattern.empty()) return true;
      if (spend->exhausted()) return false;
      master.AddPattern(pricing.pattern);
    }
    return false;
  };

  Weights root;
  const bool solved = converge(enough, result.bound, false, &root);
  result.weights = root.of_class;
  result.heaviest = root.heaviest;
  result.bound =
      std::min<std::int64_t>(result.bound, static_cast<std::int64_t>(instance.sizes.size()));
  if (!solved || result.bound >= start.bin_count) return result;

  // The dive for a packing into one bin fewer than `start`: one bin of a
  // pattern the relaxation uses most is fixed, the relaxation of the items it
  // leaves is solved again, and so on while it leaves room for them. Where it
  // does not, the dive goes back to the latest bin that has an alternative (a
  // pattern the relaxation used less) and takes that; a path may take at most
  // kDiveDiscrepancies alternatives, then one more each time every path within
  // the limit has failed. The deepest path is kept for the complete search
  // when no path packs every item.
  const std::int64_t target = start.bin_count - 1;
  std::vector<std::int64_t> demand;
  for (const SizeClass& c : classes) demand.push_back(c.count);
  const auto set_demand = [&] {
    for (std::size_t i = 0; i < classes.size(); ++i) classes[i].count = demand[i];
    master.SetDemand(demand);
  };
  // The bins to try next, from the relaxation just solved: what the patterns
  // it uses most want of the items left, each bin once.
  const auto choices = [&] {
    const std::vector<double> x = master.PatternValues();
    const std::vector<std::vector<std::int64_t>>& rows = master.patterns();
    std::vector<std::size_t> used;
    for (std::size_t p = 0; p < x.size(); ++p) {
      if (x[p] > 1e-6) used.push_back(p);
    }
    std::stable_sort(used.begin(), used.end(),
                     [&](std::size_t a, std::size_t b) { return x[a] > x[b]; });
    std::vector<std::vector<std::int64_t>> bins;
    for (const std::size_t p : used) {
      std::vector<std::int64_t> bin(classes.size(), 0);
      bool any = false;
      for (std::size_t i = 0; i < classes.size(); ++i) {
        bin[i] = std::min(rows[p][i], demand[i]);
        any = any || bin[i] > 0;
      }
      if (any && std::find(bins.begin(), bins.end(), bin) == bins.end()) bins.push_back(bin);
      if (bins.size() == kDiveAlternatives) break;
    }
    return bins;
  };
  struct Level {
    std::vector<std::vector<std::int64_t>> bins;
    std::size_t next = 0;
  };
  const std::vector<std::vector<std::int64_t>> first_bins = choices();
  std::vector<Level> levels{{first_bins, 0}};
  std::vector<std::vector<std::int64_t>> path;  // the bin fixed at each level
  std::size_t discrepancies = 0;
  std::size_t most_discrepancies = kDiveDiscrepancies;
  bool cut_short = false;  // a path met most_discrepancies with alternatives left
  // The dive has what the bound left of this share: the caller keeps its own
  // part for the searches after it.
  WorkBudget dive = budget.Share(budget.left(), true);
  spend = &dive;
  while (!dive.exhausted()) {
    if (levels.empty()) {
      if (!cut_short) break;  // every path was tried
      cut_short = false;
      ++most_discrepancies;
      levels.push_back({first_bins, 0});
      continue;
    }
    Level& level = levels.back();
    if (level.next > 0 && !path.empty() && path.size() == levels.size()) {
      // Back from this level's last bin: its items are left again.
      for (std::size_t i = 0; i < classes.size(); ++i) demand[i] += path.back()[i];
      path.pop_back();
    }
    if (level.next == level.bins.size() ||
        (level.next == 1 && discrepancies == most_discrepancies)) {
      if (level.next < level.bins.size()) cut_short = true;
      if (level.next > 1) discrepancies -= 1;
      levels.pop_back();
      continue;
    }
    if (level.next == 1) discrepancies += 1;
    path.push_back(level.bins[level.next++]);
    for (std::size_t i = 0; i < classes.size(); ++i) demand[i] -= path.back()[i];
    if (std::all_of(demand.begin(), demand.end(), [](std::int64_t d) { return d == 0; })) {
      result.fixed = path;
      break;
    }
    set_demand();
    std::int64_t residual = 0;
    const std::int64_t room = target - static_cast<std::int64_t>(path.size());
    // A relaxation that did not settle (its pivots stalled) counts as a dead
    // end: the dive goes on with the alternatives.
    if (!converge(room + 1, residual, true)) continue;
    std::size_t items_left = 0;
    for (const std::int64_t d : demand) items_left += static_cast<std::size_t>(d);
    std::size_t items_before = items_left;
    for (const std::int64_t count : path.back()) items_before += static_cast<std::size_t>(count);
    const bool search_now = items_left <= kDiveSmallItems ||
                            (items_left <= kDiveSearchItems && items_before > kDiveSearchItems);
    if (residual <= room && search_now) {
      // Few items left: a short complete search for them, pruned by the
      // weights of their own relaxation, either packs them into the bins left
      // or shows that this path cannot.
      Weights node;
      if (!converge(room + 1, residual, false, &node)) continue;
      if (residual > room) continue;
      Instance rest;
      rest.capacity = capacity;
      ItemWeights rest_weights;
      rest_weights.heaviest = node.heaviest;
      std::vector<std::size_t> class_of;
      for (std::size_t i = 0; i < classes.size(); ++i) {
        for (std::int64_t k = 0; k < demand[i]; ++k) {
          rest.sizes.push_back(classes[i].size);
          rest_weights.of_item.push_back(node.of_class.empty() ? 0 : node.of_class[i]);
          class_of.push_back(i);
        }
      }
      WorkBudget share = dive.Share(kDiveSearchSteps);
      Packing packed;
      const ExactOutcome outcome =
          PackIntoBins(rest, static_cast<std::int32_t>(room), share, packed, &rest_weights);
      dive.Charge(share);
      if (outcome == ExactOutcome::kFound) {
        std::vector<std::vector<std::int64_t>> bins(static_cast<std::size_t>(packed.bin_count),
                                                    std::vector<std::int64_t>(classes.size(), 0));
        for (std::size_t k = 0; k < class_of.size(); ++k) {
          ++bins[static_cast<std::size_t>(packed.bin_of[k])][class_of[k]];
        }
        result.fixed = path;
        result.fixed.insert(result.fixed.end(), bins.begin(), bins.end());
        break;
      }
      if (outcome == ExactOutcome::kNone) continue;
    }
    if (residual <= room) {
      // The deepest path whose relaxation still fits, for the search after the dive.
      if (path.size() > result.fixed.size()) result.fixed = path;
      levels.push_back({choices(), 0});
    }
  }
  budget.Charge(dive);
  return result;
}

}  // namespace morvick::bin_packing
