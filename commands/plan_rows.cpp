#include "commands/plan_values.h"
#include "common/text_rules.h"

namespace morvick {

std::string EntryCellText(const TSplitEntry& entry, int column) {
  switch (column) {
    case 0: return std::to_string(entry.Volume);
    case 1: return std::string(entry.Name());
    case 2: return FormatThousands(entry.Size);
    case 3: return entry.DateText();
    case 4: return entry.KindText();
    default: return {};
  }
}

std::string VolumeCellText(std::int32_t volume, std::int64_t total, const VolumeNaming& naming,
                           int column) {
  switch (column) {
    case 0: return std::to_string(volume);
    case 1: return naming.FolderName(volume);
    case 2: return FormatThousands(total);
    default: return {};
  }
}

}  // namespace morvick
