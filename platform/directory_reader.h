#pragma once

// Reading folders, behind a small interface so that a test can make any read
// fail. The real reader works descriptor-relative, so that folders nested
// deeper than PATH_MAX are read like any other (on Windows it lists by
// "\\?\" paths, up to 32,767 characters). Links, and on Windows junctions,
// are never followed.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace morvick::platform {

struct DirectoryEntry {
  std::string_view name;           // valid until the next call of Next()
  bool is_directory = false;       // the entry itself is a folder (a link to one is not)
  std::int64_t size = 0;           // apparent size in bytes (a link: the length of its target text)
  std::int64_t mtime_seconds = 0;  // last-write time, seconds since the epoch
};

// One open folder.
class FolderReader {
 public:
  virtual ~FolderReader() = default;

  // The next entry, "." and ".." included (for those two the other fields are
  // not measured: a folder of size 0). False at the end of the folder and when
  // a read fails; error() tells the two apart. An entry that vanished before it
  // could be measured is skipped.
  virtual bool Next(DirectoryEntry& entry) = 0;

  // The error number of the read that failed, 0 while none has.
  virtual int error() const = 0;

  // Opens the subfolder `name` of this folder; nullptr when it cannot be
  // opened. A link is not followed.
  virtual std::unique_ptr<FolderReader> OpenChild(std::string_view name) = 0;
};

class DirectoryLister {
 public:
  virtual ~DirectoryLister() = default;

  // Opens a folder by path (relative paths against the working folder); the
  // folder itself may be reached through a link. nullptr when it cannot be opened.
  virtual std::unique_ptr<FolderReader> Open(const std::string& path) = 0;
};

// The file system's folders.
DirectoryLister& SystemDirectories();

}  // namespace morvick::platform
