#include "platform/file_mover.h"

#include "platform/windows/wide.h"

#include <windows.h>

namespace morvick::platform {
namespace {

using windows::SystemPath;

int Result(BOOL done) { return done ? 0 : windows::LastErrno(); }

class SystemFileMover final : public FileMover {
 public:
  int MakeFolder(const std::string& path) override {
    return Result(::CreateDirectoryW(SystemPath(path).c_str(), nullptr));
  }
  int RemoveEmptyFolder(const std::string& path) override {
    return Result(::RemoveDirectoryW(SystemPath(path).c_str()));
  }
  int Probe(const std::string& path) override {
    // The attributes of a link or a junction are its own: nothing is followed.
    return Result(::GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES);
  }
  int RenameNoReplace(const std::string& source, const std::string& destination) override {
    return RenameWithoutReplaceFlag(source, destination);
  }
};

}  // namespace

// Without MOVEFILE_REPLACE_EXISTING a move never replaces what is at the
// destination, and without MOVEFILE_COPY_ALLOWED it is a rename on one volume.
// A link or a junction is moved itself.
int RenameWithoutReplaceFlag(const std::string& source, const std::string& destination) {
  return Result(::MoveFileExW(SystemPath(source).c_str(), SystemPath(destination).c_str(), 0));
}

FileMover& RealFileMover() {
  static SystemFileMover mover;
  return mover;
}

}  // namespace morvick::platform
