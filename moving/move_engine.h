#pragma once

// The one engine every move and undo goes through, from the window and from
// morvick-cli alike. It derives each path from the fixed folders and one
// checked name, moves with the never-replace move, shows the failure of each
// entry, and keeps the journal: the plan, then an intent before and an outcome
// after every rename.

#include "common/prompter.h"
#include "engine/entry.h"
#include "moving/folder_paths.h"
#include "moving/journal.h"
#include "platform/file_mover.h"

#include <cstdint>
#include <string>
#include <vector>

namespace morvick {

// What the engine asks of the front end while it works.
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

struct MoveCounts {
  int moved = 0;
  int failed = 0;
};

// Refuses, with one message naming the entry, an output folder that lies in
// an entry that would move: the entry itself, or the folder a link among the
// entries leads to. Nothing may move then.
bool CheckOutputOutsideEntries(Prompter& prompter, const MovePlan& plan);

class MoveEngine {
 public:
  MoveEngine(Prompter& prompter, platform::FileMover& mover) : prompter_(prompter), mover_(mover) {}

  // Moves every planned entry into its volume folder. Entries without a volume
  // never move; those of the last volume stay while the host says so. With a
  // journal, the plan is written first and the end last.
  MoveCounts Move(const MovePlan& plan, MoveHost& host, JournalWriter* journal);

  // Moves every planned entry back from its volume folder, the paths derived
  // from the plan's naming as it is now.
  MoveCounts MoveBack(const MovePlan& plan, MoveHost& host);

  // Removes the volume folders 1 to `last` in ascending order, passing over
  // those in `removed` (an earlier run of the same undo took them away) and
  // adding each one it removes. The first failure is raised as InOutError.
  void RemoveVolumeFolders(const MovePlan& plan, std::int32_t last,
                           std::vector<std::string>& removed);

 private:
  enum class Direction { Out, Back };
  MoveCounts MoveAll(const MovePlan& plan, MoveHost& host, Direction direction,
                     JournalWriter* journal);
  bool MoveOne(const MovePlan& plan, const TSplitEntry& entry, Direction direction,
               JournalWriter* journal);

  Prompter& prompter_;
  platform::FileMover& mover_;
};

// The text shown after every entry whose move failed.
inline constexpr const char* kMoveFailedText = "フォルダの移動に失敗しました。";
inline constexpr const char* kMovedText = "フォルダを移動しました。";

}  // namespace morvick
