#pragma once

// What a drag of one volume out of the volume list carries: the items of that
// volume's folder below the output folder, each checked to be there.

#include "engine/entry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace morvick {

// Whether the pointer, pressed at the origin, has moved far enough to start a
// drag: 5 pixels or more from it in x or in y.
bool FarEnoughToDrag(std::int64_t x, std::int64_t y, std::int64_t origin_x, std::int64_t origin_y);

// The names of the entries of `volume`, in plan order.
std::vector<std::string> VolumeEntryNames(const EntryList& entries, std::int32_t volume);

// The paths of the items `names` of `folder`, in order; empty when `names` is.
// Raises Error "'<path>' をドラッグできません: <the system's reason>" when the
// folder or one of the items does not exist (a dangling link counts as there:
// the drop copies the link itself).
std::vector<std::string> VolumeItemPaths(const std::string& folder,
                                         const std::vector<std::string>& names);

}  // namespace morvick
