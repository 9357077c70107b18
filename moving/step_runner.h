#pragma once

// The one runner of the steps of a move and of its undos. Every rename it
// makes is recorded in the move's journal before (its intent) and after (its
// outcome), so that a crash at any point leaves a journal from which the rest
// is taken back. Move, the window's Undo and the undo of a journal all run
// their steps here.

#include "common/prompter.h"
#include "moving/journal.h"
#include "moving/journal_writer.h"
#include "moving/move_step.h"
#include "platform/file_mover.h"

#include <vector>

namespace morvick {

// How many entries a command moved (out or back) and how many stayed where
// they were: every entry it tried counts once, in one of the two.
struct MoveCounts {
  int moved = 0;
  int failed = 0;
};

class StepRunner {
 public:
  StepRunner(Prompter& prompter, platform::FileMover& mover, JournalWriter& journal)
      : prompter_(prompter), mover_(mover), journal_(journal) {}

  // Moves one entry out of the input folder. A volume folder that is a link
  // or a file is refused before anything is written.
  bool MoveOut(MoveStep step);
  // Takes back one step of the move, and marks it in `step` as the journal
  // now tells it. An entry found back already counts as back only when an
  // earlier undo wrote its intent for this very step (it was killed before
  // its outcome); otherwise it is a failure.
  bool TakeBack(JournalStep& step);
  // An entry the command tried and could not move (a name that is not one
  // path component).
  void Fail();
  // An entry of the plan for which the move recorded nothing to take back
  // (it never moved, or is back already): `back` is the undo it would be.
  // Whatever is at its place in the volume folder is not the move's, and stays.
  void FailWithoutStep(const MoveStep& back);

  const MoveCounts& counts() const { return counts_; }

 private:
  bool Counted(bool moved);
  // A volume folder that is a link or a file would lead the entry elsewhere.
  bool VolumeFolderUsable(const std::string& folder);

  Prompter& prompter_;
  platform::FileMover& mover_;
  JournalWriter& journal_;
  MoveCounts counts_;
};

// The steps the move took out of the input folder that no undo has brought
// back yet, newest first. A step without an outcome (the move was killed
// around its rename) whose entry is still in the input folder never moved.
std::vector<JournalStep*> StepsToTakeBack(Journal& journal, platform::FileMover& mover);

// The text shown after every entry whose move failed, and at the end of a command.
inline constexpr const char* kMoveFailedText = "フォルダの移動に失敗しました。";
inline constexpr const char* kMovedText = "フォルダを移動しました。";

}  // namespace morvick
