#pragma once

// What the settings file holds: the values of the main window's controls that
// are loaded when the window is created and saved when it is closed. The
// window applies them to its controls and fills them from them; the command
// line reads them as its defaults.

#include <array>
#include <cstdint>
#include <string>

namespace morvick {

// Items of ComboBox1 (the size unit) and ComboBox3 (the cluster size).
inline constexpr std::array<const char*, 2> kUnitItems = {"Mbytes", "bytes"};
inline constexpr int kUnitMbytes = 0;
inline constexpr int kUnitBytes = 1;
inline constexpr std::array<const char*, 11> kClusterSizeItems = {
    "0", "512", "1024", "2048", "4096", "8192", "16384", "32768", "65536", "131072", "262144"};
// Items of RadioGroup1, the packing methods, are indexed 0 to kLastPackingIndex.
inline constexpr int kLastPackingIndex = 7;

// The twelve keys with the defaults a missing file gives.
struct SettingsValues {
  std::string size = "650";          // Size: Edit1, the split size as typed
  std::string input_path;            // InputPath: Edit2
  std::string output_path;           // OutputPath: Edit3
  std::string base_name = "folder";  // BaseName: Edit4
  int figure = 5;                    // Figure: TrackBar1, the digit count, 1 to 9
  int packing = 0;                   // Packing: RadioGroup1, -1 (none) to kLastPackingIndex
  int scale = kUnitMbytes;           // Scale: ComboBox1's item, -1 for none
  // ClusterSize: ComboBox3's item, -1 for none (also when its text was typed
  // rather than chosen, so a typed size is not stored).
  int cluster_size = 0;
  std::int32_t seq = 1;    // Seq: SpinEdit1, the start number (a load gives 1 to 999999999)
  bool seq_flag = false;   // SeqFlag: CheckBox1, a save adds the volume count to Seq
  bool move_flag = false;  // MoveFlag: CheckBox2 "最終フォルダを移動しない"
  // FewestVolumes: CheckBox3 "最少の分割数を探す", the fewest-volumes search
  // instead of RadioGroup1's method. A key of its own, which versions without
  // the check box leave alone, so that Packing keeps its eight items.
  bool fewest_volumes = false;

  bool operator==(const SettingsValues&) const = default;
};

}  // namespace morvick
