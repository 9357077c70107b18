// The integer text rules on arbitrary bytes: no crash, no undefined behaviour,
// and every accepted text means the number that its plain decimal form means.

#include "common/text_rules.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  using namespace morvick;

  const auto as64 = TryParseInt64(text);
  const auto as32 = TryParseInt32(text);
  const auto as_setting = TryParseSettingsInt(text);
  if (as64) {
    if (TryParseInt64(std::to_string(*as64)) != as64) std::abort();
    const std::string grouped = FormatThousands(*as64);
    const std::string bracketed = FormatParenThousands(*as64);
    if (bracketed.find(grouped.substr(*as64 < 0 ? 1 : 0)) == std::string::npos) std::abort();
  }
  // A decimal text the 32-bit rule accepts means the same number in the 64-bit rule.
  if (as32 && as64 && text.find_first_of("$xX") == std::string_view::npos && *as64 != *as32) {
    std::abort();
  }
  if (as32 && TryParseInt32(std::to_string(*as32)) != as32) std::abort();
  if (as_setting && TryParseSettingsInt(std::to_string(*as_setting)) != as_setting) std::abort();
  // The converting forms raise exactly when the try forms refuse.
  try {
    if (ParseInt64(text) != *as64) std::abort();
  } catch (const std::exception&) {
    if (as64) std::abort();
  }
  try {
    if (ParseInt32(text) != *as32) std::abort();
  } catch (const std::exception&) {
    if (as32) std::abort();
  }
  return 0;
}
