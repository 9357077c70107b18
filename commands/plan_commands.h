#pragma once

// The three plan commands and Cancel, as the window's buttons run them:
// Investigate ("分割調査"), Move ("分割開始"), Undo ("UNDO") and Cancel
// ("キャンセル"). Each takes the values it reads when it starts, the two
// values it re-reads while it works, and a sink for its results.
//
// Refusals and results are shown through the prompter; faults that are not
// tested beforehand (a cluster-size text that is not a number, a volume folder
// that cannot be removed) are raised as Error and end the command where they
// arise, leaving flags and status line as they were then.

#include "commands/command_state.h"
#include "commands/path_rules.h"
#include "commands/plan_values.h"
#include "common/prompter.h"
#include "moving/journal.h"
#include "moving/step_runner.h"
#include "platform/file_mover.h"

#include <functional>
#include <string>
#include <string_view>

namespace morvick {

// Investigate. A click that arrives while its own scan is running (from the
// scan's event pump) is ignored.
void InvestigateCommand(CommandState& state, const InvestigateInputs& inputs,
                        const LiveInputs& live, PlanSink& sink, Prompter& prompter,
                        const PathRules& rules);

// How a front end runs Move and Undo.
struct MoveOptions {
  // Move makes a new journal in this folder, or at `journal_path` when given.
  std::string journal_folder;
  std::string journal_path;
  FrontEnd front_end = FrontEnd::Window;  // kept in the journal
  platform::FileMover* mover = nullptr;   // null: the real file system
  std::function<bool()> stop_requested;   // looked at between two entries (Ctrl-C)
  // Told the journal's path once the plan is in it (the command line prints it).
  std::function<void(const std::string&)> journal_begun;
};

// What Move or Undo did, for the front end to word.
struct MoveReport {
  enum class Status {
    Refused,        // refused or declined: nothing changed (the message has been shown)
    JournalFailed,  // the journal could not be named, created or opened: nothing moved
    Done,           // every entry it tried moved
    SomeFailed,     // some entries stayed where they were
    Interrupted,    // stopped between two entries; what moved is in the journal
  };
  Status status = Status::Refused;
  MoveCounts counts;
  std::string journal_path;  // the move's journal, once its plan is written
  std::string error;         // why the journal failed
};

// Move: every path is derived from the input and output folders as they really
// are when the command starts (links and ".." resolved) and one checked name.
// Every step is recorded in a new journal, which is left behind only when
// something was tried.
MoveReport MoveCommand(CommandState& state, const MoveInputs& inputs, const LiveInputs& live,
                       PlanSink& sink, Prompter& prompter, const PathRules& rules,
                       const MoveOptions& options = {});

// A window's word on a move or undo whose journal could not be written; nothing
// for any other report.
void ShowJournalFailure(const MoveReport& report, Prompter& prompter);

// Undo: takes back the steps the plan's move recorded, recording its own in
// the same journal, which is marked undone once every entry that moved is
// back. Refused, naming the move's folders, when the folder or naming inputs
// now name something else than the move used. A volume folder that cannot be
// removed raises InOutError.
MoveReport UndoCommand(CommandState& state, const MoveInputs& inputs, const LiveInputs& live,
                       PlanSink& sink, Prompter& prompter, const PathRules& rules,
                       const MoveOptions& options = {});

// Cancel: asks the running scan to stop; nothing else.
void CancelCommand(CommandState& state);

// The status line: tag, VolumeCount, GrandTotal, unit piece and the cluster
// size (raises ConversionError when `cluster_text` is not a 32-bit integer
// text). The unit piece is "bytes " for Investigate and "bytes" for Move/Undo.
std::string StatusTotalsText(const CommandState& state, std::string_view cluster_text,
                             std::string_view tag, std::string_view unit);

// How close the plan is to the fewest volumes, for a tooltip beside the
// status line: "" while no plan exists.
std::string PlanBoundText(const CommandState& state);
// CheckBox3's tooltip: what it does, then PlanBoundText when a plan exists.
std::string FewestVolumesTip(const CommandState& state);

// Tags and unit pieces of the status line.
inline constexpr const char* kSearchingTag = "[検索中] ";
inline constexpr const char* kSearchEndTag = "[検索終了] 分割数 (";
inline constexpr const char* kUpdatingTag = "[更新中] 分割数 (";
inline constexpr const char* kUpdateEndTag = "[更新終了] 分割数 (";
inline constexpr const char* kUndoingTag = "[Undo中] 分割数 (";
inline constexpr const char* kUndoEndTag = "[Undo終了] 分割数 (";
inline constexpr const char* kInvestigateUnit = "bytes ";
inline constexpr const char* kMoveUnit = "bytes";

}  // namespace morvick
