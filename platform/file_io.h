#pragma once

// Whole-file reads and crash-safe whole-file replacement for the settings and
// preset files.

#include <optional>
#include <string>
#include <string_view>

namespace morvick::platform {

// The outcome of a whole-file read: the bytes, or the errno of the failure
// (ENOENT for a missing file).
struct FileRead {
  std::optional<std::string> content;
  int error = 0;
};

// Settings and preset files are small; anything larger is not one of them.
inline constexpr long long kMaxWholeFile = 16 * 1024 * 1024;

// Reads a regular file of at most kMaxWholeFile bytes, links followed, without
// ever blocking on what stands in its place: a folder gives EISDIR, a FIFO,
// device or socket EINVAL, a larger file EFBIG.
FileRead ReadWholeFile(const std::string& path);

// True when something exists at `path` (links followed); a path that cannot be
// examined for any reason other than its absence counts as existing, so that
// the caller's read reports the real fault instead of silently ignoring it.
bool FileExists(const std::string& path);

// True when `path` names a regular file (links followed).
bool IsRegularFile(const std::string& path);

// Replaces the file at `path` with `content` so that readers see either the old
// or the new file, never a part of one: the bytes go to a temporary file in the
// same folder, are flushed to disk and renamed over the target. A symbolic link
// at `path` is kept and its target replaced. Only a regular file is replaced
// (or one created where nothing is): a folder gives EISDIR, anything else EINVAL. The permission
// bits of an existing file are kept. On failure the old file is left as it was, the temporary file
// is removed, and the errno is returned; 0 on success.
int ReplaceFileAtomically(const std::string& path, std::string_view content);

// Creates the missing folders above `path` (mode 0700, as for a user's
// configuration folder). Returns 0 or the errno of the first failure.
int CreateParentFolders(const std::string& path);

}  // namespace morvick::platform
