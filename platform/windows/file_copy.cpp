#include "platform/file_copy.h"

#include "platform/file_mover.h"
#include "platform/real_path.h"
#include "platform/windows/handle.h"
#include "platform/windows/wide.h"

#include <windows.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>

namespace morvick::platform {
namespace {

// Gives a finished temporary file its final name in the same folder, through
// the folder held for the rename, never replacing what is there.
int RenameIntoPlace(const std::string& temporary, const std::string& destination) {
  HeldFolder folder;
  if (const int error = HoldFolder(ParentFolder(destination), folder); error != 0) return error;
  const auto name_of = [](const std::string& path) {
    return path.substr(path.find_last_of("\\/") + 1);
  };
  return RealFileMover().RenameNoReplace(folder, name_of(temporary), folder, name_of(destination));
}

using windows::SystemPath;

constexpr DWORD kChunk = 1 << 20;
// 100-nanosecond ticks from 1601-01-01 (the FILETIME epoch) to 1970-01-01.
constexpr std::int64_t kEpochOffsetTicks = 116444736000000000LL;

std::int64_t NanosecondsOf(const FILETIME& time) {
  const auto ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  return (ticks - kEpochOffsetTicks) * 100;
}

using windows::Handle;

ItemStatus StatusOf(const WIN32_FIND_DATAW& data) {
  ItemStatus status;
  const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                    IsReparseTagNameSurrogate(data.dwReserved0);
  if (link) {
    status.kind = ItemStatus::Kind::Link;
  } else if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    status.kind = ItemStatus::Kind::Folder;
  } else if ((data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0) {
    status.kind = ItemStatus::Kind::Other;
  } else {
    status.kind = ItemStatus::Kind::File;
    status.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                            data.nFileSizeLow);
  }
  status.mtime_ns = NanosecondsOf(data.ftLastWriteTime);
  return status;
}

// A name beside `destination` that no other copy uses: ".morvick-<pid>-<n>.tmp".
// The item's own name is left out, so that a name near the file system's
// limit still has a temporary name.
std::string TemporaryNameFor(const std::string& destination) {
  static std::atomic<unsigned> counter{0};
  return JoinPath(ParentFolder(destination), ".morvick-" + std::to_string(::GetCurrentProcessId()) +
                                                 "-" + std::to_string(counter++) + ".tmp");
}

Handle OpenForReading(const std::string& path) {
  return Handle(::CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

Handle CreateNew(const std::string& path) {
  return Handle(::CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

int ReadInto(HANDLE in, const ByteSink& sink, HANDLE out) {
  const std::unique_ptr<char[]> buffer(new char[kChunk]);
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(in, buffer.get(), kChunk, &got, nullptr)) return windows::LastErrno();
    if (got == 0) return 0;
    if (sink) sink(buffer.get(), got);
    if (out != INVALID_HANDLE_VALUE) {
      DWORD put = 0;
      if (!::WriteFile(out, buffer.get(), got, &put, nullptr)) return windows::LastErrno();
      if (put != got) return EIO;
    }
  }
}

// Flushes, closes and renames the temporary file without replacing; removes
// it on any failure.
int Finish(Handle& out, const std::string& temporary, const std::string& destination) {
  int error = ::FlushFileBuffers(out.get()) ? 0 : windows::LastErrno();
  const int close_error = out.Close() ? 0 : windows::LastErrno();
  if (error == 0) error = close_error;
  if (error == 0) error = RenameIntoPlace(temporary, destination);
  if (error != 0) ::DeleteFileW(SystemPath(temporary).c_str());
  return error;
}

class SystemFileCopier final : public FileCopier {
 public:
  ItemStatus Status(const std::string& path) override {
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileExW(SystemPath(path).c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
      ItemStatus missing;
      missing.error = windows::LastErrno();
      return missing;
    }
    ::FindClose(find);
    return StatusOf(data);
  }

  int List(const std::string& folder, std::vector<FolderItem>& items) override {
    WIN32_FIND_DATAW data;
    const std::wstring pattern = SystemPath(folder) + L"\\*";
    const HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return windows::LastErrno();
    int error = 0;
    do {
      std::string name = windows::Narrow(data.cFileName);
      if (name != "." && name != "..") items.push_back({std::move(name), StatusOf(data)});
    } while (::FindNextFileW(find, &data));
    if (::GetLastError() != ERROR_NO_MORE_FILES) error = windows::LastErrno();
    ::FindClose(find);
    return error;
  }

  int Read(const std::string& path, const ByteSink& sink) override {
    const Handle in = OpenForReading(path);
    if (!in) return windows::LastErrno();
    return ReadInto(in.get(), sink, INVALID_HANDLE_VALUE);
  }

  // The target text of a symbolic link or a junction, from its reparse data
  // (the name it shows, as the user made it).
  int ReadLink(const std::string& path, std::string& target) override {
    const Handle link(::CreateFileW(
        SystemPath(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!link) return windows::LastErrno();
    alignas(8) unsigned char data[MAXIMUM_REPARSE_DATA_BUFFER_SIZE];
    DWORD size = 0;
    if (!::DeviceIoControl(link.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, data, sizeof data,
                           &size, nullptr)) {
      return windows::LastErrno();
    }
    // Tag (4 bytes), data length and a reserved word (2 each), then the
    // offsets and lengths of the substitute and print names (2 bytes each),
    // then for a symbolic link 4 bytes of flags, then the names.
    DWORD tag = 0;
    std::memcpy(&tag, data, sizeof tag);
    std::size_t names = 0;
    if (tag == IO_REPARSE_TAG_SYMLINK) {
      names = 20;
    } else if (tag == IO_REPARSE_TAG_MOUNT_POINT) {
      names = 16;
    } else {
      return EOPNOTSUPP;
    }
    USHORT field[4];
    std::memcpy(field, data + 8, sizeof field);
    const bool has_print_name = field[3] != 0;
    const USHORT offset = has_print_name ? field[2] : field[0];
    const USHORT length = has_print_name ? field[3] : field[1];
    if (names + offset + length > size) return EINVAL;
    std::wstring text(length / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data + names + offset, length);
    target = windows::Narrow(text);
    return 0;
  }

  int CopyRegularFile(const std::string& source, const std::string& destination, CopyMethod method,
                      const ByteSink& sink, const PlacedSink& placed, ItemStatus& copied) override {
    const Handle in = OpenForReading(source);
    if (!in) return windows::LastErrno();
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(in.get(), &info)) return windows::LastErrno();
    if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
      return EINVAL;
    }
    copied = ItemStatus{};
    copied.kind = ItemStatus::Kind::File;
    copied.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                                            info.nFileSizeLow);
    copied.mtime_ns = NanosecondsOf(info.ftLastWriteTime);
    if (method == CopyMethod::HardLink) {
      if (!::CreateHardLinkW(SystemPath(destination).c_str(), SystemPath(source).c_str(),
                             nullptr)) {
        return windows::LastErrno();
      }
      const int error = sink ? ReadInto(in.get(), sink, INVALID_HANDLE_VALUE) : 0;
      if (error != 0) {
        ::DeleteFileW(SystemPath(destination).c_str());
        return error;
      }
      if (placed) placed(0);
      return 0;
    }
    const std::string temporary = TemporaryNameFor(destination);
    Handle out = CreateNew(temporary);
    if (!out) return windows::LastErrno();
    int error = ReadInto(in.get(), sink, out.get());
    // A source written to while it was read gives no true copy (nor hash).
    BY_HANDLE_FILE_INFORMATION after;
    if (error == 0 && !::GetFileInformationByHandle(in.get(), &after)) error = windows::LastErrno();
    if (error == 0 &&
        (after.nFileSizeHigh != info.nFileSizeHigh || after.nFileSizeLow != info.nFileSizeLow ||
         ::CompareFileTime(&after.ftLastWriteTime, &info.ftLastWriteTime) != 0)) {
      error = EAGAIN;
    }
    if (error == 0 &&
        !::SetFileTime(out.get(), nullptr, &info.ftLastAccessTime, &info.ftLastWriteTime)) {
      error = windows::LastErrno();
    }
    if (error != 0) {
      out.Close();
      ::DeleteFileW(SystemPath(temporary).c_str());
      return error;
    }
    // Each file is flushed on its own and named at once: there is no batch
    // to finish here.
    error = Finish(out, temporary, destination);
    if (error != 0) return error;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
      ::SetFileAttributesW(SystemPath(destination).c_str(), info.dwFileAttributes);
    }
    if (placed) placed(0);
    return 0;
  }

  void FinishCopies() override {}

  int RemoveTemporary(const std::string& path) override {
    const std::string name = path.substr(path.find_last_of("\\/") + 1);
    if (!IsCopyTemporaryName(name)) return EINVAL;
    if (name.starts_with(".morvick-" + std::to_string(::GetCurrentProcessId()) + "-")) {
      return EBUSY;
    }
    const std::wstring system_path = SystemPath(path);
    const DWORD attributes = ::GetFileAttributesW(system_path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return windows::LastErrno();
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      return ::DeleteFileW(system_path.c_str()) ? 0 : windows::LastErrno();
    }
    // A link to a folder is removed as a folder, which removes the link alone.
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return EISDIR;
    return ::RemoveDirectoryW(system_path.c_str()) ? 0 : windows::LastErrno();
  }

  // The link is made under a temporary name and moved to its own, which
  // moves the link itself and never replaces. A link to a folder (or a
  // junction) becomes a folder link.
  int CopyLink(const std::string& source, const std::string& destination) override {
    std::string target;
    if (const int error = ReadLink(source, target); error != 0) return error;
    const DWORD attributes = ::GetFileAttributesW(SystemPath(source).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return windows::LastErrno();
    DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) flags |= SYMBOLIC_LINK_FLAG_DIRECTORY;
    const std::string temporary = TemporaryNameFor(destination);
    if (!::CreateSymbolicLinkW(SystemPath(temporary).c_str(), windows::Wide(target).c_str(),
                               flags)) {
      return windows::LastErrno();
    }
    const int error = RenameIntoPlace(temporary, destination);
    if (error != 0) {
      if ((flags & SYMBOLIC_LINK_FLAG_DIRECTORY) != 0) {
        ::RemoveDirectoryW(SystemPath(temporary).c_str());
      } else {
        ::DeleteFileW(SystemPath(temporary).c_str());
      }
    }
    return error;
  }

  int MakeFolder(const std::string& path) override {
    return ::CreateDirectoryW(SystemPath(path).c_str(), nullptr) ? 0 : windows::LastErrno();
  }

  int CopyFolderAttributes(const std::string& source, const std::string& destination) override {
    const ItemStatus from = Status(source);
    if (from.kind != ItemStatus::Kind::Folder) return from.error != 0 ? from.error : ENOTDIR;
    const Handle folder(::CreateFileW(SystemPath(destination).c_str(), FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) return windows::LastErrno();
    const auto ticks = static_cast<std::uint64_t>(from.mtime_ns / 100 + kEpochOffsetTicks);
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return ::SetFileTime(folder.get(), nullptr, nullptr, &time) ? 0 : windows::LastErrno();
  }

  int WriteNewFile(const std::string& path, const std::string& content) override {
    const std::string temporary = TemporaryNameFor(path);
    Handle out = CreateNew(temporary);
    if (!out) return windows::LastErrno();
    DWORD put = 0;
    const BOOL written =
        ::WriteFile(out.get(), content.data(), static_cast<DWORD>(content.size()), &put, nullptr);
    if (!written || put != content.size()) {
      const int error = !written ? windows::LastErrno() : EIO;
      out.Close();
      ::DeleteFileW(SystemPath(temporary).c_str());
      return error;
    }
    return Finish(out, temporary, path);
  }
};

}  // namespace

FileCopier& RealFileCopier() {
  static SystemFileCopier copier;
  return copier;
}

}  // namespace morvick::platform
