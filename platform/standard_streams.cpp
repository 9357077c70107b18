#include "platform/standard_streams.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace morvick::platform {

unsigned OpenStandardDescriptors() {
  unsigned closed = 0;
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1) continue;
    closed |= 1u << fd;
    // open() takes the lowest free number, which is this one.
    const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      ::dup2(opened, fd);
      ::close(opened);
    }
  }
  return closed;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

void UseUtf8Streams() {}

void IgnoreBrokenPipe() { std::signal(SIGPIPE, SIG_IGN); }

bool IsTerminal(int fd) { return ::isatty(fd) == 1; }

std::string ReadLineUnless(int fd, const std::function<bool()>& stop) {
  std::string line;
  while (!stop()) {
    pollfd ready{fd, POLLIN, 0};
    const int polled = ::poll(&ready, 1, 100);
    if (polled == 0 || (polled < 0 && errno == EINTR)) continue;
    if (polled < 0) break;
    char c = 0;
    const ssize_t n = ::read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    line += c;
    if (c == '\n') break;
  }
  return line;
}

}  // namespace morvick::platform
