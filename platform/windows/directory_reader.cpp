#include "platform/directory_reader.h"

#include "platform/windows/wide.h"

#include <windows.h>

#include <cerrno>

namespace morvick::platform {
namespace {

// Seconds since 1601-01-01 (the FILETIME epoch) to 1970-01-01.
constexpr std::int64_t kEpochOffsetSeconds = 11644473600LL;

std::int64_t SecondsSinceEpoch(const FILETIME& time) {
  const std::int64_t ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  // Whole seconds, rounded down also before 1970.
  std::int64_t seconds = ticks / 10000000;
  if (ticks % 10000000 < 0) --seconds;
  return seconds - kEpochOffsetSeconds;
}

// One folder, listed by FindFirstFileExW and FindNextFileW. The first entry is
// fetched when the folder is opened, so that a folder that cannot be read is
// not opened at all.
class SystemFolder final : public FolderReader {
 public:
  SystemFolder(std::wstring path, HANDLE find, const WIN32_FIND_DATAW& first)
      : path_(std::move(path)),
        find_(find),
        data_(first),
        have_data_(find != INVALID_HANDLE_VALUE) {}
  ~SystemFolder() override {
    if (find_ != INVALID_HANDLE_VALUE) ::FindClose(find_);
  }
  SystemFolder(const SystemFolder&) = delete;
  SystemFolder& operator=(const SystemFolder&) = delete;

  bool Next(DirectoryEntry& entry) override {
    if (!have_data_) return false;
    name_ = windows::Narrow(data_.cFileName);
    entry.name = name_;
    // A link or a junction (a reparse point that names another place) is an
    // entry of its own: never followed, never a folder. Other reparse points,
    // such as the placeholders of files kept in a cloud, are what they hold.
    const bool link = (data_.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                      IsReparseTagNameSurrogate(data_.dwReserved0);
    entry.is_directory = !link && (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.size =
        entry.is_directory
            ? 0
            : static_cast<std::int64_t>((static_cast<std::uint64_t>(data_.nFileSizeHigh) << 32) |
                                        data_.nFileSizeLow);
    entry.mtime_seconds = SecondsSinceEpoch(data_.ftLastWriteTime);
    current_is_folder_ = entry.is_directory;
    if (name_ == "." || name_ == "..") {
      entry.is_directory = true;
      entry.size = 0;
      entry.mtime_seconds = 0;
      current_is_folder_ = false;
    }
    if (!::FindNextFileW(find_, &data_)) {
      have_data_ = false;
      const DWORD error = ::GetLastError();
      if (error != ERROR_NO_MORE_FILES) pending_error_ = windows::ErrnoOf(error);
    }
    return true;
  }

  int error() const override { return have_data_ ? 0 : pending_error_; }

  std::unique_ptr<FolderReader> OpenChild(std::string_view name) override;

  // `known_folder`: the listing just said that `path` is a folder and no link,
  // which spares the system a question per folder.
  static std::unique_ptr<FolderReader> OpenPath(std::wstring path, bool known_folder);

 private:
  std::wstring path_;  // with the "\\?\" prefix
  HANDLE find_;
  WIN32_FIND_DATAW data_;
  bool have_data_;
  int pending_error_ = 0;
  std::string name_;  // the current entry's name, owned across Next() calls
  bool current_is_folder_ = false;
};

std::unique_ptr<FolderReader> SystemFolder::OpenPath(std::wstring path, bool known_folder) {
  if (!known_folder) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      return nullptr;
    }
  }
  std::wstring pattern = path;
  if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW first{};
  const HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &first,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_NOT_FOUND) return nullptr;
  // ERROR_FILE_NOT_FOUND: a drive's root without a single entry.
  return std::make_unique<SystemFolder>(std::move(path), find, first);
}

std::unique_ptr<FolderReader> SystemFolder::OpenChild(std::string_view name) {
  std::wstring child = path_;
  if (child.empty() || child.back() != L'\\') child += L'\\';
  child += windows::Wide(name);
  if (name == name_ && current_is_folder_) return OpenPath(std::move(child), true);
  // Any other name: a real folder only, never a link or a junction to one.
  const DWORD attributes = ::GetFileAttributesW(child.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return nullptr;
  }
  return OpenPath(std::move(child), true);
}

class SystemLister final : public DirectoryLister {
 public:
  std::unique_ptr<FolderReader> Open(const std::string& path) override {
    if (path.empty()) return nullptr;
    // The folder itself may be reached through a link.
    return SystemFolder::OpenPath(windows::SystemPath(path), false);
  }
};

}  // namespace

DirectoryLister& SystemDirectories() {
  static SystemLister lister;
  return lister;
}

}  // namespace morvick::platform
