#include "bench_support.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace morvick::bench {

long long PeakRssBytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<long long>(usage.ru_maxrss) * 1024;
}

long long CurrentRssBytes() {
  std::ifstream statm("/proc/self/statm");
  long long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4096;
}

double TimeCommand(const std::string& command) {
  const Clock::time_point start = Clock::now();
  const int status = std::system((command + " >/dev/null 2>&1").c_str());
  const double seconds = SecondsSince(start);
  return status == 0 ? seconds : -1.0;
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace morvick::bench
