#include "cli/plan_settings.h"

#include "commands/main_window_controls.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace morvick::cli {
namespace {

constexpr std::array<const char*, 9> kMethodNames = {"name-asc",  "name-desc", "date-asc",
                                                     "date-desc", "kind-asc",  "kind-desc",
                                                     "first-fit", "none",      "fewest"};
// The window's eight methods, by RadioGroup1's index, then fewest.
static_assert(kMethodNames.size() == kPackingItems.size() + 1);

}  // namespace

std::optional<int> ParseMethod(std::string_view text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '8') return text[0] - '0';
  for (std::size_t i = 0; i < kMethodNames.size(); ++i) {
    if (text == kMethodNames[i]) return static_cast<int>(i);
  }
  return std::nullopt;
}

const char* MethodName(int method) {
  if (method < 0 || method >= static_cast<int>(kMethodNames.size())) return kMethodNames[7];
  return kMethodNames[static_cast<std::size_t>(method)];
}

std::optional<double> ParseSeconds(std::string_view text) {
  // Digits with at most one point; no sign, exponent, "inf" or "nan".
  if (text.empty() || text == "." || std::count(text.begin(), text.end(), '.') > 1 ||
      !std::all_of(text.begin(), text.end(),
                   [](char c) { return c == '.' || (c >= '0' && c <= '9'); })) {
    return std::nullopt;
  }
  double seconds = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error != std::errc() || end != text.data() + text.size() || seconds > kLongestTimeLimit) {
    return std::nullopt;
  }
  return seconds;
}

}  // namespace morvick::cli
