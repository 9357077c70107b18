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

std::string PlanBoundText(const CommandState& state) {
  if (!state.SearchDone) return {};
  const std::string bound = "(下限 " + std::to_string(state.LowerBound) + " 個)";
  return state.ProvenOptimal ? "最少の分割数です " + bound
                             : "最少の分割数とは証明されていません " + bound;
}

std::string FewestVolumesTip(const CommandState& state) {
  std::string tip =
      "分割調査で、分割数が最も少なくなる詰め方を探します。キャンセルで探索を止めると、"
      "それまでに見つけた最良の分割になります。";
  const std::string bound = PlanBoundText(state);
  if (!bound.empty()) tip += "\n" + bound;
  return tip;
}

void CancelCommand(CommandState& state) { state.CancelRequested = true; }

}  // namespace morvick
