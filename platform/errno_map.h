#pragma once

#include "common/error.h"

#include <optional>
#include <string>

namespace morvick::platform {

// The Windows-style error number that the program's messages are keyed by, for
// the errno values that have one: ENOENT 2, ENOTDIR 3, EMFILE/ENFILE 4,
// EACCES/EPERM/EROFS/EBUSY 5, ENOTEMPTY/EEXIST 145. nullopt for any other.
std::optional<int> WindowsErrorNumber(int errno_value);

// The user's text for a failed file-system call: the text of its Windows number,
// or "I/O エラー (errno)" for an errno without one (EIO is 5, which must not
// read as "access denied").
std::string SystemErrorText(int errno_value);

// The error a failed folder removal raises, with that text. Its number is the
// Windows number, or 0 when the errno has none.
InOutError SystemInOutError(int errno_value);

}  // namespace morvick::platform
