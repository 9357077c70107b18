#pragma once

// The operations a copy and a verify of volumes are made of, behind an
// interface so that a test can make one of them fail on demand. Every item is
// made under a temporary name in its own folder and renamed without replacing
// when it is complete, so that a final name never shows a part of a file.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace morvick::platform {

// What a path names, links not followed, with what a copy keeps of it.
struct ItemStatus {
  enum class Kind { Missing, File, Folder, Link, Other };
  Kind kind = Kind::Missing;
  std::int64_t size = 0;      // files: bytes; links: length of the target text
  std::int64_t mtime_ns = 0;  // last-write time, nanoseconds since the epoch
  unsigned mode = 0;          // permission bits (0 on Windows)
  int error = 0;              // why it could not be examined (Missing then)
};

struct FolderItem {
  std::string name;
  ItemStatus status;
};

// Receives the bytes of a file as they are read.
using ByteSink = std::function<void(const char* data, std::size_t size)>;

// Whether a copy may share the source's blocks: a reflink where the file
// system offers one, else a plain copy; or a hard link (one file system only).
enum class CopyMethod { Copy, HardLink };

class FileCopier {
 public:
  virtual ~FileCopier() = default;

  virtual ItemStatus Status(const std::string& path) = 0;
  // The items of a folder, "." and ".." left out. 0 or the errno value.
  virtual int List(const std::string& folder, std::vector<FolderItem>& items) = 0;
  // Reads a whole regular file into `sink`. 0 or the errno value.
  virtual int Read(const std::string& path, const ByteSink& sink) = 0;
  // The target text of a link. 0 or the errno value.
  virtual int ReadLink(const std::string& path, std::string& target) = 0;

  // Copies the regular file `source` to `destination`, which must not exist
  // (EEXIST then), with its mode and last-write time. Every byte of the source
  // passes through `sink` exactly once. A failure leaves nothing behind.
  virtual int CopyRegularFile(const std::string& source, const std::string& destination,
                              CopyMethod method, const ByteSink& sink) = 0;
  // Makes a symbolic link at `destination` with the target text of the link
  // `source` (never followed). EEXIST when something is there.
  virtual int CopyLink(const std::string& source, const std::string& destination) = 0;
  // Creates one folder (its parent must exist). EEXIST when something is there.
  virtual int MakeFolder(const std::string& path) = 0;
  // Gives a folder the mode and last-write time of another (after its filling,
  // which changes the time).
  virtual int CopyFolderAttributes(const std::string& source, const std::string& destination) = 0;
  // Writes a new file holding `content` (temporary name, flush, rename without
  // replacing). EEXIST when something is at `path`.
  virtual int WriteNewFile(const std::string& path, const std::string& content) = 0;
};

// The file system: on Linux FICLONE with a fallback to read and write, link,
// symlink, renameat2(RENAME_NOREPLACE); on Windows ReadFile/WriteFile,
// CreateHardLinkW, CreateSymbolicLinkW and MoveFileExW without replacing.
FileCopier& RealFileCopier();

}  // namespace morvick::platform
