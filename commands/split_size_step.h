#pragma once

// Stepping the split size text of Edit1 with the up-down arrows.

#include <optional>
#include <string>
#include <string_view>

namespace morvick {

// The text one step up or down from `text` (a 64-bit integer text), in plain
// decimal, wrapping around at the ends of the signed 64-bit range; nothing when
// `text` is not a number.
std::optional<std::string> StepSplitSize(std::string_view text, bool up);

}  // namespace morvick
