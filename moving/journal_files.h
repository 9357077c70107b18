#pragma once

// Where journals are kept and how they are found again.

#include "moving/journal.h"

#include <string>
#include <vector>

namespace morvick {

// The folder of the journals: $XDG_STATE_HOME/morvick when that is an absolute
// path, else ~/.local/state/morvick. It is made private (0700) when created.
std::string DefaultJournalFolder();

// A new file name in `folder` for a move that starts now. Raises Error when
// `folder` is something other than a folder, or no free name is found.
std::string NewJournalPath(const std::string& folder);

// A journal of the window that was cut short: its move (no end record) or one
// of its undos (begun and never ended). Neither undone nor declined by the
// user, and held by no running move or undo.
struct InterruptedJournal {
  std::string path;
  bool undo = false;  // an undo was cut short (else the move itself)
  Journal journal;
};

// Every such journal in `folder`, newest first.
std::vector<InterruptedJournal> FindInterruptedWindowJournals(const std::string& folder);

}  // namespace morvick
