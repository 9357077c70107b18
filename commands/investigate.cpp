#include "commands/plan_commands.h"
#include "common/text_rules.h"
#include "engine/naming.h"
#include "engine/packing.h"
#include "engine/scan.h"

#include <limits>
#include <vector>

namespace morvick {
namespace {

constexpr std::int64_t kMebibyte = 1024 * 1024;

// The scan's view of the window: the cluster-size box, the cancel flag and the
// event pump.
class FormScanHost final : public ScanHost {
 public:
  FormScanHost(CommandState& state, PlanForm& form) : state_(state), form_(form) {}
  std::string ClusterSizeText() override { return form_.ComboBox3Text(); }
  bool CancelRequested() override { return state_.CancelRequested; }
  void PumpEvents() override { form_.PumpEvents(); }
  void BeginTreeUpdate() override { form_.BeginTreeUpdate(); }
  void EndTreeUpdate() override { form_.EndTreeUpdate(); }

 private:
  CommandState& state_;
  PlanForm& form_;
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

}  // namespace

void Button1Click(CommandState& state, PlanForm& form, Prompter& prompter, const PathRules& rules) {
  // A click from the running scan's event pump: that scan still owns the tree
  // and the entry list.
  if (state.ScanRunning) return;

  const std::string input_text = form.EditText(2);
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
  const std::optional<std::int64_t> split_size = TryParseInt64(form.EditText(1));
  if (!split_size) {
    prompter.ShowMessage("分割サイズは数値でなければなりません");
    return;
  }
  if (*split_size <= 0) {
    prompter.ShowMessage("分割サイズは正数でなければなりません");
    return;
  }
  const int unit = form.ComboBox1Index();
  if (unit == 0 && *split_size > std::numeric_limits<std::int64_t>::max() / kMebibyte) {
    prompter.ShowMessage("分割サイズが大きすぎます");
    return;
  }

  state.UpdateDone = false;
  state.UndoDone = false;
  state.SearchDone = false;
  state.Searching = true;
  form.SetStatusText(kSearchingTag);

  form.ClearListView1();
  form.ClearListView2();
  form.ClearTree();

  if (state.EntryList) FreeEntries(state.EntryList);
  state.EntryList = std::make_unique<EntryList>();

  const int digits = form.TrackBar1Position();
  const std::string base_name = form.EditText(4);
  const std::int32_t start_number = form.SpinEdit1Value();

  if (unit == 0) {
    state.SplitCapacity = *split_size * kMebibyte;
  } else if (unit == 1) {
    state.SplitCapacity = *split_size;
  }

  state.CancelRequested = false;
  {
    ScanRunningGuard running(state);
    FormScanHost host(state, form);
    ScanTarget target{host, *state.EntryList, form.Tree()};
    ScanFolder(target, TreeStore::kNone, form.EditText(2), true);
  }
  state.CancelRequested = false;

  const std::int32_t volume_count =
      PackEntries(*state.EntryList, form.RadioGroup1Index(), state.SplitCapacity);

  const std::vector<std::int64_t> totals = ComputeVolumeTotals(*state.EntryList, volume_count);
  for (const auto& entry : *state.EntryList) {
    const std::string volume = std::to_string(entry->Volume);
    const std::string size = FormatThousands(entry->Size);
    form.AddListView1Row({volume, entry->Name, size, entry->DateText, entry->KindText});
  }

  std::int64_t grand_total = 0;
  for (std::int32_t n = 1; n <= volume_count; ++n) {
    const std::string number = std::to_string(n);
    const std::string folder = VolumeFolderName(n, base_name, digits, start_number);
    const std::string size = FormatThousands(totals[static_cast<std::size_t>(n)]);
    form.AddListView2Row({number, folder, size});
    // Saturates rather than wraps; only sizes beyond any real disk get there.
    if (__builtin_add_overflow(grand_total, totals[static_cast<std::size_t>(n)], &grand_total)) {
      grand_total = std::numeric_limits<std::int64_t>::max();
    }
  }
  state.GrandTotal = grand_total;

  state.VolumeCount = volume_count;
  state.Searching = false;
  state.SearchDone = true;

  form.SetStatusText(StatusTotalsText(state, form, kSearchEndTag, kInvestigateUnit));
}

}  // namespace morvick
