#include "commands/path_rules.h"
#include "common/path_messages.h"
#include "platform/folders.h"

namespace morvick {

std::string PosixPathRules::WithTrailingBackslash(std::string_view path) const {
  std::string result(path);
  if (!result.empty() && result.back() != '/') result += '/';
  return result;
}

bool PosixPathRules::CheckPathSyntax(Prompter& prompter, std::string_view text,
                                     std::string_view label) const {
  if (text.empty() || text.front() != '/')
    return path_messages::RefuseSyntax(prompter, label, path_messages::kNotAbsolute);
  if (text.find_first_not_of('/') == std::string_view::npos) {
    return path_messages::RefuseSyntax(prompter, label, path_messages::kRoot);
  }
  return true;
}

bool PosixPathRules::CheckFolderPair(Prompter& prompter, std::string_view input,
                                     std::string_view output, PairCommand /*command*/) const {
  // An empty or relative input would be taken against the working folder; as on
  // Windows, where it has no drive, it cannot be paired with the output.
  if (input.empty() || input.front() != '/') {
    prompter.ShowMessage(path_messages::kSameDrive);
    return false;
  }
  const std::string input_path = WithTrailingBackslash(input);
  const std::string output_path = WithTrailingBackslash(output);
  if (input_path == output_path || platform::IsSameDirectory(input_path, output_path)) {
    prompter.ShowMessage(path_messages::kSameFolder);
    return false;
  }
  // Both commands move by rename, which only works within one file system.
  if (!platform::IsSameFileSystem(std::string(input), std::string(output))) {
    prompter.ShowMessage(path_messages::kSameDrive);
    return false;
  }
  return true;
}

bool PosixPathRules::IsExistingFolder(const std::string& path) const {
  return platform::IsExistingFolder(path);
}

#ifndef _WIN32
const PathRules& PlatformPathRules() {
  static const PosixPathRules rules;
  return rules;
}
#endif

}  // namespace morvick
