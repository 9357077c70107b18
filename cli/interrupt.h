#pragma once

// Ctrl-C as the Cancel button: while an InterruptGuard lives, SIGINT only sets
// a flag, which the scan's event pump and the move loops look at between two
// entries, so a plan or a journal is never left half-written. A second Ctrl-C
// ends the program.

#include "common/error.h"

namespace morvick::cli {

class InterruptGuard {
 public:
  InterruptGuard();
  ~InterruptGuard();
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;
};

bool InterruptRequested();

using morvick::InterruptedError;

}  // namespace morvick::cli
