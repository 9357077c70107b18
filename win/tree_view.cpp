#include "win/tree_view.h"

#include "platform/windows/wide.h"

#include <algorithm>

namespace morvick::win {

void StoreTreeView::Withdraw() {
  StopGrowing();
  partial_.clear();
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
  Level level{parent_item, parent, 0, nullptr};
  if (InsertChunk(level)) partial_.push_back(level);
}

bool StoreTreeView::InsertChunk(Level& level) {
  const std::uint32_t count = store_.child_count(level.node);
  const std::uint32_t end = level.next_row + std::min(chunk_size_, count - level.next_row);
  // Drawn once per chunk, not once per item: a tree view that redraws
  // measures the whole tree again for every insertion.
  const bool visible = IsWindowVisible(tree_) != FALSE;
  if (visible) SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
  TVINSERTSTRUCTW insert{};
  insert.hParent = level.item;
  // TVI_LAST rather than the handle of the item inserted before: a tree view
  // may check a handle by searching all its items.
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
  for (; level.next_row < end; ++level.next_row) {
    const TreeStore::NodeId node = store_.child(level.node, level.next_row);
    insert.item.lParam = static_cast<LPARAM>(node);
    // The name is kept in the item: a text callback makes some tree views
    // ask for and measure every name each time redraw is turned back on.
    name_ = platform::windows::Wide(store_.name(node));
    insert.item.pszText = name_.data();
    insert.item.cChildren = store_.child_count(node) > 0 ? 1 : 0;
    level.last_inserted = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  }
  if (visible) {
    SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree_, nullptr, TRUE);
  }
  return level.next_row < count;
}

std::vector<HTREEITEM> StoreTreeView::ItemsNearView() const {
  // From the first item shown to a page below the last one shown.
  const auto page = static_cast<int>(SendMessageW(tree_, TVM_GETVISIBLECOUNT, 0, 0)) + 1;
  std::vector<HTREEITEM> items;
  for (HTREEITEM at = TreeView_GetFirstVisible(tree_);
       at != nullptr && items.size() < static_cast<std::size_t>(2 * page);
       at = TreeView_GetNextVisible(tree_, at)) {
    items.push_back(at);
  }
  return items;
}

bool StoreTreeView::EndsNear(const Level& level, const std::vector<HTREEITEM>& items) {
  return std::find(items.begin(), items.end(), level.last_inserted) != items.end();
}

bool StoreTreeView::LevelEndNearView() const {
  const std::vector<HTREEITEM> in_view = ItemsNearView();
  return std::any_of(partial_.begin(), partial_.end(),
                     [&](const Level& level) { return EndsNear(level, in_view); });
}

void StoreTreeView::Grow() {
  StopGrowing();
  if (!published_) return;
  // Only the levels that end near the view grow; a chunk in view is painted,
  // and that paint asks again.
  const std::vector<HTREEITEM> in_view = ItemsNearView();
  for (std::size_t i = 0; i < partial_.size();) {
    if (EndsNear(partial_[i], in_view) && !InsertChunk(partial_[i])) {
      partial_.erase(partial_.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
}

void CALLBACK StoreTreeView::OnGrowTimer(HWND /*tree*/, UINT /*message*/, UINT_PTR id,
                                         DWORD /*time*/) {
  reinterpret_cast<StoreTreeView*>(id)->Grow();
}

void StoreTreeView::StopGrowing() {
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
    case NM_CUSTOMDRAW: {
      const auto& draw = reinterpret_cast<const NMTVCUSTOMDRAW&>(header);
      if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        result = partial_.empty() ? CDRF_DODEFAULT : CDRF_NOTIFYPOSTPAINT;
      } else {
        // After the paint, not inside it: the next chunk goes in from the loop.
        if (draw.nmcd.dwDrawStage == CDDS_POSTPAINT && !partial_.empty() && !timer_set_ &&
            LevelEndNearView()) {
          timer_set_ = SetTimer(tree_, reinterpret_cast<UINT_PTR>(this), USER_TIMER_MINIMUM,
                                &StoreTreeView::OnGrowTimer) != 0;
        }
        result = CDRF_DODEFAULT;
      }
      return true;
    }
    default: return false;
  }
}

}  // namespace morvick::win
