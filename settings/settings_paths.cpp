#include "settings/settings_paths.h"

#include "platform/home_folder.h"
#include "settings/file_io.h"

#include <unistd.h>

#include <cstdlib>

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

std::string ExecutableFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return std::string();
    if (static_cast<std::size_t>(length) < buffer.size()) {
      const std::string path(buffer.data(), static_cast<std::size_t>(length));
      const auto slash = path.rfind('/');
      if (slash == std::string::npos) return std::string();
      return slash == 0 ? std::string("/") : path.substr(0, slash);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string ConfigFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/') {
    return std::string(xdg) + "/morvick";
  }
  const std::string home = platform::HomeFolder();
  // Without any home the files go to the working folder rather than to "/".
  return (home.empty() ? std::string(".") : home) + "/.config/morvick";
}

std::string ResolveConfigFile(std::string_view file_name, const std::string& executable_folder,
                              const std::string& config_folder) {
  if (!executable_folder.empty()) {
    std::string beside = executable_folder;
    if (beside.back() != '/') beside += '/';
    beside += file_name;
    if (FileExists(beside)) return beside;
  }
  std::string folder = config_folder.empty() ? std::string(".") : config_folder;
  if (folder.back() != '/') folder += '/';
  return folder + std::string(file_name);
}

std::string SettingsFilePath() {
  return ResolveConfigFile(kSettingsFileName, ExecutableFolder(), ConfigFolder());
}

std::string PresetFilePath() {
  return ResolveConfigFile(kPresetFileName, ExecutableFolder(), ConfigFolder());
}

std::vector<std::string> ShippedDataFolders() {
  std::vector<std::string> folders;
  if (const std::string executable = ExecutableFolder(); !executable.empty()) {
    folders.push_back(executable + "/../" + MORVICK_RELATIVE_DATA_DIR);
  }
  for (const char* folder : {MORVICK_INSTALLED_DATA_DIR, MORVICK_SOURCE_DATA_DIR}) {
    if (*folder != '\0') folders.emplace_back(folder);
  }
  return folders;
}

std::string ShippedPresetFilePath() {
  for (const std::string& folder : ShippedDataFolders()) {
    std::string candidate = folder + "/" + kShippedPresetFileName;
    if (FileExists(candidate)) return candidate;
  }
  return std::string();
}

std::string PresetReadPath(const std::string& user_preset_path,
                           const std::string& shipped_preset_path) {
  if (FileExists(user_preset_path)) return user_preset_path;
  if (!shipped_preset_path.empty() && FileExists(shipped_preset_path)) return shipped_preset_path;
  return user_preset_path;
}

std::string PresetReadPath() { return PresetReadPath(PresetFilePath(), ShippedPresetFilePath()); }

}  // namespace morvick
