#pragma once

// The application-wide error box: an error that escapes a handler ends that
// handler only; its message is shown captioned with the application title and
// the error icon, and the event loop goes on.

#include "common/prompter.h"

#include <utility>

namespace morvick {

// Shows the exception being handled (call only inside a catch block).
void ReportCurrentError(Prompter& prompter) noexcept;

// Runs `handler`; returns false when an error escaped it (and was shown).
template <typename Handler>
bool RunGuarded(Prompter& prompter, Handler&& handler) noexcept {
  try {
    std::forward<Handler>(handler)();
    return true;
  } catch (...) {
    ReportCurrentError(prompter);
    return false;
  }
}

}  // namespace morvick
