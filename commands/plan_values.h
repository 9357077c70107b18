#pragma once

// The plain values the plan commands work with. A front end fills a struct of
// what a command reads when it starts (the window from its controls, the
// command line from its options), answers the two values a command re-reads
// while it works, and receives the results through a sink.

#include "engine/entry.h"
#include "engine/fewest_volumes.h"
#include "engine/tree_store.h"
#include "moving/folder_paths.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace morvick {

// What Investigate reads when it starts.
struct InvestigateInputs {
  std::string split_size_text = "650";  // Edit1
  int unit_index = 0;                   // ComboBox1: 0 "Mbytes", 1 "bytes", -1 none
  std::string input_text;               // Edit2
  int method_index = 0;                 // RadioGroup1, -1 for none; 8 (fewest) from morvick-cli
  VolumeNaming naming;                  // Edit4, TrackBar1, SpinEdit1
  SearchLimits search_limits;           // the fewest-volumes search (--time-limit)
};

// What Move and Undo read when they start.
struct MoveInputs {
  std::string input_text;   // Edit2
  std::string output_text;  // Edit3
  VolumeNaming naming;      // Edit4, TrackBar1, SpinEdit1
  int method_index = 0;     // kept in the journal
};

// The values the commands re-read while they work.
class LiveInputs {
 public:
  virtual ~LiveInputs() = default;
  // The cluster-size text (ComboBox3): read at every folder of the scan and
  // for every status line.
  virtual std::string ClusterSizeText() const = 0;
  // "最終フォルダを移動しない" (CheckBox2): read each time an entry of the last
  // volume comes up, and by Undo before it removes folders.
  virtual bool SkipLastVolume() const = 0;
  // The packing method, read once the scan has returned, so that a method
  // chosen during the scan is the one used (RadioGroup1). A front end without
  // such a control keeps the one Investigate started with.
  virtual std::optional<int> PackingMethodAfterScan() const { return std::nullopt; }
};

// The plan Investigate leaves, handed to the lists once: the entries in list
// order and the byte total of every volume (index 0 unused, so the volume
// count is its size - 1). The entries stay valid until the next ClearPlan; the
// totals and the naming only during the call.
struct PlanRows {
  const EntryList& entries;
  const std::vector<std::int64_t>& volume_totals;
  const VolumeNaming& naming;  // taken before the scan, for the "フォルダ" column
};

// The cells of the entry list ("No", "名前", "サイズ", "更新日時", "種類") and of
// the volume list ("No", "フォルダ", "サイズ"), formatted when a row is shown.
std::string EntryCellText(const TSplitEntry& entry, int column);
std::string VolumeCellText(std::int32_t volume, std::int64_t total, const VolumeNaming& naming,
                           int column);

// Where the results of the commands go: the entry and volume lists, the folder
// tree and the status line, and the event pump the scan calls.
class PlanSink {
 public:
  virtual ~PlanSink() = default;

  // Empties the entry list, then the volume list; called before the entry
  // list they show is freed.
  virtual void ClearPlan() = 0;
  // Shows a plan of any size in both lists, once per investigation: keep it
  // cheap (the command line plans a million entries).
  virtual void ShowPlan(const PlanRows& plan) = 0;

  // Removes every node of the tree view and empties the store Tree() returns.
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
  // Called every few thousand steps while a plan is packed, with the
  // investigation still running (its flags guard the plan meanwhile). The
  // window processes its events here as during the scan.
  virtual void PumpEventsWhilePacking() {}
  // Runs `work`, a system call that may block for long (opening the input
  // folder's listing), while the window stays live; by default here and now.
  virtual void RunBlocking(const std::function<void()>& work) { work(); }

  virtual void SetStatusText(const std::string& text) = 0;
};

}  // namespace morvick
