#include "cli/plan_settings.h"

#include <array>

namespace morvick::cli {
namespace {

constexpr std::array<const char*, 8> kMethodNames = {
    "name-asc", "name-desc", "date-asc", "date-desc", "kind-asc", "kind-desc", "first-fit", "none"};

}  // namespace

std::optional<int> ParseMethod(std::string_view text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '7') return text[0] - '0';
  for (std::size_t i = 0; i < kMethodNames.size(); ++i) {
    if (text == kMethodNames[i]) return static_cast<int>(i);
  }
  return std::nullopt;
}

const char* MethodName(int method) {
  if (method < 0 || method > 6) return kMethodNames[7];
  return kMethodNames[static_cast<std::size_t>(method)];
}

PlanSettings PlanSettingsFrom(const SettingsValues& values) {
  PlanSettings settings;
  settings.size_text = values.size;
  settings.input = values.input_path;
  settings.output = values.output_path;
  settings.base_name = values.base_name;
  settings.digits = values.figure;
  settings.method = values.packing;
  settings.unit = values.scale;
  settings.cluster_text = values.cluster_size >= 0
                              ? kClusterSizeItems[static_cast<std::size_t>(values.cluster_size)]
                              : "0";
  settings.start_number = values.seq;
  settings.skip_last = values.move_flag;
  return settings;
}

}  // namespace morvick::cli
