#include "moving/journal_undo.h"

#include "common/error.h"
#include "common/path_messages.h"
#include "platform/errno_map.h"
#include "platform/folders.h"
#include "platform/record_file.h"

#include <algorithm>
#include <cerrno>

namespace morvick {
namespace {

using Status = JournalUndoResult::Status;

constexpr std::size_t kFrontEndWithin = 512;
// How every journal begins.
constexpr std::string_view kPlanStart = "{\"record\":\"plan\"";
constexpr std::string_view kWindowFrontEnd = "\"frontEnd\":\"window\"";

bool Exists(platform::FileMover& mover, const std::string& path) { return mover.Probe(path) == 0; }

// A move killed while it wrote its plan has moved nothing yet: the journal is
// empty, or holds the beginning of a plan record and no whole line.
bool StoppedBeforeThePlan(const platform::RecordFile& file) {
  bool whole_line = false;
  file.ForEachLine(kPlanStart.size(), [&](std::string_view, std::size_t, bool) {
    whole_line = true;
    return false;
  });
  const std::string head = file.ReadHead(kPlanStart.size());
  return !whole_line && kPlanStart.substr(0, head.size()) == head;
}

// The steps to take back, newest first: every entry the move took away from
// the input folder and no undo has brought back yet.
std::vector<const JournalStep*> StepsToTakeBack(const Journal& journal,
                                                platform::FileMover& mover) {
  std::vector<const JournalStep*> steps;
  for (auto it = journal.steps.rbegin(); it != journal.steps.rend(); ++it) {
    const JournalStep& step = *it;
    if (step.restored || step.outcome == JournalStep::Outcome::Failed) continue;
    // No outcome: the move was killed around this rename. While the entry is
    // still in the input folder the rename never happened.
    if (step.outcome == JournalStep::Outcome::Unknown && Exists(mover, step.source)) continue;
    steps.push_back(&step);
  }
  return steps;
}

// The folders the move created, innermost and newest first.
std::vector<std::string> CreatedFolders(const Journal& journal) {
  std::vector<std::string> folders;
  for (const JournalStep& step : journal.steps) {
    for (const std::string& folder : step.created_folders) {
      if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
        folders.push_back(folder);
      }
    }
  }
  std::reverse(folders.begin(), folders.end());
  return folders;
}

}  // namespace

std::optional<Journal> ReadJournal(const std::string& journal_path) {
  try {
    const platform::RecordFile file = platform::RecordFile::Open(journal_path);
    return ReadJournal(file);
  } catch (const Error&) {
    return std::nullopt;
  }
}

bool AppendToJournal(const std::string& journal_path, const Json& record) {
  try {
    platform::RecordFile file = platform::RecordFile::Open(journal_path);
    if (!file.TryLock()) return false;
    const Journal journal = ReadJournal(file);
    if (journal.damaged_before_end) return false;
    file.Truncate(journal.complete_length);
    AppendRecord(file, record);
    return true;
  } catch (const Error&) {
    return false;
  }
}

std::optional<std::string> FindInterruptedWindowMove(const std::string& folder) {
  std::vector<platform::FolderFile> files = platform::FilesInFolder(folder, ".jsonl");
  // Newest first; the names hold the time of the move to the second.
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
    return a.mtime_ns != b.mtime_ns ? a.mtime_ns > b.mtime_ns : a.path > b.path;
  });
  for (const platform::FolderFile& candidate : files) {
    try {
      platform::RecordFile file = platform::RecordFile::Open(candidate.path);
      // The front end stands near the start of the plan record; a journal of
      // morvick-cli (possibly of a million entries) is not read further.
      if (file.ReadHead(kFrontEndWithin).find(kWindowFrontEnd) == std::string::npos) continue;
      const Journal journal = ReadJournal(file);
      if (journal.move_ended || journal.undone || journal.recovery_declined) return std::nullopt;
      // A move still running in another window holds the lock.
      if (!file.TryLock()) return std::nullopt;
    } catch (const Error&) {
      continue;
    }
    return candidate.path;
  }
  return std::nullopt;
}

