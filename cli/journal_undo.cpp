#include "cli/journal_undo.h"

#include "cli/cli_app.h"
#include "cli/interrupt.h"
#include "cli/output.h"
#include "commands/plan_commands.h"
#include "common/error.h"
#include "moving/journal_undo.h"

#include <cstdio>

namespace morvick::cli {
namespace {

class CliMoveHost final : public MoveHost {
 public:
  bool SkipLastVolume() override { return false; }
  // A message that could not be written stops the undo between two entries.
  bool StopRequested() override { return InterruptRequested() || OutputFailed(); }
};

std::string StatusLine(const Journal& journal) {
  CommandState state;
  state.VolumeCount = journal.plan.volume_count;
  state.GrandTotal = journal.plan.grand_total;
  try {
    return StatusTotalsText(state, journal.plan.cluster_text, kUndoEndTag, kMoveUnit);
  } catch (const Error&) {
    return {};
  }
}

}  // namespace

int UndoFromJournal(const std::string& journal_path, Prompter& prompter, bool quiet,
                    platform::FileMover& mover) {
  CliMoveHost host;
  const JournalUndoResult result = UndoJournal(journal_path, prompter, host, true, mover);
  switch (result.status) {
    case JournalUndoResult::Status::Refused:
      if (OutputFailed()) return kExitOutputFailed;
      return InterruptRequested() ? kExitInterrupted : kExitRefused;
    case JournalUndoResult::Status::NothingMoved: return kExitDone;
    case JournalUndoResult::Status::Interrupted:
      prompter.ShowMessage(std::string("morvick-cli: ") +
                           (OutputFailed() ? "output could not be written" : "interrupted") +
                           "; run the undo again to finish it: morvick-cli undo " + journal_path);
      return OutputFailed() ? kExitOutputFailed : kExitInterrupted;
    case JournalUndoResult::Status::Done:
    case JournalUndoResult::Status::SomeFailed: break;
  }
  if (!quiet) {
    const std::string status = StatusLine(result.journal);
    if (!status.empty()) WriteOutput(stderr, status + "\n");
  }
  if (OutputFailed()) return kExitOutputFailed;
  return result.status == JournalUndoResult::Status::Done ? kExitDone : kExitSomeFailed;
}

}  // namespace morvick::cli
