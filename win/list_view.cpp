#include "win/list_view.h"

#include "platform/windows/wide.h"

#include <algorithm>

namespace morvick::win {

void VirtualListView::SetRows(int count, CellText text) {
  row_count_ = count;
  text_ = std::move(text);
  if (list_ == nullptr) return;
  // Selection and focus belong to the rows that were; a new list starts
  // without. The rows go first, so that clearing the states does not visit
  // each of the old rows.
  SendMessageW(list_, LVM_SETITEMCOUNT, 0, 0);
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  SendMessageW(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0);
  InvalidateRect(list_, nullptr, TRUE);
}

void VirtualListView::Refresh() const {
  if (list_ != nullptr) InvalidateRect(list_, nullptr, TRUE);
}

std::string VirtualListView::Text(int row, int column) const {
  if (!text_ || row < 0 || row >= row_count_ || column < 0) return {};
  return text_(row, column);
}

RowColour VirtualListView::ColourOfRow(int row) const {
  if (!colour_rule_ || row < 0 || row >= row_count_) return RowColour::Normal;
  return colour_rule_(Text(row, 0));
}

bool VirtualListView::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != list_) return false;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& info = reinterpret_cast<NMLVDISPINFOW&>(const_cast<NMHDR&>(header));
      if ((info.item.mask & LVIF_TEXT) != 0 && info.item.pszText != nullptr &&
          info.item.cchTextMax > 0) {
        cell_ = platform::windows::Wide(Text(info.item.iItem, info.item.iSubItem));
        const std::size_t length =
            std::min(cell_.size(), static_cast<std::size_t>(info.item.cchTextMax - 1));
        std::copy_n(cell_.data(), length, info.item.pszText);
        info.item.pszText[length] = L'\0';
      }
      result = 0;
      return true;
    }
    case NM_CUSTOMDRAW: {
      auto& draw = reinterpret_cast<NMLVCUSTOMDRAW&>(const_cast<NMHDR&>(header));
      switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT: result = CDRF_NOTIFYITEMDRAW; return true;
        case CDDS_ITEMPREPAINT: {
          const RowColour colour = ColourOfRow(static_cast<int>(draw.nmcd.dwItemSpec));
          if (colour != RowColour::Normal) {
            const Rgb rgb = RgbOf(colour);
            draw.clrTextBk = RGB(rgb.red, rgb.green, rgb.blue);
          }
          // Only the background changes; the list draws the row itself.
          result = CDRF_DODEFAULT;
          return true;
        }
        default: result = CDRF_DODEFAULT; return true;
      }
    }
    default: return false;
  }
}

}  // namespace morvick::win
