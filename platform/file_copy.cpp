#include "platform/file_copy.h"

#include "platform/file_descriptor.h"
#include "platform/file_mover.h"
#include "platform/held_folder.h"
#include "platform/real_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

namespace morvick::platform {
namespace {

std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// Gives a finished temporary file its final name in the same folder, through
// the folder held for the rename (`folder`, held again unless it is that
// folder already), never replacing what is there.
int RenameIntoPlace(const std::string& temporary, const std::string& destination,
                    HeldFolder& folder) {
  const std::string parent = ParentFolder(destination);
  if (!folder || folder.path() != parent) {
    folder = HeldFolder();
    if (const int error = HoldFolder(parent, folder); error != 0) return error;
  }
  return RealFileMover().RenameNoReplace(folder, NameOf(temporary), folder, NameOf(destination));
}

int RenameIntoPlace(const std::string& temporary, const std::string& destination) {
  HeldFolder folder;
  return RenameIntoPlace(temporary, destination, folder);
}

constexpr std::size_t kChunk = 1 << 20;
// Copies wait under their temporary names for one flush of them all, until
// they hold this many bytes or are this many files (each keeps its
// descriptor open until then).
constexpr std::int64_t kBatchBytes = std::int64_t{64} << 20;
constexpr std::size_t kBatchFiles = 256;

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

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
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

// Reads `in` into `out` with `sink` on a second thread, some chunks behind:
// while the sink (the hash) takes chunk n, chunk n is written and the next
// ones read. A buffer is read into again only once the sink is done with it;
// the ring of kSlots chunks of `buffers` lets either side run ahead a little
// when the other waits for a processor.
constexpr int kSlots = 4;
int ReadIntoOverlapped(int in, const ByteSink& sink, int out, char* buffers) {
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t sizes[kSlots] = {};  // bytes for the sink, 0 when it is done with the buffer
  bool ended = false;
  std::exception_ptr failure;
  std::thread taker([&] {
    for (int i = 0;; i = (i + 1) % kSlots) {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return sizes[i] != 0 || ended; });
      if (sizes[i] == 0) return;
      const std::size_t size = sizes[i];
      lock.unlock();
      try {
        sink(buffers + i * kChunk, size);
      } catch (...) {
        lock.lock();
        failure = std::current_exception();
        std::fill(std::begin(sizes), std::end(sizes), 0);
        changed.notify_all();
        return;
      }
      lock.lock();
      sizes[i] = 0;
      changed.notify_all();
    }
  });
  int error = 0;
  for (int i = 0; error == 0; i = (i + 1) % kSlots) {
    char* buffer = buffers + i * kChunk;
    {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return sizes[i] == 0; });
      if (failure) break;
    }
    ssize_t got = 0;
    do {
      got = ::read(in, buffer, kChunk);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
      if (got < 0) error = errno;
      break;
    }
    {
      const std::lock_guard lock(mutex);
      sizes[i] = static_cast<std::size_t>(got);
    }
    changed.notify_all();
    for (ssize_t written = 0; written < got;) {
      const ssize_t put = ::write(out, buffer + written, got - written);
      if (put < 0 && errno != EINTR) {
        error = errno;
        break;
      }
      if (put > 0) written += put;
    }
  }
  {
    const std::lock_guard lock(mutex);
    ended = true;
  }
  changed.notify_all();
  taker.join();
  if (failure) std::rethrow_exception(failure);
  return error;
}

// The bytes of `in` into `out`: through `sink` when there is one, else by the
// kernel alone (copy_file_range), with read and write where it cannot.
int CopyBytes(int in, int out, const ByteSink& sink, std::int64_t size,
              std::unique_ptr<char[]>& ring) {
  if (sink && size > static_cast<std::int64_t>(kChunk)) {
    if (!ring) ring.reset(new char[kSlots * kChunk]);
    return ReadIntoOverlapped(in, sink, out, ring.get());
  }
  if (sink) return ReadInto(in, sink, out);
  for (bool started = false;; started = true) {
    const ssize_t put = ::copy_file_range(in, nullptr, out, nullptr, kChunk * 8, 0);
    if (put == 0) return 0;
    if (put > 0) continue;
    if (errno == EINTR) continue;
    if (!started && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
      return ReadInto(in, nullptr, out);
    }
    return errno;
  }
}

