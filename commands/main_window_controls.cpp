#include "commands/main_window_controls.h"

#include <algorithm>

namespace morvick {
namespace {

using enum ControlKind;

constexpr const char* kWindow = kMainWindowName;

// From the top left to the bottom right, as the window is drawn.
// clang-format off
constexpr ControlEntry kControls[] = {
    {ListView, "ListView2", kWindow, {8, 8, 241, 201}, "", 11, false, {}, kVolumeListColumns},
    {ListView, "ListView1", kWindow, {256, 8, 529, 201}, "", 6, false, {}, kEntryListColumns},
    {TreeView, "TreeView1", kWindow, {496, 224, 289, 81}, "", 12, false},
    {Label, "Label1", kWindow, {16, 240, 67, 12}, "入力フォルダ", kNoTabOrder, false},
    {Edit, "Edit2", kWindow, {88, 240, 361, 20}, "", 0, true},
    {Button, "Button2", kWindow, {456, 240, 25, 25}, "...", 1, true},
    {Label, "Label2", kWindow, {16, 280, 67, 12}, "出力フォルダ", kNoTabOrder, false},
    {Edit, "Edit3", kWindow, {88, 280, 361, 20}, "", 2, true},
    {Button, "Button3", kWindow, {456, 280, 25, 25}, "...", 3, true},
    {GroupBox, "GroupBox1", kWindow, {8, 320, 241, 193}, "移動先フォルダ設定", 4, false},
    {Label, "Label3", "GroupBox1", {16, 16, 46, 12}, "ベース名", kNoTabOrder, false},
    {Edit, "Edit4", "GroupBox1", {72, 16, 129, 20}, "", 0, true},
    {Label, "Label4", "GroupBox1", {16, 48, 24, 12}, "桁数", kNoTabOrder, false},
    {TrackBar, "TrackBar1", "GroupBox1", {64, 40, 145, 33}, "", 1, true},
    {Label, "Label7", "GroupBox1", {72, 72, 6, 12}, "1", kNoTabOrder, false},
    {Label, "Label8", "GroupBox1", {200, 72, 6, 12}, "9", kNoTabOrder, false},
    {Label, "Label9", "GroupBox1", {16, 88, 46, 12}, "開始SEQ", kNoTabOrder, false},
    {SpinEdit, "SpinEdit1", "GroupBox1", {72, 88, 129, 21}, "1", 2, true},
    {Label, "Label6", "GroupBox1", {8, 120, 44, 12}, "(sample)", kNoTabOrder, false},
    {Label, "Label5", "GroupBox1", {64, 120, 5, 12}, " ", kNoTabOrder, false},
    {CheckBox, "CheckBox1", "GroupBox1", {8, 144, 225, 15}, "最終SEQの次を開始SEQとする(起動時)",
     3, true},
    {CheckBox, "CheckBox2", "GroupBox1", {8, 168, 225, 15}, "最終フォルダを移動しない", 4, true},
    {RadioGroup, "RadioGroup1", kWindow, {256, 320, 233, 193}, "Packing方法", 5, true,
     kPackingItems},
    {GroupBox, "GroupBox2", kWindow, {496, 320, 289, 73}, "分割サイズ", 15, false},
    {Edit, "Edit1", "GroupBox2", {9, 13, 144, 20}, "", 0, true},
    {UpDown, "UpDown1", "GroupBox2", {160, 10, 17, 25}, "", 2, false},
    {DropDownList, "ComboBox1", "GroupBox2", {192, 13, 89, 20}, "", 1, true, kUnitItems},
    {PresetDropDown, "ComboBox2", "GroupBox2", {8, 40, 273, 20}, "", 3, true},
    // In the strip between GroupBox2 and the buttons, so that no control moves;
    // Tab reaches it after every control that was there before it.
    {CheckBox, "CheckBox3", kWindow, {504, 393, 177, 15}, kFewestVolumesCaption, 17, true},
    {Button, "Button1", kWindow, {496, 408, 73, 41}, "分割調査", 7, true},
    {Button, "Button6", kWindow, {584, 408, 73, 41}, "キャンセル", 9, true},
    {GroupBox, "GroupBox3", kWindow, {672, 408, 113, 41}, "クラスタSize(byte)", 16, false},
    {EditableDropDown, "ComboBox3", "GroupBox3", {8, 16, 97, 20}, "0", 0, true, kClusterSizeItems},
    {Button, "Button5", kWindow, {496, 462, 73, 41}, "分割開始", 8, true},
    {Button, "Button7", kWindow, {584, 462, 73, 41}, "UNDO", 14, true},
    {Button, "Button4", kWindow, {672, 462, 113, 41}, "終了", 10, true},
    {StatusBar, "StatusBar1", kWindow, {0, 517, 792, 29}, "", kNoTabOrder, false},
};
// clang-format on

void AppendTabChain(std::string_view container, std::vector<const ControlEntry*>& chain) {
  std::vector<const ControlEntry*> ordered;
  for (const ControlEntry& control : kControls) {
    if (control.container == container && control.tab_order != kNoTabOrder) {
      ordered.push_back(&control);
    }
  }
  std::stable_sort(
      ordered.begin(), ordered.end(),
      [](const ControlEntry* a, const ControlEntry* b) { return a->tab_order < b->tab_order; });
  for (const ControlEntry* control : ordered) {
    if (control->kind == GroupBox) {
      AppendTabChain(control->name, chain);
    } else if (control->tab_stop) {
      chain.push_back(control);
    }
  }
}

}  // namespace

std::span<const ControlEntry> MainWindowControls() { return kControls; }

const ControlEntry* FindMainWindowControl(std::string_view name) {
  for (const ControlEntry& control : kControls) {
    if (control.name == name) return &control;
  }
  return nullptr;
}

std::vector<const ControlEntry*> MainWindowTabChain() {
  std::vector<const ControlEntry*> chain;
  AppendTabChain(kMainWindowName, chain);
  return chain;
}

}  // namespace morvick
