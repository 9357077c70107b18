#pragma once

// Writes a journal: every record of a move and of its undos goes through here.

#include "common/error.h"
#include "moving/journal.h"
#include "moving/journal_records.h"
#include "platform/record_file.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace morvick {

// Another move or undo holds the journal.
class JournalBusyError : public Error {
 public:
  explicit JournalBusyError(const std::string& path) : Error("the journal is in use: " + path) {}
};

// The journal is another user's, or others may write it: it is not acted on.
class JournalNotPrivateError : public Error {
 public:
  explicit JournalNotPrivateError(const std::string& path)
      : Error("the journal " + path +
              " belongs to another user or may be written by others; it is not used") {}
};

// The move was killed while it wrote its plan: nothing moved, nothing to take back.
class JournalWithoutPlanError : public Error {
 public:
  explicit JournalWithoutPlanError(const std::string& path)
      : Error("the move was stopped before anything moved: " + path) {}
};

class JournalWriter {
 public:
  explicit JournalWriter(std::string path) : path_(std::move(path)) {}

  // Called with the path once the plan is written (the command line prints it).
  void OnBegun(std::function<void(const std::string&)> announce) {
    announce_ = std::move(announce);
  }

  // A journal for a move that starts now: creates the file, which must not
  // exist yet, in a private folder, and locks it while the move runs, so that
  // no undo can start during it. Raises Error.
  void Create();
  // A journal written before, for an undo: opens it, locks it and reads it.
  // Raises JournalNotPrivateError when it is not the user's own regular file
  // that only the user may write, JournalBusyError when a move or an undo holds it,
  // JournalWithoutPlanError when its move stopped before the plan was written
  // whole, Error when it cannot be opened or is no journal. A record cut off by a crash is cut
  // away before the first record is added after it; a journal damaged in the
  // middle is kept as it is for a later look.
  Journal Open();
  // Removes the file when the move never began (refused or declined).
  void DiscardIfUnused();
  // Ends the lock (the window lives on after the move).
  void Close();

  template <typename Entries>
  void WritePlan(const JournalPlan& plan, const Entries& entries) {
    Json list = Json::array();
    for (const auto& entry : entries) {
      list.push_back(Json{
          {"volume", entry.Volume}, {"name", std::string(entry.Name())}, {"size", entry.Size}});
    }
    Append(PlanRecord(plan, std::move(list)));
    begun_ = true;
    if (announce_) announce_(path_);
  }
  // Before a rename of the move; returns the step's sequence number.
  std::int64_t WriteIntent(const MoveStep& step);
  void WriteOutcome(std::int64_t sequence, bool moved);
  void WriteUndoIntent(std::int64_t sequence);
  void WriteUndoOutcome(std::int64_t sequence, bool moved);
  void WriteFolderRemoved(const std::string& path);
  // End, UndoBegun, UndoEnd, Undone, RecoveryDeclined.
  void WriteMark(RecordKind kind);

  const std::string& path() const { return path_; }
  bool begun() const { return begun_; }

 private:
  void Append(const Json& record);

  std::string path_;
  std::optional<platform::RecordFile> file_;
  std::function<void(const std::string&)> announce_;
  std::vector<std::string> made_folders_;
  bool begun_ = false;
  std::int64_t sequence_ = 0;
  // Bytes to keep of an opened journal before the first append (nullopt:
  // nothing to cut, or damaged in the middle and kept whole).
  std::optional<std::size_t> cut_to_;
};

}  // namespace morvick
