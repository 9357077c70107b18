#pragma once

// What the plan commands read and write, as the command line has it: the
// inputs come from the options, the entry list is printed from the plan
// itself, the volume rows and the status line are kept for the output, there
// is no tree, and the event pump watches for Ctrl-C and draws the progress line.

#include "cli/plan_settings.h"
#include "cli/progress.h"
#include "commands/command_state.h"
#include "commands/plan_values.h"

#include <string>
#include <vector>

namespace morvick::cli {

InvestigateInputs InvestigateInputsOf(const PlanSettings& settings);
MoveInputs MoveInputsOf(const PlanSettings& settings);

class CliPlanView final : public LiveInputs, public PlanSink {
 public:
  // `progress` may be null (no progress line).
  CliPlanView(const PlanSettings& settings, CommandState& state, ScanProgress* progress);

  std::string ClusterSizeText() const override { return settings_.form.cluster_text; }
  bool SkipLastVolume() const override { return settings_.form.skip_last; }

  // The entries are printed from the plan's own list; only the volume folder
  // names are kept.
  void ClearPlan() override { volume_folders_.clear(); }
  void ShowPlan(const PlanRows& plan) override;
  void ClearTree() override {}
  TreeStore* Tree() override { return nullptr; }

  void PumpEvents() override;
  void BeginTreeUpdate() override {}
  void EndTreeUpdate() override {}
  void SetStatusText(const std::string& text) override { status_ = text; }

  const std::vector<std::string>& volume_folders() const { return volume_folders_; }
  const std::string& status() const { return status_; }
  // Ctrl-C reached the scan, which then stopped as by the Cancel button.
  bool cancelled() const { return cancelled_; }

 private:
  PlanSettings settings_;
  CommandState& state_;
  ScanProgress* progress_;
  std::vector<std::string> volume_folders_;
  std::string status_;
  bool cancelled_ = false;
};

}  // namespace morvick::cli
