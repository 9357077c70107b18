#pragma once

// What the plan commands read from the main window's controls and write into
// its lists, tree and status bar. The window implements it on its widgets, the
// command line on its options, the tests with a struct.

#include "engine/tree_store.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace morvick {

// The five columns of ListView1 ("No", "名前", "サイズ", "更新日時", "種類").
// The views are only valid during the call; copy what must be kept.
struct EntryRowTexts {
  std::string_view volume;
  std::string_view name;
  std::string_view size;
  std::string_view date;
  std::string_view kind;
};

// The three columns of ListView2 ("No", "フォルダ", "サイズ").
struct VolumeRowTexts {
  std::string_view volume;
  std::string_view folder;
  std::string_view size;
};

class PlanForm {
 public:
  virtual ~PlanForm() = default;

  // Texts of Edit1 (split size), Edit2 (input folder), Edit3 (output folder)
  // and Edit4 (base name); `number` is 1 to 4.
  virtual std::string EditText(int number) const = 0;
  // Selected unit of ComboBox1: 0 "Mbytes", 1 "bytes", -1 none.
  virtual int ComboBox1Index() const = 0;
  // The cluster-size text of ComboBox3, as typed or chosen.
  virtual std::string ComboBox3Text() const = 0;
  // The packing method, RadioGroup1's selected index (-1 for none).
  virtual int RadioGroup1Index() const = 0;
  // The digit count, TrackBar1's position (1 to 9).
  virtual int TrackBar1Position() const = 0;
  // The start number, SpinEdit1's value.
  virtual std::int32_t SpinEdit1Value() const = 0;
  // "最終フォルダを移動しない".
  virtual bool CheckBox2Checked() const = 0;

  // The result views. Rows are added one at a time, in order, once per entry:
  // keep this cheap (the command line plans 100,000 entries).
  virtual void ClearListView1() = 0;
  virtual void AddListView1Row(const EntryRowTexts& row) = 0;
  virtual void ClearListView2() = 0;
  virtual void AddListView2Row(const VolumeRowTexts& row) = 0;

  // Removes every node of TreeView1 and empties the store Tree() returns.
  virtual void ClearTree() = 0;
  // The store the scan fills with every entry at every depth; nullptr when no
  // tree is wanted (the command line).
  virtual TreeStore* Tree() = 0;

  // The scan's hooks: process pending user-interface events once (called after
  // every directory entry; it may be throttled), and suspend/resume redrawing
  // of the tree (calls nest, one pair per folder).
  virtual void PumpEvents() = 0;
  virtual void BeginTreeUpdate() = 0;
  virtual void EndTreeUpdate() = 0;

  // Replaces the text of the status bar's only panel.
  virtual void SetStatusText(const std::string& text) = 0;
};

}  // namespace morvick
