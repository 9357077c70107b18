#include "platform/file_descriptor.h"

#include <io.h>

#include <cerrno>

namespace morvick::platform {

// The descriptors of the C runtime, each over a Win32 handle.

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::_close(fd_);
}

int FileDescriptor::Close() {
  const int fd = release();
  return fd < 0 || ::_close(fd) == 0 ? 0 : errno;
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::_close(fd_);
    fd_ = other.release();
  }
  return *this;
}

}  // namespace morvick::platform
