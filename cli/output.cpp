#include "cli/output.h"

#include <atomic>
#include <cerrno>

namespace morvick::cli {
namespace {

std::atomic<bool> failed{false};
std::atomic<bool> stdout_closed{false};

}  // namespace

bool WriteOutput(std::FILE* stream, std::string_view text) {
  if (stream == stdout && stdout_closed) {
    failed = true;
    errno = EBADF;
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size() &&
                       std::fflush(stream) == 0 && !std::ferror(stream);
  if (!written) failed = true;
  return written;
}

bool OutputFailed() { return failed; }

void SetStandardOutputClosed(bool closed) { stdout_closed = closed; }

}  // namespace morvick::cli
