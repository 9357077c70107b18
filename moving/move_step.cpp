#include "moving/move_step.h"

#include "platform/real_path.h"

namespace morvick {

std::optional<std::string> VolumeFolderPath(const FixedFolders& folders, const VolumeNaming& naming,
                                            std::int32_t volume) {
  const std::string folder_name = naming.FolderName(volume);
  if (!IsPathComponent(folder_name)) return std::nullopt;
  return platform::JoinPath(folders.output, folder_name);
}

std::optional<MoveStep> MakeMoveStep(const FixedFolders& folders, const VolumeNaming& naming,
                                     std::int32_t volume, std::string_view name,
                                     Direction direction) {
  if (!IsPathComponent(name)) return std::nullopt;
  std::string folder_name = naming.FolderName(volume);
  if (!IsPathComponent(folder_name)) return std::nullopt;
  std::string in_input = platform::JoinPath(folders.input, name);
  std::string in_volume = platform::JoinPath(platform::JoinPath(folders.output, folder_name), name);
  MoveStep step;
  step.volume = volume;
  step.name = std::string(name);
  step.volume_folder = std::move(folder_name);
  step.source = direction == Direction::Out ? std::move(in_input) : std::move(in_volume);
  step.destination = direction == Direction::Out ? std::move(in_volume) : std::move(in_input);
  return step;
}

}  // namespace morvick
