#pragma once

// Where the settings file and the preset file live: beside the executable when
// a file of that name is already there (portable use), otherwise in the user's
// configuration folder. The shipped presets are read while the user has no
// preset file of their own; the editor always saves to the user's file.

#include <string>
#include <string_view>
#include <vector>

namespace morvick {

inline constexpr const char* kSettingsFileName = "morvick.ini";
inline constexpr const char* kPresetFileName = "morvick.dat";
inline constexpr const char* kShippedPresetFileName = "presets.dat";

// The user's configuration folder (platform::UserConfigFolder).
std::string ConfigFolder();

// `file_name` beside the executable when it exists there (or, on Windows, when
// the executable's folder is writable), else in the configuration folder. Either folder may be
// given as "" (unknown).
std::string ResolveConfigFile(std::string_view file_name, const std::string& executable_folder,
                              const std::string& config_folder);

// The settings file and the user's own preset file, for this process.
std::string SettingsFilePath();
std::string PresetFilePath();

// The folders searched for the shipped preset file, in order: the data folder
// of an installation relative to the executable, the installed data folder,
// and the source tree's data folder (running from a build tree).
std::vector<std::string> ShippedDataFolders();

// The first shipped preset file that exists, "" when none does.
std::string ShippedPresetFilePath();

// The preset file that the main window and the editor read: the user's own
// when it exists, else the shipped one when that exists, else the user's path
// (which then gives the header only and an empty grid).
std::string PresetReadPath(const std::string& user_preset_path,
                           const std::string& shipped_preset_path);
std::string PresetReadPath();

// The HTML help: morvick.html beside the executable when it is there, else
// help/index.html in the first shipped data folder that has one, else the
// first of these paths (whose viewer then reports it missing).
std::string HelpFilePath();

}  // namespace morvick
