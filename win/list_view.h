#pragma once

// A report-style list view over rows it does not store (LVS_OWNERDATA): the
// cells are asked for when a row is shown, and each row's background colour
// is chosen from its "No" caption each time it is painted.

#include "commands/row_colours.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>

namespace morvick::win {

class VirtualListView {
 public:
  using CellText = std::function<std::string(int row, int column)>;
  using ColourRule = std::function<RowColour(std::string_view caption)>;

  void Attach(HWND list) { list_ = list; }
  HWND handle() const { return list_; }

  void SetColourRule(ColourRule rule) { colour_rule_ = std::move(rule); }
  void SetRows(int count, CellText text);
  void Clear() { SetRows(0, {}); }
  // Redraws the rows shown, as after a change of the cells' source.
  void Refresh() const;

  int RowCount() const { return row_count_; }
  std::string Text(int row, int column) const;
  RowColour ColourOfRow(int row) const;

  // The list's WM_NOTIFY: the cells (LVN_GETDISPINFOW) and the row colours
  // (NM_CUSTOMDRAW). True when handled, with the answer in `result`.
  bool OnNotify(const NMHDR& header, LRESULT& result);

 private:
  HWND list_ = nullptr;
  int row_count_ = 0;
  CellText text_;
  ColourRule colour_rule_;
  std::wstring cell_;  // the text handed out last; the list copies it at once
};

}  // namespace morvick::win
