#pragma once

// The window's controls and views as the command line has them: the controls
// hold the options, the entry list is read from the plan itself, the volume
// rows and the status line are kept for the output, there is no tree, and the
// event pump watches for Ctrl-C and draws the progress line.

#include "cli/plan_settings.h"
#include "cli/progress.h"
#include "commands/command_state.h"
#include "commands/plan_form.h"

#include <string>
#include <vector>

namespace morvick::cli {

class CliPlanForm final : public PlanForm {
 public:
  // `progress` may be null (no progress line).
  CliPlanForm(const PlanSettings& settings, CommandState& state, ScanProgress* progress);

  std::string EditText(int number) const override;
  int ComboBox1Index() const override { return settings_.unit; }
  std::string ComboBox3Text() const override { return settings_.cluster_text; }
  int RadioGroup1Index() const override { return settings_.method; }
  int TrackBar1Position() const override { return settings_.digits; }
  std::int32_t SpinEdit1Value() const override { return settings_.start_number; }
  bool CheckBox2Checked() const override { return settings_.skip_last; }

  // The entries are printed from the plan's own list, so these rows are not kept.
  void ClearListView1() override {}
  void AddListView1Row(const EntryRowTexts& /*row*/) override {}
  void ClearListView2() override { volume_folders_.clear(); }
  void AddListView2Row(const VolumeRowTexts& row) override;
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
