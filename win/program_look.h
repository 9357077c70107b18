#pragma once

// What every window of the program shares on Win32: its font, its icon and
// the way a label grows with its text.

#include "commands/main_window_controls.h"

#include <windows.h>

namespace morvick::win {

// "ＭＳ Ｐゴシック" 9 points (`design_height` pixels at 96 dpi) at `dpi`, bold or
// not; where the face is missing, the font mapper picks the nearest Japanese
// one, as for any program that asks for it. The caller deletes it.
HFONT CreateProgramFont(int dpi, bool bold, int design_height = kProgramFontHeight);

// The program icon of the executable's resources, `size` pixels square (the
// system's application icon where the executable has none). Shared: not deleted.
HICON ProgramIcon(int size);

// Sizes `label` to its text in its font, never below `minimum` (already at
// the label's dots per inch); its corner stays.
void FitLabel(HWND label, const ControlRect& minimum);

}  // namespace morvick::win
