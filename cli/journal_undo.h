#pragma once

// `undo`: takes back the move a journal records. It moves back exactly what
// the journal shows as moved, newest first, never replacing anything in the
// input folder, then removes the folders the move created once they are empty,
// and marks the journal undone. An entry whose intent was written but whose
// outcome was not (the move was killed in between) is judged by the disk.

#include "common/prompter.h"
#include "platform/file_mover.h"

#include <string>

namespace morvick::cli {

// Returns the exit status: 0 all taken back, 1 refused or declined (nothing
// changed), 3 some entries or folders failed, 130 interrupted by Ctrl-C.
int UndoFromJournal(const std::string& journal_path, Prompter& prompter, bool quiet,
                    platform::FileMover& mover = platform::RealFileMover());

}  // namespace morvick::cli
