#pragma once

// `undo`: takes back the move a journal records, through the move engine.

#include "common/prompter.h"
#include "platform/file_mover.h"

#include <string>

namespace morvick::cli {

// Returns the exit status: 0 all taken back, 1 refused or declined (nothing
// changed), 3 some entries or folders failed, 130 interrupted by Ctrl-C.
int UndoFromJournal(const std::string& journal_path, Prompter& prompter, bool quiet,
                    platform::FileMover& mover = platform::RealFileMover());

}  // namespace morvick::cli
