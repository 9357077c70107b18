#include "platform/held_folder.h"

#include "platform/real_path.h"
#include "platform/windows/wide.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <vector>

namespace morvick::platform {
namespace {

using windows::SystemPath;

// Traverse access, which every folder on the way to an entry needs anyway,
// makes the open count for sharing (an open for attributes alone would not),
// and without FILE_SHARE_DELETE nobody can rename or remove the folder while
// it is held. FILE_FLAG_OPEN_REPARSE_POINT opens a link or a junction
// itself, which is then refused.
constexpr DWORD kHoldAccess = FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
constexpr DWORD kHoldSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kFolderFlags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;

struct Identity {
  DWORD attributes = 0;
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
};

bool IdentityOf(HANDLE handle, Identity& identity) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle, &info)) return false;
  identity.attributes = info.dwFileAttributes;
  identity.volume = info.dwVolumeSerialNumber;
  identity.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

bool IsPlainFolder(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// Opens `path` as a folder to hold. Returns 0 or the errno value; ENOTDIR
// for a link, a junction or a file.
int OpenFolder(const std::string& path, HANDLE& handle, Identity& identity) {
  handle = ::CreateFileW(SystemPath(path).c_str(), kHoldAccess, kHoldSharing, nullptr,
                         OPEN_EXISTING, kFolderFlags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    handle = nullptr;
    return windows::LastErrno();
  }
  int error = 0;
  if (!IdentityOf(handle, identity)) {
    error = windows::LastErrno();
  } else if (!IsPlainFolder(identity.attributes)) {
    error = ENOTDIR;
  }
  if (error != 0) {
    ::CloseHandle(handle);
    handle = nullptr;
  }
  return error;
}

// What `path` names now, compared with the folder `volume` and `index`.
FolderState StateOf(const std::string& path, std::uint64_t volume, std::uint64_t index) {
  // Attributes only: such an open is never refused for sharing.
  const HANDLE handle = ::CreateFileW(SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, kFolderFlags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return windows::LastErrno() == ENOENT ? FolderState::Missing : FolderState::Changed;
  }
  Identity identity;
  const bool known = IdentityOf(handle, identity);
  ::CloseHandle(handle);
  return known && IsPlainFolder(identity.attributes) && identity.volume == volume &&
                 identity.index == index
             ? FolderState::InPlace
             : FolderState::Changed;
}

}  // namespace

HeldFolder::~HeldFolder() { Release(); }

HeldFolder::HeldFolder(HeldFolder&& other) noexcept
    : path_(std::move(other.path_)),
      device_(other.device_),
      inode_(other.inode_),
      handle_(other.handle_) {
  other.handle_ = nullptr;
}

HeldFolder& HeldFolder::operator=(HeldFolder&& other) noexcept {
  if (this != &other) {
    Release();
    path_ = std::move(other.path_);
    device_ = other.device_;
    inode_ = other.inode_;
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

HeldFolder::operator bool() const { return handle_ != nullptr; }

void HeldFolder::Release() {
  if (handle_ != nullptr) ::CloseHandle(handle_);
  handle_ = nullptr;
}

FolderState HeldFolder::State() const { return StateOf(path_, device_, inode_); }

FolderState HeldFolder::StateIn(const HeldFolder& parent, const std::string& name) const {
  return StateOf(JoinPath(parent.path_, name), device_, inode_);
}

int HoldFolder(const std::string& path, HeldFolder& folder) {
  if (!IsAbsolutePath(path)) return EINVAL;
  for (std::size_t start = 0; start < path.size();) {
    const std::size_t end = std::min(path.find_first_of("\\/", start), path.size());
    const std::string_view name = std::string_view(path).substr(start, end - start);
    if (name == "." || name == "..") return EINVAL;
    start = end + 1;
  }
  // The folders on the way, outermost first; each is held while the next is
  // opened, so that none of them can be swapped for a junction meanwhile.
  std::vector<std::string> way;
  for (std::string part = path; !IsRootPath(part); part = ParentFolder(part)) {
    way.insert(way.begin(), part);
  }
  if (way.empty()) way.push_back(path);
  HANDLE held = nullptr;
  Identity identity;
  for (const std::string& part : way) {
    HANDLE next = nullptr;
    const int error = OpenFolder(part, next, identity);
    if (held != nullptr) ::CloseHandle(held);
    if (error != 0) return error;
    held = next;
  }
  folder.Release();
  folder.handle_ = held;
  folder.path_ = path;
  folder.device_ = identity.volume;
  folder.inode_ = identity.index;
  return 0;
}

int HoldFolderIn(const HeldFolder& parent, const std::string& name, HeldFolder& folder) {
  if (!IsPlainName(name)) return EINVAL;
  const std::string path = JoinPath(parent.path_, name);
  HANDLE handle = nullptr;
  Identity identity;
  if (const int error = OpenFolder(path, handle, identity)) return error;
  folder.Release();
  folder.handle_ = handle;
  folder.path_ = path;
  folder.device_ = identity.volume;
  folder.inode_ = identity.index;
  return 0;
}

}  // namespace morvick::platform
