#pragma once

// The pieces of the fewest-volumes method. They work on plain sizes sorted
// largest first, every one between 1 and the capacity, and number bins from 0.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace morvick::bin_packing {

// Sums of sizes and products with the capacity, which 64 bits may not hold.
__extension__ typedef __int128 Wide;

struct Instance {
  std::vector<std::int64_t> sizes;  // largest first, each in 1..capacity
  std::int64_t capacity = 1;
};

// The bin of every item of an instance.
struct Packing {
  std::vector<std::int32_t> bin_of;
  std::int32_t bin_count = 0;
};

// The work a search may do. Work is counted in small steps (one candidate
// looked at), so that the same instance and budget give the same result on any
// machine; the clock only stops a search on a machine far slower than usual.
class WorkBudget {
 public:
  using Clock = std::chrono::steady_clock;

  // `keep_going`, when not empty, is asked at every clock check; false stops
  // this budget and every budget it is charged to.
  WorkBudget(std::uint64_t steps, Clock::time_point deadline,
             const std::function<bool()>* keep_going = nullptr)
      : limit_(steps), deadline_(deadline), keep_going_(keep_going) {}

  // Counts `steps`; false once the steps or the time are used up.
  bool Spend(std::uint64_t steps) {
    if (exhausted_) return false;
    used_ += steps;
    if (used_ >= limit_) exhausted_ = true;
    if (used_ >= next_clock_check_) {
      next_clock_check_ = used_ + kClockInterval;
      if (Clock::now() >= deadline_) exhausted_ = true;
      if (keep_going_ != nullptr && *keep_going_ && !(*keep_going_)()) stopped_ = exhausted_ = true;
    }
    return !exhausted_;
  }

  bool exhausted() const { return exhausted_; }
  // The search was told to stop (see the constructor).
  bool stopped() const { return stopped_; }
  std::uint64_t used() const { return used_; }
  std::uint64_t left() const { return exhausted_ ? 0 : limit_ - used_; }

  // A share of what is left, for one phase: the phase's own limit, the same
  // clock; with `own_clock`, also the same share of the time left, so that on a
  // slow machine the phase leaves the others their part.
  WorkBudget Share(std::uint64_t steps, bool own_clock = false) const {
    Clock::time_point deadline = deadline_;
    if (own_clock && left() > 0) {
      const Clock::time_point now = Clock::now();
      if (now < deadline_) {
        const double part =
            static_cast<double>(std::min(steps, left())) / static_cast<double>(left());
        // In double the share of a far deadline (time_point::max(), no clock)
        // may round past the deadline and overflow; such a share keeps it.
        const Clock::rep span = (deadline_ - now).count();
        const double scaled = static_cast<double>(span) * part;
        if (scaled < static_cast<double>(span)) {
          deadline = now + Clock::duration(static_cast<Clock::rep>(scaled));
        }
      }
    }
    WorkBudget share(std::min(steps, left()), deadline, keep_going_);
    share.exhausted_ = exhausted_ || steps == 0;
    share.stopped_ = stopped_;
    return share;
  }
  // Adds what a share used to this budget.
  void Charge(const WorkBudget& share) {
    // A share that was told to stop has asked already: this budget stops without asking again.
    if (share.stopped_) stopped_ = exhausted_ = true;
    if (share.used_ > 0) Spend(share.used_);
    if (share.exhausted_ && Clock::now() >= deadline_) exhausted_ = true;
  }

 private:
  static constexpr std::uint64_t kClockInterval = 1 << 16;

  std::uint64_t limit_;
  Clock::time_point deadline_;
  std::uint64_t used_ = 0;
  std::uint64_t next_clock_check_ = kClockInterval;
  const std::function<bool()>* keep_going_ = nullptr;
  bool exhausted_ = false;
  bool stopped_ = false;
};

// The best lower bound on the bins of any packing that these cheap bounds give:
// the size bound, Martello and Toth's L2 and bounds from dual feasible functions.
std::int64_t LowerBound(const Instance& instance);

struct ColumnBound {
  std::int64_t bound = 0;  // 0 when none was found
  // Bins that a dive through the relaxation fixed, as items per distinct size
  // (`sizes`, largest first), when the bound left room for fewer bins than the
  // start: every item's bin when the dive packed them all into fewer bins,
  // else its deepest path, and the search of the items it leaves may save a bin.
  std::vector<std::int64_t> sizes;
  std::vector<std::vector<std::int64_t>> fixed;
  // Farley's weights of the bound, per distinct size: no bin weighs more than
  // `heaviest` (0 when no weights were found).
  std::vector<Wide> weights;
  Wide heaviest = 0;
};

// The bound of the linear relaxation of the pattern formulation (Gilmore and
// Gomory), made safe by Farley's rounding: never above the optimum, whatever
// the floating point of its simplex does. It starts from the bins of `start`
// and stops once the bound reaches `enough`; then dives for a packing. No bound
// when the instance has too many distinct sizes for it, or the budget ran out
// before a first one.
ColumnBound ColumnGenerationBound(const Instance& instance, const Packing& start,
                                  std::int64_t enough, WorkBudget& budget);

Packing FirstFitDecreasing(const Instance& instance);
Packing BestFitDecreasing(const Instance& instance);
// Fills one bin at a time: the largest item left, then the items that leave the
// least room, searched within the budget (Fleszar and Hindi's minimum bin slack).
Packing MinimumBinSlack(const Instance& instance, WorkBudget& budget);

// Bins numbered in the order of their largest item.
void NumberBinsInItemOrder(Packing& packing);

// A local search for a packing into `bins` bins, starting from `start`, which
// uses more. nullopt when the budget ran out first.
std::optional<Packing> ReduceBins(const Instance& instance, const Packing& start, std::int32_t bins,
                                  WorkBudget& budget);

// A search for a packing into `bins` bins, starting from `start`, which uses
// more: the tabu search over a pool of the items that `bins` - 2 bins leave.
// nullopt when the budget ran out first.
std::optional<Packing> PackIntoTarget(const Instance& instance, const Packing& start,
                                      std::int32_t bins, WorkBudget& budget);

enum class ExactOutcome {
  kFound,    // a packing into the bins, in `found`
  kNone,     // the search finished: no packing into that many bins exists
  kStopped,  // the budget ran out
};

// Integer weights of the items (per item) such that no bin weighs more than
// `heaviest`: any packing into n bins leaves n × heaviest − the total weight
// unused, which the complete search shares out among the bins as it does the
// room left.
struct ItemWeights {
  std::vector<Wide> of_item;
  Wide heaviest = 0;
};

// A complete search (bin completion with dominance) for a packing into `bins`
// bins; `weights`, when given, prune it further.
ExactOutcome PackIntoBins(const Instance& instance, std::int32_t bins, WorkBudget& budget,
                          Packing& found, const ItemWeights* weights = nullptr);

}  // namespace morvick::bin_packing
