#pragma once

// Copy: the plan carried out like Move, into the same volume folders by the
// same paths, but by copying (or hard-linking) so that the input folder stays
// as it is; then an index on every volume and a catalogue beside them. A
// second run over the same plan finishes what the first left: what is already
// complete and equal is kept, and nothing is ever replaced.

#include "commands/command_state.h"
#include "commands/plan_values.h"
#include "commands/volume_index.h"
#include "common/prompter.h"
#include "engine/entry.h"
#include "moving/folder_paths.h"
#include "platform/file_copy.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace morvick {

struct CopyPlan {
  FixedFolders folders;
  VolumeNaming naming;
  const EntryList* entries = nullptr;
  std::int32_t volume_count = 0;
  bool skip_last = false;  // the last volume is not copied
};

struct CopyOptions {
  platform::CopyMethod method = platform::CopyMethod::Copy;
  bool write_index = true;
  platform::FileCopier* copier = nullptr;          // null: the real file system
  std::function<bool()> stop_requested;            // looked at before every file (Ctrl-C)
  std::function<void(std::int64_t bytes)> copied;  // bytes read so far, as they are read
};

// One item that could not be copied, or an index that could not be written.
struct CopyFailure {
  std::string path;  // the destination (or the source when nothing was made)
  std::string reason;
};

struct CopyReport {
  enum class Status { Done, SomeFailed, Interrupted };
  Status status = Status::Done;
  int entries_copied = 0;  // entries complete at the end (kept ones included)
  int entries_failed = 0;
  int files_kept = 0;         // files found complete and equal from an earlier run
  int leftovers_removed = 0;  // temporary files a killed copy had left in the volumes
  std::int64_t bytes = 0;
  std::string set_id;
  std::vector<std::string> indexes;  // the index files in place, one per complete volume
  bool catalogue_written = false;
  std::vector<CopyFailure> failures;
};

// Why the folders of a copy were refused, for the front end to word; the
// path rules' own refusals have been shown through the prompter (Shown).
enum class CopyRefusal {
  None,
  Shown,
  OutputInInput,         // the input stays as it is, so the output may not lie in it
  LinkAcrossFileSystems  // hard links need one file system
};

struct CopyPreparation {
  CopyRefusal refusal = CopyRefusal::None;
  CopyPlan plan;  // when not refused
};

// The plan of a copy from the plan of the latest investigation and the folder
// and naming inputs: the folders fixed as they really are, and refused as
// Move refuses them where the same reason holds (an output folder inside an
// entry that would be copied).
CopyPreparation PrepareCopy(Prompter& prompter, const CommandState& state, const MoveInputs& inputs,
                            bool skip_last, bool link);

// Copies every planned entry into its volume folder. Entries without a volume
// are never copied, nor those of the last volume when the plan says so.
CopyReport CopyVolumes(const CopyPlan& plan, const CopyOptions& options);

}  // namespace morvick
