#pragma once

// TreeView1 over the scan's tree store: the root level is inserted once the
// scan has filled the store, and the children of a folder when it is first
// opened, so that a tree of a million nodes costs items only for what is seen.

#include "engine/tree_store.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <string>

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

  // TVN_GETDISPINFOW (names), TVN_ITEMEXPANDINGW (children on first opening).
  bool OnNotify(const NMHDR& header, LRESULT& result);

 private:
  void InsertChildren(HTREEITEM parent_item, TreeStore::NodeId parent);

  const TreeStore& store_;
  HWND tree_ = nullptr;
  bool published_ = false;
  std::wstring name_;  // the name handed out last; the tree copies it at once
};

}  // namespace morvick::win
