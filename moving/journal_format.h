#pragma once

// The line format of a journal: one JSON object a line, each ending in its own
// checksum ("crc", CRC-32 of the record's text before that field). A record
// that fails it ends the reading there: a last line cut off by a crash is
// ignored, as is anything after a damaged line.

#include "common/json_text.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace morvick {

// The first format had no checksums and no front end; the second added both.
inline constexpr int kFirstJournalFormat = 1;
inline constexpr int kJournalFormat = 2;

// A plan record holds every entry: a million entries take some 80 MB. A longer
// line is no record of ours.
inline constexpr std::size_t kMaxJournalLine = std::size_t{512} << 20;

// One record line with its checksum, newline included.
std::string JournalLine(const Json& record);

// The record text of a line that ends in a checksum, or nullopt when it has
// none. `valid` tells whether the checksum matches.
std::optional<std::string> CheckedRecordText(std::string_view line, bool& valid);

}  // namespace morvick
