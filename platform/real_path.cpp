#include "platform/real_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

namespace morvick::platform {

bool IsPathSeparator(char c) { return c == '/'; }

bool IsAbsolutePath(std::string_view path) { return !path.empty() && path.front() == '/'; }

bool IsRootPath(std::string_view path) {
  return !path.empty() && path.find_first_not_of('/') == std::string_view::npos;
}

bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

std::string ParentFolder(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string_view::npos) return ".";
  return slash == 0 ? std::string("/") : std::string(path.substr(0, slash));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  const std::unique_ptr<char, decltype(&std::free)> cwd(::getcwd(nullptr, 0), &std::free);
  if (!cwd) return path;
  const std::string folder = cwd.get();
  return folder == "/" ? "/" + path : folder + "/" + path;
}

std::optional<std::string> ResolvedPath(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                         &std::free);
  if (!real) return std::nullopt;
  return std::string(real.get());
}

PathKind KindOf(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0)
    return errno == ENOENT ? PathKind::Missing : PathKind::Unknown;
  if (S_ISDIR(info.st_mode)) return PathKind::Folder;
  if (S_ISLNK(info.st_mode)) return PathKind::Link;
  return PathKind::Other;
}

std::optional<std::string> RealFolderPath(std::string_view path) {
  if (path.empty() || path.front() != '/') return std::nullopt;
  // Walk the parts one by one: `current` is always a real path, or a real path
  // followed by missing parts, so ".." after a link leaves the link's target
  // and ".." after a missing part drops that part.
  std::string current = "/";
  bool missing = false;
  std::size_t start = 0;
  while (start < path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      current = ParentFolder(current);
      if (missing) missing = KindOf(current) == PathKind::Missing;
      continue;
    }
    const std::string next = JoinPath(current, part);
    if (missing) {
      current = next;
      continue;
    }
    switch (KindOf(next)) {
      case PathKind::Missing:
        missing = true;
        current = next;
        break;
      case PathKind::Link: {
        std::optional<std::string> target = ResolvedPath(next);
        if (!target) {
          // A dangling link: nothing can be made through it.
          return std::nullopt;
        }
        current = std::move(*target);
        break;
      }
      case PathKind::Unknown: return std::nullopt;
      default: current = next; break;
    }
  }
  return current;
}

bool IsSameOrBelow(std::string_view path, std::string_view folder) {
  if (folder == "/") return !path.empty() && path.front() == '/';
  return path.size() >= folder.size() && path.substr(0, folder.size()) == folder &&
         (path.size() == folder.size() || path[folder.size()] == '/');
}

}  // namespace morvick::platform
