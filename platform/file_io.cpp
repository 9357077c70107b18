#include "platform/file_io.h"

#include "platform/file_descriptor.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>
#include <string_view>
#include <utility>
#include <vector>

namespace morvick::platform {
namespace {

// The temporary file: removed again unless it was renamed into place.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  ~TemporaryFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  void Own(std::string path) { path_ = std::move(path); }
  const std::string& path() const { return path_; }
  void Release() { path_.clear(); }

 private:
  std::string path_;
};

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file that a write to `path` should replace: the target of a symbolic
// link, so that a linked settings file (kept in a dotfiles folder, say) stays
// linked.
std::string ReplacementTarget(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

int WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t written = ::write(fd, content.data(), content.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    content.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

// Opens a fresh temporary file beside `target`; the name starts with a dot so
// that a leftover from a power cut does not clutter the folder listing.
int OpenTemporary(const std::string& target, TemporaryFile& temporary, int& fd_out) {
  static std::minstd_rand generator{std::random_device{}()};
  const std::string stem = FolderOf(target) + "/." + FileNameOf(target) + ".tmp";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = stem + std::to_string(::getpid()) + "-" + std::to_string(generator());
    const int fd =
        ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0) {
      temporary.Own(std::move(candidate));
      fd_out = fd;
      return 0;
    }
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

// Removes the temporary files that writers of `target` left when they were
// killed mid-write: names of the form ".<name>.tmp<pid>-<number>" whose process
// no longer runs. Files of a live process (another window saving right now)
// and every other name stay.
void RemoveLeftoverTemporaries(const std::string& target) {
  const std::string prefix = "." + FileNameOf(target) + ".tmp";
  FileDescriptor folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!static_cast<bool>(folder)) return;
  DIR* listing = ::fdopendir(::dup(folder.get()));
  if (listing == nullptr) return;
  std::vector<std::string> leftovers;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (name.substr(0, prefix.size()) != prefix) continue;
    const std::string_view tail = name.substr(prefix.size());
    const std::size_t dash = tail.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash + 1 == tail.size()) continue;
    auto all_digits = [](std::string_view digits) {
      return digits.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (!all_digits(tail.substr(0, dash)) || !all_digits(tail.substr(dash + 1))) continue;
    if (dash > 9) continue;  // not a process id
    const pid_t pid = static_cast<pid_t>(std::atol(std::string(tail.substr(0, dash)).c_str()));
    if (pid <= 0 || pid == ::getpid()) continue;
    if (::kill(pid, 0) == 0 || errno != ESRCH) continue;
    leftovers.emplace_back(name);
  }
  ::closedir(listing);
  for (const std::string& name : leftovers) ::unlinkat(folder.get(), name.c_str(), 0);
}

}  // namespace

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

FileRead ReadWholeFile(const std::string& path) {
  // O_NONBLOCK: a FIFO or a device in the file's place must not hang the open;
  // only a regular file is read, and only up to the bound.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd) return {std::nullopt, errno};
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return {std::nullopt, errno};
  if (S_ISDIR(info.st_mode)) return {std::nullopt, EISDIR};
  if (!S_ISREG(info.st_mode)) return {std::nullopt, EINVAL};
  if (info.st_size > kMaxWholeFile) return {std::nullopt, EFBIG};
  std::string content;
  char buffer[16384];
  for (;;) {
    const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EINTR) continue;
      return {std::nullopt, errno};
    }
    if (count == 0) break;
    content.append(buffer, static_cast<std::size_t>(count));
    if (content.size() > static_cast<std::size_t>(kMaxWholeFile)) return {std::nullopt, EFBIG};
  }
  return {std::move(content), 0};
}

bool FileExists(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return true;
  return errno != ENOENT && errno != ENOTDIR;
}

int ReplaceFileAtomically(const std::string& path, std::string_view content) {
  const std::string target = ReplacementTarget(path);
  struct stat old_info {};
  const bool had_file = ::stat(target.c_str(), &old_info) == 0;
  if (had_file && S_ISDIR(old_info.st_mode)) return EISDIR;
  // A device, FIFO or socket (a settings file linked to /dev/null, say) is
  // never replaced by a regular file.
  if (had_file && !S_ISREG(old_info.st_mode)) return EINVAL;

  TemporaryFile temporary;
  int raw_fd = -1;
  if (const int error = OpenTemporary(target, temporary, raw_fd); error != 0) return error;
  FileDescriptor fd(raw_fd);
  if (had_file && ::fchmod(fd.get(), old_info.st_mode & 07777) != 0) return errno;
  if (const int error = WriteAll(fd.get(), content); error != 0) return error;
  if (::fsync(fd.get()) != 0) return errno;
  if (const int error = fd.Close(); error != 0) return error;
  if (::rename(temporary.path().c_str(), target.c_str()) != 0) return errno;
  temporary.Release();

  // Makes the rename itself durable; the new file is already complete, so a
  // failure here is not reported.
  FileDescriptor folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (static_cast<bool>(folder)) ::fsync(folder.get());
  RemoveLeftoverTemporaries(target);
  return 0;
}

int CreateParentFolders(const std::string& path) {
  const std::string folder = FolderOf(path);
  struct stat info {};
  if (::stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
  if (errno != ENOENT) return errno;
  if (folder != path) {
    if (const int error = CreateParentFolders(folder); error != 0) return error;
  }
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  return 0;
}

}  // namespace morvick::platform
