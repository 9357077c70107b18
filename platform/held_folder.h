#pragma once

// A folder held open from the moment it is checked. A path is only text: a
// link put in its place after the check would lead every later step
// elsewhere. A held folder is the folder itself, so the steps of a move act
// on it, and before each step the path is compared with it again.

#include <cstdint>
#include <string>

namespace morvick::platform {

// What a held folder's path names now.
enum class FolderState {
  InPlace,  // the held folder itself, not through a link
  Missing,  // nothing (the folder was removed or renamed away)
  Changed,  // a link, a file or another folder, or it cannot be told
};

class HeldFolder {
 public:
  HeldFolder() = default;
  ~HeldFolder();
  HeldFolder(HeldFolder&& other) noexcept;
  HeldFolder& operator=(HeldFolder&& other) noexcept;
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;

  explicit operator bool() const;
  // The path it was held by.
  const std::string& path() const { return path_; }

  // What path() names now.
  FolderState State() const;
  // What `name` in `parent` names now (for a folder held by HoldFolderIn).
  FolderState StateIn(const HeldFolder& parent, const std::string& name) const;

  // Lets go of it now. On Windows a held folder can be neither renamed nor
  // removed, the program's own removal included.
  void Release();

#ifdef _WIN32
  void* handle() const { return handle_; }
#else
  int fd() const { return fd_; }
#endif

 private:
  friend int HoldFolder(const std::string& path, HeldFolder& folder);
  friend int HoldFolderIn(const HeldFolder& parent, const std::string& name, HeldFolder& folder);

  std::string path_;
  std::uint64_t device_ = 0;  // the volume's serial number on Windows
  std::uint64_t inode_ = 0;   // the file index on Windows
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

// Holds the folder `path` (absolute, without "." or ".." parts) as it is now,
// opening every folder on the way without following a link. Returns 0 or the
// errno value: ENOENT when a part is missing, ENOTDIR when a part is a link or
// no folder, EACCES.
int HoldFolder(const std::string& path, HeldFolder& folder);

// Holds the folder `name` of `parent`; a link there is not followed (ENOTDIR,
// as for a file). On Windows `name` must not be a junction or a link either.
int HoldFolderIn(const HeldFolder& parent, const std::string& name, HeldFolder& folder);

}  // namespace morvick::platform
