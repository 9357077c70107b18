#pragma once

// The values of the window's controls that a plan and a move read, as the
// command line sets them: the window's defaults, then a settings file, then
// the options given; and how long the fewest-volumes search may take.

#include "commands/form_values.h"

#include <optional>
#include <string_view>

namespace morvick::cli {

struct PlanSettings {
  FormValues form;          // the method may also be 8 (fewest)
  double time_limit = 2.0;  // seconds of the fewest-volumes search
};

// "0" to "8" or a method name (name-asc, ..., first-fit, none, fewest); nullopt otherwise.
std::optional<int> ParseMethod(std::string_view text);
// The name of a method index, "none" for 7 and anything outside 0 to 8.
const char* MethodName(int method);

// The longest --time-limit: a day.
inline constexpr double kLongestTimeLimit = 86400;
// A number of seconds from 0 to kLongestTimeLimit in decimal digits ("2", "0.5");
// nullopt otherwise.
std::optional<double> ParseSeconds(std::string_view text);

}  // namespace morvick::cli
