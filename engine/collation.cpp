#include "engine/collation.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace morvick {
namespace {

bool IsValidUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto length = static_cast<std::int32_t>(text.size());
  std::int32_t i = 0;
  while (i < length) {
    if (bytes[i] < 0x80) {
      ++i;
      continue;
    }
    UChar32 c;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

void ToUtf16(std::string_view text, std::u16string& out) {
  out.resize(text.size() + 1);
  UErrorCode status = U_ZERO_ERROR;
  std::int32_t length = 0;
  u_strFromUTF8WithSub(reinterpret_cast<UChar*>(out.data()), static_cast<std::int32_t>(out.size()),
                       &length, text.data(), static_cast<std::int32_t>(text.size()), 0xFFFD,
                       nullptr, &status);
  if (U_FAILURE(status)) length = 0;
  out.resize(static_cast<std::size_t>(length));
}

struct CollatorCloser {
  void operator()(UCollator* collator) const { ucol_close(collator); }
};

class Collator {
 public:
  Collator() {
    const std::string locale =
        CollationLocaleName(std::getenv("LC_ALL"), std::getenv("LC_COLLATE"), std::getenv("LANG"));
    UErrorCode status = U_ZERO_ERROR;
    collator_.reset(ucol_open(locale.c_str(), &status));
    if (U_FAILURE(status) || !collator_) {
      status = U_ZERO_ERROR;
      collator_.reset(ucol_open("ja", &status));
    }
    if (U_FAILURE(status) || !collator_) throw std::runtime_error("no collator");
    status = U_ZERO_ERROR;
    ucol_setStrength(collator_.get(), UCOL_IDENTICAL);
    ucol_setAttribute(collator_.get(), UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
  }

  int Compare(std::string_view a, std::string_view b) {
    std::lock_guard lock(mutex_);
    ToUtf16(a, a16_);
    ToUtf16(b, b16_);
    const UCollationResult result = ucol_strcoll(
        collator_.get(), reinterpret_cast<const UChar*>(a16_.data()),
        static_cast<std::int32_t>(a16_.size()), reinterpret_cast<const UChar*>(b16_.data()),
        static_cast<std::int32_t>(b16_.size()));
    if (result != UCOL_EQUAL) return result == UCOL_LESS ? -1 : 1;
    // The collator takes canonically equivalent texts ("é" as one code point or
    // as "e" and U+0301, two different names in one folder) and texts that are
    // not UTF-8 as equal; only the same bytes may compare 0. UTF-8 first, then
    // by the bytes.
    const bool a_valid = IsValidUtf8(a);
    const bool b_valid = IsValidUtf8(b);
    if (a_valid != b_valid) return a_valid ? -1 : 1;
    const int raw = a.compare(b);
    return raw < 0 ? -1 : (raw > 0 ? 1 : 0);
  }

  std::size_t AppendKey(std::string_view text, std::vector<std::uint8_t>& arena) {
    std::lock_guard lock(mutex_);
    ToUtf16(text, a16_);
    const auto* source = reinterpret_cast<const UChar*>(a16_.data());
    const auto source_length = static_cast<std::int32_t>(a16_.size());
    const std::size_t start = arena.size();
    std::size_t room = 64 + a16_.size() * 8;
    for (;;) {
      arena.resize(start + room);
      const std::int32_t needed =
          ucol_getSortKey(collator_.get(), source, source_length, arena.data() + start,
                          static_cast<std::int32_t>(room));
      if (needed <= 0) {
        arena.resize(start);
        break;
      }
      if (static_cast<std::size_t>(needed) <= room) {
        // Drop the terminating zero; the lengths bound the keys.
        arena.resize(start + static_cast<std::size_t>(needed) - 1);
        break;
      }
      room = static_cast<std::size_t>(needed);
    }
    // The same tie-break as Compare: a zero (no collation key holds one, so a
    // shorter key still sorts first), UTF-8 before other bytes, then the bytes.
    arena.push_back(0);
    arena.push_back(IsValidUtf8(text) ? 0 : 1);
    arena.insert(arena.end(), text.begin(), text.end());
    return arena.size() - start;
  }

 private:
  std::mutex mutex_;
  std::unique_ptr<UCollator, CollatorCloser> collator_;
  std::u16string a16_;
  std::u16string b16_;
};

Collator& ProcessCollator() {
  static Collator collator;
  return collator;
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

int CompareText(std::string_view a, std::string_view b) { return ProcessCollator().Compare(a, b); }

std::size_t AppendSortKey(std::string_view text, std::vector<std::uint8_t>& arena) {
  return ProcessCollator().AppendKey(text, arena);
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
