#pragma once

// The journal of one move, from which `undo` takes the move back. It is a text
// file of JSON objects, one a line, each flushed to disk (fdatasync) before the
// next step: the plan, then for every entry an intent before its rename and the
// outcome after it, the end of the move, and later the steps of the undo. A
// move killed at any point leaves a journal whose last line may be cut off;
// that line is ignored and the disk tells whether its rename happened.

#include "cli/json_text.h"
#include "commands/command_state.h"
#include "commands/move_observer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace morvick::cli {

// The folder of the journals: $XDG_STATE_HOME/morvick when that is an absolute
// path, else ~/.local/state/morvick.
std::string DefaultJournalFolder();

// A new file name in `folder` for a move that starts now.
std::string NewJournalPath(const std::string& folder);

// An open file descriptor, closed when the holder goes.
class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor();
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// Appends one record as a line and flushes it to disk; raises Error on failure.
void AppendRecord(int fd, const std::string& path, const Json& record);

// Records the move as it happens. Create() before the command, so that a
// journal that cannot be written stops the move before anything is asked.
class JournalWriter final : public MoveObserver {
 public:
  // What the journal keeps of the plan besides the move's own inputs.
  struct PlanFacts {
    const CommandState* state = nullptr;
    std::string cluster_text;
    int method = 0;
    bool skip_last = false;
  };

  JournalWriter(std::string path, PlanFacts facts, bool announce);

  // Creates the folder when missing and the file, which must not exist yet,
  // and locks it for the duration of the move. Raises Error.
  void Create();
  // Removes the file, and the folders made for it, when the move never began
  // (refused or declined).
  void DiscardIfUnused();

  void CommandBegun(const MoveInputs& inputs) override;
  void BeforeMove(const MoveStep& step) override;
  void AfterMove(const MoveStep& step, bool moved, const std::string& reason) override;
  void CommandEnded(MoveCommand command, bool completed) override;

  const std::string& path() const { return path_; }
  bool begun() const { return begun_; }
  int failures() const { return failures_; }
  int moved() const { return moved_; }

 private:
  std::string path_;
  PlanFacts facts_;
  bool announce_;
  FileDescriptor fd_;
  std::vector<std::string> made_folders_;
  bool begun_ = false;
  std::int64_t sequence_ = 0;
  int failures_ = 0;
  int moved_ = 0;
};

// One entry of the move as the journal tells it.
struct JournalStep {
  enum class Outcome { Unknown, Moved, Failed };

  std::int64_t sequence = 0;
  std::int32_t volume = 0;
  std::string name;
  std::string source;                        // where the move took it from (the input folder)
  std::string destination;                   // where it went (its volume folder)
  std::vector<std::string> created_folders;  // made for this move, outermost first
  Outcome outcome = Outcome::Unknown;        // Unknown: no outcome record was written
  bool restored = false;                     // an undo moved it back
};

struct Journal {
  std::string input_path;   // with the trailing separator
  std::string output_path;  // with the trailing separator
  std::string base_name;
  int digits = 0;
  std::int32_t start_number = 0;
  std::int32_t volume_count = 0;
  std::int64_t grand_total = 0;
  std::string cluster_text;
  std::vector<JournalStep> steps;  // in the order of the move
  std::vector<std::string> removed_folders;
  bool move_ended = false;
  bool undone = false;
  std::size_t complete_length = 0;  // bytes up to the end of the last whole line
};

// Reads a journal's text. A last line without its newline is a record cut off
// by a crash and is ignored; any other damage raises Error.
Journal ParseJournal(std::string_view text);

}  // namespace morvick::cli
