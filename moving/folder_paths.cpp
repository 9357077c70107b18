#include "moving/folder_paths.h"

#include "common/path_messages.h"
#include "engine/naming.h"
#include "platform/folders.h"
#include "platform/real_path.h"

namespace morvick {

bool IsPathComponent(std::string_view name) { return platform::IsPlainName(name); }

std::optional<FixedFolders> FixFolders(Prompter& prompter, std::string_view input_text,
                                       std::string_view output_text) {
  // An input that is not absolute would be taken against the program's working
  // folder; the pair rule refuses it as it refuses a different drive.
  if (!platform::IsAbsolutePath(input_text)) {
    prompter.ShowMessage(path_messages::kSameDrive);
    return std::nullopt;
  }
  std::optional<std::string> input = platform::RealFolderPath(input_text);
  std::optional<std::string> output = platform::RealFolderPath(output_text);
  if (!input || !output) {
    prompter.ShowMessage("フォルダを開けません: " + std::string(!input ? input_text : output_text));
    return std::nullopt;
  }
  if (*input == *output) {
    prompter.ShowMessage(path_messages::kSameFolder);
    return std::nullopt;
  }
  if (!platform::IsSameFileSystem(*input, *output)) {
    prompter.ShowMessage(path_messages::kSameDrive);
    return std::nullopt;
  }
  return FixedFolders{std::move(*input), std::move(*output)};
}

std::string VolumeNaming::FolderName(std::int32_t volume) const {
  return VolumeFolderName(volume, base_name, digits, start_number);
}

}  // namespace morvick
