#pragma once

// The values of the window's controls that a plan and a move read, as the
// command line sets them: the window's defaults, then a settings file, then
// the options given.

#include "settings/settings_form.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvick::cli {

struct PlanSettings {
  std::string size_text = "650";  // Edit1
  std::string input;              // Edit2
  std::string output;             // Edit3
  std::string base_name = "folder";
  int unit = 0;                    // ComboBox1: 0 Mbytes, 1 bytes, -1 none
  std::string cluster_text = "0";  // ComboBox3
  int method = 0;                  // RadioGroup1, -1 to 7
  int digits = 5;                  // TrackBar1, 1 to 9
  std::int32_t start_number = 1;   // SpinEdit1, 1 to 999999999
  bool skip_last = false;          // CheckBox2 "最終フォルダを移動しない"
};

// "0" to "7" or a method name (name-asc, ..., first-fit, none); nullopt otherwise.
std::optional<int> ParseMethod(std::string_view text);
// The name of a method index, "none" for 7 and anything outside 0 to 6.
const char* MethodName(int method);

// The settings window's controls as plain values; LoadSettings fills them.
class SettingsValues final : public SettingsForm {
 public:
  std::string edits[4] = {"", "", "", ""};
  int figure = 1;
  int packing = -1;
  int scale = -1;
  int cluster_size = -1;
  int seq = 1;
  bool seq_flag = false;
  bool move_flag = false;

  void ClearStateFlags() override {}
  std::string EditText(int number) const override { return edits[number - 1]; }
  void SetEditText(int number, const std::string& text) override { edits[number - 1] = text; }
  int TrackBar1Position() const override { return figure; }
  void SetTrackBar1Position(int position) override { figure = position; }
  int RadioGroup1Index() const override { return packing; }
  void SetRadioGroup1Index(int index) override { packing = index; }
  void ClearStatusText() override {}
  int ComboBox1Index() const override { return scale; }
  void SetComboBox1Index(int index) override { scale = index; }
  int ComboBox3Index() const override { return cluster_size; }
  void SetComboBox3Index(int index) override { cluster_size = index; }
  std::string SpinEdit1Text() const override { return std::to_string(seq); }
  void SetSpinEdit1Value(int value) override { seq = value; }
  bool CheckBox1Checked() const override { return seq_flag; }
  void SetCheckBox1Checked(bool checked) override { seq_flag = checked; }
  bool CheckBox2Checked() const override { return move_flag; }
  void SetCheckBox2Checked(bool checked) override { move_flag = checked; }
  int ListView2RowCount() const override { return 0; }
};

// The values the window would load from `ini_path` (defaults when it is missing).
SettingsValues LoadSettingsValues(const std::string& ini_path);

// The plan settings those controls give. The cluster-size box keeps its
// initial text "0" when no item is selected.
PlanSettings PlanSettingsFrom(const SettingsValues& values);

}  // namespace morvick::cli