JournalUndoResult UndoJournal(const std::string& journal_path, Prompter& prompter, MoveHost& host,
                              bool ask, platform::FileMover& mover) {
  JournalUndoResult result;
  std::optional<platform::RecordFile> file;
  try {
    file.emplace(platform::RecordFile::Open(journal_path));
  } catch (const Error& error) {
    prompter.ShowMessage(error.what());
    return result;
  }
  // The move holds the lock while it runs.
  if (!file->TryLock()) {
    prompter.ShowMessage("更新中の為、処理できません。");
    return result;
  }
  try {
    result.journal = ReadJournal(*file);
  } catch (const Error& error) {
    if (StoppedBeforeThePlan(*file)) {
      prompter.ShowMessage(
          "the move was stopped before anything moved; there is nothing to take back");
      result.status = Status::NothingMoved;
      return result;
    }
    prompter.ShowMessage(error.what());
    return result;
  }
  const Journal& journal = result.journal;
  if (journal.undone) {
    prompter.ShowMessage("Undoが終了してる為、処理できません。");
    return result;
  }
  if (const std::optional<std::string> fault = CheckJournalAgainstPlan(journal)) {
    prompter.ShowMessage("the journal does not match its plan, nothing was moved: " + *fault);
    return result;
  }
  if (!platform::IsSameFileSystem(journal.plan.input_path, journal.plan.output_path)) {
    prompter.ShowMessage(path_messages::kSameDrive);
    return result;
  }
  if (journal.damaged_line != 0 && journal.damaged_before_end) {
    prompter.ShowMessage("the journal is damaged at line " + std::to_string(journal.damaged_line) +
                         "; only the steps before it are taken back");
  }
  const std::vector<const JournalStep*> steps = StepsToTakeBack(journal, mover);
  if (ask && prompter.ConfirmYesNo("よろしいですか？") != Answer::Yes) return result;

  int failures = 0;
  bool changed = false;
  try {
    // A record cut off by a crash goes before anything is appended after it;
    // a journal damaged in the middle is kept as it is for a later look.
    if (!journal.damaged_before_end) file->Truncate(journal.complete_length);
    AppendRecord(*file, Json{{"record", "undo-begun"}});
    for (const JournalStep* step : steps) {
      if (host.StopRequested()) {
        result.status = Status::Interrupted;
        return result;
      }
      AppendRecord(*file, Json{{"record", "undo-intent"}, {"seq", step->sequence}});
      bool moved = false;
      std::string reason;
      if (!Exists(mover, step->destination) && Exists(mover, step->source)) {
        moved = true;  // an earlier undo moved it and was stopped before saying so
        reason = "already back";
      } else {
        const platform::MoveResult back =
            platform::ShellMove(prompter, step->destination, step->source, mover);
        moved = back.moved;
        reason = back.reason;
        changed = changed || moved;
        if (moved) ++result.restored;
      }
      AppendRecord(*file, Json{{"record", "undo-done"},
                               {"seq", step->sequence},
                               {"moved", moved},
                               {"reason", reason}});
      if (!moved) {
        prompter.ShowMessage(kMoveFailedText);
        ++failures;
      }
    }
    if (host.StopRequested()) {
      result.status = Status::Interrupted;
      return result;
    }

    for (const std::string& folder : CreatedFolders(journal)) {
      if (std::find(journal.removed_folders.begin(), journal.removed_folders.end(), folder) !=
          journal.removed_folders.end()) {
        continue;
      }
      const int error = mover.RemoveEmptyFolder(folder);
      if (error == ENOENT) continue;
      if (error != 0) {
        // Not empty: something failed to move back, or was put there since.
        prompter.ShowMessage(folder + ": " + platform::SystemErrorText(error));
        ++failures;
        continue;
      }
      changed = true;
      AppendRecord(*file, Json{{"record", "folder-removed"}, {"path", folder}});
    }
    if (failures == 0 && !journal.damaged_before_end) {
      AppendRecord(*file, Json{{"record", "undone"}});
    }
  } catch (const Error& error) {
    prompter.ShowMessage(error.what());
    result.status = changed ? Status::SomeFailed : Status::Refused;
    return result;
  }
  prompter.ShowMessage(kMovedText);
  result.status = failures == 0 && !journal.damaged_before_end ? Status::Done : Status::SomeFailed;
  return result;
}

}  // namespace morvick
