#include "commands/plan_commands.h"
#include "common/error.h"
#include "engine/naming.h"
#include "engine/scan.h"
#include "moving/journal_files.h"
#include "moving/journal_writer.h"
#include "moving/move_engine.h"
#include "platform/real_path.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace morvick {
namespace {

using Status = MoveReport::Status;

constexpr const char* kConfirmText = "よろしいですか？";

// The engine's view of the front end while it works.
class CommandMoveHost final : public MoveHost {
 public:
  CommandMoveHost(const LiveInputs& live, const MoveOptions& options)
      : live_(live), options_(options) {}
  bool SkipLastVolume() override { return live_.SkipLastVolume(); }
  bool StopRequested() override { return options_.stop_requested && options_.stop_requested(); }

 private:
  const LiveInputs& live_;
  const MoveOptions& options_;
};

// The path checks shared by Move and Undo, and the plan with its folders fixed
// when the command starts. nullopt ends the command (a message has been shown).
// Without a plan the checks still run; the command then ends after the question.
std::optional<MovePlan> CheckPaths(const CommandState& state, const MoveInputs& inputs,
                                   const LiveInputs& live, Prompter& prompter,
                                   const PathRules& rules, PairCommand command,
                                   const MoveOptions& options) {
  const std::string& input_text = inputs.input_text;
  const std::string& output_text = inputs.output_text;
  if (!rules.CheckPathSyntax(prompter, output_text, "出力フォルダ")) return std::nullopt;
  if (!rules.CheckFolderPair(prompter, input_text, output_text, command)) return std::nullopt;
  MovePlan plan;
  if (!state.EntryList) return plan;
  std::optional<FixedFolders> folders = FixFolders(prompter, input_text, output_text);
  if (!folders) return std::nullopt;
  plan.folders = std::move(*folders);
  plan.held = HoldFolders(prompter, plan.folders);
  if (!plan.held) return std::nullopt;
  plan.naming = inputs.naming;
  plan.entries = state.EntryList.get();
  plan.volume_count = state.VolumeCount;
  plan.grand_total = state.GrandTotal;
  plan.cluster_text = live.ClusterSizeText();
  plan.method = inputs.method_index;
  plan.skip_last = live.SkipLastVolume();
  plan.front_end = options.front_end;
  if (command == PairCommand::Move && !CheckOutputOutsideEntries(prompter, plan)) {
    return std::nullopt;
  }
  return plan;
}

bool WouldMove(const TSplitEntry& entry, const MovePlan& plan) {
  return entry.Volume != 0 && !(entry.Volume == plan.volume_count && plan.skip_last);
}

std::int64_t SaturatingSum(std::int64_t a, std::int64_t b) {
  std::int64_t sum;
  return __builtin_add_overflow(a, b, &sum) ? std::numeric_limits<std::int64_t>::max() : sum;
}

platform::FileMover& MoverOf(const MoveOptions& options) {
  return options.mover ? *options.mover : platform::RealFileMover();
}

// The journal a move will write: named now, created once the user agreed.
std::string JournalPathOf(const MoveOptions& options) {
  if (!options.journal_path.empty()) return options.journal_path;
  if (options.journal_folder.empty()) throw Error("no folder for the move's journal");
  return NewJournalPath(options.journal_folder);
}

// Refuses, naming the journal folder, a journal that would be carried away
// inside an entry of the move.
bool CheckJournalOutsideEntries(Prompter& prompter, const MovePlan& plan,
                                const std::string& journal_path) {
  const std::string folder = platform::ParentFolder(journal_path);
  const std::string real = platform::RealFolderPath(folder).value_or(folder);
  for (const TSplitEntry& entry : *plan.entries) {
    if (entry.Volume == 0 || !IsPathComponent(entry.Name())) continue;
    if (platform::IsSameOrBelow(real, platform::JoinPath(plan.folders.input, entry.Name()))) {
      prompter.ShowMessage("移動の記録のフォルダ '" + folder + "' が移動する項目 '" +
                           std::string(entry.Name()) + "' の中にある為、処理できません。");
      return false;
    }
  }
  return true;
}

MoveReport Finished(const MoveCounts& counts, std::string journal_path) {
  MoveReport report;
  report.status = counts.failed > 0 ? Status::SomeFailed : Status::Done;
  report.counts = counts;
  report.journal_path = std::move(journal_path);
  return report;
}

MoveReport JournalFailed(const Error& error) {
  MoveReport report;
  report.status = Status::JournalFailed;
  report.error = error.what();
  return report;
}

// A folder of the move as the window's question shows it.
std::string NamingText(const VolumeNaming& naming) {
  return naming.base_name + FormatSequenceNumber(naming.start_number, naming.digits);
}

// The scan's view of a measurement made again: no window to pump, no cancel.
class QuietScanHost final : public ScanHost {
 public:
  explicit QuietScanHost(std::string cluster_text) : cluster_text_(std::move(cluster_text)) {}
  std::string ClusterSizeText() override { return cluster_text_; }
  bool CancelRequested() override { return false; }
  void PumpEvents() override {}
  void BeginTreeUpdate() override {}
  void EndTreeUpdate() override {}

