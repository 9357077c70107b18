#include "platform/standard_streams.h"

#include "platform/windows/wide.h"

#include <windows.h>
// Needs the types of windows.h.
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

namespace morvick::platform {
namespace {

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

bool IsOpen(int fd) {
  const HANDLE handle = HandleOf(fd);
  return handle != INVALID_HANDLE_VALUE && handle != reinterpret_cast<HANDLE>(-2);
}

// Waits up to a tenth of a second for something to read on `handle`. False
// when there is nothing yet; true when a read will not wait (data, or the end
// of the input).
bool ReadyToRead(HANDLE handle) {
  switch (::GetFileType(handle)) {
    case FILE_TYPE_PIPE: {
      DWORD available = 0;
      if (!::PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr)) return true;
      if (available > 0) return true;
      ::Sleep(100);
      return false;
    }
    case FILE_TYPE_CHAR: {
      DWORD mode = 0;
      if (!::GetConsoleMode(handle, &mode)) return true;
      // The console's line editing then hands the line over once Enter is
      // pressed; Ctrl-C ends that read with nothing.
      return ::WaitForSingleObject(handle, 100) == WAIT_OBJECT_0;
    }
    default: return true;
  }
}

}  // namespace

unsigned OpenStandardDescriptors() {
  unsigned closed = 0;
  for (int fd = 0; fd <= 2; ++fd) {
    if (IsOpen(fd)) continue;
    closed |= 1u << fd;
    const int opened = ::_wopen(L"NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
    if (opened >= 0 && opened != fd) {
      ::_dup2(opened, fd);
      ::_close(opened);
    }
  }
  return closed;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(windows::Narrow(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

void UseUtf8Streams() {
  ::SetConsoleOutputCP(CP_UTF8);
  ::SetConsoleCP(CP_UTF8);
  for (int fd = 0; fd <= 2; ++fd) ::_setmode(fd, _O_BINARY);
}

// Windows has no SIGPIPE: a write to a pipe whose reader has gone fails with
// EPIPE (or EINVAL) already.
void IgnoreBrokenPipe() {}

bool IsTerminal(int fd) {
  // _isatty also holds NUL for a terminal; only a console is one.
  DWORD mode = 0;
  return IsOpen(fd) && ::GetConsoleMode(HandleOf(fd), &mode) != 0;
}

std::string ReadLineUnless(int fd, const std::function<bool()>& stop) {
  std::string line;
  const HANDLE handle = HandleOf(fd);
  while (!stop()) {
    if (!ReadyToRead(handle)) continue;
    char c = 0;
    if (::_read(fd, &c, 1) != 1) break;
    if (c == '\r') continue;  // the console ends a line with "\r\n"
    line += c;
    if (c == '\n') break;
  }
  return line;
}

}  // namespace morvick::platform
