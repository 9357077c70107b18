#include "platform/file_copy.h"

#include "platform/file_descriptor.h"
#include "platform/file_mover.h"
#include "platform/real_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <memory>

namespace morvick::platform {
namespace {

// Gives a finished temporary file its final name in the same folder, through
// the folder held for the rename, never replacing what is there.
int RenameIntoPlace(const std::string& temporary, const std::string& destination) {
  HeldFolder folder;
  if (const int error = HoldFolder(ParentFolder(destination), folder); error != 0) return error;
  const auto name_of = [](const std::string& path) {
    return path.substr(path.find_last_of("/") + 1);
  };
  return RealFileMover().RenameNoReplace(folder, name_of(temporary), folder, name_of(destination));
}

constexpr std::size_t kChunk = 1 << 20;

ItemStatus StatusOf(const struct stat& info) {
  ItemStatus status;
  if (S_ISREG(info.st_mode)) {
    status.kind = ItemStatus::Kind::File;
  } else if (S_ISDIR(info.st_mode)) {
    status.kind = ItemStatus::Kind::Folder;
  } else if (S_ISLNK(info.st_mode)) {
    status.kind = ItemStatus::Kind::Link;
  } else {
    status.kind = ItemStatus::Kind::Other;
  }
  status.size = info.st_size;
  status.mtime_ns =
      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  status.mode = info.st_mode & 07777;
  return status;
}

timespec TimeOf(std::int64_t ns) {
  timespec time{};
  time.tv_sec = static_cast<time_t>(ns / 1000000000);
  time.tv_nsec = static_cast<long>(ns % 1000000000);
  if (time.tv_nsec < 0) {
    time.tv_nsec += 1000000000;
    time.tv_sec -= 1;
  }
  return time;
}

// A name beside `destination` that no other copy uses: ".morvick-<pid>-<n>.tmp".
// The item's own name is left out, so that a name near the file system's
// limit still has a temporary name.
std::string TemporaryNameFor(const std::string& destination) {
  static std::atomic<unsigned> counter{0};
  return JoinPath(ParentFolder(destination), ".morvick-" + std::to_string(::getpid()) + "-" +
                                                 std::to_string(counter++) + ".tmp");
}

int ReadInto(int fd, const ByteSink& sink, int write_fd) {
  const std::unique_ptr<char[]> buffer(new char[kChunk]);
  for (;;) {
    const ssize_t got = ::read(fd, buffer.get(), kChunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (got == 0) return 0;
    if (sink) sink(buffer.get(), static_cast<std::size_t>(got));
    for (ssize_t written = 0; write_fd >= 0 && written < got;) {
      const ssize_t put = ::write(write_fd, buffer.get() + written, got - written);
      if (put < 0) {
        if (errno == EINTR) continue;
        return errno;
      }
      written += put;
    }
  }
}

// Sets mode and times, flushes, closes and renames the temporary file to its
// final name without replacing. Removes it on any failure.
int Finish(FileDescriptor& fd, const std::string& temporary, const std::string& destination,
           const ItemStatus& source) {
  const timespec times[2] = {TimeOf(source.mtime_ns), TimeOf(source.mtime_ns)};
  int error = 0;
  if (::fchmod(fd.get(), source.mode) != 0 || ::futimens(fd.get(), times) != 0 ||
      ::fsync(fd.get()) != 0) {
    error = errno;
  }
  const int close_error = fd.Close();
  if (error == 0) error = close_error;
  if (error == 0) error = RenameIntoPlace(temporary, destination);
  if (error != 0) ::unlink(temporary.c_str());
  return error;
}

class SystemFileCopier final : public FileCopier {
 public:
  ItemStatus Status(const std::string& path) override {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) {
      ItemStatus missing;
      missing.error = errno;
      return missing;
    }
    return StatusOf(info);
  }

  int List(const std::string& folder, std::vector<FolderItem>& items) override {
    const FileDescriptor fd(
        ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd) return errno;
    DIR* dir = ::fdopendir(::dup(fd.get()));
    if (dir == nullptr) return errno;
    const std::unique_ptr<DIR, int (*)(DIR*)> closer(dir, ::closedir);
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(dir);
      if (entry == nullptr) return errno;
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      struct stat info;
      if (::fstatat(fd.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) continue;
        return errno;
      }
      items.push_back({name, StatusOf(info)});
    }
  }

