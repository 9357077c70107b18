#pragma once

// An append-only file of records (a move's journal): created exclusively and
// private to the user, every append flushed to disk before it returns, and
// locked while a move or an undo works on it (flock here; on Windows LockFileEx
// on a byte past the end, since Windows locks keep out readers too).

#include "platform/file_descriptor.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace morvick::platform {

class RecordFile {
 public:
  // Creates `path`, which must not exist, with mode 0600, and the folders that
  // hold it (mode 0700) when missing, adding those it made to `made_folders`
  // (outermost first). `tighten`: the folder that holds it, when it exists and
  // belongs to the user, is made private too. Raises Error naming the file.
  static RecordFile Create(const std::string& path, bool tighten,
                           std::vector<std::string>& made_folders);
  // Opens an existing regular file for reading and appending. Raises Error.
  static RecordFile Open(const std::string& path);

  // Whether the file belongs to this user (root's to root) and no one else may
  // write it: a journal that another user could have written is not acted on.
  // On Windows the user's own profile folders make it so: always true there.
  bool IsPrivateToUser() const;
  // Takes the exclusive lock without waiting; false when another process holds it.
  bool TryLock();
  // The whole content.
  std::string ReadAll() const;
  // Calls `line(text, end_offset, too_long)` for every whole line in order
  // (without its newline; `end_offset` is the byte after it). A line longer
  // than `max_line` is passed cut to that length with `too_long`. A last line
  // without its newline is not passed. Stops when `line` returns false.
  // Raises Error when the file cannot be read.
  void ForEachLine(std::size_t max_line,
                   const std::function<bool(std::string_view, std::size_t, bool)>& line) const;
  // The first `length` bytes at most.
  std::string ReadHead(std::size_t length) const;
  // Cuts the file to `length` bytes (a record cut off by a crash). Raises Error.
  void Truncate(std::size_t length);
  // Writes `bytes` at the end and flushes them to disk. Raises Error.
  void Append(std::string_view bytes);
  // Removes the file (a journal of a move that never began) and then the
  // folders made for it, innermost first, where they are empty.
  void Remove(const std::vector<std::string>& made_folders);

  const std::string& path() const { return path_; }
  explicit operator bool() const { return static_cast<bool>(fd_); }

 private:
  RecordFile(std::string path, FileDescriptor fd) : path_(std::move(path)), fd_(std::move(fd)) {}

  std::string path_;
  FileDescriptor fd_;
};

// A regular file of a folder, with its last-write time.
struct FolderFile {
  std::string path;
  std::int64_t mtime_ns = 0;
};

// The regular files of `folder` whose names end in `suffix`; none when the
// folder cannot be read.
std::vector<FolderFile> FilesInFolder(const std::string& folder, std::string_view suffix);

// Makes `folder` and its missing parents with mode 0700, adding those it made
// to `made` (outermost first). With `tighten` (the journal folder), an
// existing `folder` must belong to the user, and is made private when it is
// not (the journal folder of an older version). Raises Error.
void MakePrivateFolder(const std::string& folder, bool tighten, std::vector<std::string>& made);

}  // namespace morvick::platform
