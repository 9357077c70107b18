#include "moving/step_runner.h"

#include "platform/real_path.h"

#include <cerrno>

namespace morvick {
namespace {

bool Exists(platform::FileMover& mover, const std::string& path) { return mover.Probe(path) == 0; }

}  // namespace

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

void StepRunner::FailWithoutStep(const MoveStep& back) {
  if (Exists(mover_, back.source)) {
    prompter_.ShowMessage("'" + back.source + "' は分割開始で移動したものではない為、戻しません。");
  } else {
    prompter_.ShowMessage(platform::ShellMoveFailureText(back.source, back.destination, ENOENT));
  }
  Fail();
}

bool StepRunner::VolumeFolderUsable(const std::string& folder) {
  const platform::PathKind kind = platform::KindOf(folder);
  if (kind == platform::PathKind::Folder || kind == platform::PathKind::Missing) return true;
  prompter_.ShowMessage("'" + folder + "' はフォルダではない為、使えません。");
  return false;
}

bool StepRunner::MoveOut(MoveStep step) {
  if (!VolumeFolderUsable(platform::ParentFolder(step.destination))) return Counted(false);
  step.creates = MissingFolders(mover_, step.destination);
  const std::int64_t sequence = journal_.WriteIntent(step);
  const platform::MoveResult moved =
      platform::ShellMove(prompter_, step.source, step.destination, mover_);
  journal_.WriteOutcome(sequence, moved.moved);
  return Counted(moved.moved);
}

bool StepRunner::TakeBack(JournalStep& step) {
  // The move went from `source` to `destination`; the undo goes the other way.
  if (!VolumeFolderUsable(platform::ParentFolder(step.destination))) return Counted(false);
  const bool already_back =
      step.undo_intended && !Exists(mover_, step.destination) && Exists(mover_, step.source);
  journal_.WriteUndoIntent(step.sequence);
  step.undo_intended = true;
  const bool moved =
      already_back || platform::ShellMove(prompter_, step.destination, step.source, mover_).moved;
  journal_.WriteUndoOutcome(step.sequence, moved);
  step.restored = moved;
  return Counted(moved);
}

std::vector<JournalStep*> StepsToTakeBack(Journal& journal, platform::FileMover& mover) {
  std::vector<JournalStep*> steps;
  for (auto it = journal.steps.rbegin(); it != journal.steps.rend(); ++it) {
    JournalStep& step = *it;
    if (!step.MayBeOut()) continue;
    if (step.outcome == JournalStep::Outcome::Unknown && !step.undo_intended &&
        Exists(mover, step.source)) {
      continue;
    }
    steps.push_back(&step);
  }
  return steps;
}

}  // namespace morvick
