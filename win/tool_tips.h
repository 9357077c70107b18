#pragma once

// One tooltip window for the controls of a window: each control shows its
// text while the pointer rests on it; a text may hold line breaks.

#include <windows.h>

#include <set>
#include <string>

namespace morvick::win {

class ToolTips {
 public:
  ToolTips() = default;
  ~ToolTips();
  ToolTips(const ToolTips&) = delete;
  ToolTips& operator=(const ToolTips&) = delete;

  // Makes the tooltip window of `owner`; before any Set.
  void Create(HWND owner);
  // Shows `text` (UTF-8) over `control`, replacing its earlier text; "" shows none.
  void Set(HWND control, const std::string& text);
  // The text Set gave `control` last, "" for none.
  std::string TextOf(HWND control) const;

 private:
  HWND owner_ = nullptr;
  HWND tips_ = nullptr;
  std::set<HWND> tools_;  // the controls added so far
};

}  // namespace morvick::win
