#include "cli/cli_form.h"

#include "cli/interrupt.h"
#include "commands/plan_commands.h"

namespace morvick::cli {

CliPlanForm::CliPlanForm(const PlanSettings& settings, CommandState& state, ScanProgress* progress)
    : settings_(settings), state_(state), progress_(progress) {}

std::string CliPlanForm::EditText(int number) const {
  switch (number) {
    case 1: return settings_.size_text;
    case 2: return settings_.input;
    case 3: return settings_.output;
    default: return settings_.base_name;
  }
}

void CliPlanForm::AddListView2Row(const VolumeRowTexts& row) {
  volume_folders_.emplace_back(row.folder);
}

void CliPlanForm::PumpEvents() {
  if (InterruptRequested() && !state_.CancelRequested) {
    cancelled_ = true;
    Button6Click(state_);
  }
  if (progress_ && state_.EntryList) progress_->Tick(*state_.EntryList);
}

}  // namespace morvick::cli