 private:
  std::string cluster_text_;
};

// Measures every entry again just before the first step, as the scan did: an
// entry that grew since the plan could carry its volume far over the size the
// user asked for. Refuses, naming the entry, a volume that would now be over.
bool CheckVolumesStillFit(Prompter& prompter, const MovePlan& plan, std::int64_t capacity,
                          const std::string& cluster_text) {
  QuietScanHost host(cluster_text);
  EntryList now;
  ScanTarget target{host, now};
  ScanFolder(target, TreeStore::kNone, plan.folders.input, true);
  std::unordered_map<std::string_view, std::int64_t> size_now;
  for (const TSplitEntry& entry : now) size_now.emplace(entry.Name(), entry.Size);

  const auto volumes = static_cast<std::size_t>(std::max(plan.volume_count, 0)) + 1;
  std::vector<std::int64_t> planned(volumes, 0);
  std::vector<std::int64_t> measured(volumes, 0);
  std::vector<const TSplitEntry*> grown(volumes, nullptr);
  for (const TSplitEntry& entry : *plan.entries) {
    if (!WouldMove(entry, plan) || entry.Volume > plan.volume_count) continue;
    const auto volume = static_cast<std::size_t>(entry.Volume);
    const auto found = size_now.find(entry.Name());
    // A missing entry fails its own step; it adds nothing to its volume.
    const std::int64_t size = found == size_now.end() ? 0 : found->second;
    planned[volume] = SaturatingSum(planned[volume], entry.Size);
    measured[volume] = SaturatingSum(measured[volume], size);
    if (size > entry.Size && grown[volume] == nullptr) grown[volume] = &entry;
  }
  for (std::size_t volume = 1; volume < volumes; ++volume) {
    if (grown[volume] == nullptr || measured[volume] <= std::max(capacity, planned[volume])) {
      continue;
    }
    prompter.ShowMessage("'" + std::string(grown[volume]->Name()) +
                         "' が分割調査の後に大きくなった為、" +
                         plan.naming.FolderName(static_cast<std::int32_t>(volume)) +
                         " が分割サイズを超えます。もう一度分割調査してください。");
    return false;
  }
  return true;
}

bool SameNaming(const VolumeNaming& a, const VolumeNaming& b) {
  return a.base_name == b.base_name && a.digits == b.digits && a.start_number == b.start_number;
}

}  // namespace

MoveReport MoveCommand(CommandState& state, const MoveInputs& inputs, const LiveInputs& live,
                       PlanSink& sink, Prompter& prompter, const PathRules& rules,
                       const MoveOptions& options) {
  if (state.Searching) return (prompter.ShowMessage("検索中の為、処理できません。"), MoveReport{});
  if (state.Undoing) return (prompter.ShowMessage("Undo中の為、処理できません。"), MoveReport{});
  if (!state.SearchDone) {
    return (prompter.ShowMessage("検索が終了していない為、処理できません。"), MoveReport{});
  }
  if (state.UpdateDone) {
    return (prompter.ShowMessage("更新が終了してる為、処理できません。"), MoveReport{});
  }
  const std::optional<MovePlan> plan =
      CheckPaths(state, inputs, live, prompter, rules, PairCommand::Move, options);
  if (!plan) return {};
  std::string journal_path;
  try {
    journal_path = JournalPathOf(options);
  } catch (const Error& error) {
    return JournalFailed(error);
  }
  if (state.EntryList && !CheckJournalOutsideEntries(prompter, *plan, journal_path)) return {};
  if (prompter.ConfirmYesNo(kConfirmText) != Answer::Yes) return {};
  if (!state.EntryList) return {};
  if (!CheckVolumesStillFit(prompter, *plan, state.SplitCapacity, live.ClusterSizeText())) {
    return {};
  }

  JournalWriter journal(journal_path);
  try {
    journal.Create();
  } catch (const Error& error) {
    return JournalFailed(error);
  }
  // A move that never began leaves no journal behind; the lock ends with the move.
  struct Finish {
    JournalWriter& journal;
    ~Finish() {
      journal.DiscardIfUnused();
      journal.Close();
    }
  } finish{journal};
  if (options.journal_begun) journal.OnBegun(options.journal_begun);

  state.UpdateDone = false;
  state.Updating = true;
  sink.SetStatusText(StatusTotalsText(state, live.ClusterSizeText(), kUpdatingTag, kMoveUnit));

  CommandMoveHost host(live, options);
  MoveEngine engine(prompter, MoverOf(options));
  MoveCounts counts;
  try {
    counts = engine.Move(*plan, host, journal);
  } catch (const InterruptedError&) {
    MoveReport report;
    report.status = Status::Interrupted;
    report.journal_path = journal.path();
    return report;
  }
  state.MoveJournal = journal.path();

  state.Updating = false;
  prompter.ShowMessage(kMovedText);
  sink.SetStatusText(StatusTotalsText(state, live.ClusterSizeText(), kUpdateEndTag, kMoveUnit));
  state.UpdateDone = true;
  return Finished(counts, journal.path());
}

