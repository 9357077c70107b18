#include "platform/directory_reader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace morvick::platform {
namespace {

constexpr int kOpenFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Every folder on the way down holds one descriptor while its subfolders are
// read, so a tree thousands of levels deep needs thousands of them. The soft
// limit (often 1024) is raised to the hard one when a scan starts; past that,
// a folder that cannot be opened counts as empty like any unreadable folder.
void RaiseDescriptorLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

std::unique_ptr<FolderReader> FromDescriptor(int fd);

class SystemFolder final : public FolderReader {
 public:
  explicit SystemFolder(DIR* dir) : dir_(dir) {}

  bool Next(DirectoryEntry& entry) override {
    for (;;) {
      errno = 0;
      const dirent* raw = ::readdir(dir_.get());
      if (raw == nullptr) {
        // readdir tells the end from a failed read only through errno.
        error_ = errno;
        return false;
      }
      name_.assign(raw->d_name);
      entry.name = name_;
      if (IsDotOrDotDot(raw->d_name)) {
        entry.is_directory = true;
        entry.size = 0;
        entry.mtime_seconds = 0;
        return true;
      }
      struct stat st;
      if (::fstatat(::dirfd(dir_.get()), raw->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        // Removed between the listing and the measurement: it is no longer an entry.
        if (errno == ENOENT) continue;
        entry.is_directory = false;
        entry.size = 0;
        entry.mtime_seconds = 0;
        return true;
      }
      entry.is_directory = S_ISDIR(st.st_mode);
      entry.size = static_cast<std::int64_t>(st.st_size);
      entry.mtime_seconds = static_cast<std::int64_t>(st.st_mtim.tv_sec);
      return true;
    }
  }

  int error() const override { return error_; }

  std::unique_ptr<FolderReader> OpenChild(std::string_view name) override {
    const std::string child(name);
    return FromDescriptor(::openat(::dirfd(dir_.get()), child.c_str(), kOpenFlags));
  }

 private:
  struct Closer {
    void operator()(DIR* dir) const { ::closedir(dir); }
  };

  std::unique_ptr<DIR, Closer> dir_;
  std::string name_;  // the current entry's name, owned across Next() calls
  int error_ = 0;
};

// Takes over `fd`, an open folder descriptor; nullptr (with `fd` closed) when it is not one.
std::unique_ptr<FolderReader> FromDescriptor(int fd) {
  if (fd < 0) return nullptr;
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<SystemFolder>(dir);
}

class SystemLister final : public DirectoryLister {
 public:
  std::unique_ptr<FolderReader> Open(const std::string& path) override {
    if (path.empty()) return nullptr;
    RaiseDescriptorLimit();
    return FromDescriptor(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  }
};

}  // namespace

DirectoryLister& SystemDirectories() {
  static SystemLister lister;
  return lister;
}

}  // namespace morvick::platform
