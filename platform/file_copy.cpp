#include "platform/file_copy.h"

#include "platform/direct_write.h"
#include "platform/file_descriptor.h"
#include "platform/file_mover.h"
#include "platform/held_folder.h"
#include "platform/real_path.h"
#include "platform/serial_worker.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
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
// they hold kBatchBytes or are BatchFiles() files. Each keeps its descriptor
// open until then; fewer batches mean fewer flushes, each of which stops the
// reading.
constexpr std::int64_t kBatchBytes = std::int64_t{256} << 20;

// Half of the descriptors the process may open, at most 1,024.
std::size_t BatchFiles() {
  static const std::size_t files = [] {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return std::size_t{256};
    return static_cast<std::size_t>(std::clamp<rlim_t>(limit.rlim_cur / 2, 16, 1024));
  }();
  return files;
}

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

// Fills `buffer` from `fd`: fewer than `size` bytes only at the end of the file.
int ReadFull(int fd, char* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  while (got < size) {
    const ssize_t read = ::read(fd, buffer + got, size - got);
    if (read < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (read == 0) break;
    got += static_cast<std::size_t>(read);
  }
  return 0;
}

// The bytes of `in` into `out` by the kernel alone (copy_file_range), with
// read and write where it cannot.
int CopyBytes(int in, int out) {
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

// One copy's bytes on their way: what the threads that hash and write them
// need, and the first failure they meet.
struct CopyJob {
  CopyJob(int out, ByteSink bytes, unsigned file_mode, std::int64_t mtime_ns)
      : writes(out), sink(std::move(bytes)), fd(out), mode(file_mode) {
    times[0] = times[1] = TimeOf(mtime_ns);
  }
  void Fail(int error) {
    int none = 0;
    failure.compare_exchange_strong(none, error);
  }

  DirectWrites writes;
  ByteSink sink;
  int fd;
  unsigned mode;
  timespec times[2];
  std::atomic<int> failure{0};
  std::atomic<bool> cancelled{false};  // the reading failed: nothing more to do
};

// Reading, hashing and writing side by side: the caller reads a chunk into a
// buffer of the ring; one thread hands it to the copy's sink (the hash) while
// another writes it, directly to the disk where the file system allows it. A
// buffer is read into again once both are done with it, and the next file is
// read while the last chunks of one are still hashed and written.
class CopyPipeline {
 public:
  static constexpr int kSlots = 8;

  CopyPipeline() : ring_(NewAlignedBuffer(kSlots * kChunk)) {}

  // The buffer of kChunk bytes the next Push hands on, once it is free.
  char* Acquire() {
    const std::size_t slot = next_ % kSlots;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this, slot] { return holds_[slot] == 0; });
    return ring_.get() + slot * kChunk;
  }

  // Hands on the buffer of the last Acquire, holding `size` bytes of `job`
  // from `offset`; `last`: they end the file (its mode and time follow them).
  void Push(const std::shared_ptr<CopyJob>& job, std::size_t size, std::int64_t offset, bool last) {
    const std::size_t slot = next_++ % kSlots;
    const char* data = ring_.get() + slot * kChunk;
    {
      const std::lock_guard lock(mutex_);
      holds_[slot] = 2;
    }
    hasher_.Post([this, job, data, size, slot] {
      if (size > 0 && !job->cancelled) {
        try {
          job->sink(data, size);
        } catch (...) {
          job->Fail(EIO);
        }
      }
      Release(slot);
    });
    writer_.Post([this, job, data, size, offset, last, slot] {
      if (!job->cancelled && job->failure == 0) {
        if (const int error = job->writes.WriteAt(data, size, offset); error != 0) {
          job->Fail(error);
        }
      }
      if (last && !job->cancelled && job->failure == 0) {
        if (::fchmod(job->fd, job->mode) != 0 || ::futimens(job->fd, job->times) != 0) {
          job->Fail(errno);
        }
        // What went through the page cache starts for the disk now.
        ::sync_file_range(job->fd, 0, 0, SYNC_FILE_RANGE_WRITE);
      }
      Release(slot);
    });
  }

  // Waits until every chunk handed on is hashed and written.
  void Drain() {
    hasher_.Wait();
    writer_.Wait();
  }

 private:
  void Release(std::size_t slot) {
    {
      const std::lock_guard lock(mutex_);
      --holds_[slot];
    }
    changed_.notify_all();
  }

  AlignedBuffer ring_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int holds_[kSlots] = {};
  std::size_t next_ = 0;
  // Last: their threads end, after their last jobs, before the ring goes.
  SerialWorker hasher_;
  SerialWorker writer_;
};

