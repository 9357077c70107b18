#pragma once

// The records of a journal: their kinds as one table, and the one place each
// record's fields are composed. The reader reads the same names.

#include "common/json_text.h"
#include "moving/journal.h"
#include "moving/move_step.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvick {

enum class RecordKind {
  Plan,              // the plan with every entry; always the first record
  Intent,            // before a rename of the move: the step and the folders it will create
  Done,              // after it: whether it moved
  End,               // the move ran to its end
  UndoBegun,         // an undo starts (the window's Undo or morvick-cli undo)
  UndoIntent,        // before it renames one step back
  UndoDone,          // after it: whether it moved back
  FolderRemoved,     // an undo removed a folder
  UndoEnd,           // that undo ran to its end, whatever it achieved
  Undone,            // every entry that moved is back: nothing is left to take back
  RecoveryDeclined,  // the window offered to take it back at start and was told no
};

struct RecordKindName {
  RecordKind kind;
  std::string_view name;
};

inline constexpr std::array<RecordKindName, 11> kRecordKinds = {{
    {RecordKind::Plan, "plan"},
    {RecordKind::Intent, "intent"},
    {RecordKind::Done, "done"},
    {RecordKind::End, "end"},
    {RecordKind::UndoBegun, "undo-begun"},
    {RecordKind::UndoIntent, "undo-intent"},
    {RecordKind::UndoDone, "undo-done"},
    {RecordKind::FolderRemoved, "folder-removed"},
    {RecordKind::UndoEnd, "undo-end"},
    {RecordKind::Undone, "undone"},
    {RecordKind::RecoveryDeclined, "recovery-declined"},
}};

std::string_view RecordName(RecordKind kind);
std::optional<RecordKind> RecordKindNamed(std::string_view name);

// The plan record; `entries` is the list of {"volume","name","size"}.
Json PlanRecord(const JournalPlan& plan, Json entries);
// Intent of step `sequence` of the move.
Json IntentRecord(std::int64_t sequence, const MoveStep& step);
// Done, UndoIntent and UndoDone name a step of the move by its sequence number.
Json StepRecord(RecordKind kind, std::int64_t sequence);
Json OutcomeRecord(RecordKind kind, std::int64_t sequence, bool moved);
Json FolderRemovedRecord(const std::string& path);
// End, UndoBegun, UndoEnd, Undone and RecoveryDeclined carry nothing else.
Json MarkRecord(RecordKind kind);

}  // namespace morvick
