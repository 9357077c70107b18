#include "cli/transfer_progress.h"

#include "cli/output.h"
#include "common/text_rules.h"

#include <cstdio>

namespace morvick::cli {
namespace {

constexpr std::chrono::milliseconds kInterval{100};

std::string DurationText(double seconds) {
  const auto whole = static_cast<long long>(seconds + 0.5);
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
  return text;
}

}  // namespace

std::string TransferProgress::LineText(const std::string& tag, std::int64_t done,
                                       std::int64_t total, double seconds) {
  std::string line = tag + FormatThousands(done);
  if (total > 0) line += " / " + FormatThousands(total);
  line += " bytes";
  if (seconds > 0 && done > 0) {
    const double rate = static_cast<double>(done) / seconds;
    char text[32];
    std::snprintf(text, sizeof text, ", %.1f MB/s", rate / 1e6);
    line += text;
    if (total >= done) {
      line += ", " + DurationText(static_cast<double>(total - done) / rate) + " left";
    }
  }
  return line;
}

void TransferProgress::Update(std::int64_t done, std::int64_t total) {
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - last_draw_ < kInterval) return;
  last_draw_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  WriteOutput(out_, "\r" + LineText(tag_, done, total, seconds) + "\x1b[K");
  drawn_ = true;
}

void TransferProgress::Finish() {
  if (!drawn_) return;
  WriteOutput(out_, "\r\x1b[K");
  drawn_ = false;
}

}  // namespace morvick::cli
