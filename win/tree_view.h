#pragma once

// TreeView1 over the scan's tree store: the root level is inserted once the
// scan has filled the store, and the children of a folder when it is first
// opened, so that a tree of a million nodes costs items only for what is seen.
// A long level is inserted a slice at a time from the message loop, so that
// the window stays live while a folder of 100,000 entries fills its tree.

#include "engine/tree_store.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <chrono>
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
  bool OnNotify(const NMHDR& header, LRESULT& result);

  // Whether some children are still waiting to be inserted.
  bool Filling() const { return !pending_.empty(); }
  // The time one slice of insertions may take (0: 64 items a slice).
  void SetSliceTime(std::chrono::microseconds time) { slice_time_ = time; }

 private:
  // The children of one parent still to be inserted, from `next_row` on,
  // each after the one inserted before it.
  struct Pending {
    HTREEITEM item;
    TreeStore::NodeId node;
    std::uint32_t next_row;
    HTREEITEM last_inserted;
  };

  static void CALLBACK OnFillTimer(HWND tree, UINT message, UINT_PTR id, DWORD time);
  void InsertChildren(HTREEITEM parent_item, TreeStore::NodeId parent);
  // Inserts waiting children for a slice of time; schedules the rest.
  void InsertSlice();
  void StopFilling();

  const TreeStore& store_;
  HWND tree_ = nullptr;
  bool published_ = false;
  std::vector<Pending> pending_;
  // Well inside a stall the user notices.
  std::chrono::microseconds slice_time_ = std::chrono::milliseconds(15);
  bool timer_set_ = false;
  std::wstring name_;  // the name being inserted; the tree copies it at once
};

}  // namespace morvick::win
