#pragma once

// The journal of one move, from which an undo takes the move back. It is a
// text file of JSON objects, one a line, each flushed to disk before the next
// step: the plan, then for every entry an intent before its rename and the
// outcome after it, the end of the move, and later the steps of an undo.
//
// Every record ends in its own checksum ("crc", CRC-32 of the record's text
// before that field). A record that fails it ends the reading there: a last
// line cut off by a crash is ignored, as is anything after a damaged line.

#include "common/json_text.h"
#include "platform/record_file.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace morvick {

// The folder of the journals: $XDG_STATE_HOME/morvick when that is an absolute
// path, else ~/.local/state/morvick. It is made private (0700) when created.
std::string DefaultJournalFolder();

// A new file name in `folder` for a move that starts now.
std::string NewJournalPath(const std::string& folder);

// Which front end made the move: the window offers to take back its own moves
// that were cut short.
enum class FrontEnd { Window, CommandLine };

// One record line with its checksum, newline included.
std::string JournalLine(const Json& record);

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

struct JournalEntry {
  std::int32_t volume = 0;
  std::string name;
};

// The plan record of a journal, without its entries.
struct JournalPlan {
  FrontEnd front_end = FrontEnd::CommandLine;
  std::string input_path;  // real, with the trailing separator
  std::string output_path;
  std::string base_name;
  int digits = 0;
  std::int32_t start_number = 0;
  std::int32_t volume_count = 0;
  std::int64_t grand_total = 0;
  std::string cluster_text;
  int method = 0;
  bool skip_last = false;
};

struct Journal {
  int format = 0;
  JournalPlan plan;
  std::vector<JournalEntry> entries;  // the plan's entries, in its order
  std::vector<JournalStep> steps;     // in the order of the move
  std::vector<std::string> removed_folders;
  bool move_ended = false;
  bool undone = false;
  bool recovery_declined = false;   // the window asked about it once and was told no
  std::size_t complete_length = 0;  // bytes up to the end of the last good record
  std::size_t damaged_line = 0;     // the line whose checksum failed (0: none)
  bool damaged_before_end = false;  // whole lines follow the damaged one
};

// Reads a journal's text. A record that fails its checksum ends the reading;
// a record that passes it but makes no sense (or, in a journal of the first
// format, which has no checksums, any damage before the last line) raises Error.
Journal ParseJournal(std::string_view text);
// The same, read from an open journal line by line; a line over the bound
// counts as damaged.
Journal ReadJournal(const platform::RecordFile& file);

// Checks every step against the plan record: the folders must be absolute,
// canonical and still lead where they say (no link on the way), each source and
// destination exactly the paths the plan implies for that entry, and each
// created or removed folder one of the plan's volume folders, the output folder
// or a parent of it. Returns the first fault, in words, or nullopt.
std::optional<std::string> CheckJournalAgainstPlan(const Journal& journal);

// Records a move as it happens. Create() before the command, so that a
// journal that cannot be written stops the move before anything changes.
class JournalWriter {
 public:
  explicit JournalWriter(std::string path) : path_(std::move(path)) {}

  // Called with the path once the plan is written (the command line prints it).
  void OnBegun(std::function<void(const std::string&)> announce) {
    announce_ = std::move(announce);
  }

  // Creates the file, which must not exist yet, in a private folder, and locks
  // it for the duration of the move. Raises Error.
  void Create();
  // Removes the file when the move never began (refused or declined).
  void DiscardIfUnused();
  // Ends the lock once the move is over (the window lives on after it).
  void Close();

  template <typename Entries>
  void WritePlan(const JournalPlan& plan, const Entries& entries) {
    Json list = Json::array();
    for (const auto& entry : entries) {
      list.push_back(Json{
          {"volume", entry.Volume}, {"name", std::string(entry.Name())}, {"size", entry.Size}});
    }
    WritePlanRecord(plan, std::move(list));
  }
  // Before a rename: the step and the folders it will create.
  void WriteIntent(std::int32_t volume, const std::string& name, const std::string& source,
                   const std::string& destination, const std::vector<std::string>& creates);
  void WriteOutcome(bool moved, const std::string& reason);
  void WriteEnd();

  const std::string& path() const { return path_; }
  bool begun() const { return begun_; }
  int failures() const { return failures_; }
  int moved() const { return moved_; }

 private:
  void WritePlanRecord(const JournalPlan& plan, Json entries);

  std::string path_;
  std::optional<platform::RecordFile> file_;
  std::function<void(const std::string&)> announce_;
  std::vector<std::string> made_folders_;
  bool begun_ = false;
  std::int64_t sequence_ = 0;
  int failures_ = 0;
  int moved_ = 0;
};

// Appends one record to a journal that is already open (an undo's steps).
void AppendRecord(platform::RecordFile& file, const Json& record);

}  // namespace morvick
