#include "commands/plan_commands.h"
#include "common/text_rules.h"

namespace morvick {

std::string StatusTotalsText(const CommandState& state, const PlanForm& form, std::string_view tag,
                             std::string_view unit) {
  const std::int32_t cluster = ParseInt32(form.ComboBox3Text());
  std::string text(tag);
  text += std::to_string(state.VolumeCount);
  text += ")個";
  text += "  総容量 ";
  text += FormatParenThousands(state.GrandTotal);
  text += unit;
  text += "/ クラスタSize ";
  text += FormatParenThousands(cluster);
  text += "bytes";
  return text;
}

void Button6Click(CommandState& state) { state.CancelRequested = true; }

}  // namespace morvick