MoveReport UndoCommand(CommandState& state, const MoveInputs& inputs, const LiveInputs& live,
                       PlanSink& sink, Prompter& prompter, const PathRules& rules,
                       const MoveOptions& options) {
  if (state.Searching) return (prompter.ShowMessage("検索中の為、処理できません。"), MoveReport{});
  if (state.Updating) return (prompter.ShowMessage("更新中の為、処理できません。"), MoveReport{});
  if (!state.UpdateDone) {
    return (prompter.ShowMessage("更新が終了してない為、処理できません。"), MoveReport{});
  }
  if (state.UndoDone) {
    return (prompter.ShowMessage("Undoが終了してる為、処理できません。"), MoveReport{});
  }
  const std::optional<MovePlan> plan =
      CheckPaths(state, inputs, live, prompter, rules, PairCommand::Undo, options);
  if (!plan) return {};

  // The steps to take back are the move's own, between the folders it used.
  JournalWriter writer(state.MoveJournal);
  Journal journal;
  if (state.EntryList) {
    try {
      journal = writer.Open();
    } catch (const JournalBusyError&) {
      return (prompter.ShowMessage("更新中の為、処理できません。"), MoveReport{});
    } catch (const Error& error) {
      return JournalFailed(error);
    }
    const JournalPlan& moved = journal.plan;
    if (moved.folders.input != plan->folders.input ||
        moved.folders.output != plan->folders.output || !SameNaming(moved.naming, plan->naming)) {
      prompter.ShowMessage(
          "入力フォルダ、出力フォルダまたはフォルダ名が分割開始の時と違う為、処理できません。\n"
          "入力フォルダ: " +
          platform::JoinPath(moved.folders.input, "") +
          "\n出力フォルダ: " + platform::JoinPath(moved.folders.output, "") +
          "\nフォルダ名: " + NamingText(moved.naming));
      return {};
    }
  }
  if (prompter.ConfirmYesNo(kConfirmText) != Answer::Yes) return {};
  if (!state.EntryList) return {};

  // Only the folders an earlier, stopped run of this Undo removed count as
  // removed; any other missing volume folder stops the Undo again.
  if (!state.Undoing) state.RemovedVolumeFolders.clear();
  state.UndoDone = false;
  state.Undoing = true;
  sink.SetStatusText(StatusTotalsText(state, live.ClusterSizeText(), kUndoingTag, kMoveUnit));

  CommandMoveHost host(live, options);
  platform::FileMover& mover = MoverOf(options);
  MoveEngine engine(prompter, mover);
  writer.WriteMark(RecordKind::UndoBegun);
  MoveCounts counts;
  try {
    counts = engine.TakeBackInPlanOrder(*plan, host, journal, writer);
  } catch (const InterruptedError&) {
    MoveReport report;
    report.status = Status::Interrupted;
    report.journal_path = writer.path();
    return report;
  }
  // The journal stays open for morvick-cli undo while anything the move took
  // away is still out (the last volume kept back by "最終フォルダを移動しない").
  const auto finish_journal = [&] {
    writer.WriteMark(RecordKind::UndoEnd);
    if (!journal.undone && !journal.damaged_before_end &&
        StepsToTakeBack(journal, mover, *plan->held).empty()) {
      writer.WriteMark(RecordKind::Undone);
    }
  };
  const std::int32_t last = live.SkipLastVolume() ? state.VolumeCount - 1 : state.VolumeCount;
  try {
    engine.RemoveVolumeFolders(*plan, last, state.RemovedVolumeFolders, writer);
  } catch (const Error&) {
    finish_journal();
    throw;
  }
  finish_journal();

  state.RemovedVolumeFolders.clear();
  state.Undoing = false;
  state.UndoDone = true;
  prompter.ShowMessage(kMovedText);
  sink.SetStatusText(StatusTotalsText(state, live.ClusterSizeText(), kUndoEndTag, kMoveUnit));
  return Finished(counts, writer.path());
}

void ShowJournalFailure(const MoveReport& report, Prompter& prompter) {
  if (report.status != MoveReport::Status::JournalFailed) return;
  prompter.ShowMessage("移動の記録を書けない為、処理できません。\n" + report.error);
}

}  // namespace morvick
