#pragma once

// One step of a move or an undo: one entry between the input folder and its
// volume folder. Every path of a step is derived here, from the fixed folders,
// the naming and the entry, and nowhere else.

#include "moving/folder_paths.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvick {

enum class Direction { Out, Back };

struct MoveStep {
  std::int32_t volume = 0;
  std::string name;
  std::string volume_folder;  // the name of the volume's folder below the output folder
  std::string source;
  std::string destination;
  // The folders the rename will create, outermost first (filled in just
  // before it runs, since they depend on what exists then).
  std::vector<std::string> creates;
};

// The folder of volume `volume` below the output folder; nullopt when the
// naming gives no single path component.
std::optional<std::string> VolumeFolderPath(const FixedFolders& folders, const VolumeNaming& naming,
                                            std::int32_t volume);

// The step of entry `name` of volume `volume`: from the input folder into its
// volume folder (Out), or back (Back). nullopt when the entry name or the
// volume folder name is not a single path component.
std::optional<MoveStep> MakeMoveStep(const FixedFolders& folders, const VolumeNaming& naming,
                                     std::int32_t volume, std::string_view name,
                                     Direction direction);

}  // namespace morvick
