#pragma once

// The progress line of a copy or a verify on a terminal: bytes done of the
// total, the rate and the time left, redrawn at most ten times a second.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace morvick::cli {

class TransferProgress {
 public:
  TransferProgress(std::FILE* out, std::string tag)
      : out_(out), tag_(std::move(tag)), start_(std::chrono::steady_clock::now()) {}
  ~TransferProgress() { Finish(); }
  TransferProgress(const TransferProgress&) = delete;
  TransferProgress& operator=(const TransferProgress&) = delete;

  // `total` 0: not known (no time left shown).
  void Update(std::int64_t done, std::int64_t total);
  // Clears the line.
  void Finish();

  // The line's text for `done` of `total` bytes after `seconds`.
  static std::string LineText(const std::string& tag, std::int64_t done, std::int64_t total,
                              double seconds);

 private:
  std::FILE* out_;
  std::string tag_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_draw_{};
  bool drawn_ = false;
};

}  // namespace morvick::cli
