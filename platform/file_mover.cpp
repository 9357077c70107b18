#include "platform/file_mover.h"

#include "platform/real_path.h"

#include <cerrno>
#include <cstring>

namespace morvick::platform {

std::string ShellMoveFailureText(const std::string& source, const std::string& destination,
                                 int errno_value) {
  if (errno_value == EEXIST || errno_value == ENOTEMPTY) {
    return "'" + source + "' を移動できません。移動先 '" + destination +
           "' には同じ名前の項目が既にあります (置き換えません)。";
  }
  return "'" + source + "' を '" + destination +
         "' へ移動できません: " + std::strerror(errno_value);
}

int ShellMove(Prompter& prompter, const HeldFolder& from, const std::string& from_name,
              const HeldFolder& to, const std::string& to_name, FileMover& mover) {
  const int failure = mover.RenameNoReplace(from, from_name, to, to_name);
  if (failure != 0) {
    prompter.ShowMessage(ShellMoveFailureText(JoinPath(from.path(), from_name),
                                              JoinPath(to.path(), to_name), failure));
  }
  return failure;
}

}  // namespace morvick::platform
