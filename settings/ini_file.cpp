#include "settings/ini_file.h"

#include "platform/file_io.h"

#include <cerrno>
#include <vector>

namespace morvick {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool IsQuotedWhole(std::string_view text) {
  return text.size() >= 2 && IsQuote(text.front()) && text.front() == text.back();
}

bool HasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

enum class LineKind { Other, Section, Key };

// One line of the file: its bytes [begin, end) include the terminator, which
// starts at content_end.
struct IniLine {
  std::size_t begin = 0;
  std::size_t content_end = 0;
  std::size_t end = 0;
  LineKind kind = LineKind::Other;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // raw value of a key line
};

IniLine ClassifyLine(std::string_view text, std::size_t begin, std::size_t content_end,
                     std::size_t end) {
  IniLine line;
  line.begin = begin;
  line.content_end = content_end;
  line.end = end;
  std::string_view content = text.substr(begin, content_end - begin);
  if (begin == 0 && content.starts_with(kUtf8Bom)) content.remove_prefix(kUtf8Bom.size());
  const std::string_view trimmed = TrimBlanks(content);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') return line;
  if (trimmed.front() == '[') {
    const auto close = trimmed.find(']');
    if (close != std::string_view::npos) {
      line.kind = LineKind::Section;
      line.name = TrimBlanks(trimmed.substr(1, close - 1));
    }
    return line;
  }
  const auto equals = trimmed.find('=');
  if (equals != std::string_view::npos) {
    line.kind = LineKind::Key;
    line.name = TrimBlanks(trimmed.substr(0, equals));
    line.value = trimmed.substr(equals + 1);
  }
  return line;
}

// A line ends at CR LF, a lone CR or a lone LF; text after the last break
// is a line of its own.
std::vector<IniLine> ParseLines(std::string_view text) {
  std::vector<IniLine> lines;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t content_end = text.find_first_of("\r\n", begin);
    std::size_t end;
    if (content_end == std::string_view::npos) {
      content_end = end = text.size();
    } else if (text[content_end] == '\r' && content_end + 1 < text.size() &&
               text[content_end + 1] == '\n') {
      end = content_end + 2;
    } else {
      end = content_end + 1;
    }
    lines.push_back(ClassifyLine(text, begin, content_end, end));
    begin = end;
  }
  return lines;
}

// Where the first section of that name lies: its header and the lines up to
// the next header.
struct SectionSpan {
  std::size_t header = 0;
  std::size_t last = 0;  // index of its last line
};

std::optional<SectionSpan> FindSection(const std::vector<IniLine>& lines,
                                       std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].kind != LineKind::Section || !EqualsIgnoringAsciiCase(lines[i].name, section)) {
      continue;
    }
    std::size_t last = i;
    while (last + 1 < lines.size() && lines[last + 1].kind != LineKind::Section) ++last;
    return SectionSpan{i, last};
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<IniLine>& lines, const SectionSpan& span,
                                   std::string_view key) {
  for (std::size_t i = span.header + 1; i <= span.last; ++i) {
    if (lines[i].kind == LineKind::Key && EqualsIgnoringAsciiCase(lines[i].name, key)) return i;
  }
  return std::nullopt;
}

std::string DecodeValue(std::string_view raw) {
  std::string_view value = TrimBlanks(raw);
  if (IsQuotedWhole(value)) value = value.substr(1, value.size() - 2);
  if (value.size() > kProfileValueLimit) {
    // Cut before a continuation byte so that no character is split.
    std::size_t cut = kProfileValueLimit;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
    value = value.substr(0, cut);
  }
  return std::string(value);
}

bool IsStorableName(std::string_view name) {
  return !name.empty() && !HasLineBreakOrNul(name) && TrimBlanks(name).size() == name.size();
}

bool IsStorableKey(std::string_view key) {
  return IsStorableName(key) && key.find('=') == std::string_view::npos && key.front() != '[' &&
         key.front() != ';' && key.front() != '#' && !key.starts_with(kUtf8Bom);
}

