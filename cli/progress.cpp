#include "cli/progress.h"

#include "cli/output.h"
#include "common/text_rules.h"

#include <string>

namespace morvick::cli {

void ScanProgress::Tick(const EntryList& entries) {
  ++entries_read_;
  // The clock is read every 64 entries only: the pump runs once per entry.
  if (entries_read_ % 64 != 0) return;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - last_draw_ < kInterval) return;
  last_draw_ = now;
  for (; records_summed_ < entries.size(); ++records_summed_) {
    if (__builtin_add_overflow(bytes_, entries[records_summed_].Size, &bytes_)) {
      bytes_ = INT64_MAX;
    }
  }
  Draw();
}

void ScanProgress::Draw() {
  const std::string line = "\r[検索中] " +
                           FormatThousands(static_cast<std::int64_t>(entries_read_)) +
                           " entries, " + FormatThousands(bytes_) + " bytes\x1b[K";
  WriteOutput(out_, line);
  drawn_ = true;
}

void ScanProgress::Finish() {
  if (!drawn_) return;
  WriteOutput(out_, "\r\x1b[K");
  drawn_ = false;
}

}  // namespace morvick::cli
