#include "engine/collation_backend.h"
#include "platform/user_locale.h"

namespace morvick {

int LinguisticCompare(std::string_view a, std::string_view b) {
  return platform::CompareInUserLocale(a, b);
}

void AppendLinguisticKey(std::string_view text, std::vector<std::uint8_t>& arena) {
  platform::AppendUserLocaleSortKey(text, arena);
}

// The locale's own key has no shorter form; the whole key keeps the promise.
void AppendShortLinguisticKey(std::string_view text, std::vector<std::uint8_t>& arena) {
  platform::AppendUserLocaleSortKey(text, arena);
}

}  // namespace morvick
