#pragma once

// The journals' life outside one window's Move and Undo: the undo of a
// journal (morvick-cli undo, and the window's recovery at start), finding
// the window's moves and undos that were cut short, and declining one. Results
// come back as data; each front end words them.

#include "common/prompter.h"
#include "moving/journal.h"
#include "moving/journal_files.h"
#include "moving/step_runner.h"
#include "platform/file_mover.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace morvick {

// What an undo of a journal shows before it asks.
struct JournalUndoPreview {
  const JournalPlan& plan;
  std::size_t steps_to_take_back;
  std::size_t damaged_line;  // only the steps before it are taken back (0: not damaged)
};

struct JournalUndoOptions {
  // Asked once the journal has passed its checks, before anything changes;
  // false ends the undo with nothing changed. Not set: nothing is asked (the
  // window's recovery asks its own question first).
  std::function<bool(const JournalUndoPreview&)> confirm;
  std::function<bool()> stop_requested;  // looked at between two entries
  platform::FileMover* mover = nullptr;  // null: the real file system
};

struct JournalUndoReport {
  enum class Status {
    Done,          // everything taken back; the journal is marked undone
    Refused,       // refused or declined: nothing changed
    SomeFailed,    // some entries or folders could not be taken back
    Interrupted,   // stopped between two steps; running it again finishes it
    NothingMoved,  // the move was stopped before its plan was written whole
  };
  enum class Refusal {
    None,
    Unreadable,     // `detail` says why
    NotPrivate,     // another user's, or others may write it; `detail` says so
    Busy,           // a move or an undo holds it
    AlreadyUndone,  // nothing left to take back
    NotItsPlan,     // a step does not match the plan; `detail` says which
    TwoDrives,      // the folders are no longer on one file system
    Declined,       // the question was answered no
  };
  Status status = Status::Refused;
  Refusal refusal = Refusal::None;
  std::string detail;
  MoveCounts counts;        // entries taken back and entries that stayed out
  int folder_failures = 0;  // folders the move made that could not be removed
  JournalPlan plan;         // as the journal tells it (once read)
};

// Takes back the move a journal records. Before anything moves, every step is
// checked against the journal's plan; a journal that fails is refused whole.
// It then moves back exactly what the journal shows as still out, newest
// first, records every step of it in the same journal, removes the folders
// the move created once they are empty, and marks the journal undone when
// every entry is back.
JournalUndoReport UndoJournal(const std::string& journal_path, Prompter& prompter,
                              const JournalUndoOptions& options);

// Records that the user declined to take back an interrupted window journal,
// so that it is not offered again. False when it is busy or cannot be written.
bool DeclineRecovery(const std::string& journal_path);

// The window's texts: the question of its start-up offer for one journal cut
// short, and what came of taking it back.
std::string RecoveryQuestion(const InterruptedJournal& journal);
std::string RecoveryResultText(const JournalUndoReport& report);

// The window's start-up offer: for every window move and undo of
// `journal_folder` that was cut short, newest first, asks whether to take it
// back, does so on Yes and says what came of it, and records a No.
void OfferRecovery(const std::string& journal_folder, Prompter& prompter);

}  // namespace morvick
