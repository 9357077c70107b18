#include "cli/journal_undo.h"

#include "cli/cli_app.h"
#include "cli/interrupt.h"
#include "cli/output.h"
#include "commands/journal_commands.h"
#include "commands/plan_commands.h"
#include "common/error.h"
#include "common/path_messages.h"
#include "platform/real_path.h"

#include <cstdio>

namespace morvick::cli {
namespace {

using Status = JournalUndoReport::Status;
using Refusal = JournalUndoReport::Refusal;

std::string StatusLine(const JournalPlan& plan) {
  CommandState state;
  state.VolumeCount = plan.volume_count;
  state.GrandTotal = plan.grand_total;
  try {
    return StatusTotalsText(state, plan.cluster_text, kUndoEndTag, kMoveUnit);
  } catch (const Error&) {
    return {};
  }
}

// Why nothing was taken back, in the words of this front end.
std::string RefusalText(const JournalUndoReport& report) {
  switch (report.refusal) {
    case Refusal::Unreadable:
    case Refusal::NotPrivate: return report.detail;
    case Refusal::Busy: return "更新中の為、処理できません。";
    case Refusal::AlreadyUndone: return "Undoが終了してる為、処理できません。";
    case Refusal::NotItsPlan:
      return "the journal does not match its plan, nothing was moved: " + report.detail;
    case Refusal::TwoDrives: return path_messages::kSameDrive;
    case Refusal::Declined:
    case Refusal::None: break;
  }
  return {};
}

}  // namespace

int UndoFromJournal(const std::string& journal_path, Prompter& prompter, bool quiet,
                    platform::FileMover& mover) {
  JournalUndoOptions options;
  options.mover = &mover;
  // A message that could not be written stops the undo between two entries.
  options.stop_requested = [] { return InterruptRequested() || OutputFailed(); };
  options.confirm = [&prompter](const JournalUndoPreview& preview) {
    if (preview.damaged_line != 0) {
      prompter.ShowMessage("the journal is damaged at line " +
                           std::to_string(preview.damaged_line) +
                           "; only the steps before it are taken back");
    }
    // The question names what it moves: the journal may be any file given.
    prompter.ShowMessage("morvick-cli: " + std::to_string(preview.steps_to_take_back) +
                         " entries go back from " +
                         platform::JoinPath(preview.plan.folders.output, "") + " into " +
                         platform::JoinPath(preview.plan.folders.input, ""));
    return prompter.ConfirmYesNo("よろしいですか？") == Answer::Yes;
  };
  const JournalUndoReport report = UndoJournal(journal_path, prompter, options);
  switch (report.status) {
    case Status::Refused: {
      const std::string text = RefusalText(report);
      if (!text.empty()) prompter.ShowMessage(text);
      if (OutputFailed()) return kExitOutputFailed;
      return InterruptRequested() ? kExitInterrupted : kExitRefused;
    }
    case Status::NothingMoved:
      prompter.ShowMessage(
          "the move was stopped before anything moved; there is nothing to take back");
      return kExitDone;
    case Status::Interrupted:
      prompter.ShowMessage(std::string("morvick-cli: ") +
                           (OutputFailed() ? "output could not be written" : "interrupted") +
                           "; run the undo again to finish it: morvick-cli undo " + journal_path);
      return OutputFailed() ? kExitOutputFailed : kExitInterrupted;
    case Status::Done:
    case Status::SomeFailed: break;
  }
  prompter.ShowMessage(kMovedText);
  if (!quiet) {
    const std::string status = StatusLine(report.plan);
    if (!status.empty()) WriteOutput(stderr, status + "\n");
  }
  if (OutputFailed()) return kExitOutputFailed;
  return report.status == Status::Done ? kExitDone : kExitSomeFailed;
}

}  // namespace morvick::cli
