#include "platform/held_folder.h"

#include "platform/real_path.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace morvick::platform {
namespace {

// O_PATH: a folder is held by what it is, not by a permission to read it, and
// the descriptor serves the *at calls. With O_DIRECTORY a link that
// O_NOFOLLOW keeps from being followed gives ENOTDIR.
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

int Close(int fd) { return fd >= 0 ? ::close(fd) : 0; }

FolderState StateOf(int result, const struct stat& info, std::uint64_t device,
                    std::uint64_t inode) {
  if (result != 0) return errno == ENOENT ? FolderState::Missing : FolderState::Changed;
  return S_ISDIR(info.st_mode) && info.st_dev == device && info.st_ino == inode
             ? FolderState::InPlace
             : FolderState::Changed;
}

}  // namespace

HeldFolder::~HeldFolder() { Close(fd_); }

HeldFolder::HeldFolder(HeldFolder&& other) noexcept
    : path_(std::move(other.path_)), device_(other.device_), inode_(other.inode_), fd_(other.fd_) {
  other.fd_ = -1;
}

HeldFolder& HeldFolder::operator=(HeldFolder&& other) noexcept {
  if (this != &other) {
    Close(fd_);
    path_ = std::move(other.path_);
    device_ = other.device_;
    inode_ = other.inode_;
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

HeldFolder::operator bool() const { return fd_ >= 0; }

void HeldFolder::Release() {
  Close(fd_);
  fd_ = -1;
}

FolderState HeldFolder::State() const {
  struct stat info {};
  const int result = ::lstat(path_.c_str(), &info);
  return StateOf(result, info, device_, inode_);
}

FolderState HeldFolder::StateIn(const HeldFolder& parent, const std::string& name) const {
  struct stat info {};
  const int result = ::fstatat(parent.fd_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW);
  return StateOf(result, info, device_, inode_);
}

namespace {

// The device and inode of an open folder; closes it when they cannot be read.
int Identify(int fd, std::uint64_t& device, std::uint64_t& inode) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    Close(fd);
    return error;
  }
  device = info.st_dev;
  inode = info.st_ino;
  return 0;
}

}  // namespace

int HoldFolder(const std::string& path, HeldFolder& folder) {
  if (!IsAbsolutePath(path)) return EINVAL;
  int current = ::open("/", kFolderFlags);
  if (current < 0) return errno;
  for (std::size_t start = 0; start < path.size();) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string name = path.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    if (name == "." || name == "..") {
      Close(current);
      return EINVAL;
    }
    const int next = ::openat(current, name.c_str(), kFolderFlags);
    const int error = errno;
    Close(current);
    if (next < 0) return error;
    current = next;
  }
  HeldFolder held;
  if (const int error = Identify(current, held.device_, held.inode_)) return error;
  held.fd_ = current;
  held.path_ = path;
  folder = std::move(held);
  return 0;
}

int HoldFolderIn(const HeldFolder& parent, const std::string& name, HeldFolder& folder) {
  if (!IsPlainName(name)) return EINVAL;
  const int fd = ::openat(parent.fd_, name.c_str(), kFolderFlags);
  if (fd < 0) return errno;
  HeldFolder held;
  if (const int error = Identify(fd, held.device_, held.inode_)) return error;
  held.fd_ = fd;
  held.path_ = JoinPath(parent.path_, name);
  folder = std::move(held);
  return 0;
}

}  // namespace morvick::platform
