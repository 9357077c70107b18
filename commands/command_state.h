#pragma once

// The state the plan commands share for the whole run: the seven flags that
// order Investigate, Move and Undo, and the plan of the latest investigation.

#include "engine/entry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace morvick {

struct CommandState {
  bool CancelRequested = false;  // the user asked the running scan to stop
  bool Searching = false;        // an investigation has begun and not completed
  bool Updating = false;         // a move has begun and not completed
  bool Undoing = false;          // an undo has begun and not completed
  bool UpdateDone = false;       // the current plan has been moved
  bool SearchDone = false;       // a plan exists
  bool UndoDone = false;         // the current plan's move has been undone

  std::int64_t SplitCapacity = 0;  // bytes per volume, kept when no unit is selected
  std::int32_t VolumeCount = 0;    // the number of the last volume
  std::int64_t GrandTotal = 0;     // bytes of all assigned entries
  std::int32_t LowerBound = 0;     // no plan of the entries has fewer volumes
  bool ProvenOptimal = false;      // no plan of the entries has fewer volumes than this one
  EntryListPtr EntryList;          // null before the first investigation

  // True only while Investigate's scan or packing is in progress (both pump
  // events, so a second click may arrive then). An error leaves Searching set
  // but never this.
  bool ScanRunning = false;

  // The volume folders the Undo in progress has removed. An Undo stopped by a
  // folder it could not remove is repeated by the user; the repeat does not
  // stumble over the folders the earlier run already took away.
  std::vector<std::string> RemovedVolumeFolders;

  // The journal of the current plan's move (empty before it). Undo takes
  // back the steps recorded there, and records its own.
  std::string MoveJournal;

  // Clears the seven flags, in the order the window does at creation.
  void ClearFlags();
};

}  // namespace morvick
