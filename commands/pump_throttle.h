#pragma once

// How often a long operation of the window (the scan, the packing) processes
// the pending user-interface events. The user cannot act faster than every few
// milliseconds, and pumping less often keeps the scan itself fast.

#include <chrono>

namespace morvick {

inline constexpr std::chrono::milliseconds kPumpInterval{5};

class PumpThrottle {
 public:
  using Clock = std::chrono::steady_clock;
  using Now = Clock::time_point (*)();

  // `now` reads the clock (the tests pass their own).
  explicit PumpThrottle(
      std::chrono::milliseconds interval = kPumpInterval, Now now = [] { return Clock::now(); })
      : interval_(interval), now_(now), last_(now()) {}

  // 0 pumps at every call.
  void SetInterval(std::chrono::milliseconds interval) { interval_ = interval; }

  // Runs `pump` once the interval has passed since the last pump ended (the
  // first interval runs from the throttle's creation).
  template <typename Pump>
  void Run(Pump&& pump) {
    if (now_() - last_ < interval_) return;
    pump();
    last_ = now_();
  }

 private:
  std::chrono::milliseconds interval_;
  Now now_;
  Clock::time_point last_;
};

}  // namespace morvick
