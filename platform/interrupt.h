#pragma once

// Ctrl-C as the Cancel button: while an InterruptGuard lives, Ctrl-C only sets
// a flag, which the scan's event pump and the move loops look at between two
// entries, so a plan or a journal is never left half-written. A second Ctrl-C
// ends the program. Linux catches SIGINT; Windows the console's Ctrl-C and
// Ctrl-Break events.

namespace morvick::platform {

class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;
};

bool InterruptRequested();

}  // namespace morvick::platform
