#pragma once

// The values of the window's controls that a plan and a move read, as the
// command line sets them: the window's defaults, then a settings file, then
// the options given.

#include "settings/settings_values.h"

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
  int method = 0;                  // RadioGroup1, -1 to 7, or 8 (fewest)
  int digits = 5;                  // TrackBar1, 1 to 9
  std::int32_t start_number = 1;   // SpinEdit1, 1 to 999999999
  bool skip_last = false;          // CheckBox2 "最終フォルダを移動しない"
  double time_limit = 2.0;         // seconds of the fewest-volumes search
};

// "0" to "8" or a method name (name-asc, ..., first-fit, none, fewest); nullopt otherwise.
std::optional<int> ParseMethod(std::string_view text);
// The name of a method index, "none" for 7 and anything outside 0 to 8.
const char* MethodName(int method);

// The longest --time-limit: a day.
inline constexpr double kLongestTimeLimit = 86400;
// A number of seconds from 0 to kLongestTimeLimit in decimal digits ("2", "0.5");
// nullopt otherwise.
std::optional<double> ParseSeconds(std::string_view text);

// The plan settings that loaded settings give. The cluster-size box keeps its
// initial text "0" when no item is selected.
PlanSettings PlanSettingsFrom(const SettingsValues& values);

}  // namespace morvick::cli
