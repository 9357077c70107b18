#include "platform/file_io.h"

#include "platform/real_path.h"
#include "platform/windows/handle.h"
#include "platform/windows/wide.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <utility>
#include <vector>

namespace morvick::platform {
namespace {

using windows::SystemPath;

using windows::Handle;

// The temporary file: removed again unless it was renamed into place.
class TemporaryFile {
 public:
  TemporaryFile() = default;
  ~TemporaryFile() {
    if (!path_.empty()) ::DeleteFileW(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  void Own(std::wstring path) { path_ = std::move(path); }
  const std::wstring& path() const { return path_; }
  void Release() { path_.clear(); }

 private:
  std::wstring path_;
};

std::string FileNameOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file that a write to `path` should replace: the target of a symbolic
// link, so that a linked settings file stays linked.
std::string ReplacementTarget(const std::string& path) {
  if (KindOf(path) != PathKind::Link) return path;
  return ResolvedPath(path).value_or(path);
}

bool IsProcessRunning(DWORD pid) {
  const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (process == nullptr) return ::GetLastError() != ERROR_INVALID_PARAMETER;
  const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  ::CloseHandle(process);
  return running;
}

// Removes the temporary files that writers of `target` left when they were
// killed mid-write: names of the form ".<name>.tmp<pid>-<number>" whose process
// no longer runs.
void RemoveLeftoverTemporaries(const std::string& target) {
  const std::string prefix = "." + FileNameOf(target) + ".tmp";
  const std::string folder = ParentFolder(target);
  WIN32_FIND_DATAW data{};
  const HANDLE find = ::FindFirstFileExW(SystemPath(JoinPath(folder, prefix + "*")).c_str(),
                                         FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> leftovers;
  do {
    const std::string name = windows::Narrow(data.cFileName);
    if (name.substr(0, prefix.size()) != prefix) continue;
    const std::string tail = name.substr(prefix.size());
    const std::size_t dash = tail.find('-');
    if (dash == 0 || dash == std::string::npos || dash + 1 == tail.size() || dash > 9) continue;
    if (tail.find_first_not_of("0123456789-") != std::string::npos ||
        tail.find('-', dash + 1) != std::string::npos) {
      continue;
    }
    const auto pid = static_cast<DWORD>(std::stoul(tail.substr(0, dash)));
    if (pid == 0 || pid == ::GetCurrentProcessId() || IsProcessRunning(pid)) continue;
    leftovers.push_back(name);
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  for (const std::string& name : leftovers) {
    ::DeleteFileW(SystemPath(JoinPath(folder, name)).c_str());
  }
}

}  // namespace

bool IsRegularFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_DEVICE) == 0;
}

FileRead ReadWholeFile(const std::string& path) {
  const std::wstring system_path = SystemPath(path);
  const DWORD attributes = ::GetFileAttributesW(system_path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return {std::nullopt, windows::LastErrno()};
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return {std::nullopt, EISDIR};
  Handle file(::CreateFileW(system_path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {std::nullopt, windows::LastErrno()};
  // Only a file on a disk is read: a device or a pipe in its place is refused.
  if (::GetFileType(file.get()) != FILE_TYPE_DISK) return {std::nullopt, EINVAL};
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) return {std::nullopt, windows::LastErrno()};
  if (size.QuadPart > kMaxWholeFile) return {std::nullopt, EFBIG};
  std::string content;
  char buffer[16384];
  for (;;) {
    DWORD count = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr)) {
      return {std::nullopt, windows::LastErrno()};
    }
    if (count == 0) break;
    content.append(buffer, count);
    if (content.size() > static_cast<std::size_t>(kMaxWholeFile)) return {std::nullopt, EFBIG};
  }
  return {std::move(content), 0};
}

bool FileExists(const std::string& path) {
  if (::GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = ::GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
         error != ERROR_INVALID_NAME;
}

int ReplaceFileAtomically(const std::string& path, std::string_view content) {
  const std::string target = ReplacementTarget(path);
  const std::wstring system_target = SystemPath(target);
  const DWORD old_attributes = ::GetFileAttributesW(system_target.c_str());
  const bool had_file = old_attributes != INVALID_FILE_ATTRIBUTES;
  if (had_file && (old_attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EISDIR;
  if (had_file && (old_attributes & FILE_ATTRIBUTE_DEVICE) != 0) return EINVAL;

  static std::minstd_rand generator{std::random_device{}()};
  const std::string stem =
      JoinPath(ParentFolder(target),
               "." + FileNameOf(target) + ".tmp" + std::to_string(::GetCurrentProcessId()) + "-");
  TemporaryFile temporary;
  HANDLE raw = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && raw == INVALID_HANDLE_VALUE; ++attempt) {
    std::wstring candidate = SystemPath(stem + std::to_string(generator()));
    raw = ::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw != INVALID_HANDLE_VALUE) {
      temporary.Own(std::move(candidate));
    } else if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) {
      return windows::LastErrno();
    }
  }
  if (raw == INVALID_HANDLE_VALUE) return EEXIST;
  Handle file(raw);
  while (!content.empty()) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file.get(), content.data(), piece, &written, nullptr)) {
      return windows::LastErrno();
    }
    content.remove_prefix(written);
  }
  if (!::FlushFileBuffers(file.get())) return windows::LastErrno();
  if (!file.Close()) return windows::LastErrno();
  if (!::MoveFileExW(temporary.path().c_str(), system_target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return windows::LastErrno();
  }
  temporary.Release();
  RemoveLeftoverTemporaries(target);
  return 0;
}

int CreateParentFolders(const std::string& path) {
  const std::string folder = ParentFolder(path);
  if (folder == path || folder == "." || IsRootPath(folder)) return 0;
  const DWORD attributes = ::GetFileAttributesW(SystemPath(folder).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? 0 : ENOTDIR;
  }
  const DWORD error = ::GetLastError();
  if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
    return windows::ErrnoOf(error);
  if (const int parent_error = CreateParentFolders(folder); parent_error != 0) return parent_error;
  if (!::CreateDirectoryW(SystemPath(folder).c_str(), nullptr) &&
      ::GetLastError() != ERROR_ALREADY_EXISTS) {
    return windows::LastErrno();
  }
  return 0;
}

}  // namespace morvick::platform
