#pragma once

// Background colours of the rows of the entry list (ListView1) and the volume
// list (ListView2), read from each row's "No" caption when it is painted.

#include <string_view>

namespace morvick {

enum class RowColour { Normal, SkyBlue, Red, Yellow };

// ListView1: odd volume numbers sky blue, 0 (no volume) red.
RowColour EntryRowColour(std::string_view caption);

// ListView2: odd numbers sky blue; the last row yellow when the last volume is
// kept back (CheckBox2), whatever its number's parity.
RowColour VolumeRowColour(std::string_view caption, int row_count, bool keep_last_volume);

// Red, green, blue of a colour (Normal has none and gives 0, 0, 0).
struct Rgb {
  int red, green, blue;
};
Rgb RgbOf(RowColour colour);

}  // namespace morvick
