#include "commands/plan_commands.h"
#include "common/text_rules.h"
#include "engine/packing.h"
#include "engine/scan.h"

#include <limits>
#include <vector>

namespace morvick {
namespace {

constexpr std::int64_t kMebibyte = 1024 * 1024;

// The scan's view of the front end: the cluster-size text, the cancel flag and
// the event pump.
class CommandScanHost final : public ScanHost {
 public:
  CommandScanHost(CommandState& state, const LiveInputs& live, PlanSink& sink)
      : state_(state), live_(live), sink_(sink) {}
  std::string ClusterSizeText() override { return live_.ClusterSizeText(); }
  bool CancelRequested() override { return state_.CancelRequested; }
  void PumpEvents() override { sink_.PumpEvents(); }
  void BeginTreeUpdate() override { sink_.BeginTreeUpdate(); }
  void EndTreeUpdate() override { sink_.EndTreeUpdate(); }
  void RunBlocking(const std::function<void()>& work) override { sink_.RunBlocking(work); }

 private:
  CommandState& state_;
  const LiveInputs& live_;
  PlanSink& sink_;
};

// Marks the scan as running for as long as it runs, errors included.
class ScanRunningGuard {
 public:
  explicit ScanRunningGuard(CommandState& state) : state_(state) { state_.ScanRunning = true; }
  ~ScanRunningGuard() { state_.ScanRunning = false; }
  ScanRunningGuard(const ScanRunningGuard&) = delete;
  ScanRunningGuard& operator=(const ScanRunningGuard&) = delete;

 private:
  CommandState& state_;
};

// Keeps the tree from being redrawn while it lives, errors included.
class TreeUpdateGuard {
 public:
  explicit TreeUpdateGuard(PlanSink& sink) : sink_(sink) { sink_.BeginTreeUpdate(); }
  ~TreeUpdateGuard() { sink_.EndTreeUpdate(); }
  TreeUpdateGuard(const TreeUpdateGuard&) = delete;
  TreeUpdateGuard& operator=(const TreeUpdateGuard&) = delete;

 private:
  PlanSink& sink_;
};

}  // namespace

void InvestigateCommand(CommandState& state, const InvestigateInputs& inputs,
                        const LiveInputs& live, PlanSink& sink, Prompter& prompter,
                        const PathRules& rules) {
  // A click from the running scan's event pump: that scan still owns the tree
  // and the entry list.
  if (state.ScanRunning) return;

  const std::string& input_text = inputs.input_text;
  if (!rules.CheckPathSyntax(prompter, input_text, "入力フォルダ")) return;
  if (!rules.IsExistingFolder(rules.WithTrailingBackslash(input_text))) {
    prompter.ShowMessage("入力フォルダがありません。");
    return;
  }
  if (state.Updating) {
    prompter.ShowMessage("更新中の為、処理できません。");
    return;
  }
  if (state.Undoing) {
    prompter.ShowMessage("Undo中の為、処理できません。");
    return;
  }
  const std::optional<std::int64_t> split_size = TryParseInt64(inputs.split_size_text);
  if (!split_size) {
    prompter.ShowMessage("分割サイズは数値でなければなりません");
    return;
  }
  if (*split_size <= 0) {
    prompter.ShowMessage("分割サイズは正数でなければなりません");
    return;
  }
  const int unit = inputs.unit_index;
  if (unit == 0 && *split_size > std::numeric_limits<std::int64_t>::max() / kMebibyte) {
    prompter.ShowMessage("分割サイズが大きすぎます");
    return;
  }

  state.UpdateDone = false;
  state.MoveJournal.clear();
  state.UndoDone = false;
  state.SearchDone = false;
  state.Searching = true;
  sink.SetStatusText(kSearchingTag);

  sink.ClearPlan();
  sink.ClearTree();

  if (state.EntryList) FreeEntries(state.EntryList);
  state.EntryList = std::make_unique<EntryList>();

  const VolumeNaming& naming = inputs.naming;

  if (unit == 0) {
    state.SplitCapacity = *split_size * kMebibyte;
  } else if (unit == 1) {
    state.SplitCapacity = *split_size;
  }

  state.CancelRequested = false;
  PackingResult packing;
  {
    ScanRunningGuard running(state);
    // The tree is shown with the plan, so that its first layout does not
    // fall into the packing of a large list.
    TreeUpdateGuard tree_update(sink);
    CommandScanHost host(state, live, sink);
    ScanTarget target{host, *state.EntryList, sink.Tree()};
    ScanFolder(target, TreeStore::kNone, input_text, true);
    state.CancelRequested = false;

    // Packing a large list takes a while too; the window stays live, and the
    // same guard keeps a second click from replacing the list being sorted.
    const int method_index = live.PackingMethodAfterScan().value_or(inputs.method_index);
    // The fewest-volumes search pumps the events as it goes, and a Cancel ends
    // it with the best plan found so far. Any other packing is not cut short,
    // and a Cancel clicked meanwhile is used up.
    SearchLimits limits = inputs.search_limits;
    limits.keep_going = [&sink, &state] {
      sink.PumpEventsWhilePacking();
      return !state.CancelRequested;
    };
    packing = PackEntries(*state.EntryList, method_index, state.SplitCapacity, limits,
                          [&sink] { sink.PumpEventsWhilePacking(); });
  }
  state.CancelRequested = false;
  const std::int32_t volume_count = packing.volume_count;

  const std::vector<std::int64_t> totals = ComputeVolumeTotals(*state.EntryList, volume_count);
  sink.ShowPlan({*state.EntryList, totals, naming});

  std::int64_t grand_total = 0;
  for (std::int32_t n = 1; n <= volume_count; ++n) {
    // Saturates rather than wraps; only sizes beyond any real disk get there.
    if (__builtin_add_overflow(grand_total, totals[static_cast<std::size_t>(n)], &grand_total)) {
      grand_total = std::numeric_limits<std::int64_t>::max();
    }
  }
  state.GrandTotal = grand_total;

  state.VolumeCount = volume_count;
  state.LowerBound = packing.lower_bound;
  state.ProvenOptimal = packing.proven_optimal;
  state.Searching = false;
  state.SearchDone = true;

  sink.SetStatusText(
      StatusTotalsText(state, live.ClusterSizeText(), kSearchEndTag, kInvestigateUnit));
}

}  // namespace morvick
