#pragma once

// The one runner of the steps of a move and of its undos. Every rename it
// makes is recorded in the move's journal before (its intent) and after (its
// outcome), so that a crash at any point leaves a journal from which the rest
// is taken back. Every rename goes between held folders, and only while each
// of them is still where its path says. Move, the window's Undo and the undo
// of a journal all run their steps here.

#include "common/prompter.h"
#include "moving/held_folders.h"
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
  StepRunner(Prompter& prompter, platform::FileMover& mover, JournalWriter& journal,
             HeldFolders& folders, const VolumeNaming& naming)
      : prompter_(prompter), mover_(mover), journal_(journal), folders_(folders), naming_(naming) {}

  // Moves one entry out of the input folder. A volume folder that is a link
  // or a file, and a folder whose path names something else than the folder
  // held for it, are refused before anything is written; since then, before
  // the rename.
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
  // False, after a message naming it, when the input or the output folder's
  // path now names something else (a folder that is gone is left to the
  // step, which finds its entry missing then).
  bool FoldersUsable();
  // The volume folder of `step`, when it exists; a link or a file there
  // would lead the entry elsewhere and is refused, naming it.
  bool VolumeUsable(const MoveStep& step, const platform::HeldFolder*& volume);
  // The renames themselves, after the intent; true when the entry moved.
  // `volume` is the volume folder when it was there before the intent.
  bool MoveOutNow(const MoveStep& step, const platform::HeldFolder* volume);
  bool MoveBackNow(const MoveStep& back, const platform::HeldFolder* volume);
  // The first of the step's folders whose path no longer names it: the input
  // folder when `input`, then the output and the volume folder when
  // `output`; "" when they are all in place.
  std::string FolderMoved(const MoveStep& step, bool input, bool output);
  // True when every folder of the step is still where its path says;
  // otherwise shows why the step cannot go on, naming the folder.
  bool StillInPlace(const MoveStep& step);
  // After a rename into `to`: when the folder it landed in (or the output
  // folder around it) is no longer where its path says, the entry goes back
  // into `from` at once and the step counts as failed. True when it stays.
  bool Landed(const MoveStep& step, const platform::HeldFolder& from,
              const platform::HeldFolder& to, Direction direction);
  bool Exists(const platform::HeldFolder* folder, const std::string& name);

  Prompter& prompter_;
  platform::FileMover& mover_;
  JournalWriter& journal_;
  HeldFolders& folders_;
  const VolumeNaming& naming_;
  MoveCounts counts_;
  bool input_missing_ = false;  // as FoldersUsable found the input folder
};

// The steps the move took out of the input folder that no undo has brought
// back yet, newest first. A step without an outcome (the move was killed
// around its rename) whose entry is still in the held input folder never moved.
std::vector<JournalStep*> StepsToTakeBack(Journal& journal, platform::FileMover& mover,
                                          HeldFolders& folders);

// The text naming a folder whose path no longer names the folder held for it.
std::string FolderChangedText(const std::string& folder);

// The text shown after every entry whose move failed, and at the end of a command.
inline constexpr const char* kMoveFailedText = "フォルダの移動に失敗しました。";
inline constexpr const char* kMovedText = "フォルダを移動しました。";

}  // namespace morvick
