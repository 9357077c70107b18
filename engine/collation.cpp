#include "engine/collation.h"

#include "common/utf8.h"
#include "engine/collation_backend.h"

#include <cstring>

namespace morvick {
namespace {

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const DecodedChar decoded = DecodeUtf8At(text, i);
    if (decoded.length == 0) return false;
    i += decoded.length;
  }
  return true;
}

}  // namespace

std::string CollationLocaleName(const char* lc_all, const char* lc_collate, const char* lang) {
  const char* chosen = nullptr;
  for (const char* value : {lc_all, lc_collate, lang}) {
    if (value != nullptr && *value != '\0') {
      chosen = value;
      break;
    }
  }
  if (chosen == nullptr) return "ja";
  std::string name(chosen);
  const std::size_t cut = name.find_first_of(".@");
  if (cut != std::string::npos) name.resize(cut);
  if (name.empty() || name == "C" || name == "POSIX") return "ja";
  return name;
}

int CompareText(std::string_view a, std::string_view b) {
  const int linguistic = LinguisticCompare(a, b);
  if (linguistic != 0) return linguistic;
  // The locale takes canonically equivalent texts ("é" as one code point or as
  // "e" and U+0301, two different names in one folder) and texts that are not
  // UTF-8 as equal; only the same bytes may compare 0. UTF-8 first, then by the
  // bytes.
  const bool a_valid = IsValidUtf8(a);
  const bool b_valid = IsValidUtf8(b);
  if (a_valid != b_valid) return a_valid ? -1 : 1;
  const int raw = a.compare(b);
  return raw < 0 ? -1 : (raw > 0 ? 1 : 0);
}

std::size_t AppendSortKey(std::string_view text, std::vector<std::uint8_t>& arena) {
  const std::size_t start = arena.size();
  AppendLinguisticKey(text, arena);
  // The same tie-break as CompareText: a zero (no collation key holds one, so a
  // shorter key still sorts first), UTF-8 before other bytes, then the bytes.
  arena.push_back(0);
  arena.push_back(IsValidUtf8(text) ? 0 : 1);
  arena.insert(arena.end(), text.begin(), text.end());
  return arena.size() - start;
}

std::size_t AppendShortSortKey(std::string_view text, std::vector<std::uint8_t>& arena) {
  const std::size_t start = arena.size();
  AppendShortLinguisticKey(text, arena);
  return arena.size() - start;
}

int CompareSortKeys(const std::uint8_t* a, std::size_t a_length, const std::uint8_t* b,
                    std::size_t b_length) {
  const std::size_t common = a_length < b_length ? a_length : b_length;
  const int bytes = common == 0 ? 0 : std::memcmp(a, b, common);
  if (bytes != 0) return bytes < 0 ? -1 : 1;
  if (a_length == b_length) return 0;
  return a_length < b_length ? -1 : 1;
}

}  // namespace morvick
