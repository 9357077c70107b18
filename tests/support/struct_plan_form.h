#pragma once

// A plan form made of plain fields, for tests of the commands and of their
// front ends. Header-only, so it needs nothing but the commands' headers.

#include "commands/plan_form.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace morvick::testing {

struct StructPlanForm : PlanForm {
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

  std::string EditText(int number) const override { return edits.at(number - 1); }
  int ComboBox1Index() const override { return unit_index; }
  std::string ComboBox3Text() const override { return cluster_text; }
  int RadioGroup1Index() const override { return method_index; }
  int TrackBar1Position() const override { return digits; }
  std::int32_t SpinEdit1Value() const override { return start_number; }
  bool CheckBox2Checked() const override { return skip_last; }

  void ClearListView1() override { entry_rows.clear(); }
  void AddListView1Row(const EntryRowTexts& row) override {
    entry_rows.push_back({std::string(row.volume), std::string(row.name), std::string(row.size),
                          std::string(row.date), std::string(row.kind)});
  }
  void ClearListView2() override { volume_rows.clear(); }
  void AddListView2Row(const VolumeRowTexts& row) override {
    volume_rows.push_back(
        {std::string(row.volume), std::string(row.folder), std::string(row.size)});
  }
  void ClearTree() override {
    tree.Clear();
    ++tree_clears;
  }
  TreeStore* Tree() override { return use_tree ? &tree : nullptr; }
  void PumpEvents() override {
    if (on_pump) on_pump();
  }
  void BeginTreeUpdate() override { ++tree_update_depth; }
  void EndTreeUpdate() override { --tree_update_depth; }
  void SetStatusText(const std::string& text) override {
    status = text;
    status_history.push_back(text);
  }
};

}  // namespace morvick::testing
