#pragma once

// Verify: every file of a volume read again and held to the volume's index,
// reporting by path what is missing, changed or extra.

#include "commands/volume_index.h"
#include "platform/file_copy.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace morvick {

struct VerifyFinding {
  enum class Kind { Missing, Changed, Extra };
  Kind kind = Kind::Missing;
  std::string path;  // relative to the volume's root
  // What changed ("size 3 -> 4", "sha256", "type", "target"), or what an
  // extra item is ("left by an interrupted copy").
  std::string detail;
};

struct VerifyOptions {
  platform::FileCopier* reader = nullptr;  // null: the real file system
  std::function<bool()> stop_requested;    // looked at before every file
  // Bytes read so far and the bytes the index lists, after every chunk read.
  std::function<void(std::int64_t done, std::int64_t total)> progress;
};

struct VerifyReport {
  enum class Status { Match, Differs, NoIndex, Interrupted };
  Status status = Status::NoIndex;
  std::string error;  // why the index could not be used
  VolumeIndex index;
  std::vector<VerifyFinding> findings;  // in the order of the paths
  int files_checked = 0;
  std::int64_t bytes = 0;
};

VerifyReport VerifyVolume(const std::string& target, const VerifyOptions& options);

}  // namespace morvick
