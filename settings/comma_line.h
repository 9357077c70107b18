#pragma once

// The comma-line format of the preset file, and the splitting of a text into
// lines. UTF-8 characters are stepped over whole, so no byte of a multi-byte
// character is ever taken for a comma, a double quote or a blank.

#include <string>
#include <string_view>
#include <vector>

namespace morvick {

// One line to its fields. Blanks (codes 1 to 32) outside double quotes end a
// field as a comma does but never make an empty field; a comma at the very end
// adds one empty field; a double-quoted field may hold anything, with doubled
// double quotes standing for one. A double quote never closed on its line
// takes the rest of the line. The line ends at a NUL byte, if any.
std::vector<std::string> SplitCommaLine(std::string_view line);

// Cells to one line: a cell holding a blank or control character, a double
// quote or a comma is written in double quotes (inner quotes doubled), every
// other cell as it is, with one comma between neighbours. A lone empty cell is
// written as "" so that it reads back as one field.
std::string JoinCommaLine(const std::vector<std::string>& cells);

// The lines of a text: a line ends at CR LF, a lone CR or a lone LF, and a
// break at the very end starts no further line.
std::vector<std::string> SplitTextLines(std::string_view text);

}  // namespace morvick
