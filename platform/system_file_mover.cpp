#include "platform/file_mover.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace morvick::platform {
namespace {

int Result(int call) { return call == 0 ? 0 : errno; }

class SystemFileMover final : public FileMover {
 public:
  int OpenFolder(const HeldFolder& parent, const std::string& name, HeldFolder& folder) override {
    return HoldFolderIn(parent, name, folder);
  }
  int MakeFolder(const HeldFolder& parent, const std::string& name) override {
    return Result(::mkdirat(parent.fd(), name.c_str(), 0777));
  }
  int RemoveEmptyFolder(const HeldFolder& parent, const std::string& name) override {
    return Result(::unlinkat(parent.fd(), name.c_str(), AT_REMOVEDIR));
  }
  int Probe(const HeldFolder& parent, const std::string& name) override {
    struct stat info;
    return Result(::fstatat(parent.fd(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW));
  }
  int Probe(const std::string& path) override {
    struct stat info;
    return Result(::lstat(path.c_str(), &info));
  }
  int RenameNoReplace(const HeldFolder& from, const std::string& from_name, const HeldFolder& to,
                      const std::string& to_name) override {
    if (::renameat2(from.fd(), from_name.c_str(), to.fd(), to_name.c_str(), RENAME_NOREPLACE) ==
        0) {
      return 0;
    }
    // NFS, SMB and many FUSE file systems refuse the flag itself; a sandbox
    // may refuse the whole call.
    if (errno == EINVAL || errno == ENOSYS) {
      return RenameWithoutReplaceFlag(from, from_name, to, to_name);
    }
    return errno;
  }
};

}  // namespace

int RenameWithoutReplaceFlag(const HeldFolder& from, const std::string& from_name,
                             const HeldFolder& to, const std::string& to_name) {
  const char* source = from_name.c_str();
  const char* destination = to_name.c_str();
  struct stat moved;
  if (::fstatat(from.fd(), source, &moved, AT_SYMLINK_NOFOLLOW) != 0) return errno;
  if (!S_ISDIR(moved.st_mode)) {
    // A second name, then the old one away: the new name is made only where
    // nothing is, so nothing can be replaced. Links are linked, not followed.
    if (::linkat(from.fd(), source, to.fd(), destination, 0) == 0) {
      if (::unlinkat(from.fd(), source, 0) == 0) return 0;
      const int error = errno;
      ::unlinkat(to.fd(), destination, 0);
      return error;
    }
    if (errno == EEXIST) return EEXIST;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK) return errno;
  }
  // Folders, and files where the file system has no hard links: a plain
  // rename once nothing is at the destination. A plain rename can replace at
  // most an empty folder made in the moment between the test and the rename.
  struct stat existing;
  if (::fstatat(to.fd(), destination, &existing, AT_SYMLINK_NOFOLLOW) == 0) return EEXIST;
  if (errno != ENOENT) return errno;
  return Result(::renameat(from.fd(), source, to.fd(), destination));
}

FileMover& RealFileMover() {
  static SystemFileMover mover;
  return mover;
}

}  // namespace morvick::platform
