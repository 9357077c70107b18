#pragma once

namespace morvick::platform {

// The Windows-style error number that the program's messages are keyed by, for
// an errno value: ENOENT 2, ENOTDIR 3, EMFILE/ENFILE 4, EACCES/EPERM/EROFS/EBUSY 5,
// ENOTEMPTY/EEXIST 145; any other errno is returned as it is.
int WindowsErrorNumber(int errno_value);

}  // namespace morvick::platform
