#include "support/as_nobody.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <iostream>

namespace morvick::testing {

std::string RunInChildAsNobody(const std::function<std::string()>& body) {
  int channel[2];
  if (::pipe(channel) != 0) return "skip";
  // Output buffered now would otherwise be written twice, once by the child.
  std::cout.flush();
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(channel[0]);
    ::close(channel[1]);
    return "skip";
  }
  if (child == 0) {
    ::close(channel[0]);
    std::string result = "skip";
    if (::setgroups(0, nullptr) == 0 && ::setgid(kNobodyId) == 0 && ::setuid(kNobodyId) == 0) {
      try {
        result = body();
      } catch (const std::exception& error) {
        result = std::string("exception: ") + error.what();
      }
    }
    for (std::size_t done = 0; done < result.size();) {
      const ssize_t n = ::write(channel[1], result.data() + done, result.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::_exit(0);
  }
  ::close(channel[1]);
  std::string result;
  char buffer[4096];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
    result.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(channel[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status)) return "child failed";
  return result;
}

}  // namespace morvick::testing
