#pragma once

// Moving one file-system entry the way the plan commands need it: missing
// folders on the way to the destination are created, the move is a rename, and
// an existing item at the destination is never replaced.

#include "common/prompter.h"

#include <string>

namespace morvick::platform {

// The two system operations a move is made of, behind an interface so that a
// test can make one of them fail on demand ("the third rename fails with ENOSPC").
class FileMover {
 public:
  virtual ~FileMover() = default;

  // Creates one folder (its parent must exist). Returns 0 or the errno value;
  // EEXIST when something of that name is already there.
  virtual int MakeFolder(const std::string& path) = 0;
  // Removes one empty folder. Returns 0 or the errno value.
  virtual int RemoveEmptyFolder(const std::string& path) = 0;
  // Whether the path names something (a link itself counts). 0 or errno.
  virtual int Probe(const std::string& path) = 0;
  // Renames `source` to `destination` unless the destination exists
  // (EEXIST then). Returns 0 or the errno value.
  virtual int RenameNoReplace(const std::string& source, const std::string& destination) = 0;
};

// The real operations: mkdir, rmdir, lstat, renameat2(RENAME_NOREPLACE); on
// Windows CreateDirectoryW, RemoveDirectoryW, GetFileAttributesW and
// MoveFileExW without MOVEFILE_REPLACE_EXISTING, their errors as errno values.
FileMover& RealFileMover();

// The move of RealFileMover on a file system that refuses RENAME_NOREPLACE
// (EINVAL): a file by a hard link and the removal of its old name, a folder by
// a plain rename after making sure nothing is at the destination. Returns 0 or
// the errno value; EEXIST when the destination exists. On Windows, whose move
// never replaces without being asked to, the same as RenameNoReplace.
int RenameWithoutReplaceFlag(const std::string& source, const std::string& destination);

struct MoveResult {
  bool moved = false;
  int errno_value = 0;  // why it failed; 0 when moved
  std::string reason;   // the system's text for errno_value ("" when moved)
  explicit operator bool() const { return moved; }
};

// Moves `source` to `destination`, which names the entry itself (not the
// folder that receives it). Creates the missing folders of the destination's
// parent without asking; never replaces an existing item. On failure it shows
// its own message through `prompter`, naming the item and the system's reason,
// and returns a failed result; folders made on the way stay.
MoveResult ShellMove(Prompter& prompter, const std::string& source, const std::string& destination,
                     FileMover& mover = RealFileMover());

// The text of that message, for the reason of a failed move.
std::string ShellMoveFailureText(const std::string& source, const std::string& destination,
                                 int errno_value);

}  // namespace morvick::platform
