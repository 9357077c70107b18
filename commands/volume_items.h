#pragma once

// What a drag of one volume out of the volume list carries: the items of that
// volume's folder below the output folder, each checked to be there.

#include "engine/entry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace morvick {

// The names of the entries of `volume`, in plan order.
std::vector<std::string> VolumeEntryNames(const EntryList& entries, std::int32_t volume);

// The paths of the items `names` of `folder`, in order; empty when `names` is.
// Raises Error "'<path>' をドラッグできません: <the system's reason>" when the
// folder or one of the items does not exist (a dangling link counts as there:
// the drop copies the link itself).
std::vector<std::string> VolumeItemPaths(const std::string& folder,
                                         const std::vector<std::string>& names);

}  // namespace morvick
