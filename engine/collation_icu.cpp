#include "engine/collation.h"
#include "engine/collation_backend.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace morvick {
namespace {

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

using CollatorPtr = std::unique_ptr<UCollator, CollatorCloser>;

// The collator of the locale ("ja" when it has none) at a strength.
CollatorPtr OpenCollator(const std::string& locale, UCollationStrength strength) {
  UErrorCode status = U_ZERO_ERROR;
  CollatorPtr collator(ucol_open(locale.c_str(), &status));
  if (U_FAILURE(status) || !collator) {
    status = U_ZERO_ERROR;
    collator.reset(ucol_open("ja", &status));
  }
  if (U_FAILURE(status) || !collator) throw std::runtime_error("no collator");
  status = U_ZERO_ERROR;
  ucol_setStrength(collator.get(), strength);
  ucol_setAttribute(collator.get(), UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
  return collator;
}

// Appends the sort key of `source` without its terminating zero.
void WriteKey(const UCollator* collator, const std::u16string& source,
              std::vector<std::uint8_t>& arena) {
  const auto* text = reinterpret_cast<const UChar*>(source.data());
  const auto text_length = static_cast<std::int32_t>(source.size());
  const std::size_t start = arena.size();
  std::size_t room = 64 + source.size() * 8;
  for (;;) {
    arena.resize(start + room);
    const std::int32_t needed = ucol_getSortKey(collator, text, text_length, arena.data() + start,
                                                static_cast<std::int32_t>(room));
    if (needed <= 0) {
      arena.resize(start);
      return;
    }
    if (static_cast<std::size_t>(needed) <= room) {
      arena.resize(start + static_cast<std::size_t>(needed) - 1);
      return;
    }
    room = static_cast<std::size_t>(needed);
  }
}

class Collator {
 public:
  Collator() {
    const std::string locale =
        CollationLocaleName(std::getenv("LC_ALL"), std::getenv("LC_COLLATE"), std::getenv("LANG"));
    collator_ = OpenCollator(locale, UCOL_IDENTICAL);
    tertiary_ = OpenCollator(locale, UCOL_TERTIARY);
  }

  int Compare(std::string_view a, std::string_view b) {
    std::lock_guard lock(mutex_);
    ToUtf16(a, a16_);
    ToUtf16(b, b16_);
    const UCollationResult result = ucol_strcoll(
        collator_.get(), reinterpret_cast<const UChar*>(a16_.data()),
        static_cast<std::int32_t>(a16_.size()), reinterpret_cast<const UChar*>(b16_.data()),
        static_cast<std::int32_t>(b16_.size()));
    if (result == UCOL_EQUAL) return 0;
    return result == UCOL_LESS ? -1 : 1;
  }

  void AppendKey(std::string_view text, std::vector<std::uint8_t>& arena) {
    std::lock_guard lock(mutex_);
    ToUtf16(text, a16_);
    WriteKey(collator_.get(), a16_, arena);
  }

  // The same key cut after its third level: shorter and quicker to make.
  // Texts whose cut keys differ differ within the first three levels, so
  // the full keys order them the same way.
  void AppendTertiaryKey(std::string_view text, std::vector<std::uint8_t>& arena) {
    std::lock_guard lock(mutex_);
    ToUtf16(text, a16_);
    WriteKey(tertiary_.get(), a16_, arena);
  }

 private:
  std::mutex mutex_;
  CollatorPtr collator_;
  CollatorPtr tertiary_;
  std::u16string a16_;
  std::u16string b16_;
};

Collator& ProcessCollator() {
  static Collator collator;
  return collator;
}

}  // namespace

int LinguisticCompare(std::string_view a, std::string_view b) {
  return ProcessCollator().Compare(a, b);
}

void AppendLinguisticKey(std::string_view text, std::vector<std::uint8_t>& arena) {
  ProcessCollator().AppendKey(text, arena);
}

void AppendShortLinguisticKey(std::string_view text, std::vector<std::uint8_t>& arena) {
  ProcessCollator().AppendTertiaryKey(text, arena);
}

}  // namespace morvick
