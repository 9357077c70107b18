#include "moving/journal_format.h"

#include "common/crc32.h"

#include <cstdio>

namespace morvick {
namespace {

// ,"crc":"xxxxxxxx"} closes every record of the current format.
constexpr std::string_view kChecksumKey = ",\"crc\":\"";
constexpr std::size_t kChecksumSuffix = kChecksumKey.size() + 8 + 2;

std::string ChecksumText(std::string_view text) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(Crc32(text)));
  return hex;
}

}  // namespace

std::string JournalLine(const Json& record) {
  const std::string body = DumpJson(record);
  std::string line = body.substr(0, body.size() - 1);
  line += kChecksumKey;
  line += ChecksumText(body);
  line += "\"}\n";
  return line;
}

std::optional<std::string> CheckedRecordText(std::string_view line, bool& valid) {
  valid = false;
  if (line.size() < kChecksumSuffix + 2 || line.back() != '}') return std::nullopt;
  const std::size_t key = line.size() - kChecksumSuffix;
  if (line.substr(key, kChecksumKey.size()) != kChecksumKey) return std::nullopt;
  std::string body(line.substr(0, key));
  body += '}';
  valid = line.substr(key + kChecksumKey.size(), 8) == ChecksumText(body) &&
          line[line.size() - 2] == '"';
  return body;
}

}  // namespace morvick
