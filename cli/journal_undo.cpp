#include "cli/journal_undo.h"

#include "cli/interrupt.h"
#include "commands/plan_commands.h"
#include "common/error.h"
#include "moving/journal_undo.h"

#include <cstdio>

namespace morvick::cli {
namespace {

class CliMoveHost final : public MoveHost {
 public:
  bool SkipLastVolume() override { return false; }
  bool StopRequested() override { return InterruptRequested(); }
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
    case JournalUndoResult::Status::Refused: return InterruptRequested() ? 130 : 1;
    case JournalUndoResult::Status::Interrupted:
      prompter.ShowMessage(
          "morvick-cli: interrupted; run the undo again to finish it: morvick-cli undo " +
          journal_path);
      return 130;
    case JournalUndoResult::Status::Done:
    case JournalUndoResult::Status::SomeFailed: break;
  }
  if (!quiet) {
    const std::string status = StatusLine(result.journal);
    if (!status.empty()) std::fprintf(stderr, "%s\n", status.c_str());
  }
  return result.status == JournalUndoResult::Status::Done ? 0 : 3;
}

}  // namespace morvick::cli
