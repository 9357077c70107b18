#pragma once

// Reads the entries of one folder, descriptor-relative, so that folders nested
// deeper than PATH_MAX are read like any other. Links are never followed.

#include <dirent.h>

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

class DirectoryReader {
 public:
  // A reader that is not open yields nothing.
  DirectoryReader() = default;

  // Opens a folder by path (relative paths against the working folder).
  static DirectoryReader Open(const std::string& path);
  // Opens the subfolder `name` of this folder through this folder's descriptor;
  // a link is not followed (the result is then not open).
  DirectoryReader OpenChild(std::string_view name) const;

  bool is_open() const { return dir_ != nullptr; }

  // The next entry, "." and ".." included (for those two the other fields are
  // not measured: a folder of size 0). False when the folder has no more
  // entries or is not open. An entry that vanished before it could be measured
  // is skipped.
  bool Next(DirectoryEntry& entry);

 private:
  struct Closer {
    void operator()(DIR* dir) const { ::closedir(dir); }
  };
  static DirectoryReader FromDescriptor(int fd);

  std::unique_ptr<DIR, Closer> dir_;
  std::string name_;  // the current entry's name, owned across Next() calls
};

}  // namespace morvick::platform
