#pragma once

// Small helpers shared by the benchmarks: wall time, peak memory, running a
// reference command.

#include <chrono>
#include <string>

namespace morvick::bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Peak resident set size of this process so far, in bytes.
long long PeakRssBytes();
// Current resident set size, in bytes.
long long CurrentRssBytes();

// Runs a shell command with its output discarded; returns its wall time in
// seconds, or a negative value when it failed.
double TimeCommand(const std::string& command);

// Quotes a path for the shell.
std::string ShellQuote(const std::string& text);

}  // namespace morvick::bench
