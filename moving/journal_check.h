#pragma once

// The check of a journal against its own plan before an undo moves anything.

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

}  // namespace morvick
