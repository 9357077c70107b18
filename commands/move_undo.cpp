#include "commands/plan_commands.h"
#include "common/error.h"
#include "moving/move_engine.h"

namespace morvick {
namespace {

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

platform::FileMover& MoverOf(const MoveOptions& options) {
  return options.mover ? *options.mover : platform::RealFileMover();
}

}  // namespace

void MoveCommand(CommandState& state, const MoveInputs& inputs, const LiveInputs& live,
                 PlanSink& sink, Prompter& prompter, const PathRules& rules,
                 const MoveOptions& options) {
  if (state.Searching) return prompter.ShowMessage("検索中の為、処理できません。");
  if (state.Undoing) return prompter.ShowMessage("Undo中の為、処理できません。");
  if (!state.SearchDone) return prompter.ShowMessage("検索が終了していない為、処理できません。");
  if (state.UpdateDone) return prompter.ShowMessage("更新が終了してる為、処理できません。");
  const std::optional<MovePlan> plan =
      CheckPaths(state, inputs, live, prompter, rules, PairCommand::Move, options);
  if (!plan) return;
  if (prompter.ConfirmYesNo(kConfirmText) != Answer::Yes) return;
  if (!state.EntryList) return;

  state.UpdateDone = false;
  state.Updating = true;
  sink.SetStatusText(StatusTotalsText(state, live.ClusterSizeText(), kUpdatingTag, kMoveUnit));

  CommandMoveHost host(live, options);
  MoveEngine engine(prompter, MoverOf(options));
  const MoveCounts counts = engine.Move(*plan, host, options.journal);
  if (options.counts) *options.counts = counts;

  state.Updating = false;
  prompter.ShowMessage(kMovedText);
  sink.SetStatusText(StatusTotalsText(state, live.ClusterSizeText(), kUpdateEndTag, kMoveUnit));
  state.UpdateDone = true;
}

void UndoCommand(CommandState& state, const MoveInputs& inputs, const LiveInputs& live,
                 PlanSink& sink, Prompter& prompter, const PathRules& rules,
                 const MoveOptions& options) {
  if (state.Searching) return prompter.ShowMessage("検索中の為、処理できません。");
  if (state.Updating) return prompter.ShowMessage("更新中の為、処理できません。");
  if (!state.UpdateDone) return prompter.ShowMessage("更新が終了してない為、処理できません。");
  if (state.UndoDone) return prompter.ShowMessage("Undoが終了してる為、処理できません。");
  const std::optional<MovePlan> plan =
      CheckPaths(state, inputs, live, prompter, rules, PairCommand::Undo, options);
  if (!plan) return;
  if (prompter.ConfirmYesNo(kConfirmText) != Answer::Yes) return;
  if (!state.EntryList) return;

  // Only the folders an earlier, stopped run of this Undo removed count as
  // removed; any other missing volume folder stops the Undo again.
  if (!state.Undoing) state.RemovedVolumeFolders.clear();
  state.UndoDone = false;
  state.Undoing = true;
  sink.SetStatusText(StatusTotalsText(state, live.ClusterSizeText(), kUndoingTag, kMoveUnit));

  CommandMoveHost host(live, options);
  MoveEngine engine(prompter, MoverOf(options));
  const MoveCounts counts = engine.MoveBack(*plan, host);
  if (options.counts) *options.counts = counts;
  const std::int32_t last = live.SkipLastVolume() ? state.VolumeCount - 1 : state.VolumeCount;
  engine.RemoveVolumeFolders(*plan, last, state.RemovedVolumeFolders);

  state.RemovedVolumeFolders.clear();
  state.Undoing = false;
  state.UndoDone = true;
  prompter.ShowMessage(kMovedText);
  sink.SetStatusText(StatusTotalsText(state, live.ClusterSizeText(), kUndoEndTag, kMoveUnit));
}

}  // namespace morvick
