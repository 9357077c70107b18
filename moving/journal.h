#pragma once

// The journal of one move, from which an undo takes the move back, as the
// program holds it once read. It is a text file of JSON objects, one a line,
// each flushed to disk before the next step: the plan, then for every entry an
// intent before its rename and the outcome after it, the end of the move, and
// later the steps of every undo of it (the window's Undo and morvick-cli undo
// alike), so that a crash at any point is taken back from the same file.
//
// The line format is in journal_format.h, the records in journal_records.h,
// reading in journal_reader.h, the check against the plan in journal_check.h
// and writing in journal_writer.h.

#include "moving/folder_paths.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace morvick {

// Which front end made the move: the window offers to take back its own moves
// and undos that were cut short.
enum class FrontEnd { Window, CommandLine };

// The plan record of a journal, without its entries.
struct JournalPlan {
  FrontEnd front_end = FrontEnd::CommandLine;
  FixedFolders folders;  // real, without a trailing separator
  VolumeNaming naming;
  std::int32_t volume_count = 0;
  std::int64_t grand_total = 0;
  std::string cluster_text;
  int method = 0;
  bool skip_last = false;
};

struct JournalEntry {
  std::int32_t volume = 0;
  std::string name;
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
  bool undo_intended = false;                // an undo wrote its intent for this step
  bool restored = false;                     // an undo moved it back

  // The move took it out of the input folder and no undo has brought it back.
  // A step without an outcome may have moved: the disk decides.
  bool MayBeOut() const { return !restored && outcome != Outcome::Failed; }
};

struct Journal {
  int format = 0;
  JournalPlan plan;
  std::vector<JournalEntry> entries;  // the plan's entries, in its order
  std::vector<JournalStep> steps;     // in the order of the move
  std::vector<std::string> removed_folders;
  bool move_ended = false;
  int undos_begun = 0;
  int undos_ended = 0;
  bool undone = false;
  bool recovery_declined = false;   // the window asked about it once and was told no
  std::size_t complete_length = 0;  // bytes up to the end of the last good record
  std::size_t damaged_line = 0;     // the line whose checksum failed (0: none)
  bool damaged_before_end = false;  // whole lines follow the damaged one

  // An undo began and never reached its end: the program stopped during it.
  bool UndoCutShort() const { return undos_begun > undos_ended; }
};

}  // namespace morvick
