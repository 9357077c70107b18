#include "settings/comma_line.h"

namespace morvick {
namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The length of the character at `pos`: a whole UTF-8 sequence when it is
// well formed, else the single byte, so that a stray lead byte never swallows
// the comma or quote after it.
std::size_t CharLength(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t length = 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
  }
  if (pos + length > text.size()) return 1;
  for (std::size_t i = 1; i < length; ++i) {
    if (!IsContinuationByte(text[pos + i])) return 1;
  }
  return length;
}

// Codes 1 to 32: the blanks and control characters that separate fields.
bool IsSeparatorBlank(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 1 && code <= 32;
}

bool NeedsQuotes(std::string_view cell) {
  for (std::size_t i = 0; i < cell.size(); i += CharLength(cell, i)) {
    const auto code = static_cast<unsigned char>(cell[i]);
    if (code <= 32 || cell[i] == '"' || cell[i] == ',') return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> SplitCommaLine(std::string_view line) {
  line = line.substr(0, line.find('\0'));
  std::vector<std::string> fields;
  std::size_t pos = 0;
  auto skip_blanks = [&] {
    while (pos < line.size() && IsSeparatorBlank(line[pos])) ++pos;
  };

  skip_blanks();
  while (pos < line.size()) {
    std::string field;
    if (line[pos] == '"') {
      ++pos;
      while (pos < line.size()) {
        if (line[pos] == '"') {
          if (pos + 1 < line.size() && line[pos + 1] == '"') {
            field += '"';
            pos += 2;
            continue;
          }
          ++pos;  // the closing quote
          break;
        }
        const std::size_t length = CharLength(line, pos);
        field.append(line.substr(pos, length));
        pos += length;
      }
    } else {
      while (pos < line.size() && line[pos] != ',' && !IsSeparatorBlank(line[pos])) {
        const std::size_t length = CharLength(line, pos);
        field.append(line.substr(pos, length));
        pos += length;
      }
    }
    fields.push_back(std::move(field));
    skip_blanks();
    if (pos < line.size() && line[pos] == ',') {
      if (pos + 1 == line.size()) fields.emplace_back();
      ++pos;
      skip_blanks();
    }
  }
  return fields;
}

std::string JoinCommaLine(const std::vector<std::string>& cells) {
  if (cells.size() == 1 && cells.front().empty()) return "\"\"";
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += ',';
    const std::string& cell = cells[i];
    if (!NeedsQuotes(cell)) {
      line += cell;
      continue;
    }
    line += '"';
    for (char c : cell) {
      if (c == '"') line += '"';
      line += c;
    }
    line += '"';
  }
  return line;
}

std::vector<std::string> SplitTextLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", begin);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(begin));
      break;
    }
    lines.emplace_back(text.substr(begin, end - begin));
    begin = end + 1;
    if (text[end] == '\r' && begin < text.size() && text[begin] == '\n') ++begin;
  }
  return lines;
}

}  // namespace morvick
