#pragma once

// The main window's controls as data that a front end builds its window from:
// for each control its kind, designer name, container, place and size at 96
// dpi, caption and tab order, with the columns of the two lists, the items of
// the lists and the radio group, and the menu.

#include "settings/settings_values.h"

#include <array>
#include <span>
#include <string_view>
#include <vector>

namespace morvick {

enum class ControlKind {
  ListView,          // report-style list
  TreeView,          // the folder tree
  Label,             // grows with its text, never below its designed size
  Edit,              // single-line edit box
  Button,            // push button
  GroupBox,          // captioned frame; Tab enters it in its own controls' order
  RadioGroup,        // captioned frame of radio items in one column; Tab visits the chosen one
  TrackBar,          // horizontal
  SpinEdit,          // numeric box with up and down arrows
  CheckBox,          // ticked or clear
  UpDown,            // a vertical pair of arrows bound to no other control
  DropDownList,      // no typing
  PresetDropDown,    // no typing, owner-drawn: the presets' display names
  EditableDropDown,  // with an editable text field
  StatusBar,         // docked along the bottom edge over the full width
};

// Left and top in the container's client area, width and height; pixels at 96 dpi.
struct ControlRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct ColumnEntry {
  const char* title;  // UTF-8
  int width;
  bool right_aligned;
};

inline constexpr int kNoTabOrder = -1;

struct ControlEntry {
  ControlKind kind;
  const char* name;       // the designer name
  const char* container;  // kMainWindowName, or the group box that holds it
  ControlRect rect;
  const char* caption;  // UTF-8; a box's initial text; "" for none
  int tab_order;        // among the controls of the same container; kNoTabOrder for none
  bool tab_stop;        // Tab stops here (a group box is entered instead)
  std::span<const char* const> items = {};    // the items of a list or of the radio group
  std::span<const ColumnEntry> columns = {};  // the columns of a list view
};

struct WindowEntry {
  const char* name;
  const char* caption;
  int client_width;  // under the caption and the menu bar, status bar included
  int client_height;
};

inline constexpr WindowEntry kMainWindow = {"TForm1", "Morvick", 792, 546};
inline constexpr const char* kMainWindowName = kMainWindow.name;

// The height of every window's font in pixels at 96 dpi (9 points).
inline constexpr int kProgramFontHeight = 12;

// The status bar's one panel; being the last, it reaches the right end of the bar.
inline constexpr int kStatusPanelWidth = 50;

// ListView2 (volumes) and ListView1 (entries), left to right; the cells are
// EntryCellText's and VolumeCellText's columns.
inline constexpr std::array<ColumnEntry, 3> kVolumeListColumns = {{
    {"No", 35, false},
    {"フォルダ", 80, false},
    {"サイズ", 100, true},
}};
inline constexpr std::array<ColumnEntry, 5> kEntryListColumns = {{
    {"No", 35, false},
    {"名前", 160, false},
    {"サイズ", 100, true},
    {"更新日時", 120, false},
    {"種類", 90, false},
}};

// RadioGroup1 "Packing方法", by packing method.
inline constexpr std::array<const char*, 8> kPackingItems = {"名前(昇順)",
                                                             "名前(降順)",
                                                             "更新日時(昇順)",
                                                             "更新日時(降順)",
                                                             "種類(昇順)",
                                                             "種類(降順)",
                                                             "無駄なく(ビンパッキング問題の解法)",
                                                             "指定無"};
static_assert(kPackingItems.size() == kLastPackingIndex + 1);

// CheckBox3: Investigate searches for the fewest volumes instead of packing by
// RadioGroup1's method.
inline constexpr const char* kFewestVolumesCaption = "最少の分割数を探す";

// The menu bar holds one menu, "&Property".
struct MenuItemEntry {
  const char* name;
  const char* caption;
};
inline constexpr const char* kMenuBarName = "MainMenu1";
inline constexpr MenuItemEntry kPropertyMenu = {"Property1", "&Property"};
inline constexpr std::array<MenuItemEntry, 3> kPropertyMenuItems = {{
    {"Help1", "&Help"},
    {"Setting1", "&Setting"},
    {"About1", "&About"},
}};

// Every control of the main window; a container comes before its controls.
std::span<const ControlEntry> MainWindowControls();
// The control named `name`, nullptr when there is none.
const ControlEntry* FindMainWindowControl(std::string_view name);

// The controls Tab visits, in order: those of the window in ascending tab
// order, entering each group box in the tab order of its own controls and
// skipping the controls without a tab stop. A radio group stands for its
// chosen item.
std::vector<const ControlEntry*> MainWindowTabChain();

}  // namespace morvick
