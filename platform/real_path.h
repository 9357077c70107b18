#pragma once

// Where a path really leads: the folders a command works on are fixed once,
// when it starts, so that no later step follows a link or a ".." it did not
// check.

#include <optional>
#include <string>
#include <string_view>

namespace morvick::platform {

// The separator between the names of a path. Windows also accepts "/" in what
// the user types; the program itself always writes a backslash there.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

bool IsPathSeparator(char c);

// True for a path that does not depend on the working folder: "/..." here,
// "C:\..." or "\\server\share\..." on Windows.
bool IsAbsolutePath(std::string_view path);

// True for the root of a file system: "/" here, "C:\" or "\\server\share"
// on Windows (a trailing separator allowed).
bool IsRootPath(std::string_view path);

// True when `name` is one name of a path, as it is: not empty, not "." or
// "..", no separator and no NUL; on Windows also no ":" (a drive or a stream).
bool IsPlainName(std::string_view name);

// An absolute path made canonical: "." and ".." resolved, repeated "/"
// collapsed, and every existing part resolved through symbolic links to the
// real folder. A missing tail is kept as written (nothing there can be a link).
// No trailing "/" except for the root. nullopt when `path` is not absolute or
// an existing part cannot be resolved (a link loop, no permission).
std::optional<std::string> RealFolderPath(std::string_view path);

// A path as the user typed it, made absolute against the working folder
// (nothing else is changed; RealFolderPath resolves it).
std::string AbsolutePath(const std::string& path);

// The folder part of a path: everything before its last "/", "/" for a name
// directly below the root, "." for a name without any "/".
std::string ParentFolder(std::string_view path);

// `folder` + "/" + `name`, without doubling a "/" that `folder` ends in.
std::string JoinPath(std::string_view folder, std::string_view name);

// What a path names, links not followed.
enum class PathKind { Missing, Folder, Link, Other, Unknown };
PathKind KindOf(const std::string& path);

// The real path of an existing item, every link followed; nullopt when it
// cannot be resolved.
std::optional<std::string> ResolvedPath(const std::string& path);

// True when `path` is `folder` or lies below it (both canonical, no trailing "/").
bool IsSameOrBelow(std::string_view path, std::string_view folder);

}  // namespace morvick::platform
