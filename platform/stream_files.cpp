#include "platform/stream_files.h"

#include "platform/direct_write.h"
#include "platform/file_copy.h"
#include "platform/file_mover.h"
#include "platform/held_folder.h"
#include "platform/real_path.h"
#include "platform/serial_worker.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>

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

// The bytes of a new file gathered into large aligned buffers, each written
// on a thread of its own while the next fills.
class NewFile::Writes {
 public:
  explicit Writes(int fd) : direct_(fd), ring_(NewAlignedBuffer(kSlots * kSlot)) {}

  char* Space(std::size_t& room) {
    room = kSlot - filled_;
    return ring_.get() + (next_ % kSlots) * kSlot + filled_;
  }

  int Fill(std::size_t size) {
    filled_ += size;
    if (filled_ == kSlot) Hand();
    return Failure();
  }

  // Writes what is left and waits for every write. 0 or the first errno.
  int Finish() {
    if (filled_ > 0) Hand();
    writer_.Wait();
    return Failure();
  }

  // What is still to be written is dropped.
  void Cancel() {
    const std::lock_guard lock(mutex_);
    if (failure_ == 0) failure_ = ECANCELED;
  }

 private:
  static constexpr std::size_t kSlot = std::size_t{4} << 20;
  static constexpr std::size_t kSlots = 3;

  int Failure() {
    const std::lock_guard lock(mutex_);
    return failure_;
  }

  // Writes the current buffer behind the caller's back and waits for the next.
  void Hand() {
    const std::size_t slot = next_++ % kSlots;
    const char* data = ring_.get() + slot * kSlot;
    const std::size_t size = filled_;
    const std::int64_t offset = offset_;
    offset_ += static_cast<std::int64_t>(size);
    filled_ = 0;
    {
      const std::lock_guard lock(mutex_);
      busy_[slot] = true;
    }
    writer_.Post([this, slot, data, size, offset] {
      const int error = Failure() == 0 ? direct_.WriteAt(data, size, offset) : 0;
      {
        const std::lock_guard lock(mutex_);
        if (failure_ == 0) failure_ = error;
        busy_[slot] = false;
      }
      changed_.notify_all();
    });
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !busy_[next_ % kSlots]; });
  }

  DirectWrites direct_;  // used on the writer's thread alone
  AlignedBuffer ring_;
  std::size_t next_ = 0;  // the buffer being filled, counted from the first
  std::size_t filled_ = 0;
  std::int64_t offset_ = 0;  // where the buffer being filled goes
  std::mutex mutex_;
  std::condition_variable changed_;
  bool busy_[kSlots] = {};
  int failure_ = 0;
  SerialWorker writer_;  // last: its thread ends before the buffers go
};

NewFile::NewFile() = default;

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
  writes_ = std::make_unique<Writes>(fd_.get());
  return 0;
}

char* NewFile::Space(std::size_t& room) { return writes_->Space(room); }

int NewFile::Fill(std::size_t size) { return writes_->Fill(size); }

int NewFile::Commit() {
  int error = writes_ ? writes_->Finish() : EBADF;
  writes_.reset();
  if (error == 0 && ::fsync(fd_.get()) != 0) error = errno;
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

bool IsNewFileTemporaryName(std::string_view name) {
  return IsNumberedTemporaryName(name, ".partial");
}

int RemoveNewFileLeftover(const std::string& path) {
  const std::string name = path.substr(path.find_last_of('/') + 1);
  if (!IsNewFileTemporaryName(name)) return EINVAL;
  if (name.starts_with(".morvick-" + std::to_string(::getpid()) + "-")) return EBUSY;
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return errno;
  if (!S_ISREG(info.st_mode)) return EINVAL;
  return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

void NewFile::Discard() {
  if (writes_) writes_->Cancel();
  writes_.reset();
  fd_.Close();
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

void IgnoreFileSizeSignal() { ::signal(SIGXFSZ, SIG_IGN); }

}  // namespace morvick::platform
