#include "platform/record_file.h"

#include "common/error.h"
#include "platform/real_path.h"
#include "platform/record_lines.h"
#include "platform/windows/wide.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace morvick::platform {
namespace {

using windows::SystemPath;

[[noreturn]] void Fail(const char* what, const std::string& path, int error) {
  throw Error(std::string("cannot ") + what + " " + path + ": " + std::strerror(error));
}

HANDLE HandleOf(const FileDescriptor& fd) {
  return reinterpret_cast<HANDLE>(::_get_osfhandle(fd.get()));
}

// Reads up to `length` bytes at `offset`; the count read, or -1 with errno set.
long long ReadAt(const FileDescriptor& fd, char* buffer, std::size_t length, std::uint64_t offset) {
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  where.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD count = 0;
  const DWORD piece = static_cast<DWORD>(length < (1u << 30) ? length : (1u << 30));
  if (::ReadFile(HandleOf(fd), buffer, piece, &count, &where)) return count;
  if (::GetLastError() == ERROR_HANDLE_EOF) return 0;
  errno = windows::LastErrno();
  return -1;
}

// The lock is taken on one byte far beyond any journal's end: Windows locks
// are mandatory, and a lock on the records themselves would keep another
// process from even reading them to say that a move is still running.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

}  // namespace

void MakePrivateFolder(const std::string& folder, bool /*tighten*/,
                       std::vector<std::string>& made) {
  // The folders of %LOCALAPPDATA% are the user's own already; a folder made
  // here takes their permissions.
  const DWORD attributes = ::GetFileAttributesW(SystemPath(folder).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) Fail("use the folder", folder, ENOTDIR);
    return;
  }
  const DWORD error = ::GetLastError();
  if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
    Fail("use the folder", folder, windows::ErrnoOf(error));
  }
  const std::string parent = ParentFolder(folder);
  if (parent != folder && parent != "." && !IsRootPath(parent)) {
    MakePrivateFolder(parent, false, made);
  }
  if (::CreateDirectoryW(SystemPath(folder).c_str(), nullptr)) {
    made.push_back(folder);
  } else if (::GetLastError() != ERROR_ALREADY_EXISTS) {
    Fail("create the folder", folder, windows::LastErrno());
  }
}

std::vector<FolderFile> FilesInFolder(const std::string& folder, std::string_view suffix) {
  std::vector<FolderFile> files;
  WIN32_FIND_DATAW data{};
  const HANDLE find = ::FindFirstFileExW(SystemPath(JoinPath(folder, "*")).c_str(), FindExInfoBasic,
                                         &data, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    if ((data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
      continue;
    }
    const std::string name = windows::Narrow(data.cFileName);
    if (name.size() < suffix.size() || name.substr(name.size() - suffix.size()) != suffix) continue;
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
        data.ftLastWriteTime.dwLowDateTime;
    // 100-nanosecond ticks since 1601 to nanoseconds since 1970.
    const std::int64_t mtime_ns = (static_cast<std::int64_t>(ticks) - 116444736000000000LL) * 100;
    files.push_back(FolderFile{JoinPath(folder, name), mtime_ns});
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return files;
}

RecordFile RecordFile::Create(const std::string& path, bool tighten,
                              std::vector<std::string>& made_folders) {
  MakePrivateFolder(ParentFolder(path), tighten, made_folders);
  FileDescriptor fd(::_wopen(SystemPath(path).c_str(),
                             _O_RDWR | _O_CREAT | _O_EXCL | _O_APPEND | _O_BINARY | _O_NOINHERIT,
                             _S_IREAD | _S_IWRITE));
  if (!fd) Fail("create the journal", path, errno);
  return RecordFile(path, std::move(fd));
}

RecordFile RecordFile::Open(const std::string& path) {
  const std::wstring system_path = SystemPath(path);
  const DWORD attributes = ::GetFileAttributesW(system_path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) Fail("open the journal", path, windows::LastErrno());
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
    throw Error("cannot open the journal " + path + ": not a file");
  }
  FileDescriptor fd(::_wopen(system_path.c_str(), _O_RDWR | _O_APPEND | _O_BINARY | _O_NOINHERIT));
  if (!fd) Fail("open the journal", path, errno);
  if (::GetFileType(HandleOf(fd)) != FILE_TYPE_DISK) {
    throw Error("cannot open the journal " + path + ": not a file");
  }
  return RecordFile(path, std::move(fd));
}

bool RecordFile::IsPrivateToUser() const { return true; }

bool RecordFile::TryLock() {
  OVERLAPPED where{};
  where.Offset = 0;
  where.OffsetHigh = kLockOffsetHigh;
  return ::LockFileEx(HandleOf(fd_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                      &where) != 0;
}

std::string RecordFile::ReadAll() const {
  std::string text;
  char buffer[65536];
  std::uint64_t offset = 0;
  for (;;) {
    const long long n = ReadAt(fd_, buffer, sizeof buffer, offset);
    if (n < 0) Fail("read the journal", path_, errno);
    if (n == 0) return text;
    text.append(buffer, static_cast<std::size_t>(n));
    offset += static_cast<std::uint64_t>(n);
  }
}

void RecordFile::ForEachLine(
    std::size_t max_line,
    const std::function<bool(std::string_view, std::size_t, bool)>& line) const {
  ForEachRecordLine(
      [this](char* buffer, std::size_t size, std::size_t offset) {
        const long long n = ReadAt(fd_, buffer, size, offset);
        if (n < 0) Fail("read the journal", path_, errno);
        return static_cast<std::size_t>(n);
      },
      max_line, line);
}

std::string RecordFile::ReadHead(std::size_t length) const {
  std::string text(length, '\0');
  const long long n = ReadAt(fd_, text.data(), length, 0);
  text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return text;
}

void RecordFile::Truncate(std::size_t length) {
  if (::_chsize_s(fd_.get(), static_cast<long long>(length)) != 0) {
    Fail("repair the journal", path_, errno);
  }
}

void RecordFile::Append(std::string_view bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const std::size_t piece = std::min<std::size_t>(bytes.size() - written, 1u << 30);
    const int n = ::_write(fd_.get(), bytes.data() + written, static_cast<unsigned>(piece));
    if (n <= 0) Fail("write the journal", path_, n < 0 ? errno : ENOSPC);
    written += static_cast<std::size_t>(n);
  }
  if (!::FlushFileBuffers(HandleOf(fd_))) Fail("write the journal", path_, windows::LastErrno());
}

void RecordFile::Remove(const std::vector<std::string>& made_folders) {
  // Closed first: Windows does not remove an open file.
  fd_ = FileDescriptor();
  ::DeleteFileW(SystemPath(path_).c_str());
  for (auto it = made_folders.rbegin(); it != made_folders.rend(); ++it) {
    ::RemoveDirectoryW(SystemPath(*it).c_str());
  }
}

}  // namespace morvick::platform
