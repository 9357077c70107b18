#pragma once

// The About box TAboutBox1 as data that a front end builds it from: its
// caption and client size, and each control's name, container, place and
// size at 96 dpi and text. The third label's text is the program's own.

#include "commands/main_window_controls.h"

#include <array>

namespace morvick {

inline constexpr WindowEntry kAboutBox = {"TAboutBox1", "バージョン情報", 251, 165};

struct AboutControlEntry {
  const char* name;
  const char* container;  // kAboutBox.name, or the panel
  ControlRect rect;
  const char* text;  // UTF-8; "" for none
};

// The panel with a raised inner and a lowered outer bevel, the program icon
// stretched to its picture's size, the three labels and the default button.
inline constexpr std::array<AboutControlEntry, 6> kAboutBoxControls = {{
    {"Panel1", "TAboutBox1", {8, 8, 233, 113}, ""},
    {"ProgramIcon", "Panel1", {8, 8, 49, 41}, ""},
    {"ProductName", "Panel1", {72, 24, 120, 12}, "プロダクト名     Morvick"},
    {"Version", "Panel1", {72, 48, 95, 12}, "バージョン番号 1.9"},
    {"Comments", "Panel1", {72, 72, 128, 12}, "フォルダ分割ツール"},
    {"OKButton", "TAboutBox1", {79, 132, 75, 25}, "OK"},
}};

}  // namespace morvick
