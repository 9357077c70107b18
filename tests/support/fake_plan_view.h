#pragma once

// The one fake of the typed values the commands take: the inputs as plain
// fields, the two live values, and a sink that keeps every row and status
// line. Header-only, so it needs nothing but the commands' headers.

#include "commands/plan_commands.h"
#include "support/temp_dir.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace morvick::testing {

struct FakePlanView : LiveInputs, PlanSink {
  // Edit1 split size, Edit2 input folder, Edit3 output folder, Edit4 base name.
  std::array<std::string, 4> edits = {"650", "", "", "CD"};
  int unit_index = 0;
  std::string cluster_text = "0";
  int method_index = 0;
  int digits = 3;
  std::int32_t start_number = 1;
  bool skip_last = false;

  std::vector<std::array<std::string, 5>> entry_rows;
  std::vector<std::array<std::string, 3>> volume_rows;
  std::string status;
  std::vector<std::string> status_history;
  TreeStore tree;
  bool use_tree = true;
  int tree_clears = 0;
  int tree_update_depth = 0;
  // Runs once for every pumped event, as a user's click during the scan would.
  std::function<void()> on_pump;
  // The same while the plan is packed.
  std::function<void()> on_packing_pump;
  int packing_pumps = 0;
  // Where the moves of this view keep their journals (made when first asked for).
  std::shared_ptr<TempDir> journals;

  const std::string& JournalFolder() {
    if (!journals) journals = std::make_shared<TempDir>();
    return journals->path();
  }

  VolumeNaming Naming() const { return {edits[3], digits, start_number}; }
  InvestigateInputs Investigation() const {
    return {edits[0], unit_index, edits[1], method_index, Naming(), {}};
  }
  MoveInputs Moving() const { return {edits[1], edits[2], Naming(), method_index}; }

  std::string ClusterSizeText() const override { return cluster_text; }
  bool SkipLastVolume() const override { return skip_last; }
  // The window reads RadioGroup1 again once the scan has returned.
  std::optional<int> PackingMethodAfterScan() const override { return method_index; }

  // The rows as the lists show them, every cell formatted.
  void ClearPlan() override {
    entry_rows.clear();
    volume_rows.clear();
  }
  void ShowPlan(const PlanRows& plan) override {
    for (const auto& entry : plan.entries) {
      std::array<std::string, 5> row;
      for (int column = 0; column < 5; ++column) row[column] = EntryCellText(entry, column);
      entry_rows.push_back(std::move(row));
    }
    for (std::size_t n = 1; n < plan.volume_totals.size(); ++n) {
      std::array<std::string, 3> row;
      for (int column = 0; column < 3; ++column) {
        row[column] = VolumeCellText(static_cast<std::int32_t>(n), plan.volume_totals[n],
                                     plan.naming, column);
      }
      volume_rows.push_back(std::move(row));
    }
  }
  void ClearTree() override {
    tree.Clear();
    ++tree_clears;
  }
  TreeStore* Tree() override { return use_tree ? &tree : nullptr; }
  void PumpEvents() override {
    if (on_pump) on_pump();
  }
  void PumpEventsWhilePacking() override {
    ++packing_pumps;
    if (on_packing_pump) on_packing_pump();
  }
  void BeginTreeUpdate() override { ++tree_update_depth; }
  void EndTreeUpdate() override { --tree_update_depth; }
  void SetStatusText(const std::string& text) override {
    status = text;
    status_history.push_back(text);
  }
};

// The commands as the window runs them, with the inputs read from the fake
// when the command starts.
inline void RunInvestigate(CommandState& state, FakePlanView& view, Prompter& prompter,
                           const PathRules& rules) {
  InvestigateCommand(state, view.Investigation(), view, view, prompter, rules);
}
// Move keeps its journal in the view's folder unless the options name one.
inline MoveReport RunMove(CommandState& state, FakePlanView& view, Prompter& prompter,
                          const PathRules& rules, MoveOptions options = {}) {
  if (options.journal_folder.empty() && options.journal_path.empty()) {
    options.journal_folder = view.JournalFolder();
  }
  return MoveCommand(state, view.Moving(), view, view, prompter, rules, options);
}
inline MoveReport RunUndo(CommandState& state, FakePlanView& view, Prompter& prompter,
                          const PathRules& rules, const MoveOptions& options = {}) {
  return UndoCommand(state, view.Moving(), view, view, prompter, rules, options);
}

}  // namespace morvick::testing
