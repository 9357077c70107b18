#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <windows.h>
// The macro would rename TempDir::CreateFile.
#undef CreateFile

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace morvick::testing {
namespace {

// The program holds UTF-8; std::filesystem on Windows takes a narrow string
// in the ANSI code page, so the text goes in and out as char8_t.
std::filesystem::path FsPath(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

void MakeParents(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(FsPath(path).parent_path(), ec);
}

FILETIME FileTimeOf(std::time_t seconds) {
  const auto ticks = (static_cast<std::uint64_t>(seconds) + 11644473600ULL) * 10000000ULL;
  return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

// Removes a tree by "\\?\" paths, which reach names that end in a dot or a
// blank as they are (std::filesystem would normalise them away and fail).
void RemoveTree(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    ::DeleteFileW(path.c_str());
    return;
  }
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    WIN32_FIND_DATAW data{};
    const HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
      } while (::FindNextFileW(find, &data));
      ::FindClose(find);
    }
  }
  ::RemoveDirectoryW(path.c_str());
}

}  // namespace

TempDir::TempDir() {
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  for (unsigned n = ::GetTickCount(); path_.empty(); ++n) {
    const std::filesystem::path candidate =
        base /
        ("morvick-test-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(n));
    if (std::filesystem::create_directory(candidate, ec)) {
      path_ = Utf8(std::filesystem::canonical(candidate, ec));
    } else if (ec) {
      ADD_FAILURE() << "cannot make a temporary folder: " << ec.message();
      return;
    }
  }
}

TempDir::~TempDir() {
  if (!path_.empty()) RemoveTree(L"\\\\?\\" + FsPath(path_).wstring());
}

std::string TempDir::Path(const std::string& relative) const {
  std::string path = path_ + "\\" + relative;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string TempDir::CreateFile(const std::string& relative, std::int64_t size, std::time_t mtime) {
  const std::string path = Path(relative);
  MakeParents(path);
  {
    std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
    EXPECT_TRUE(out.good()) << path;
  }
  std::error_code ec;
  std::filesystem::resize_file(FsPath(path), static_cast<std::uintmax_t>(size), ec);
  EXPECT_FALSE(ec) << path << ": " << ec.message();
  if (mtime != 0) SetMtime(path, mtime);
  return path;
}

std::string TempDir::WriteFile(const std::string& relative, const std::string& content) {
  const std::string path = Path(relative);
  MakeParents(path);
  std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
  out << content;
  EXPECT_TRUE(out.good()) << path;
  return path;
}

std::string TempDir::CreateDir(const std::string& relative) {
  const std::string path = Path(relative);
  std::error_code ec;
  std::filesystem::create_directories(FsPath(path), ec);
  EXPECT_FALSE(ec) << path << ": " << ec.message();
  return path;
}

std::string TempDir::CreateSymlink(const std::string& relative, const std::string& target) {
  const std::string path = Path(relative);
  MakeParents(path);
  std::error_code ec;
  std::filesystem::create_symlink(FsPath(target), FsPath(path), ec);
  EXPECT_FALSE(ec) << path << ": " << ec.message();
  return path;
}

void TempDir::SetMtime(const std::string& path, std::time_t mtime) {
  const HANDLE file = ::CreateFileW(FsPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  const FILETIME time = FileTimeOf(mtime);
  EXPECT_TRUE(::SetFileTime(file, nullptr, &time, &time)) << path;
  ::CloseHandle(file);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot read " << path;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool PathExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::symlink_status(FsPath(path), ec).type() !=
         std::filesystem::file_type::not_found;
}

std::set<std::string> NamesIn(const std::string& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (auto it = std::filesystem::directory_iterator(FsPath(folder), ec);
       !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    names.insert(Utf8(it->path().filename()));
  }
  return names;
}

}  // namespace morvick::testing
