#pragma once

// TreeView1 over the scan's tree store. A level is inserted a chunk at a time:
// the root level's first chunk once the scan has filled the store, a folder's
// when it is first opened, and the next chunk of a level when its end scrolls
// into view. Items then cost memory only for what has been seen, and taking a
// tree away stays quick: some tree views spend time per item on every other
// item when they insert by handle or delete, so a flat folder of 100,000
// entries would otherwise stall the window for a second each time.

#include "engine/tree_store.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace morvick::win {

class StoreTreeView {
 public:
  explicit StoreTreeView(const TreeStore& store) : store_(store) {}

  void Attach(HWND tree) { tree_ = tree; }
  HWND handle() const { return tree_; }

  // Removes every item; the store may then change.
  void Withdraw();
  // Shows the root level of the store.
  void Publish();

  // TVN_ITEMEXPANDINGW: the children of a folder on its first opening.
  // NM_CUSTOMDRAW: after each paint, whether the end of a level is in view.
  bool OnNotify(const NMHDR& header, LRESULT& result);

  // Whether some level still has entries that are not inserted.
  bool Partial() const { return !partial_.empty(); }
  // The most items a level gets at a time (at least 1).
  void SetChunkSize(std::uint32_t size) { chunk_size_ = size > 0 ? size : 1; }

 private:
  // A level whose children are inserted up to `next_row`, the last of them
  // being `last_inserted`.
  struct Level {
    HTREEITEM item;
    TreeStore::NodeId node;
    std::uint32_t next_row;
    HTREEITEM last_inserted;
  };

  static void CALLBACK OnGrowTimer(HWND tree, UINT message, UINT_PTR id, DWORD time);
  void InsertChildren(HTREEITEM parent_item, TreeStore::NodeId parent);
  // Inserts the next chunk of `level`; false once the level is whole.
  bool InsertChunk(Level& level);
  std::vector<HTREEITEM> ItemsNearView() const;
  static bool EndsNear(const Level& level, const std::vector<HTREEITEM>& items);
  // Whether a level's last item is in view or within a page below it.
  bool LevelEndNearView() const;
  // Inserts the next chunk of every level whose end is near the view.
  void Grow();
  void StopGrowing();

  const TreeStore& store_;
  HWND tree_ = nullptr;
  bool published_ = false;
  std::vector<Level> partial_;
  // A few hundred pages of the 81-pixel tree, inserted in a few milliseconds.
  std::uint32_t chunk_size_ = 1000;
  bool timer_set_ = false;
  std::wstring name_;  // the name being inserted; the tree copies it at once
};

}  // namespace morvick::win
