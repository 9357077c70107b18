#include "win/tree_view.h"

#include "platform/windows/wide.h"

#include <algorithm>

namespace morvick::win {

void StoreTreeView::Withdraw() {
  if (!published_) return;
  published_ = false;
  if (tree_ != nullptr) TreeView_DeleteAllItems(tree_);
}

void StoreTreeView::Publish() {
  Withdraw();
  published_ = true;
  if (tree_ == nullptr) return;
  SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
  InsertChildren(TVI_ROOT, TreeStore::kNone);
  SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree_, nullptr, TRUE);
}

void StoreTreeView::InsertChildren(HTREEITEM parent_item, TreeStore::NodeId parent) {
  const std::uint32_t count = store_.child_count(parent);
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent_item;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
  insert.item.pszText = LPSTR_TEXTCALLBACKW;
  for (std::uint32_t row = 0; row < count; ++row) {
    const TreeStore::NodeId node = store_.child(parent, row);
    insert.item.lParam = static_cast<LPARAM>(node);
    insert.item.cChildren = store_.child_count(node) > 0 ? 1 : 0;
    SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
  }
}

bool StoreTreeView::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != tree_) return false;
  switch (header.code) {
    case TVN_GETDISPINFOW: {
      auto& info = reinterpret_cast<NMTVDISPINFOW&>(const_cast<NMHDR&>(header));
      const auto node = static_cast<TreeStore::NodeId>(info.item.lParam);
      if ((info.item.mask & TVIF_TEXT) != 0 && published_ && node < store_.size() &&
          info.item.cchTextMax > 0) {
        name_ = platform::windows::Wide(store_.name(node));
        const std::size_t length =
            std::min(name_.size(), static_cast<std::size_t>(info.item.cchTextMax - 1));
        std::copy_n(name_.data(), length, info.item.pszText);
        info.item.pszText[length] = L'\0';
      }
      result = 0;
      return true;
    }
    case TVN_ITEMEXPANDINGW: {
      const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
      const HTREEITEM item = change.itemNew.hItem;
      const auto node = static_cast<TreeStore::NodeId>(change.itemNew.lParam);
      if ((change.action & TVE_EXPAND) != 0 && published_ && node < store_.size() &&
          TreeView_GetChild(tree_, item) == nullptr) {
        InsertChildren(item, node);
      }
      result = FALSE;  // let it open
      return true;
    }
    default: return false;
  }
}

}  // namespace morvick::win