  int Read(const std::string& path, const ByteSink& sink) override {
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd) return errno;
    return ReadInto(fd.get(), sink, -1);
  }

  int CopyRegularFile(const std::string& source, const std::string& destination, CopyMethod method,
                      const ByteSink& sink) override {
    const FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!in) return errno;
    struct stat info;
    if (::fstat(in.get(), &info) != 0) return errno;
    if (!S_ISREG(info.st_mode)) return EINVAL;
    const ItemStatus status = StatusOf(info);
    if (method == CopyMethod::HardLink) {
      // A second name of the same file: complete the moment it appears, and
      // link() never replaces. The bytes are still read once, for the hash.
      if (::link(source.c_str(), destination.c_str()) != 0) return errno;
      const int error = ReadInto(in.get(), sink, -1);
      if (error != 0) ::unlink(destination.c_str());
      return error;
    }
    const std::string temporary = TemporaryNameFor(destination);
    FileDescriptor out(
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!out) return errno;
    int error = 0;
    if (::ioctl(out.get(), FICLONE, in.get()) == 0) {
      error = ReadInto(in.get(), sink, -1);
    } else {
      error = ReadInto(in.get(), sink, out.get());
    }
    if (error != 0) {
      out.Close();
      ::unlink(temporary.c_str());
      return error;
    }
    return Finish(out, temporary, destination, status);
  }

  int ReadLink(const std::string& path, std::string& target) override {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) return errno;
    target.assign(static_cast<std::size_t>(info.st_size) + 1, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) return errno;
    if (static_cast<std::size_t>(length) >= target.size()) return EAGAIN;  // changed meanwhile
    target.resize(static_cast<std::size_t>(length));
    return 0;
  }

  int CopyLink(const std::string& source, const std::string& destination) override {
    struct stat info;
    if (::lstat(source.c_str(), &info) != 0) return errno;
    std::string target;
    if (const int error = ReadLink(source, target); error != 0) return error;
    const std::string temporary = TemporaryNameFor(destination);
    if (::symlink(target.c_str(), temporary.c_str()) != 0) return errno;
    const timespec times[2] = {info.st_mtim, info.st_mtim};
    ::utimensat(AT_FDCWD, temporary.c_str(), times, AT_SYMLINK_NOFOLLOW);
    const int error = RenameIntoPlace(temporary, destination);
    if (error != 0) ::unlink(temporary.c_str());
    return error;
  }

  int MakeFolder(const std::string& path) override {
    return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
  }

  int CopyFolderAttributes(const std::string& source, const std::string& destination) override {
    struct stat info;
    if (::lstat(source.c_str(), &info) != 0) return errno;
    const timespec times[2] = {info.st_mtim, info.st_mtim};
    if (::chmod(destination.c_str(), info.st_mode & 07777) != 0) return errno;
    return ::utimensat(AT_FDCWD, destination.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
  }

  int WriteNewFile(const std::string& path, const std::string& content) override {
    const std::string temporary = TemporaryNameFor(path);
    FileDescriptor out(
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (!out) return errno;
    int error = 0;
    for (std::size_t written = 0; written < content.size() && error == 0;) {
      const ssize_t put = ::write(out.get(), content.data() + written, content.size() - written);
      if (put < 0 && errno != EINTR) error = errno;
      if (put > 0) written += static_cast<std::size_t>(put);
    }
    if (error == 0 && ::fsync(out.get()) != 0) error = errno;
    const int close_error = out.Close();
    if (error == 0) error = close_error;
    if (error == 0) error = RenameIntoPlace(temporary, path);
    if (error != 0) ::unlink(temporary.c_str());
    return error;
  }
};

}  // namespace

FileCopier& RealFileCopier() {
  static SystemFileCopier copier;
  return copier;
}

}  // namespace morvick::platform
