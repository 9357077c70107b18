#pragma once

// What the main window's controls hold, as one struct that every front end
// fills: the window from its controls, the command line from its options and a
// settings file. The commands' inputs, the settings a close saves and the
// volume naming are all read from it here, so that no front end maps them on
// its own.

#include "commands/plan_values.h"
#include "settings/settings_values.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace morvick {

// SpinEdit1's range: the start number of the first volume.
inline constexpr std::int32_t kFirstStartNumber = 1;
inline constexpr std::int32_t kLastStartNumber = 999999999;

struct FormValues {
  std::string split_size_text = "650";  // Edit1, as typed
  std::string input_text;               // Edit2
  std::string output_text;              // Edit3
  std::string base_name = "folder";     // Edit4
  int unit_index = kUnitMbytes;         // ComboBox1: 0 "Mbytes", 1 "bytes", -1 none
  int method_index = 0;                 // RadioGroup1, -1 for none; 8 (fewest) from morvick-cli
  int digits = 5;                       // TrackBar1, 1 to 9
  std::string start_text = "1";         // SpinEdit1, its text as typed (anything while typing)
  std::string cluster_text = "0";       // ComboBox3, its text
  int cluster_item = 0;                 // ComboBox3, the item selected last, -1 for none
  bool cluster_typed = false;           // ComboBox3's text was typed since an item was chosen
  bool seq_flag = false;        // CheckBox1 "最終SEQの次を開始SEQとする(起動時)"
  bool skip_last = false;       // CheckBox2 "最終フォルダを移動しない"
  bool fewest_volumes = false;  // CheckBox3 "最少の分割数を探す"

  bool operator==(const FormValues&) const = default;
};

// A spin box's value while its text is being typed: the number the text holds
// (a 32-bit integer text), `minimum` when it holds none; not limited to the range.
std::int32_t TypedSpinValue(std::string_view text, std::int32_t minimum);
// The value the box settles on when it is left: the typed value brought into range.
std::int32_t SpinValueInRange(std::string_view text, std::int32_t minimum, std::int32_t maximum);

// ComboBox3's item as the settings store it: -1 when no item is selected, when
// the text was typed, or when the text is no longer the selected item's, so
// that a typed cluster size is used but never saved.
int ChosenClusterItem(std::string_view text, int item, bool typed);

// The packing method Investigate uses: the fewest-volumes search while
// CheckBox3 is ticked, else RadioGroup1's item.
int PackingMethodOf(int method_index, bool fewest_volumes);

// The naming of the volume folders: Edit4, TrackBar1 and SpinEdit1's typed value.
VolumeNaming NamingOf(const FormValues& form);
InvestigateInputs InvestigateInputsOf(const FormValues& form);
MoveInputs MoveInputsOf(const FormValues& form);

// The settings a save stores, and the controls a load gives (ComboBox3 keeps
// its initial text "0" when no item is stored).
SettingsValues SettingsOf(const FormValues& form);
FormValues FormValuesOf(const SettingsValues& settings);

}  // namespace morvick
