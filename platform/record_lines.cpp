#include "platform/record_lines.h"

#include <string>

namespace morvick::platform {

void ForEachRecordLine(const std::function<std::size_t(char*, std::size_t, std::size_t)>& read_at,
                       std::size_t max_line,
                       const std::function<bool(std::string_view, std::size_t, bool)>& line) {
  std::string pending;  // the line read so far, up to the bound
  bool too_long = false;
  std::size_t offset = 0;
  char buffer[65536];
  for (;;) {
    const std::size_t n = read_at(buffer, sizeof buffer, offset);
    if (n == 0) return;
    std::string_view chunk(buffer, n);
    std::size_t chunk_start = offset;
    offset += n;
    while (!chunk.empty()) {
      const std::size_t newline = chunk.find('\n');
      const std::string_view piece = chunk.substr(0, newline);
      if (!too_long) {
        const std::size_t room = max_line - pending.size();
        if (piece.size() > room) {
          pending.append(piece.substr(0, room));
          too_long = true;
        } else {
          pending.append(piece);
        }
      }
      if (newline == std::string_view::npos) break;
      const std::size_t end = chunk_start + newline + 1;
      if (!line(pending, end, too_long)) return;
      pending.clear();
      too_long = false;
      chunk.remove_prefix(newline + 1);
      chunk_start = end;
    }
  }
}

}  // namespace morvick::platform
