#pragma once

// Takes back the move a journal records. Before anything moves, every step is
// checked against the journal's plan; a journal that fails is refused whole.
// It then moves back exactly what the journal shows as moved, newest first,
// never replacing anything in the input folder, removes the folders the move
// created once they are empty, and marks the journal undone. An entry whose
// intent was written but whose outcome was not (the move was killed in
// between) is judged by the disk.

#include "common/prompter.h"
#include "moving/journal.h"
#include "moving/move_engine.h"
#include "platform/file_mover.h"

#include <string>

namespace morvick {

struct JournalUndoResult {
  enum class Status {
    Done,          // everything taken back
    Refused,       // refused or declined: nothing changed
    SomeFailed,    // some entries or folders could not be taken back
    Interrupted,   // stopped between two steps; running it again finishes it
    NothingMoved,  // the move was stopped before its plan was written whole
  };
  Status status = Status::Refused;
  int restored = 0;  // entries moved back by this run
  Journal journal;   // as read (empty when it could not be read)
};

// `ask`: ask "よろしいですか？" before anything moves (the window's recovery
// asks its own question first and passes false).
JournalUndoResult UndoJournal(const std::string& journal_path, Prompter& prompter, MoveHost& host,
                              bool ask, platform::FileMover& mover = platform::RealFileMover());

// Reads a journal without changing it; nullopt when it cannot be read or is
// not a journal.
std::optional<Journal> ReadJournal(const std::string& journal_path);

// The newest journal in `folder` of a move made by the window that was cut
// short (no end record) and neither undone nor declined by the user, and that
// no running move holds. nullopt when there is none.
std::optional<std::string> FindInterruptedWindowMove(const std::string& folder);

// Appends one record (such as "recovery-declined") to a journal that no move
// or undo holds. False when the journal is busy or cannot be written.
bool AppendToJournal(const std::string& journal_path, const Json& record);

}  // namespace morvick
