#pragma once

// The check of a journal against its own plan before an undo moves anything.

#include "moving/held_folders.h"
#include "moving/journal.h"

#include <optional>
#include <string>

namespace morvick {

// The folders must be absolute, canonical and still lead where they say (no
// link on the way), each step's source and destination exactly the paths the
// plan implies for that entry, and each created or removed folder one of the
// plan's volume folders, the output folder or a parent of it. Returns the
// first fault, in words, or nullopt.
std::optional<std::string> CheckJournalAgainstPlan(const Journal& journal);

// The same check on the folders held for an undo, run once more after its
// question, right before its first step: they must be the plan's folders,
// and each path must still name the folder held for it (the nearest existing
// ancestor of one that does not exist), so that the folders the check saw are
// the folders the steps act on.
std::optional<std::string> CheckJournalAgainstPlan(const Journal& journal,
                                                   const HeldFolders& folders);

}  // namespace morvick
