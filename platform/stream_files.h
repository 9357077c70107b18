#pragma once

// Files read or written a piece at a time, for disc images: a file of the
// input opened for reading without following a link, and a new file written
// under a temporary name beside its final one and given that name, without
// replacing anything, only once it is complete and flushed. Linux only: disc
// images are not made on Windows.

#include "platform/file_descriptor.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace morvick::platform {

class InputFile {
 public:
  // 0 or the errno value. A link is not followed (ELOOP); anything but a
  // regular file gives EINVAL; `size` and `mtime_ns` are the file's now.
  int Open(const std::string& path, std::int64_t& size, std::int64_t& mtime_ns);
  // Bytes read (0 at the end), or -errno.
  long Read(char* buffer, std::size_t count);
  void Close() { fd_.Close(); }

 private:
  FileDescriptor fd_;
};

class NewFile {
 public:
  NewFile();
  ~NewFile();  // removes the temporary file unless it was committed
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // Creates the temporary file for `path` in the same folder. 0 or errno.
  int Create(const std::string& path);
  // Room for the next bytes, to be made in place; `room` is set to its size
  // (never 0).
  char* Space(std::size_t& room);
  // Writes the first `size` bytes of the last room. 0 or errno (ENOSPC for a
  // full disk, EFBIG past the file size limit). The bytes go to the disk on a
  // thread of their own, directly where the file system allows it, while the
  // next are made: a failure may show only at a later call or at Commit().
  int Fill(std::size_t size);
  // Flushes, closes and gives the file its final name; EEXIST when something
  // has that name meanwhile. On any failure the temporary file is removed.
  int Commit();
  // Removes the temporary file now.
  void Discard();

  const std::string& temporary() const { return temporary_; }

 private:
  class Writes;  // the buffers and the thread behind Write()

  std::unique_ptr<Writes> writes_;
  FileDescriptor fd_;
  std::string path_;
  std::string temporary_;
};

// Whether `name` has the form of NewFile's temporary names.
bool IsNewFileTemporaryName(std::string_view name);
// Removes what a killed run left under one of NewFile's temporary names: a
// regular file of that form only, never one this process is writing. 0 or
// the errno value.
int RemoveNewFileLeftover(const std::string& path);

// A write past the file size limit fails with EFBIG instead of killing the
// process (SIGXFSZ), so that the partial file can be removed.
void IgnoreFileSizeSignal();

}  // namespace morvick::platform
