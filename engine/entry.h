#pragma once

// One record per top-level entry of the input folder, and the list that holds them.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace morvick {

struct TSplitEntry {
  std::int32_t Volume = 0;  // 0 = not assigned; packing numbers volumes from 1
  std::string Name;         // the entry's own name, native bytes, no path
  std::int64_t Size = 0;    // bytes, a folder's being the sum beneath it
  std::string DateText;     // FormatFileDate of the last-write time
  std::string KindText;     // "Folder", or "File(" + extension + ")"
};

// The ordered records of one investigation. The list owns its records; packing
// reorders the pointers, never the records.
using EntryList = std::vector<std::unique_ptr<TSplitEntry>>;

// The window's handle on the list: null before the first investigation and
// after close, which is not the same as an empty list.
using EntryListPtr = std::unique_ptr<EntryList>;

// Disposes every record in index order, then the list, and nulls the handle.
void FreeEntries(EntryListPtr& entries);

}  // namespace morvick
