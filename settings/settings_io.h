#pragma once

// The settings file: loaded while the main window is created, saved when the
// user closes it and answers Yes.

#include "common/prompter.h"
#include "settings/settings_values.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvick {

inline constexpr const char* kSettingsSection = "Settings";
inline constexpr const char* kClosePromptText =
    "保存して終了しますか？[はい] 保存して終了 / [いいえ] 保存せず終了 / [キャンセル] 戻る";

// The twelve keys of `ini_path` with their defaults and clamps. A missing or
// unreadable file gives the defaults.
SettingsValues LoadSettings(const std::string& ini_path);

// The start number a save stores for SpinEdit1's text, which may hold anything
// the user typed: the integer it holds by the settings file's rule, or 1 (the
// box's minimum) when it holds none.
std::int32_t SeqOfTypedText(std::string_view text);

// One key of the settings file with the text stored for it.
struct SettingsEntry {
  const char* key;
  std::string value;
};

// The twelve keys, in file order, with the texts a save stores. Seq includes
// `volume_rows`, the rows of ListView2, when seq_flag is set.
std::vector<SettingsEntry> SettingsEntries(const SettingsValues& values, int volume_rows);

// Creates the settings folder when missing, then writes the twelve keys, in
// order. Stops at the first key that cannot be written and raises
// morvick::Error "<ini_path> に書き込めません"; keys written before it stay written.
void SaveSettings(const SettingsValues& values, int volume_rows, const std::string& ini_path);

// TForm1::FormCloseQuery: asks the close prompt and returns CanClose. Yes saves
// and returns true, No returns true without touching the file, Cancel returns
// false. A failed save raises morvick::Error (from SaveSettings); the window
// must then stay open, as for Cancel, and show the error box.
bool FormCloseQuery(const SettingsValues& values, int volume_rows, Prompter& prompter,
                    const std::string& ini_path);

}  // namespace morvick
