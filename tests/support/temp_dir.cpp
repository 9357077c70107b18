#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace morvick::testing {
namespace {

void MakeParents(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
}

// Gives back write and search permission so that removal works after tests
// that made folders unreadable.
void RestorePermissions(const std::filesystem::path& root) {
  std::error_code ec;
  ::chmod(root.c_str(), 0700);
  for (auto it = std::filesystem::recursive_directory_iterator(
           root, std::filesystem::directory_options::skip_permission_denied, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
  }
}

}  // namespace

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/morvick-test-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "mkdtemp failed: " << std::strerror(errno);
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  RestorePermissions(path_);
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Path(const std::string& relative) const { return path_ + "/" + relative; }

std::string TempDir::CreateFile(const std::string& relative, std::int64_t size, std::time_t mtime) {
  const std::string path = Path(relative);
  MakeParents(path);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  EXPECT_GE(fd, 0) << path << ": " << std::strerror(errno);
  if (fd >= 0) {
    EXPECT_EQ(::ftruncate(fd, size), 0) << path;
    ::close(fd);
  }
  if (mtime != 0) SetMtime(path, mtime);
  return path;
}

std::string TempDir::WriteFile(const std::string& relative, const std::string& content) {
  const std::string path = Path(relative);
  MakeParents(path);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  EXPECT_TRUE(out.good()) << path;
  return path;
}

std::string TempDir::CreateDir(const std::string& relative) {
  const std::string path = Path(relative);
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  EXPECT_FALSE(ec) << path << ": " << ec.message();
  return path;
}

std::string TempDir::CreateSymlink(const std::string& relative, const std::string& target) {
  const std::string path = Path(relative);
  MakeParents(path);
  EXPECT_EQ(::symlink(target.c_str(), path.c_str()), 0) << path << ": " << std::strerror(errno);
  return path;
}

void TempDir::SetMtime(const std::string& path, std::time_t mtime) {
  struct timespec times[2];
  times[0].tv_sec = mtime;
  times[0].tv_nsec = 0;
  times[1] = times[0];
  EXPECT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot read " << path;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool PathExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::set<std::string> NamesIn(const std::string& folder) {
  std::set<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* raw = ::readdir(dir)) {
    const std::string name = raw->d_name;
    if (name != "." && name != "..") names.insert(name);
  }
  ::closedir(dir);
  return names;
}

}  // namespace morvick::testing
