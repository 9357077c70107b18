#include "platform/directory_reader.h"

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

}  // namespace

DirectoryReader DirectoryReader::FromDescriptor(int fd) {
  DirectoryReader reader;
  if (fd < 0) return reader;
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return reader;
  }
  reader.dir_.reset(dir);
  return reader;
}

DirectoryReader DirectoryReader::Open(const std::string& path) {
  // The top-level folder may itself be reached through a link, as with any path typed.
  if (path.empty()) return {};
  RaiseDescriptorLimit();
  return FromDescriptor(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

DirectoryReader DirectoryReader::OpenChild(std::string_view name) const {
  if (!dir_) return {};
  const std::string child(name);
  return FromDescriptor(::openat(::dirfd(dir_.get()), child.c_str(), kOpenFlags));
}

bool DirectoryReader::Next(DirectoryEntry& entry) {
  if (!dir_) return false;
  for (;;) {
    errno = 0;
    const dirent* raw = ::readdir(dir_.get());
    if (raw == nullptr) return false;
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

}  // namespace morvick::platform
