#include "platform/windows/wide.h"

#include "common/utf8.h"

#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <vector>

namespace morvick::platform::windows {
namespace {

// The three bytes of an unpaired surrogate (ED A0 80 to ED BF BF), which
// DecodeUtf8At rejects as UTF-8.
bool IsEncodedSurrogate(std::string_view text, std::size_t i) {
  return i + 2 < text.size() && static_cast<unsigned char>(text[i]) == 0xED &&
         (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0xA0 &&
         (static_cast<unsigned char>(text[i + 2]) & 0xC0) == 0x80;
}

void AppendUtf8(std::uint32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// True for "X:\..." and "\\server\share\..." paths with no "/", no empty,
// "." or ".." name: the paths the program builds from the fixed folders and
// the names it read. Those go to the system as they are, since the
// normalisation of GetFullPathNameW drops trailing dots and blanks of a name,
// and "name." would then reach the file "name".
bool IsPlainAbsolute(std::wstring_view path) {
  std::size_t start = 0;
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
    start = 3;
  } else if (path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' &&
             path[2] != L'.') {
    start = 2;
  } else {
    return false;
  }
  if (path.find(L'/') != std::wstring_view::npos) return false;
  while (start < path.size()) {
    std::size_t end = path.find(L'\\', start);
    if (end == std::wstring_view::npos) end = path.size();
    const std::wstring_view name = path.substr(start, end - start);
    if (name.empty() || name == L"." || name == L"..") return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

std::wstring Wide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out += static_cast<wchar_t>(byte);
      ++i;
      continue;
    }
    if (IsEncodedSurrogate(text, i)) {
      out += static_cast<wchar_t>(((byte & 0x0F) << 12) |
                                  ((static_cast<unsigned char>(text[i + 1]) & 0x3F) << 6) |
                                  (static_cast<unsigned char>(text[i + 2]) & 0x3F));
      i += 3;
      continue;
    }
    const DecodedChar decoded = DecodeUtf8At(text, i);
    if (decoded.length == 0) {
      out += static_cast<wchar_t>(0xFFFD);
      ++i;
      continue;
    }
    if (decoded.code_point >= 0x10000) {
      const std::uint32_t c = decoded.code_point - 0x10000;
      out += static_cast<wchar_t>(0xD800 + (c >> 10));
      out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<wchar_t>(decoded.code_point);
    }
    i += decoded.length;
  }
  return out;
}

std::string Narrow(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t c = static_cast<std::uint16_t>(text[i]);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
      const std::uint32_t low = static_cast<std::uint16_t>(text[i + 1]);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    AppendUtf8(c, out);
  }
  return out;
}

std::wstring FullPath(const std::string& path) {
  if (path.empty()) return std::wstring();
  const std::wstring wide = Wide(path);
  if (StartsWith(wide, L"\\\\?\\") || IsPlainAbsolute(wide)) return wide;
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0) return wide;
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(length + 1);
  }
}

std::wstring SystemPath(const std::string& path) {
  std::wstring full = FullPath(path);
  if (full.empty() || StartsWith(full, L"\\\\?\\") || StartsWith(full, L"\\\\.\\")) return full;
  if (StartsWith(full, L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

std::string UserPath(std::wstring_view path) {
  if (StartsWith(path, L"\\\\?\\UNC\\")) return "\\\\" + Narrow(path.substr(8));
  if (StartsWith(path, L"\\\\?\\")) return Narrow(path.substr(4));
  return Narrow(path);
}

int ErrnoOf(unsigned long win32_error) {
  switch (win32_error) {
    case ERROR_SUCCESS: return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME: return ENOENT;
    case ERROR_DIRECTORY: return ENOTDIR;
    case ERROR_TOO_MANY_OPEN_FILES: return EMFILE;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_PRIVILEGE_NOT_HELD: return EACCES;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS: return EEXIST;
    case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
    case ERROR_NOT_SAME_DEVICE: return EXDEV;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER: return EINVAL;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return ENOMEM;
    case ERROR_BUSY: return EBUSY;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA: return EPIPE;
    default: return EIO;
  }
}

int LastErrno() { return ErrnoOf(::GetLastError()); }

}  // namespace morvick::platform::windows
