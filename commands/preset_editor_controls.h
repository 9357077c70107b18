#pragma once

// The preset editor TOKBottomDlg1 as data that a front end builds it from: its
// caption and client size, each control's kind, name, place and size at 96 dpi,
// caption, tab order and font, and the shape of the grid StringGrid1.

#include "commands/main_window_controls.h"
#include "settings/presets.h"

#include <array>

namespace morvick {

inline constexpr WindowEntry kPresetEditor = {"TOKBottomDlg1", "分割リスト設定", 429, 314};

enum class EditorControlKind {
  FrameBevel,     // a sunken frame line
  BoxBevel,       // a sunken box
  Label,          // grows with its text, never below its designed size
  Grid,           // StringGrid1: editable text cells
  DefaultButton,  // Enter; the dialog result OK, after its handler
  CancelButton,   // Escape; the dialog result Cancel, no handler
};

struct EditorControlEntry {
  EditorControlKind kind;
  const char* name;  // the designer name; every control sits on the dialog itself
  ControlRect rect;
  const char* caption;                   // UTF-8; "" for none
  int tab_order;                         // kNoTabOrder for none
  int font_height = kProgramFontHeight;  // in pixels at 96 dpi
};

// In the order of the dialog's members.
inline constexpr std::array<EditorControlEntry, 9> kPresetEditorControls = {{
    {EditorControlKind::DefaultButton, "OKBtn", {255, 264, 75, 37}, "保存終了", 0},
    {EditorControlKind::CancelButton, "CancelBtn", {343, 264, 75, 37}, "キャンセル", 1},
    {EditorControlKind::FrameBevel, "Bevel1", {8, 8, 409, 249}, "", kNoTabOrder},
    {EditorControlKind::Grid, "StringGrid1", {16, 40, 385, 193}, "", 2},
    {EditorControlKind::Label, "Label1", {24, 24, 96, 12}, "分割リスト(表示用)", kNoTabOrder},
    {EditorControlKind::Label, "Label2", {256, 24, 34, 12}, "サイズ", kNoTabOrder},
    {EditorControlKind::BoxBevel, "Bevel2", {8, 264, 233, 41}, "", kNoTabOrder},
    {EditorControlKind::Label,
     "Label3",
     {16, 272, 149, 12},
     "次回起動時に有効になります",
     kNoTabOrder},
    {EditorControlKind::Label,
     "Label4",
     {24, 288, 139, 11},
     "(バイト単位で入力してください)",
     kNoTabOrder,
     11},
}};

// StringGrid1: kPresetGridColumns columns of these widths by kPresetGridRows
// rows of this height, no heading rows or columns.
inline constexpr std::array<int, kPresetGridColumns> kPresetGridColumnWidths = {233, 125};
inline constexpr int kPresetGridRowHeight = 18;

}  // namespace morvick