// A copy complete under its temporary name, waiting for its flush.
struct PendingCopy {
  FileDescriptor fd;
  dev_t device = 0;
  std::string temporary;
  std::string destination;
  PlacedSink placed;
};

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
                      const ByteSink& sink, const PlacedSink& placed) override {
    const FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!in) return errno;
    struct stat info;
    if (::fstat(in.get(), &info) != 0) return errno;
    if (!S_ISREG(info.st_mode)) return EINVAL;
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    if (method == CopyMethod::HardLink) {
      // A second name of the same file: complete the moment it appears, and
      // link() never replaces. The bytes are still read once, for the hash.
      if (::link(source.c_str(), destination.c_str()) != 0) return errno;
      const int error = sink ? ReadInto(in.get(), sink, -1) : 0;
      if (error != 0) {
        ::unlink(destination.c_str());
        return error;
      }
      if (placed) placed(0);
      return 0;
    }
    const std::string temporary = TemporaryNameFor(destination);
    FileDescriptor out(
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!out) return errno;
    struct stat made;
    int error = ::fstat(out.get(), &made) == 0 ? 0 : errno;
    if (error == 0 && ::ioctl(out.get(), FICLONE, in.get()) == 0) {
      // The copy shares the source's blocks; its bytes are read for the hash.
      error = sink ? ReadInto(in.get(), sink, -1) : 0;
    } else if (error == 0) {
      error = CopyBytes(in.get(), out.get(), sink, info.st_size, ring_);
    }
    // A source written to while it was read gives no true copy (nor hash).
    struct stat after;
    if (error == 0 && ::fstat(in.get(), &after) != 0) error = errno;
    if (error == 0 && (after.st_size != info.st_size || !SameTime(after.st_mtim, info.st_mtim) ||
                       !SameTime(after.st_ctim, info.st_ctim))) {
      error = EAGAIN;
    }
    const ItemStatus status = StatusOf(info);
    const timespec times[2] = {TimeOf(status.mtime_ns), TimeOf(status.mtime_ns)};
    if (error == 0 &&
        (::fchmod(out.get(), status.mode) != 0 || ::futimens(out.get(), times) != 0)) {
      error = errno;
    }
    if (error != 0) {
      out.Close();
      ::unlink(temporary.c_str());
      return error;
    }
    // Start writing it out now, so that the disk works while the next files
    // are read; the flush of the batch then waits for little.
    ::sync_file_range(out.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
    pending_.push_back({std::move(out), made.st_dev, temporary, destination, placed});
    pending_bytes_ += status.size;
    if (pending_bytes_ >= kBatchBytes || pending_.size() >= kBatchFiles) FinishCopies();
    return 0;
  }

  // The batch is written out and flushed by one syncfs per file system, and
  // each copy is renamed to its final name only then, so that after a crash
  // a final name holds a whole file and a temporary name at most a part of
  // one. Each file's own write errors are taken from it (sync_file_range
  // waits for its pages and reports them); where syncfs fails, each file is
  // flushed on its own by fsync instead.
  void FinishCopies() override {
    std::vector<PendingCopy> batch = std::move(pending_);
    pending_.clear();
    pending_bytes_ = 0;
    std::vector<std::pair<dev_t, int>> synced;  // device, syncfs's error
    HeldFolder folder;
    for (PendingCopy& copy : batch) {
      auto device = std::find_if(synced.begin(), synced.end(),
                                 [&copy](const auto& done) { return done.first == copy.device; });
      if (device == synced.end()) {
        const int sync_error = ::syncfs(copy.fd.get()) == 0 ? 0 : errno;
        device = synced.insert(synced.end(), {copy.device, sync_error});
      }
      int error = 0;
      if (device->second == 0) {
        constexpr unsigned kWait =
            SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
        if (::sync_file_range(copy.fd.get(), 0, 0, kWait) != 0) error = errno;
      } else if (::fsync(copy.fd.get()) != 0) {
        error = errno;
      }
      const int close_error = copy.fd.Close();
      if (error == 0) error = close_error;
      if (error == 0) error = RenameIntoPlace(copy.temporary, copy.destination, folder);
      if (error != 0) ::unlink(copy.temporary.c_str());
      if (copy.placed) copy.placed(error);
    }
  }

  int RemoveTemporary(const std::string& path) override {
    const std::string name = path.substr(path.find_last_of('/') + 1);
    if (!IsCopyTemporaryName(name)) return EINVAL;
    if (name.starts_with(".morvick-" + std::to_string(::getpid()) + "-")) return EBUSY;
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) return errno;
    if (S_ISDIR(info.st_mode)) return EISDIR;
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
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

 private:
  std::unique_ptr<char[]> ring_;  // the chunks of ReadIntoOverlapped, kept from file to file
  std::vector<PendingCopy> pending_;
  std::int64_t pending_bytes_ = 0;
};

}  // namespace

FileCopier& RealFileCopier() {
  static SystemFileCopier copier;
  return copier;
}

}  // namespace morvick::platform
