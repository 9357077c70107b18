#include "moving/move_step.h"

#include "platform/real_path.h"

#include <cerrno>

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
  const std::optional<std::string> volume_folder = VolumeFolderPath(folders, naming, volume);
  if (!volume_folder) return std::nullopt;
  std::string in_input = platform::JoinPath(folders.input, name);
  std::string in_volume = platform::JoinPath(*volume_folder, name);
  MoveStep step;
  step.volume = volume;
  step.name = std::string(name);
  step.source = direction == Direction::Out ? std::move(in_input) : std::move(in_volume);
  step.destination = direction == Direction::Out ? std::move(in_volume) : std::move(in_input);
  return step;
}

std::vector<std::string> MissingFolders(platform::FileMover& mover,
                                        const std::string& destination) {
  std::vector<std::string> missing;
  for (std::string folder = platform::ParentFolder(destination);
       !platform::IsRootPath(folder) && folder != "."; folder = platform::ParentFolder(folder)) {
    if (mover.Probe(folder) != ENOENT) break;
    missing.insert(missing.begin(), folder);
  }
  return missing;
}

}  // namespace morvick
