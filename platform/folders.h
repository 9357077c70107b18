#pragma once

// Folder tests and removal used by the plan commands' path rules and Undo.

#include <string>

namespace morvick::platform {

// True when the path names a folder; links are followed. A trailing "/" is
// accepted.
bool IsExistingFolder(const std::string& path);

// 0 when the path names a folder (links followed), else the errno of the
// failed stat or ENOTDIR.
int ProbeFolder(const std::string& path);

// Removes one empty folder. Raises InOutError carrying the Windows-style error
// number of the failure (2 for a missing folder, 145 for one that is not empty).
void RemoveFolder(const std::string& path);

// True when both paths exist and name the same folder (same device and inode,
// links followed).
bool IsSameDirectory(const std::string& a, const std::string& b);

// True when `input` and `output` lie on the same file system, each taken by
// its nearest existing ancestor (itself when it exists), so that a move between
// them is a rename. Relative paths are taken against the working folder.
bool IsSameFileSystem(const std::string& input, const std::string& output);

}  // namespace morvick::platform
