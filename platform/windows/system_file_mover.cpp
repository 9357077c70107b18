#include "platform/file_mover.h"

#include "platform/real_path.h"
#include "platform/windows/wide.h"

#include <windows.h>

#include <cerrno>

namespace morvick::platform {
namespace {

using windows::SystemPath;

int Result(BOOL done) { return done ? 0 : windows::LastErrno(); }

// The path of `name` in a held folder. Win32 has no calls relative to a
// folder's handle; the held folder keeps its path naming it instead, since
// nobody can rename it while it is held.
std::wstring PathIn(const HeldFolder& folder, const std::string& name) {
  return SystemPath(JoinPath(folder.path(), name));
}

class SystemFileMover final : public FileMover {
 public:
  int OpenFolder(const HeldFolder& parent, const std::string& name, HeldFolder& folder) override {
    return HoldFolderIn(parent, name, folder);
  }
  int MakeFolder(const HeldFolder& parent, const std::string& name) override {
    return Result(::CreateDirectoryW(PathIn(parent, name).c_str(), nullptr));
  }
  int RemoveEmptyFolder(const HeldFolder& parent, const std::string& name) override {
    // A link or a junction is not a folder of the move's: it stays.
    const std::wstring path = PathIn(parent, name);
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return windows::LastErrno();
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return ENOTDIR;
    return Result(::RemoveDirectoryW(path.c_str()));
  }
  int Probe(const HeldFolder& parent, const std::string& name) override {
    return Probe(JoinPath(parent.path(), name));
  }
  int Probe(const std::string& path) override {
    // The attributes of a link or a junction are its own: nothing is followed.
    return Result(::GetFileAttributesW(SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES);
  }
  int RenameNoReplace(const HeldFolder& from, const std::string& from_name, const HeldFolder& to,
                      const std::string& to_name) override {
    return RenameWithoutReplaceFlag(from, from_name, to, to_name);
  }
};

}  // namespace

// Without MOVEFILE_REPLACE_EXISTING a move never replaces what is at the
// destination, and without MOVEFILE_COPY_ALLOWED it is a rename on one volume.
// A link or a junction is moved itself.
int RenameWithoutReplaceFlag(const HeldFolder& from, const std::string& from_name,
                             const HeldFolder& to, const std::string& to_name) {
  return Result(::MoveFileExW(PathIn(from, from_name).c_str(), PathIn(to, to_name).c_str(), 0));
}

FileMover& RealFileMover() {
  static SystemFileMover mover;
  return mover;
}

}  // namespace morvick::platform
