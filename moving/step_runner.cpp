#include "moving/step_runner.h"

#include "platform/real_path.h"

#include <cerrno>

namespace morvick {
namespace {

using platform::FolderState;
using platform::HeldFolder;

std::string NotAFolderText(const std::string& folder) {
  return "'" + folder + "' はフォルダではない為、使えません。";
}

}  // namespace

std::string FolderChangedText(const std::string& folder) {
  return "'" + folder + "' は確認した後で移動されたか置き換えられた為、使えません。";
}

bool StepRunner::Counted(bool moved) {
  if (moved) {
    ++counts_.moved;
  } else {
    Fail();
  }
  return moved;
}

void StepRunner::Fail() {
  ++counts_.failed;
  prompter_.ShowMessage(kMoveFailedText);
}

bool StepRunner::Exists(const HeldFolder* folder, const std::string& name) {
  return folder && mover_.Probe(*folder, name) == 0;
}

void StepRunner::FailWithoutStep(const MoveStep& back) {
  const HeldFolder* volume = nullptr;
  folders_.OpenVolume(mover_, back.volume_folder, volume);
  if (Exists(volume, back.name)) {
    prompter_.ShowMessage("'" + back.source + "' は分割開始で移動したものではない為、戻しません。");
  } else {
    prompter_.ShowMessage(platform::ShellMoveFailureText(back.source, back.destination, ENOENT));
  }
  Fail();
}

bool StepRunner::FoldersUsable() {
  for (const FolderPlace* place : {&folders_.input(), &folders_.output()}) {
    const FolderState state = place->State();
    if (state == FolderState::Changed) {
      prompter_.ShowMessage(FolderChangedText(place->held_path()));
      return false;
    }
    if (place == &folders_.input()) input_missing_ = state == FolderState::Missing;
  }
  return true;
}

bool StepRunner::VolumeUsable(const MoveStep& step, const HeldFolder*& volume) {
  if (folders_.OpenVolume(mover_, step.volume_folder, volume) != ENOTDIR) return true;
  prompter_.ShowMessage(
      NotAFolderText(platform::JoinPath(folders_.paths().output, step.volume_folder)));
  return false;
}

std::string StepRunner::FolderMoved(const MoveStep& step, bool input, bool output) {
  if (input && folders_.input().State() != FolderState::InPlace) {
    return folders_.input().held_path();
  }
  if (!output) return {};
  if (folders_.output().State() != FolderState::InPlace) return folders_.output().held_path();
  if (folders_.VolumeState() != FolderState::InPlace) {
    return platform::JoinPath(folders_.paths().output, step.volume_folder);
  }
  return {};
}

bool StepRunner::StillInPlace(const MoveStep& step) {
  const std::string moved = FolderMoved(step, true, true);
  if (!moved.empty()) prompter_.ShowMessage(FolderChangedText(moved));
  return moved.empty();
}

bool StepRunner::Landed(const MoveStep& step, const HeldFolder& from, const HeldFolder& to,
                        Direction direction) {
  // Only the folders it landed in matter now: the input folder for a step
  // back, the volume folder and the output folder around it for a step out.
  const bool back = direction == Direction::Back;
  const std::string moved = FolderMoved(step, back, !back);
  if (moved.empty()) return true;
  // The folder was moved away in the moment of the rename: the entry would
  // lie outside the folders the journal names, where another may own it.
  prompter_.ShowMessage(FolderChangedText(moved));
  const int returned = mover_.RenameNoReplace(to, step.name, from, step.name);
  if (returned == 0) return false;
  prompter_.ShowMessage(platform::ShellMoveFailureText(step.destination, step.source, returned));
  return true;
}

bool StepRunner::MoveOutNow(const MoveStep& step, const HeldFolder* volume) {
  // The source first, as the shell does: nothing is made for an entry that
  // is not there, and an input folder that went away has none.
  const HeldFolder* from = input_missing_ ? nullptr : folders_.input().folder();
  int failure = from ? mover_.Probe(*from, step.name) : ENOENT;
  if (failure == 0 && !volume) failure = folders_.MakeVolume(mover_, step.volume_folder, volume);
  if (failure == ENOTDIR) {
    prompter_.ShowMessage(NotAFolderText(folders_.StoppedAt(step.volume_folder)));
    return false;
  }
  if (failure != 0) {
    prompter_.ShowMessage(platform::ShellMoveFailureText(step.source, step.destination, failure));
    return false;
  }
  if (!StillInPlace(step)) return false;
  if (platform::ShellMove(prompter_, *from, step.name, *volume, step.name, mover_) != 0) {
    return false;
  }
  return Landed(step, *from, *volume, Direction::Out);
}

bool StepRunner::MoveBackNow(const MoveStep& back, const HeldFolder* volume) {
  int failure = volume ? 0 : folders_.OpenVolume(mover_, back.volume_folder, volume);
  if (failure == ENOTDIR) {
    prompter_.ShowMessage(
        NotAFolderText(platform::JoinPath(folders_.paths().output, back.volume_folder)));
    return false;
  }
  if (failure == 0) failure = mover_.Probe(*volume, back.name);
  // An input folder that is not there is made again, as the shell makes the
  // folders on the way to a destination.
  FolderPlace& input = folders_.input();
  if (failure == 0) failure = input.Make(mover_);
  if (failure == ENOTDIR) {
    prompter_.ShowMessage(NotAFolderText(input.MissingPaths().front()));
    return false;
  }
  if (failure != 0) {
    prompter_.ShowMessage(platform::ShellMoveFailureText(back.source, back.destination, failure));
    return false;
  }
  if (!StillInPlace(back)) return false;
  const HeldFolder& to = *input.folder();
  if (platform::ShellMove(prompter_, *volume, back.name, to, back.name, mover_) != 0) return false;
  return Landed(back, *volume, to, Direction::Back);
}

bool StepRunner::MoveOut(MoveStep step) {
  const HeldFolder* volume = nullptr;
  if (!FoldersUsable() || !VolumeUsable(step, volume)) return Counted(false);
  if (!volume) step.creates = folders_.FoldersToMake(mover_, step.volume_folder);
  const std::int64_t sequence = journal_.WriteIntent(step);
  const bool moved = MoveOutNow(step, volume);
  journal_.WriteOutcome(sequence, moved);
  return Counted(moved);
}

bool StepRunner::TakeBack(JournalStep& step) {
  // The move went from the input folder into the volume folder; the undo
  // goes the other way, between the held folders.
  const std::optional<MoveStep> back =
      MakeMoveStep(folders_.paths(), naming_, step.volume, step.name, Direction::Back);
  if (!back) return Counted(false);
  const HeldFolder* volume = nullptr;
  if (!FoldersUsable() || !VolumeUsable(*back, volume)) return Counted(false);
  const bool already_back = step.undo_intended && !Exists(volume, step.name) &&
                            Exists(folders_.input().folder(), step.name);
  journal_.WriteUndoIntent(step.sequence);
  step.undo_intended = true;
  const bool moved = already_back || MoveBackNow(*back, volume);
  journal_.WriteUndoOutcome(step.sequence, moved);
  step.restored = moved;
  return Counted(moved);
}

std::vector<JournalStep*> StepsToTakeBack(Journal& journal, platform::FileMover& mover,
                                          HeldFolders& folders) {
  const HeldFolder* input = folders.input().folder();
  std::vector<JournalStep*> steps;
  for (auto it = journal.steps.rbegin(); it != journal.steps.rend(); ++it) {
    JournalStep& step = *it;
    if (!step.MayBeOut()) continue;
    if (step.outcome == JournalStep::Outcome::Unknown && !step.undo_intended && input &&
        mover.Probe(*input, step.name) == 0) {
      continue;
    }
    steps.push_back(&step);
  }
  return steps;
}

}  // namespace morvick
