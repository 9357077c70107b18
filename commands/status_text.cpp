#include "commands/plan_commands.h"
#include "common/text_rules.h"

namespace morvick {

std::string StatusTotalsText(const CommandState& state, std::string_view cluster_text,
                             std::string_view tag, std::string_view unit) {
  const std::int32_t cluster = ParseInt32(cluster_text);
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

void CancelCommand(CommandState& state) { state.CancelRequested = true; }

}  // namespace morvick
