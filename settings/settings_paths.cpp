#include "settings/settings_paths.h"

#include "platform/file_io.h"
#include "platform/known_folders.h"
#include "platform/real_path.h"

#ifndef MORVICK_RELATIVE_DATA_DIR
#define MORVICK_RELATIVE_DATA_DIR "share/morvick"
#endif
#ifndef MORVICK_INSTALLED_DATA_DIR
#define MORVICK_INSTALLED_DATA_DIR ""
#endif
#ifndef MORVICK_SOURCE_DATA_DIR
#define MORVICK_SOURCE_DATA_DIR ""
#endif

namespace morvick {

std::string ConfigFolder() { return platform::UserConfigFolder(); }

std::string ResolveConfigFile(std::string_view file_name, const std::string& executable_folder,
                              const std::string& config_folder) {
  if (!executable_folder.empty()) {
    std::string beside = platform::JoinPath(executable_folder, file_name);
    if (platform::FileExists(beside) || platform::MakesFilesBesideExecutable(executable_folder))
      return beside;
  }
  return platform::JoinPath(config_folder.empty() ? std::string(".") : config_folder, file_name);
}

std::string SettingsFilePath() {
  return ResolveConfigFile(kSettingsFileName, platform::ExecutableFolder(), ConfigFolder());
}

std::string PresetFilePath() {
  return ResolveConfigFile(kPresetFileName, platform::ExecutableFolder(), ConfigFolder());
}

std::vector<std::string> ShippedDataFolders() {
  std::vector<std::string> folders;
  if (const std::string executable = platform::ExecutableFolder(); !executable.empty()) {
    folders.push_back(
        platform::JoinPath(platform::JoinPath(executable, ".."), MORVICK_RELATIVE_DATA_DIR));
  }
  for (const char* folder : {MORVICK_INSTALLED_DATA_DIR, MORVICK_SOURCE_DATA_DIR}) {
    if (*folder != '\0') folders.emplace_back(folder);
  }
  return folders;
}

std::string ShippedPresetFilePath() {
  for (const std::string& folder : ShippedDataFolders()) {
    std::string candidate = platform::JoinPath(folder, kShippedPresetFileName);
    if (platform::FileExists(candidate)) return candidate;
  }
  return std::string();
}

std::string PresetReadPath(const std::string& user_preset_path,
                           const std::string& shipped_preset_path) {
  if (platform::FileExists(user_preset_path)) return user_preset_path;
  if (!shipped_preset_path.empty() && platform::FileExists(shipped_preset_path))
    return shipped_preset_path;
  return user_preset_path;
}

std::string PresetReadPath() { return PresetReadPath(PresetFilePath(), ShippedPresetFilePath()); }

std::string HelpFilePath() {
  std::vector<std::string> candidates;
  if (const std::string executable = platform::ExecutableFolder(); !executable.empty()) {
    candidates.push_back(platform::JoinPath(executable, "morvick.html"));
  }
  for (const std::string& folder : ShippedDataFolders()) {
    candidates.push_back(platform::JoinPath(platform::JoinPath(folder, "help"), "index.html"));
  }
  for (const std::string& candidate : candidates) {
    if (platform::FileExists(candidate)) return candidate;
  }
  return candidates.empty() ? std::string("index.html") : candidates.front();
}

}  // namespace morvick
