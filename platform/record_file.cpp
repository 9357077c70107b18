#include "platform/record_file.h"

#include "common/error.h"
#include "platform/real_path.h"
#include "platform/record_lines.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace morvick::platform {
namespace {

[[noreturn]] void Fail(const char* what, const std::string& path, int error) {
  throw Error(std::string("cannot ") + what + " " + path + ": " + std::strerror(error));
}

}  // namespace

void MakePrivateFolder(const std::string& folder, bool tighten, std::vector<std::string>& made) {
  struct stat info {};
  if (::lstat(folder.c_str(), &info) == 0) {
    if (!S_ISDIR(info.st_mode)) Fail("use the folder", folder, ENOTDIR);
    if (!tighten) return;
    // Another user's folder in its place would see, or rewrite, every journal.
    if (info.st_uid != ::geteuid()) {
      throw Error("cannot keep journals in " + folder + ": the folder belongs to another user");
    }
    if ((info.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
      Fail("make private the folder", folder, errno);
    }
    return;
  }
  if (errno != ENOENT) Fail("use the folder", folder, errno);
  const std::string parent = ParentFolder(folder);
  if (parent != folder && parent != "/" && parent != ".") MakePrivateFolder(parent, false, made);
  if (::mkdir(folder.c_str(), 0700) == 0) {
    made.push_back(folder);
  } else if (errno != EEXIST) {
    Fail("create the folder", folder, errno);
  }
}

std::vector<FolderFile> FilesInFolder(const std::string& folder, std::string_view suffix) {
  std::vector<FolderFile> files;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
  if (!dir) return files;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name.size() < suffix.size() || name.substr(name.size() - suffix.size()) != suffix) continue;
    FolderFile file{folder + "/" + std::string(name), 0};
    struct stat info {};
    if (::lstat(file.path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    file.mtime_ns =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    files.push_back(std::move(file));
  }
  return files;
}

RecordFile RecordFile::Create(const std::string& path, bool tighten,
                              std::vector<std::string>& made_folders) {
  const std::string folder = ParentFolder(path);
  MakePrivateFolder(folder, tighten, made_folders);
  FileDescriptor fd(
      ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!fd) Fail("create the journal", path, errno);
  // The file's name must survive a crash as well as its records.
  const FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir) ::fsync(dir.get());
  return RecordFile(path, std::move(fd));
}

RecordFile RecordFile::Open(const std::string& path) {
  // O_NONBLOCK: a FIFO put in a journal's place must not hang the open.
  FileDescriptor fd(::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC | O_NONBLOCK));
  if (!fd) Fail("open the journal", path, errno);
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) Fail("open the journal", path, errno);
  if (!S_ISREG(info.st_mode)) throw Error("cannot open the journal " + path + ": not a file");
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags >= 0) ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
  return RecordFile(path, std::move(fd));
}

bool RecordFile::IsPrivateToUser() const {
  struct stat info {};
  if (::fstat(fd_.get(), &info) != 0) return false;
  return S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 022) == 0;
}

bool RecordFile::TryLock() { return ::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0; }

std::string RecordFile::ReadAll() const {
  std::string text;
  char buffer[65536];
  off_t offset = 0;
  for (;;) {
    const ssize_t n = ::pread(fd_.get(), buffer, sizeof buffer, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) Fail("read the journal", path_, errno);
    if (n == 0) return text;
    text.append(buffer, static_cast<std::size_t>(n));
    offset += n;
  }
}

void RecordFile::ForEachLine(
    std::size_t max_line,
    const std::function<bool(std::string_view, std::size_t, bool)>& line) const {
  ForEachRecordLine(
      [this](char* buffer, std::size_t size, std::size_t offset) {
        ssize_t n;
        do {
          n = ::pread(fd_.get(), buffer, size, static_cast<off_t>(offset));
        } while (n < 0 && errno == EINTR);
        if (n < 0) Fail("read the journal", path_, errno);
        return static_cast<std::size_t>(n);
      },
      max_line, line);
}

std::string RecordFile::ReadHead(std::size_t length) const {
  std::string text(length, '\0');
  ssize_t n;
  do {
    n = ::pread(fd_.get(), text.data(), length, 0);
  } while (n < 0 && errno == EINTR);
  text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return text;
}

void RecordFile::Truncate(std::size_t length) {
  if (::ftruncate(fd_.get(), static_cast<off_t>(length)) != 0) {
    Fail("repair the journal", path_, errno);
  }
}

void RecordFile::Append(std::string_view bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd_.get(), bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail("write the journal", path_, n < 0 ? errno : ENOSPC);
    written += static_cast<std::size_t>(n);
  }
  while (::fdatasync(fd_.get()) != 0) {
    if (errno != EINTR) Fail("write the journal", path_, errno);
  }
}

void RecordFile::Remove(const std::vector<std::string>& made_folders) {
  ::unlink(path_.c_str());
  fd_ = FileDescriptor();
  for (auto it = made_folders.rbegin(); it != made_folders.rend(); ++it) ::rmdir(it->c_str());
}

}  // namespace morvick::platform
