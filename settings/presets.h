#pragma once

// The preset file: one named split size per line, two comma-separated fields
// (display name, size in bytes). Read by the main window's drop-down and by the
// preset editor, written by the editor.

#include "common/prompter.h"
#include "settings/comma_line.h"
#include "settings/settings_form.h"

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

// Main window, second part of FormCreate: clears `preset_names`, adds the header
// to ComboBox2 and to `preset_names`, selects item 0, then adds every qualifying
// line of the preset file at `path`. Raises as ReadPresetLines does, after the
// header is in place.
void LoadPresetList(PresetListForm& form, std::vector<std::string>& preset_names,
                    const std::string& path);

// ComboBox2Change: `chosen_item_text` is the text of the chosen ComboBox2 item
// (a size). Unless it is the header, puts it into Edit1 and selects "bytes".
void ComboBox2Change(SettingsForm& form, std::string_view chosen_item_text);

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
