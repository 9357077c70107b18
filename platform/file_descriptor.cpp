#include "platform/file_descriptor.h"

#include <unistd.h>

#include <cerrno>

namespace morvick::platform {

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) ::close(fd_);
}

int FileDescriptor::Close() {
  const int fd = release();
  return fd < 0 || ::close(fd) == 0 ? 0 : errno;
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.release();
  }
  return *this;
}

}  // namespace morvick::platform
