#include "platform/errno_map.h"

#include <cerrno>

namespace morvick::platform {

int WindowsErrorNumber(int errno_value) {
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
    default: return errno_value;
  }
}

}  // namespace morvick::platform
