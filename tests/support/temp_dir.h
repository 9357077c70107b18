#pragma once

// A temporary folder that removes itself, with one-call makers for the files,
// folders, links and times that the tests need.

#include <cstdint>
#include <ctime>
#include <set>
#include <string>

namespace morvick::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's absolute path, without a trailing "/".
  const std::string& path() const { return path_; }
  // path() + "/" + relative.
  std::string Path(const std::string& relative) const;

  // Makes a file of `size` bytes (sparse, by truncate); parents are created.
  // A non-zero `mtime` sets the last-write time (seconds since the epoch).
  std::string CreateFile(const std::string& relative, std::int64_t size = 0, std::time_t mtime = 0);
  // Makes a file holding `content`.
  std::string WriteFile(const std::string& relative, const std::string& content);
  std::string CreateDir(const std::string& relative);
  std::string CreateSymlink(const std::string& relative, const std::string& target);
  static void SetMtime(const std::string& path, std::time_t mtime);

 private:
  std::string path_;
};

// Reads a whole file; fails the test when it cannot.
std::string ReadFile(const std::string& path);
bool PathExists(const std::string& path);
// The names in a folder, "." and ".." left out; none when it cannot be read.
std::set<std::string> NamesIn(const std::string& folder);

}  // namespace morvick::testing
