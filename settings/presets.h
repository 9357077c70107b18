#pragma once

// The preset file: one named split size per line, two comma-separated fields
// (display name, size in bytes). Read by the main window's drop-down and by the
// preset editor, written by the editor.

#include "common/prompter.h"
#include "settings/comma_line.h"
#include "settings/settings_values.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvick {

// Entry 0 of ComboBox2 and of PresetNames: a half-width blank and an
// ideographic blank (U+3000) stand before the arrows.
inline constexpr const char* kPresetHeaderText = "<分割サイズ一覧> \u3000↑↑↑";
inline constexpr const char* kPresetSaveQuestion = "保存しますか？";

// The lines of the preset file; an empty list when the file does not exist.
// Raises morvick::Error "ファイル <path> は開けません" when it exists but cannot
// be read.
std::vector<std::string> ReadPresetLines(const std::string& path);

// True for a field that counts as empty: "" or a single blank.
bool IsEmptyPresetField(std::string_view field);

// The main window's preset drop-down ComboBox2: its items hold the size
// texts, the display names run parallel in PresetNames. Both begin with the
// header, which is selected.
struct PresetList {
  std::vector<std::string> size_texts;
  std::vector<std::string> names;
  // The message of a preset file that exists but cannot be read, "" otherwise;
  // the list then holds the header only.
  std::string error;
};

// Main window, second part of FormCreate: the header, then every line of the
// preset file at `path` with both a name and a size.
PresetList LoadPresetList(const std::string& path);

// What choosing an item of ComboBox2 puts into the controls: its size text into
// Edit1 and the unit "bytes" into ComboBox1.
struct PresetChoice {
  std::string size_text;
  int unit = kUnitBytes;
};

// ComboBox2Change: `chosen_item_text` is the text of the chosen ComboBox2 item
// (a size). The header chooses nothing.
std::optional<PresetChoice> ComboBox2Change(std::string_view chosen_item_text);

// The preset editor's grid StringGrid1: kPresetGridColumns columns by
// kPresetGridRows rows of editable text. Cells are addressed by the position
// shown on screen at that moment (the user may drag rows and columns around).
inline constexpr int kPresetGridColumns = 2;
inline constexpr int kPresetGridRows = 20;

class PresetGrid {
 public:
  virtual ~PresetGrid() = default;

  virtual std::string Cell(int column, int row) const = 0;
  virtual void SetCell(int column, int row, const std::string& text) = 0;
};

// The editor's FormCreate: fills the grid from lines 0 to 19 of the preset file.
// Raises as ReadPresetLines does (the grid then stays as it was).
void LoadPresetGrid(PresetGrid& grid, const std::string& path);

// Writes the 20 grid rows to `path` atomically, each line ended by CR LF.
// Raises morvick::Error "ファイル <path> を作成できません" when it cannot, with the
// old file left as it was.
void SavePresetGrid(const PresetGrid& grid, const std::string& path);

// The editor's OKBtnClick: asks "保存しますか？" and saves unless the answer is
// No; returns whether it saved. Raises as SavePresetGrid does. The dialog
// closes with the result OK in every case, also after an error.
bool OKBtnClick(const PresetGrid& grid, Prompter& prompter, const std::string& path);

}  // namespace morvick
