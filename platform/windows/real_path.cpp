#include "platform/real_path.h"

#include "platform/windows/wide.h"

#include <windows.h>

#include <vector>

namespace morvick::platform {
namespace {

using windows::SystemPath;
using windows::UserPath;
using windows::Wide;

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The length of the root at the start of `path`: 3 for "C:\", the length of
// "\\server\share\" (or of "\\server\share" at the end), 0 when there is none.
std::size_t RootLength(std::string_view path) {
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsPathSeparator(path[2])) {
    return 3;
  }
  if (path.size() < 3 || !IsPathSeparator(path[0]) || !IsPathSeparator(path[1]) ||
      IsPathSeparator(path[2])) {
    return 0;
  }
  std::size_t server_end = 2;
  while (server_end < path.size() && !IsPathSeparator(path[server_end])) ++server_end;
  if (server_end + 1 >= path.size()) return 0;
  std::size_t share_end = server_end + 1;
  while (share_end < path.size() && !IsPathSeparator(path[share_end])) ++share_end;
  if (share_end == server_end + 1) return 0;
  return share_end == path.size() ? share_end : share_end + 1;
}

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > RootLength(path) && !path.empty() && IsPathSeparator(path.back())) {
    path.pop_back();
  }
  return path;
}

// True when a folder on the way to `path`, or `path` itself, is a link or a junction.
bool HasLinkOnTheWay(const std::string& path) {
  for (std::size_t end = RootLength(path); end <= path.size(); ++end) {
    if (end != path.size() && !IsPathSeparator(path[end])) continue;
    if (end > RootLength(path) && KindOf(path.substr(0, end)) == PathKind::Link) return true;
  }
  return false;
}

}  // namespace

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAbsolutePath(std::string_view path) { return RootLength(path) != 0; }

bool IsRootPath(std::string_view path) {
  const std::size_t root = RootLength(path);
  return root != 0 && root == path.size();
}

bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\\:\0", 4)) == std::string_view::npos;
}

std::string ParentFolder(std::string_view path) {
  const std::size_t root = RootLength(path);
  if (root != 0 && root >= path.size()) return std::string(path);
  const std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string_view::npos) return ".";
  if (slash < root) return std::string(path.substr(0, root));
  return std::string(path.substr(0, slash));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty() || !IsPathSeparator(path.back())) path += kPathSeparator;
  path += name;
  return path;
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || IsAbsolutePath(path)) return path;
  return UserPath(windows::FullPath(path));
}

std::optional<std::string> ResolvedPath(const std::string& path) {
  const HANDLE handle = ::CreateFileW(SystemPath(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  std::vector<wchar_t> buffer(MAX_PATH);
  DWORD length = 0;
  for (;;) {
    length = ::GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length < buffer.size()) break;
    buffer.resize(length + 1);
  }
  ::CloseHandle(handle);
  if (length == 0) return std::nullopt;
  return WithoutTrailingSeparator(UserPath(std::wstring_view(buffer.data(), length)));
}

PathKind KindOf(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PathKind::Missing
                                                                          : PathKind::Unknown;
  }
  // Symbolic links and junctions: what they lead to is not where they are.
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return PathKind::Link;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return PathKind::Folder;
  return PathKind::Other;
}

std::optional<std::string> RealFolderPath(std::string_view path) {
  if (!IsAbsolutePath(path)) return std::nullopt;
  // Windows takes "." and ".." by the text of the path, before any link is
  // followed; the full path does the same.
  std::string existing = WithoutTrailingSeparator(UserPath(windows::FullPath(std::string(path))));
  std::vector<std::string> missing;  // innermost first
  for (;;) {
    const PathKind kind = KindOf(existing);
    if (kind == PathKind::Unknown) return std::nullopt;
    if (kind != PathKind::Missing) break;
    if (IsRootPath(existing)) return std::nullopt;
    const std::string parent = ParentFolder(existing);
    missing.push_back(existing.substr(parent.size() + (IsRootPath(parent) ? 0 : 1)));
    existing = WithoutTrailingSeparator(parent);
  }
  std::optional<std::string> real = ResolvedPath(existing);
  // Without a link on the way the full path is already the real one; Wine's
  // GetFinalPathNameByHandleW gives up on paths longer than MAX_PATH.
  if (!real && !HasLinkOnTheWay(existing)) real = existing;
  if (!real) return std::nullopt;
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) *real = JoinPath(*real, *it);
  return real;
}

bool IsSameOrBelow(std::string_view path, std::string_view folder) {
  // Names on Windows are the same whatever their case.
  const std::wstring wide_path = Wide(path);
  const std::wstring wide_folder = Wide(folder);
  if (wide_path.size() < wide_folder.size()) return false;
  if (::CompareStringOrdinal(wide_path.data(), static_cast<int>(wide_folder.size()),
                             wide_folder.data(), static_cast<int>(wide_folder.size()),
                             TRUE) != CSTR_EQUAL) {
    return false;
  }
  return wide_path.size() == wide_folder.size() || IsRootPath(folder) ||
         wide_path[wide_folder.size()] == L'\\' || wide_path[wide_folder.size()] == L'/';
}

}  // namespace morvick::platform
