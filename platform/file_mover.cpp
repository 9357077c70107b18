#include "platform/file_mover.h"

#include "platform/real_path.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace morvick::platform {
namespace {

// The folder part of a path: everything before its last separator (trailing
// separators of the path itself are ignored); the root stays the root. "" when
// there is none.
std::string ParentOf(const std::string& path) {
  std::size_t end = path.size();
  while (end > 1 && IsPathSeparator(path[end - 1]) && !IsRootPath(path.substr(0, end))) --end;
  const std::string trimmed = path.substr(0, end);
  if (IsRootPath(trimmed)) return trimmed;
  const std::string parent = ParentFolder(trimmed);
  return parent == "." ? std::string() : parent;
}

// Creates the missing folders of `folder`, outermost first.
int MakeFolders(FileMover& mover, const std::string& folder) {
  std::vector<std::string> missing;
  for (std::string current = folder; !current.empty() && !IsRootPath(current);
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
