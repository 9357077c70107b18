#include "platform/file_mover.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

}  // namespace morvick::platform
