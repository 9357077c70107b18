#pragma once

// Struct forms standing in for the main window's controls, its preset
// drop-down and the preset editor's grid, plus a runner for tests that need a
// user without root's power to write into read-only folders.

#include "settings/settings_form.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace morvick::testing {

// The controls' state before FormCreate loads anything: a fresh window.
struct TestSettingsForm : SettingsForm {
  std::array<std::string, 4> edits;
  int track_bar = 1;
  int radio_group = -1;
  int combo1 = -1;
  int combo3 = -1;
  std::string spin_text = "1";
  bool check1 = false;
  bool check2 = false;
  int list_view2_rows = 0;
  bool flags_cleared = false;
  std::string status_text = "(not cleared)";

  // Every setter call, in order, and what Edit4Change saw each time it ran.
  std::vector<std::string> calls;
  struct Sample {
    std::string base_name;
    int digits;
    std::string start;
  };
  std::vector<Sample> edit4_changes;

  void ClearStateFlags() override;
  std::string EditText(int number) const override { return edits.at(number - 1); }
  void SetEditText(int number, const std::string& text) override;
  int TrackBar1Position() const override { return track_bar; }
  void SetTrackBar1Position(int position) override;
  int RadioGroup1Index() const override { return radio_group; }
  void SetRadioGroup1Index(int index) override;
  void ClearStatusText() override;
  int ComboBox1Index() const override { return combo1; }
  void SetComboBox1Index(int index) override;
  int ComboBox3Index() const override { return combo3; }
  void SetComboBox3Index(int index) override;
  std::string SpinEdit1Text() const override { return spin_text; }
  void SetSpinEdit1Value(int value) override;
  bool CheckBox1Checked() const override { return check1; }
  void SetCheckBox1Checked(bool checked) override;
  bool CheckBox2Checked() const override { return check2; }
  void SetCheckBox2Checked(bool checked) override;
  int ListView2RowCount() const override { return list_view2_rows; }

 private:
  void Edit4Change();
};

struct TestPresetListForm : PresetListForm {
  std::vector<std::string> items;
  int selected = -1;
  void AddComboBox2Item(const std::string& size_text) override { items.push_back(size_text); }
  void SetComboBox2Index(int index) override { selected = index; }
};

struct TestPresetGrid : PresetGrid {
  std::array<std::array<std::string, kPresetGridRows>, kPresetGridColumns> cells;
  std::string Cell(int column, int row) const override { return cells.at(column).at(row); }
  void SetCell(int column, int row, const std::string& text) override {
    cells.at(column).at(row) = text;
  }
};

// Runs `body` as an unprivileged user in a child process when the tests run as
// root (root writes into read-only folders), else right here. `shared_folder`
// is opened to that user first. Returns what `body` returned, or "skip" when no
// unprivileged user could be taken on.
std::string RunUnprivileged(const std::string& shared_folder,
                            const std::function<std::string()>& body);

}  // namespace morvick::testing
