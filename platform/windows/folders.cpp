#include "platform/folders.h"

#include "common/error.h"
#include "platform/real_path.h"
#include "platform/windows/wide.h"

#include <windows.h>

#include <cerrno>
#include <optional>

namespace morvick::platform {
namespace {

using windows::SystemPath;

struct FileIdentity {
  DWORD volume = 0;
  DWORD index_high = 0;
  DWORD index_low = 0;
};

// The volume and file index of what `path` leads to (links followed).
std::optional<FileIdentity> IdentityOf(const std::string& path) {
  const HANDLE handle = ::CreateFileW(SystemPath(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileInformationByHandle(handle, &info) != 0;
  ::CloseHandle(handle);
  if (!known) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// The volume of the path or, when it does not exist, of its nearest existing ancestor.
std::optional<DWORD> VolumeOfNearest(std::string path) {
  for (;;) {
    if (const std::optional<FileIdentity> identity = IdentityOf(path)) return identity->volume;
    if (path.empty() || IsRootPath(path)) return std::nullopt;
    const std::string parent = ParentFolder(path);
    if (parent == path || parent == ".") return std::nullopt;
    path = parent;
  }
}

DWORD FolderAttributes(const std::string& path) {
  return path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(SystemPath(path).c_str());
}

}  // namespace

bool IsExistingFolder(const std::string& path) {
  const DWORD attributes = FolderAttributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int ProbeFolder(const std::string& path) {
  const DWORD attributes = FolderAttributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return path.empty() ? ENOENT : windows::LastErrno();
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0 : ENOTDIR;
}

void RemoveFolder(const std::string& path) {
  if (::RemoveDirectoryW(SystemPath(path).c_str())) return;
  // The system's own number, which the messages are keyed by.
  throw InOutError(static_cast<int>(::GetLastError()));
}

bool IsSameDirectory(const std::string& a, const std::string& b) {
  if (!IsExistingFolder(a) || !IsExistingFolder(b)) return false;
  const std::optional<FileIdentity> first = IdentityOf(a);
  const std::optional<FileIdentity> second = IdentityOf(b);
  return first && second && first->volume == second->volume &&
         first->index_high == second->index_high && first->index_low == second->index_low;
}

bool IsSameFileSystem(const std::string& input, const std::string& output) {
  const std::optional<DWORD> input_volume = VolumeOfNearest(AbsolutePath(input));
  const std::optional<DWORD> output_volume = VolumeOfNearest(AbsolutePath(output));
  return input_volume && output_volume && *input_volume == *output_volume;
}

}  // namespace morvick::platform
