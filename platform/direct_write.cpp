#include "platform/direct_write.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace morvick::platform {
namespace {

bool Aligned(std::uint64_t value) { return value % kDirectAlignment == 0; }

// 0 or the errno value; `written` says how far it came.
int WriteAll(int fd, const char* data, std::size_t size, std::int64_t offset,
             std::size_t& written) {
  written = 0;
  while (written < size) {
    const ssize_t put = ::pwrite(fd, data + written, size - written,
                                 static_cast<off_t>(offset + static_cast<std::int64_t>(written)));
    if (put < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (put == 0) return EIO;
    written += static_cast<std::size_t>(put);
  }
  return 0;
}

}  // namespace

AlignedBuffer NewAlignedBuffer(std::size_t size) {
  auto* buffer = static_cast<char*>(std::aligned_alloc(kDirectAlignment, size));
  if (buffer == nullptr) throw std::bad_alloc();
  return AlignedBuffer(buffer);
}

DirectWrites::DirectWrites(int fd) : fd_(fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  direct_ = flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_DIRECT) == 0;
}

void DirectWrites::TurnOff() {
  if (!direct_) return;
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags >= 0) ::fcntl(fd_, F_SETFL, flags & ~O_DIRECT);
  direct_ = false;
}

int DirectWrites::WriteAt(const char* data, std::size_t size, std::int64_t offset) {
  std::size_t done = 0;
  if (direct_ && Aligned(reinterpret_cast<std::uintptr_t>(data)) &&
      Aligned(static_cast<std::uint64_t>(offset))) {
    const std::size_t whole = size / kDirectAlignment * kDirectAlignment;
    const int error = WriteAll(fd_, data, whole, offset, done);
    // EINVAL: the device wants another alignment; the cache takes the rest.
    if (error != 0 && error != EINVAL) return error;
  }
  if (done == size) return 0;
  TurnOff();
  std::size_t written = 0;
  return WriteAll(fd_, data + done, size - done, offset + static_cast<std::int64_t>(done), written);
}

}  // namespace morvick::platform
