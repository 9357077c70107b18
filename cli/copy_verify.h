#pragma once

// morvick-cli copy and verify. Copy runs after the plan has been made and
// printed, as move does.

#include "cli/plan_settings.h"
#include "commands/command_state.h"
#include "common/prompter.h"

#include <string>

namespace morvick::cli {

struct CopyCliOptions {
  bool link = false;      // hard links instead of copies
  bool no_index = false;  // neither indexes nor catalogue
  bool quiet = false;
};

// Checks the folders, asks "よろしいですか？" and copies the plan of `state`.
// Returns the exit status.
int CopyPlanned(const CommandState& state, const PlanSettings& settings, Prompter& prompter,
                const CopyCliOptions& options);

// Checks the volume at `target` against its index. Returns the exit status.
int RunVerify(const std::string& target, bool quiet);

}  // namespace morvick::cli
