#include "platform/errno_map.h"

#include <cerrno>

namespace morvick::platform {

std::optional<int> WindowsErrorNumber(int errno_value) {
  switch (errno_value) {
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EMFILE:
    case ENFILE: return 4;
    case EACCES:
    case EPERM:
    case EROFS:
    case EBUSY: return 5;
    case ENOTEMPTY:
    case EEXIST: return 145;
    default: return std::nullopt;
  }
}

std::string SystemErrorText(int errno_value) {
  if (const std::optional<int> number = WindowsErrorNumber(errno_value)) {
    return InOutErrorText(*number);
  }
  return "I/O エラー (" + std::to_string(errno_value) + ")";
}

InOutError SystemInOutError(int errno_value) {
  return InOutError(WindowsErrorNumber(errno_value).value_or(0), SystemErrorText(errno_value));
}

}  // namespace morvick::platform
