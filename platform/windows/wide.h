#pragma once

// The boundary between the program's UTF-8 texts and the UTF-16 of the Win32
// calls, and the error numbers of those calls as the errno values that the
// platform interfaces report.

#include <string>
#include <string_view>

namespace morvick::platform::windows {

// UTF-8 to UTF-16. A name that holds an unpaired surrogate (NTFS allows it)
// comes back as the three bytes its code unit would take, so that such a name
// read from a folder names the same file when it is given back. Bytes that are
// no UTF-8 become U+FFFD.
std::wstring Wide(std::string_view text);

// UTF-16 to UTF-8, unpaired surrogates kept as described above.
std::string Narrow(std::wstring_view text);

// The path for a Win32 call: made absolute against the working folder, "/"
// turned into "\", "." and ".." taken away as Windows does, and given the
// "\\?\" prefix ("\\?\UNC\" for a share), which lifts the limit of 260
// characters. "" stays "".
std::wstring SystemPath(const std::string& path);

// The same, without the prefix: the absolute path as the user would write it.
std::wstring FullPath(const std::string& path);

// A path that a Win32 call gave back, without a "\\?\" or "\\?\UNC\" prefix.
std::string UserPath(std::wstring_view path);

// The errno value for a Win32 error number (ERROR_FILE_NOT_FOUND is ENOENT,
// ERROR_ALREADY_EXISTS EEXIST, ERROR_DIR_NOT_EMPTY ENOTEMPTY and so on); EIO
// for a number without a counterpart.
int ErrnoOf(unsigned long win32_error);

// ErrnoOf(GetLastError()).
int LastErrno();

}  // namespace morvick::platform::windows
