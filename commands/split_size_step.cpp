#include "commands/split_size_step.h"

#include "common/text_rules.h"

#include <cstdint>

namespace morvick {

std::optional<std::string> StepSplitSize(std::string_view text, bool up) {
  const std::optional<std::int64_t> number = TryParseInt64(text);
  if (!number) return std::nullopt;
  // Two's-complement wrap-around, done in unsigned arithmetic where it is defined.
  const std::uint64_t bits = static_cast<std::uint64_t>(*number) + (up ? 1u : ~std::uint64_t{0});
  return std::to_string(static_cast<std::int64_t>(bits));
}

}  // namespace morvick
