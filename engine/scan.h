#pragma once

// The entry scan: walks the input folder, measures every top-level entry into a
// record and (when a tree store is given) records every entry at every depth.

#include "engine/entry.h"
#include "engine/tree_store.h"
#include "platform/directory_reader.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace morvick {

// What the scan needs from the window (or the command line, or a test).
class ScanHost {
 public:
  virtual ~ScanHost() = default;
  // The cluster-size text (ComboBox3), re-read at the start of every folder.
  virtual std::string ClusterSizeText() = 0;
  // CancelRequested.
  virtual bool CancelRequested() = 0;
  // Processes pending user-interface events once; called after every entry.
  virtual void PumpEvents() = 0;
  // Suspends and resumes redrawing of the tree; calls nest, one pair per folder.
  virtual void BeginTreeUpdate() = 0;
  virtual void EndTreeUpdate() = 0;
  // Runs `work`, a call that may block for long, while the user interface
  // stays live; the default runs it here and now.
  virtual void RunBlocking(const std::function<void()>& work) { work(); }
};

struct ScanTarget {
  ScanHost& host;
  EntryList& entries;         // top-level records are appended here
  TreeStore* tree = nullptr;  // null: build no tree (the command line)
  platform::DirectoryLister& folders = platform::SystemDirectories();
};

// Scans `folder_path` (no trailing separator needed). The top-level call passes
// TreeStore::kNone and top_level true; returns the folder's running total (always
// 0 for the top-level call). Raises ConversionError for a bad cluster-size text.
// A folder that cannot be read counts as empty: no records, no tree nodes below
// it, size 0; so does one whose reading fails part-way, rather than with the
// size of the part read.
std::int64_t ScanFolder(ScanTarget& target, TreeStore::NodeId parent_node,
                        const std::string& folder_path, bool top_level);

// "yyyy/mm/dd hh:nn:ss" of a calendar value (seconds as given).
std::string FormatFileDate(int year, int month, int day, int hour, int minute, int second);

// The date text of a last-write time (seconds since the epoch): local time,
// seconds truncated to even, clamped to 1980/01/01 00:00:00 .. 2107/12/31 23:59:58.
std::string FileTimeText(std::int64_t seconds_since_epoch);

}  // namespace morvick