bool IsStorableSection(std::string_view section) {
  return IsStorableName(section) && section.find(']') == std::string_view::npos;
}

bool EndsWithLineBreak(std::string_view text) {
  return !text.empty() && (text.back() == '\n' || text.back() == '\r');
}

}  // namespace

std::optional<std::string> FindProfileValue(std::string_view text, std::string_view section,
                                            std::string_view key) {
  const std::vector<IniLine> lines = ParseLines(text);
  const auto span = FindSection(lines, section);
  if (!span) return std::nullopt;
  const auto index = FindKey(lines, *span, key);
  if (!index) return std::nullopt;
  return DecodeValue(lines[*index].value);
}

std::string EncodeProfileValue(std::string_view value) {
  const bool needs_quotes =
      !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) || IsQuotedWhole(value));
  if (!needs_quotes) return std::string(value);
  return "\"" + std::string(value) + "\"";
}

std::optional<std::string> SetProfileValue(std::string_view text, std::string_view section,
                                           std::string_view key, std::string_view value) {
  if (!IsStorableSection(section) || !IsStorableKey(key) || HasLineBreakOrNul(value)) {
    return std::nullopt;
  }
  const std::vector<IniLine> lines = ParseLines(text);
  const std::string encoded = EncodeProfileValue(value);
  std::string result;
  result.reserve(text.size() + key.size() + encoded.size() + section.size() + 8);

  const auto span = FindSection(lines, section);
  if (!span) {
    result.append(text);
    if (!text.empty()) {
      if (!EndsWithLineBreak(text)) result.append(kLineEnd);
      // A blank line sets the new section apart, unless one is there already.
      const IniLine& last = lines.back();
      if (last.content_end > last.begin) result.append(kLineEnd);
    }
    result.append("[").append(section).append("]").append(kLineEnd);
    result.append(key).append("=").append(encoded).append(kLineEnd);
    return result;
  }

  if (const auto index = FindKey(lines, *span, key)) {
    // The user's spelling of the key is kept; only the value changes.
    const IniLine& line = lines[*index];
    result.append(text.substr(0, line.begin));
    if (line.begin == 0 && text.starts_with(kUtf8Bom)) result.append(kUtf8Bom);
    result.append(line.name).append("=").append(encoded).append(kLineEnd);
    result.append(text.substr(line.end));
    return result;
  }

  std::size_t after = span->header;
  for (std::size_t i = span->header + 1; i <= span->last; ++i) {
    if (lines[i].kind == LineKind::Key) after = i;
  }
  const IniLine& anchor = lines[after];
  result.append(text.substr(0, anchor.end));
  if (anchor.end == anchor.content_end) result.append(kLineEnd);  // the file's unended last line
  result.append(key).append("=").append(encoded).append(kLineEnd);
  result.append(text.substr(anchor.end));
  return result;
}

std::optional<std::string> ReadProfileValue(std::string_view section, std::string_view key,
                                            const std::string& path) {
  const platform::FileRead file = platform::ReadWholeFile(path);
  if (!file.content) return std::nullopt;
  return FindProfileValue(*file.content, section, key);
}

std::string GetProfileString(std::string_view section, std::string_view key,
                             std::string_view default_value, const std::string& path) {
  if (auto value = ReadProfileValue(section, key, path)) return std::move(*value);
  return std::string(default_value);
}

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::string& path) {
  const platform::FileRead file = platform::ReadWholeFile(path);
  // Only a missing file may be created afresh; an unreadable one must not be
  // replaced by a file holding just this key.
  if (!file.content && file.error != ENOENT) return false;
  const auto updated = SetProfileValue(file.content.value_or(std::string()), section, key, value);
  if (!updated) return false;
  return platform::ReplaceFileAtomically(path, *updated) == 0;
}

}  // namespace morvick
