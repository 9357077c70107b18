#pragma once

// The scan as the window runs it, with the tree store and without a window:
// the reference that the window benchmarks time Investigate against.

#include "bench_support.h"
#include "engine/scan.h"

#include <cstddef>
#include <string>

namespace morvick::bench {

class EngineHost : public ScanHost {
 public:
  std::string ClusterSizeText() override { return "0"; }
  bool CancelRequested() override { return false; }
  void PumpEvents() override {}
  void BeginTreeUpdate() override {}
  void EndTreeUpdate() override {}
};

// Seconds of one scan of `folder`; `nodes`, when given, gets the tree's size.
inline double TimeEngineScan(const std::string& folder, std::size_t* nodes) {
  EngineHost host;
  EntryList entries;
  TreeStore tree;
  ScanTarget target{host, entries, &tree};
  const Clock::time_point start = Clock::now();
  ScanFolder(target, TreeStore::kNone, folder, true);
  const double seconds = SecondsSince(start);
  if (nodes) *nodes = tree.size();
  return seconds;
}

}  // namespace morvick::bench
