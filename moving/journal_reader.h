#pragma once

// Reading a journal. A record that fails its checksum ends the reading; a
// record that passes it but makes no sense (or, in a journal of the first
// format, which has no checksums, any damage before the last line) raises Error.

#include "moving/journal.h"
#include "platform/record_file.h"

#include <string_view>

namespace morvick {

Journal ParseJournal(std::string_view text);
// The same, read from an open journal line by line; a line over the bound
// counts as damaged.
Journal ReadJournal(const platform::RecordFile& file);

// A move killed while it wrote its plan has moved nothing yet: the journal is
// empty, or holds the beginning of a plan record and no whole line.
bool StoppedBeforeThePlan(const platform::RecordFile& file);

}  // namespace morvick
