#pragma once

// The operations a copy and a verify of volumes are made of, behind an
// interface so that a test can make one of them fail on demand. Every item is
// made under a temporary name in its own folder and renamed without replacing
// when it is complete, so that a final name never shows a part of a file.
// Temporary names are ".morvick-<process id>-<number>.tmp".

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
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

// Told once whether a copied file got its final name: 0, or the errno value
// (its temporary file is gone then).
using PlacedSink = std::function<void(int error)>;

// Whether `name` is ".morvick-" PID "-" NUMBER `suffix`: the form of this
// program's temporary names.
inline bool IsNumberedTemporaryName(std::string_view name, std::string_view suffix) {
  constexpr std::string_view kPrefix = ".morvick-";
  if (name.size() <= kPrefix.size() + suffix.size() || !name.starts_with(kPrefix) ||
      !name.ends_with(suffix)) {
    return false;
  }
  const std::string_view numbers =
      name.substr(kPrefix.size(), name.size() - kPrefix.size() - suffix.size());
  const std::size_t dash = numbers.find('-');
  const auto digits = [](std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
  };
  return dash != std::string_view::npos && digits(numbers.substr(0, dash)) &&
         digits(numbers.substr(dash + 1));
}

// Whether `name` has the form of the temporary names of this program's copies.
inline bool IsCopyTemporaryName(std::string_view name) {
  return IsNumberedTemporaryName(name, ".tmp");
}

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
  // passes through `sink` exactly once, in order, and is written as the sink
  // saw it; a null sink lets the system copy the bytes without showing them.
  // The sink may be called on another thread, also after this returns, until
  // `placed` is told; sinks of two files may run at once. The copy gets its
  // final name only once its bytes are on the disk: copies may wait under
  // their temporary names, to be flushed together, until a later call of this
  // or FinishCopies(). `placed` is told then (when this returns 0; never when
  // it fails), with the error of a write that failed meanwhile. EAGAIN when
  // the source changed while it was read. A failure leaves nothing behind.
  // `copied` is set, before `placed` is told, to the source as it was opened
  // and read (its size, time and mode are the copy's), which may differ from
  // what a listing of its folder said a moment before.
  virtual int CopyRegularFile(const std::string& source, const std::string& destination,
                              CopyMethod method, const ByteSink& sink, const PlacedSink& placed,
                              ItemStatus& copied) = 0;
  // Flushes the copies that wait for their names and gives them their names.
  virtual void FinishCopies() = 0;
  // Removes `path`, a file or a link with a temporary name that a copy left
  // when it was killed. EINVAL for any other name, EISDIR for a folder, EBUSY
  // for a name of this process's own copies.
  virtual int RemoveTemporary(const std::string& path) = 0;
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

// The file system: on Linux FICLONE with a fallback to reading, hashing and
// writing side by side, directly to the disk where the file system allows it
// (or copy_file_range without a sink), one syncfs and fsync round per batch of
// copies, link, symlink, renameat2(RENAME_NOREPLACE); on Windows
// ReadFile/WriteFile and FlushFileBuffers per file, CreateHardLinkW,
// CreateSymbolicLinkW and MoveFileExW without replacing.
FileCopier& RealFileCopier();

}  // namespace morvick::platform
