#pragma once

// The settings file: loaded into the main window's controls while the window
// is created, saved from them when the user closes it and answers Yes.

#include "common/prompter.h"
#include "settings/settings_form.h"

#include <string>
#include <vector>

namespace morvick {

inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kClosePromptText =
    "保存して終了しますか？[はい] 保存して終了 / [いいえ] 保存せず終了 / [キャンセル] 戻る";

// The first part of TForm1::FormCreate: clears the state flags (through the
// form) and loads the eleven keys from `ini_path` into the controls, with their
// defaults and clamps. A missing or unreadable file gives the defaults.
void LoadSettings(SettingsForm& form, const std::string& ini_path);

// One key of the settings file with the text stored for it.
struct SettingsEntry {
  const char* key;
  std::string value;
};

// The eleven keys, in file order, with the values a save stores from the
// controls (Seq includes the rows of ListView2 when CheckBox1 is ticked).
std::vector<SettingsEntry> SettingsEntries(const SettingsForm& form);

// Creates the settings folder when missing, then writes the eleven keys from
// the controls, in order. Stops at the first key
// that cannot be written and raises morvick::Error "<ini_path> に書き込めません";
// keys written before it stay written.
void SaveSettings(const SettingsForm& form, const std::string& ini_path);

// TForm1::FormCloseQuery: asks the close prompt and returns CanClose. Yes saves
// and returns true, No returns true without touching the file, Cancel returns
// false. A failed save raises morvick::Error (from SaveSettings); the window
// must then stay open, as for Cancel, and show the error box.
bool FormCloseQuery(const SettingsForm& form, Prompter& prompter, const std::string& ini_path);

}  // namespace morvick