// A copy complete under its temporary name, waiting for its flush.
struct PendingCopy {
  FileDescriptor fd;
  dev_t device = 0;
  std::string temporary;
  std::string destination;
  PlacedSink placed;
  std::shared_ptr<CopyJob> job;  // when it went through the pipeline
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
                      const ByteSink& sink, const PlacedSink& placed, ItemStatus& copied) override {
    const FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!in) return errno;
    struct stat info;
    if (::fstat(in.get(), &info) != 0) return errno;
    if (!S_ISREG(info.st_mode)) return EINVAL;
    copied = StatusOf(info);
    ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    if (method == CopyMethod::HardLink) {
      // A second name of the same file: complete the moment it appears, and
      // link() never replaces. The bytes are still read once, for the hash.
      if (::link(source.c_str(), destination.c_str()) != 0) return errno;
      // The name links the file that was opened and is read, not one put in
      // its place meanwhile.
      struct stat linked;
      int error = ::lstat(destination.c_str(), &linked) != 0                     ? errno
                  : linked.st_dev != info.st_dev || linked.st_ino != info.st_ino ? EAGAIN
                                                                                 : 0;
      if (error == 0 && sink) error = ReadInto(in.get(), sink, -1);
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
    const ItemStatus status = StatusOf(info);
    std::shared_ptr<CopyJob> job;
    if (error == 0 && ::ioctl(out.get(), FICLONE, in.get()) == 0) {
      // The copy shares the source's blocks; its bytes are read for the hash.
      error = sink ? ReadInto(in.get(), sink, -1) : 0;
    } else if (error == 0 && sink) {
      job = std::make_shared<CopyJob>(out.get(), sink, status.mode, status.mtime_ns);
      error = Feed(in.get(), job);
    } else if (error == 0) {
      error = CopyBytes(in.get(), out.get());
    }
    // A source written to while it was read gives no true copy (nor hash).
    struct stat after;
    if (error == 0 && ::fstat(in.get(), &after) != 0) error = errno;
    if (error == 0 && (after.st_size != info.st_size || !SameTime(after.st_mtim, info.st_mtim) ||
                       !SameTime(after.st_ctim, info.st_ctim))) {
      error = EAGAIN;
    }
    if (job && error != 0) {
      // Its chunks still on their way are dropped before the file goes.
      job->cancelled = true;
      pipeline_->Drain();
    }
    const timespec times[2] = {TimeOf(status.mtime_ns), TimeOf(status.mtime_ns)};
    if (error == 0 && !job &&
        (::fchmod(out.get(), status.mode) != 0 || ::futimens(out.get(), times) != 0)) {
      error = errno;
    }
    if (error != 0) {
      out.Close();
      ::unlink(temporary.c_str());
      return error;
    }
    // Start writing it out now, so that the disk works while the next files
    // are read; the flush of the batch then waits for little. (The pipeline
    // does so itself once it has written the last bytes.)
    if (!job) ::sync_file_range(out.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
    pending_.push_back({std::move(out), made.st_dev, temporary, destination, placed, job});
    pending_bytes_ += status.size;
    if (pending_bytes_ >= kBatchBytes || pending_.size() >= BatchFiles()) FinishCopies();
    return 0;
  }

  // The batch is written out and flushed by one syncfs per file system, and
  // each copy is renamed to its final name only then, so that after a crash
  // a final name holds a whole file and a temporary name at most a part of
  // one. Each file's own write errors are taken from it (sync_file_range
  // waits for its pages and reports them); where syncfs fails, each file is
  // flushed on its own by fsync instead.
  void FinishCopies() override {
    // Every chunk is written (and hashed) first; the threads end with the batch.
    pipeline_.reset();
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
      int error = copy.job ? copy.job->failure.load() : 0;
      if (error != 0) {
        // Not written whole (a full disk); nothing to flush.
      } else if (device->second == 0) {
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
  // Reads `in` into the pipeline for `job`, until its end. 0 or the errno value.
  int Feed(int in, const std::shared_ptr<CopyJob>& job) {
    if (!pipeline_) pipeline_ = std::make_unique<CopyPipeline>();
    for (std::int64_t offset = 0;;) {
      char* buffer = pipeline_->Acquire();
      std::size_t got = 0;
      if (const int error = ReadFull(in, buffer, kChunk, got); error != 0) return error;
      const bool last = got < kChunk;
      pipeline_->Push(job, got, offset, last);
      if (last) return 0;
      offset += static_cast<std::int64_t>(got);
    }
  }

  std::unique_ptr<CopyPipeline> pipeline_;  // while a batch is read
  std::vector<PendingCopy> pending_;
  std::int64_t pending_bytes_ = 0;
};

}  // namespace

FileCopier& RealFileCopier() {
  static SystemFileCopier copier;
  return copier;
}

}  // namespace morvick::platform
