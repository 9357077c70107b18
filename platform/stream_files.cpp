#include "platform/stream_files.h"

#include "platform/file_mover.h"
#include "platform/held_folder.h"
#include "platform/real_path.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace morvick::platform {

int InputFile::Open(const std::string& path, std::int64_t& size, std::int64_t& mtime_ns) {
  fd_ = FileDescriptor(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
  if (!fd_) return errno;
  struct stat info {};
  if (::fstat(fd_.get(), &info) != 0) return errno;
  if (!S_ISREG(info.st_mode)) {
    fd_.Close();
    return EINVAL;
  }
  size = info.st_size;
  mtime_ns = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return 0;
}

long InputFile::Read(char* buffer, std::size_t count) {
  std::size_t got = 0;
  while (got < count) {
    const ssize_t read = ::read(fd_.get(), buffer + got, count - got);
    if (read < 0 && errno == EINTR) continue;
    if (read < 0) return -errno;
    if (read == 0) break;
    got += static_cast<std::size_t>(read);
  }
  return static_cast<long>(got);
}

NewFile::~NewFile() { Discard(); }

int NewFile::Create(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  path_ = path;
  temporary_ = JoinPath(ParentFolder(path), ".morvick-" + std::to_string(::getpid()) + "-" +
                                                std::to_string(counter++) + ".partial");
  fd_ = FileDescriptor(
      ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
  if (!fd_) {
    temporary_.clear();
    return errno;
  }
  return 0;
}

int NewFile::Write(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(fd_.get(), data, size);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return errno;
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return 0;
}

int NewFile::Commit() {
  int error = ::fsync(fd_.get()) == 0 ? 0 : errno;
  const int close_error = fd_.Close();
  if (error == 0) error = close_error;
  if (error == 0) {
    HeldFolder folder;
    error = HoldFolder(ParentFolder(path_), folder);
    if (error == 0) {
      error = RealFileMover().RenameNoReplace(folder, temporary_.substr(temporary_.rfind('/') + 1),
                                              folder, path_.substr(path_.rfind('/') + 1));
    }
  }
  if (error == 0) {
    temporary_.clear();
  } else {
    Discard();
  }
  return error;
}

void NewFile::Discard() {
  fd_.Close();
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

void IgnoreFileSizeSignal() { ::signal(SIGXFSZ, SIG_IGN); }

}  // namespace morvick::platform
