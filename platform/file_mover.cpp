#include "platform/file_mover.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace morvick::platform {
namespace {

class SystemFileMover final : public FileMover {
 public:
  int MakeFolder(const std::string& path) override {
    return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
  }
  int RemoveEmptyFolder(const std::string& path) override {
    return ::rmdir(path.c_str()) == 0 ? 0 : errno;
  }
  int Probe(const std::string& path) override {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0 ? 0 : errno;
  }
  int RenameNoReplace(const std::string& source, const std::string& destination) override {
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) ==
        0) {
      return 0;
    }
    // NFS, SMB and many FUSE file systems refuse the flag itself; a sandbox
    // may refuse the whole call.
    if (errno == EINVAL || errno == ENOSYS) return RenameWithoutReplaceFlag(source, destination);
    return errno;
  }
};

// The folder part of a path: everything before its last "/" (trailing "/"
// characters of the path itself are ignored). "" when there is none.
std::string ParentOf(const std::string& path) {
  std::size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  const std::size_t slash = path.rfind('/', end - 1);
  if (slash == std::string::npos) return {};
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Creates the missing folders of `folder`, outermost first.
int MakeFolders(FileMover& mover, const std::string& folder) {
  std::vector<std::string> missing;
  for (std::string current = folder; !current.empty() && current != "/";
       current = ParentOf(current)) {
    const int probe = mover.Probe(current);
    if (probe == 0) break;
    if (probe != ENOENT) return probe;
    missing.push_back(current);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    const int made = mover.MakeFolder(*it);
    if (made != 0) return made;
  }
  return 0;
}

}  // namespace

int RenameWithoutReplaceFlag(const std::string& source, const std::string& destination) {
  struct stat moved;
  if (::lstat(source.c_str(), &moved) != 0) return errno;
  if (!S_ISDIR(moved.st_mode)) {
    // A second name, then the old one away: the new name is made only where
    // nothing is, so nothing can be replaced. Links are linked, not followed.
    if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(), 0) == 0) {
      if (::unlink(source.c_str()) == 0) return 0;
      const int error = errno;
      ::unlink(destination.c_str());
      return error;
    }
    if (errno == EEXIST) return EEXIST;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK) return errno;
  }
  // Folders, and files where the file system has no hard links: a plain
  // rename once nothing is at the destination. A plain rename can replace at
  // most an empty folder made in the moment between the test and the rename.
  struct stat existing;
  if (::lstat(destination.c_str(), &existing) == 0) return EEXIST;
  if (errno != ENOENT) return errno;
  return ::rename(source.c_str(), destination.c_str()) == 0 ? 0 : errno;
}

FileMover& RealFileMover() {
  static SystemFileMover mover;
  return mover;
}

std::string ShellMoveFailureText(const std::string& source, const std::string& destination,
                                 int errno_value) {
  if (errno_value == EEXIST || errno_value == ENOTEMPTY) {
    return "'" + source + "' を移動できません。移動先 '" + destination +
           "' には同じ名前の項目が既にあります (置き換えません)。";
  }
  return "'" + source + "' を '" + destination +
         "' へ移動できません: " + std::strerror(errno_value);
}

MoveResult ShellMove(Prompter& prompter, const std::string& source, const std::string& destination,
                     FileMover& mover) {
  MoveResult result;
  int failure = mover.Probe(source);
  if (failure == 0) failure = MakeFolders(mover, ParentOf(destination));
  if (failure == 0) failure = mover.RenameNoReplace(source, destination);
  if (failure == 0) {
    result.moved = true;
    return result;
  }
  // Folders made on the way stay, as the shell's own move leaves them: Undo
  // removes every volume folder by number, and one that a failed move took
  // away again would stop it.
  result.errno_value = failure;
  result.reason = failure == EEXIST || failure == ENOTEMPTY
                      ? std::string("移動先に同じ名前の項目があります")
                      : std::string(std::strerror(failure));
  prompter.ShowMessage(ShellMoveFailureText(source, destination, failure));
  return result;
}

}  // namespace morvick::platform
