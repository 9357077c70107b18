#pragma once

// The walks of a move and of the window's Undo over the plan, and the undo of
// a journal newest first. Each step runs through the StepRunner, which
// records it in the move's journal.

#include "common/prompter.h"
#include "engine/entry.h"
#include "moving/folder_paths.h"
#include "moving/held_folders.h"
#include "moving/journal.h"
#include "moving/journal_writer.h"
#include "moving/step_runner.h"
#include "platform/file_mover.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace morvick {

// What a walk over the plan asks of the front end while it works.
class MoveHost {
 public:
  virtual ~MoveHost() = default;
  // "最終フォルダを移動しない", read each time an entry of the last volume comes up.
  virtual bool SkipLastVolume() = 0;
  // Looked at between two entries; true stops the command there (Ctrl-C),
  // raising InterruptedError.
  virtual bool StopRequested() { return false; }
};

// One plan as the engine carries it out.
struct MovePlan {
  FixedFolders folders;
  // The same folders held since they were fixed; every step acts through them.
  std::unique_ptr<HeldFolders> held;
  VolumeNaming naming;
  const EntryList* entries = nullptr;
  std::int32_t volume_count = 0;
  // Kept in the journal for the undo's status line and for the reader.
  std::int64_t grand_total = 0;
  std::string cluster_text;
  int method = 0;
  bool skip_last = false;
  FrontEnd front_end = FrontEnd::CommandLine;
};

// The journal's plan record of `plan`.
JournalPlan JournalPlanOf(const MovePlan& plan);

// Refuses, with one message naming the entry, an output folder that lies in
// an entry that would move: the entry itself, or the folder a link among the
// entries leads to. Nothing may move then.
bool CheckOutputOutsideEntries(Prompter& prompter, const MovePlan& plan);

class MoveEngine {
 public:
  MoveEngine(Prompter& prompter, platform::FileMover& mover) : prompter_(prompter), mover_(mover) {}

  // Moves every planned entry into its volume folder. Entries without a volume
  // never move; those of the last volume stay while the host says so. The plan
  // is written first and the end last.
  MoveCounts Move(const MovePlan& plan, MoveHost& host, JournalWriter& journal);

  // The window's Undo: walks the plan in its order with the same skips as
  // Move, and takes back the step the move recorded for each entry. An entry
  // the move did not take out (or that is back already) counts as a failure.
  MoveCounts TakeBackInPlanOrder(const MovePlan& plan, MoveHost& host, Journal& journal,
                                 JournalWriter& writer);

  // Removes the volume folders 1 to `last` in ascending order, passing over
  // those in `removed` (an earlier run of the same undo took them away) and
  // adding each one it removes. The first failure is raised as InOutError.
  void RemoveVolumeFolders(const MovePlan& plan, std::int32_t last,
                           std::vector<std::string>& removed, JournalWriter& writer);

  // The undo of a journal between the plan's folders, held in `folders`:
  // takes back every step still out, newest first, never replacing anything
  // in the input folder, then removes the folders the move created once they
  // are empty. A folder that cannot be removed is shown and counted in
  // `folder_failures`. Stops between two steps when `stop` says so, raising
  // InterruptedError.
  MoveCounts TakeBackJournal(Journal& journal, HeldFolders& folders, JournalWriter& writer,
                             const std::function<bool()>& stop, int& folder_failures);

 private:
  // Removes the empty folder `folder`, one the move created: a volume folder
  // through the held output folder, the output folder or a parent of it
  // through its own parent, held afresh. 0 or the errno value.
  int RemoveCreatedFolder(HeldFolders& folders, const std::string& folder);

  Prompter& prompter_;
  platform::FileMover& mover_;
};

}  // namespace morvick
