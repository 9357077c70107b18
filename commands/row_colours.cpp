#include "commands/row_colours.h"

#include "common/text_rules.h"

namespace morvick {

// The captions are written by the program as decimal numbers; should one not
// convert, the row keeps its normal background instead of raising an error on
// every repaint.

RowColour EntryRowColour(std::string_view caption) {
  const auto number = TryParseInt32(caption);
  if (!number) return RowColour::Normal;
  if (*number == 0) return RowColour::Red;
  if ((*number & 1) != 0) return RowColour::SkyBlue;
  return RowColour::Normal;
}

RowColour VolumeRowColour(std::string_view caption, int row_count, bool keep_last_volume) {
  const auto number = TryParseInt32(caption);
  if (!number) return RowColour::Normal;
  if (keep_last_volume && *number == row_count) return RowColour::Yellow;
  if ((*number & 1) != 0) return RowColour::SkyBlue;
  return RowColour::Normal;
}

Rgb RgbOf(RowColour colour) {
  switch (colour) {
    case RowColour::Normal: return {0, 0, 0};
    case RowColour::SkyBlue: return {166, 202, 240};
    case RowColour::Red: return {255, 0, 0};
    case RowColour::Yellow: return {255, 255, 0};
  }
  return {0, 0, 0};
}

}  // namespace morvick
