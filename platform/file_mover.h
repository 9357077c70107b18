#pragma once

// Moving one file-system entry the way the plan commands need it: the move is
// a rename between two held folders, and an existing item at the destination
// is never replaced.

#include "common/prompter.h"
#include "platform/held_folder.h"

#include <string>

namespace morvick::platform {

// The system operations a move is made of, each relative to a held folder,
// behind an interface so that a test can make one of them fail on demand
// ("the third rename fails with ENOSPC") or act between two of them.
class FileMover {
 public:
  virtual ~FileMover() = default;

  // Holds the folder `name` of `parent` (HoldFolderIn): a link there is not
  // followed. Returns 0 or the errno value; ENOTDIR for a link or a file.
  virtual int OpenFolder(const HeldFolder& parent, const std::string& name, HeldFolder& folder) = 0;
  // Creates the folder `name` in `parent`. Returns 0 or the errno value;
  // EEXIST when something of that name is already there.
  virtual int MakeFolder(const HeldFolder& parent, const std::string& name) = 0;
  // Removes the empty folder `name` of `parent`; a link there is not followed
  // (ENOTDIR). Returns 0 or the errno value.
  virtual int RemoveEmptyFolder(const HeldFolder& parent, const std::string& name) = 0;
  // Whether `name` in `parent` names something (a link itself counts). 0 or errno.
  virtual int Probe(const HeldFolder& parent, const std::string& name) = 0;
  // Whether the path names something (a link itself counts). 0 or errno.
  virtual int Probe(const std::string& path) = 0;
  // Renames `from_name` of `from` to `to_name` of `to` unless that exists
  // (EEXIST then). Returns 0 or the errno value.
  virtual int RenameNoReplace(const HeldFolder& from, const std::string& from_name,
                              const HeldFolder& to, const std::string& to_name) = 0;
};

// The real operations: openat, mkdirat, unlinkat(AT_REMOVEDIR), fstatat and
// renameat2(RENAME_NOREPLACE) on the held descriptors; on Windows the same
// calls by the held folder's path (which a held folder keeps from being
// renamed): CreateDirectoryW, RemoveDirectoryW, GetFileAttributesW and
// MoveFileExW without MOVEFILE_REPLACE_EXISTING, their errors as errno values.
FileMover& RealFileMover();

// The rename of RealFileMover on a file system that refuses RENAME_NOREPLACE
// (EINVAL): a file by a hard link and the removal of its old name, a folder by
// a plain rename after making sure nothing is at the destination, all
// relative to the held folders. Returns 0 or the errno value; EEXIST when the
// destination exists. On Windows, whose move never replaces without being
// asked to, the same as RenameNoReplace.
int RenameWithoutReplaceFlag(const HeldFolder& from, const std::string& from_name,
                             const HeldFolder& to, const std::string& to_name);

// Moves `from_name` of `from` to `to_name` of `to` (the name of the entry
// itself at its destination); never replaces an existing item. The folders
// must be there: the caller makes them, holding each as it is made. On
// failure it shows its own message through `prompter`, naming the item by its
// path and the system's reason, and returns the errno value; 0 when it moved.
int ShellMove(Prompter& prompter, const HeldFolder& from, const std::string& from_name,
              const HeldFolder& to, const std::string& to_name, FileMover& mover);

// The text of that message, for the reason of a failed move.
std::string ShellMoveFailureText(const std::string& source, const std::string& destination,
                                 int errno_value);

}  // namespace morvick::platform
