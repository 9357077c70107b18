#include "cli/plan_settings.h"

#include "settings/settings_io.h"

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

SettingsValues LoadSettingsValues(const std::string& ini_path) {
  SettingsValues values;
  LoadSettings(values, ini_path);
  return values;
}

PlanSettings PlanSettingsFrom(const SettingsValues& values) {
  PlanSettings settings;
  settings.size_text = values.edits[0];
  settings.input = values.edits[1];
  settings.output = values.edits[2];
  settings.base_name = values.edits[3];
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
