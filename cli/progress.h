#pragma once

// The progress line of a scan on a terminal: directory entries read and bytes
// of the finished top-level entries, redrawn at most ten times a second.

#include "engine/entry.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace morvick::cli {

class ScanProgress {
 public:
  explicit ScanProgress(std::FILE* out) : out_(out) {}
  ~ScanProgress() { Finish(); }
  ScanProgress(const ScanProgress&) = delete;
  ScanProgress& operator=(const ScanProgress&) = delete;

  // Called once for every directory entry the scan reads.
  void Tick(const EntryList& entries);
  // Clears the line.
  void Finish();

  static constexpr std::chrono::milliseconds kInterval{100};

 private:
  void Draw();

  std::FILE* out_;
  std::uint64_t entries_read_ = 0;
  std::size_t records_summed_ = 0;
  std::int64_t bytes_ = 0;
  std::chrono::steady_clock::time_point last_draw_{};
  bool drawn_ = false;
};

}  // namespace morvick::cli
