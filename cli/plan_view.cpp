#include "cli/plan_view.h"

#include "cli/interrupt.h"
#include "commands/plan_commands.h"

namespace morvick::cli {

InvestigateInputs InvestigateInputsOf(const PlanSettings& settings) {
  InvestigateInputs inputs = morvick::InvestigateInputsOf(settings.form);
  inputs.search_limits.seconds = settings.time_limit;
  return inputs;
}

MoveInputs MoveInputsOf(const PlanSettings& settings) {
  return morvick::MoveInputsOf(settings.form);
}

CliPlanView::CliPlanView(const PlanSettings& settings, CommandState& state, ScanProgress* progress)
    : settings_(settings), state_(state), progress_(progress) {}

void CliPlanView::ShowPlan(const PlanRows& plan) {
  for (std::size_t n = 1; n < plan.volume_totals.size(); ++n) {
    volume_folders_.push_back(plan.naming.FolderName(static_cast<std::int32_t>(n)));
  }
}

void CliPlanView::PumpEvents() {
  if (InterruptRequested() && !state_.CancelRequested) {
    cancelled_ = true;
    CancelCommand(state_);
  }
  if (progress_ && state_.EntryList) progress_->Tick(*state_.EntryList);
}

}  // namespace morvick::cli
