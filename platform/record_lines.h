#pragma once

// The line splitting of a record file, shared by every platform's RecordFile:
// the file is read in chunks from the start, and each line ending in "\n" is
// handed over, cut to a bound so that a damaged file cannot exhaust memory.

#include <cstddef>
#include <functional>
#include <string_view>

namespace morvick::platform {

// `read_at(buffer, size, offset)` reads up to `size` bytes at `offset` and
// returns how many it read (0 at the end; it raises on a failure). `line`
// receives each whole line without its "\n" (at most `max_line` bytes of it),
// the offset just past it, and whether it was cut; it returns false to stop.
// A last line without "\n" is not handed over.
void ForEachRecordLine(const std::function<std::size_t(char*, std::size_t, std::size_t)>& read_at,
                       std::size_t max_line,
                       const std::function<bool(std::string_view, std::size_t, bool)>& line);

}  // namespace morvick::platform
