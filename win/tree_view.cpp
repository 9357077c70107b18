#include "win/tree_view.h"

#include "platform/windows/wide.h"

#include <algorithm>
namespace morvick::win {

void StoreTreeView::Withdraw() {
  StopFilling();
  if (!published_) return;
  published_ = false;
  if (tree_ != nullptr) TreeView_DeleteAllItems(tree_);
}

void StoreTreeView::Publish() {
  Withdraw();
  published_ = true;
  if (tree_ == nullptr) return;
  InsertChildren(TVI_ROOT, TreeStore::kNone);
}

void StoreTreeView::InsertChildren(HTREEITEM parent_item, TreeStore::NodeId parent) {
  if (store_.child_count(parent) == 0) return;
  // The level just asked for goes first; a short one appears at once.
  pending_.insert(pending_.begin(), {parent_item, parent, 0, nullptr});
  InsertSlice();
}

void StoreTreeView::InsertSlice() {
  const auto until = std::chrono::steady_clock::now() + slice_time_;
  // Drawn once per slice, not once per item.
  const bool visible = IsWindowVisible(tree_) != FALSE;
  if (visible) SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
  TVINSERTSTRUCTW insert{};
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
  while (!pending_.empty()) {
    Pending& level = pending_.front();
    const std::uint32_t count = store_.child_count(level.node);
    insert.hParent = level.item;
    for (int since_clock = 0; level.next_row < count; ++level.next_row) {
      if (++since_clock == 64) {
        since_clock = 0;
        if (std::chrono::steady_clock::now() >= until) break;
      }
      const TreeStore::NodeId node = store_.child(level.node, level.next_row);
      // After the item inserted last, not TVI_LAST: some tree views walk the
      // whole level to find its end for every insertion.
      insert.hInsertAfter = level.last_inserted != nullptr ? level.last_inserted : TVI_LAST;
      insert.item.lParam = static_cast<LPARAM>(node);
      // The name is kept in the item: a text callback makes some tree views
      // ask for and measure every name each time redraw is turned back on.
      name_ = platform::windows::Wide(store_.name(node));
      insert.item.pszText = name_.data();
      insert.item.cChildren = store_.child_count(node) > 0 ? 1 : 0;
      level.last_inserted = reinterpret_cast<HTREEITEM>(
          SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    if (level.next_row < count) break;  // the slice is used up
    pending_.erase(pending_.begin());
  }
  if (visible) {
    SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree_, nullptr, TRUE);
  }
  if (!pending_.empty() && !timer_set_) {
    // The rest between the loop's other messages; the timer's id is this view.
    timer_set_ = SetTimer(tree_, reinterpret_cast<UINT_PTR>(this), USER_TIMER_MINIMUM,
                          &StoreTreeView::OnFillTimer) != 0;
  } else if (pending_.empty()) {
    StopFilling();
  }
}

void CALLBACK StoreTreeView::OnFillTimer(HWND /*tree*/, UINT /*message*/, UINT_PTR id,
                                         DWORD /*time*/) {
  reinterpret_cast<StoreTreeView*>(id)->InsertSlice();
}

void StoreTreeView::StopFilling() {
  pending_.clear();
  if (timer_set_ && tree_ != nullptr) KillTimer(tree_, reinterpret_cast<UINT_PTR>(this));
  timer_set_ = false;
}

bool StoreTreeView::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != tree_) return false;
  switch (header.code) {
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
