#include "commands/plan_commands.h"
#include "common/error.h"
#include "engine/naming.h"
#include "platform/folders.h"

#include <algorithm>

namespace morvick {
namespace {

constexpr const char* kConfirmText = "よろしいですか？";
constexpr const char* kMoveFailedText = "フォルダの移動に失敗しました。";
constexpr const char* kMovedText = "フォルダを移動しました。";

// The inputs both commands read once they have been confirmed.
struct Inputs {
  int digits;
  std::string input_path;
  std::string output_path;
  std::string base_name;
  std::int32_t start_number;
};

Inputs ReadInputs(const PlanForm& form, const PathRules& rules) {
  Inputs inputs;
  inputs.digits = form.TrackBar1Position();
  inputs.input_path = rules.WithTrailingBackslash(form.EditText(2));
  inputs.output_path = rules.WithTrailingBackslash(form.EditText(3));
  inputs.base_name = form.EditText(4);
  inputs.start_number = form.SpinEdit1Value();
  return inputs;
}

// The path checks and the confirmation shared by Move and Undo; false ends
// the command (a message has been shown, or the user said no).
bool CheckPathsAndConfirm(const PlanForm& form, Prompter& prompter, const PathRules& rules,
                          PairCommand command) {
  const std::string output_text = form.EditText(3);
  if (!rules.CheckPathSyntax(prompter, output_text, "出力フォルダ")) return false;
  if (!rules.CheckFolderPair(prompter, form.EditText(2), output_text, command)) return false;
  return prompter.ConfirmYesNo(kConfirmText) == Answer::Yes;
}

// Moves every planned entry one way or the other. Entries without a volume
// never move; those of the last volume stay when CheckBox2 is checked, the box
// being read each time one of them comes up.
void MoveEntries(MoveCommand command, const CommandState& state, const PlanForm& form,
                 Prompter& prompter, const PathRules& rules, const Inputs& inputs,
                 MoveObserver* observer, platform::FileMover& mover) {
  if (observer) {
    observer->CommandBegun({command, inputs.input_path, inputs.output_path, inputs.base_name,
                            inputs.digits, inputs.start_number, state.VolumeCount});
  }
  for (const auto& entry : *state.EntryList) {
    if (entry->Volume == 0) continue;
    if (entry->Volume == state.VolumeCount && form.CheckBox2Checked()) continue;
    const std::string folder =
        VolumeFolderName(entry->Volume, inputs.base_name, inputs.digits, inputs.start_number);
    const std::string in_input = inputs.input_path + entry->Name;
    const std::string in_volume = inputs.output_path + folder + rules.Separator() + entry->Name;
    const bool forward = command == MoveCommand::Move;
    const std::string& source = forward ? in_input : in_volume;
    const std::string& destination = forward ? in_volume : in_input;
    const MoveStep step{command, source, destination, entry->Name, entry->Volume, folder};

    if (observer) observer->BeforeMove(step);
    const platform::MoveResult moved = platform::ShellMove(prompter, source, destination, mover);
    if (observer) observer->AfterMove(step, moved.moved, moved.reason);
    if (!moved) prompter.ShowMessage(kMoveFailedText);
  }
}

constexpr int kFileNotFound = 2;

// Removes the volume folders 1 to the last number in ascending order; the first
// failure is raised and ends the command. A repeated Undo (one that follows an
// Undo stopped by a folder) takes a folder that is not there as removed: it
// may never have been made (every move into it failed, or the last volume was
// kept back), and otherwise the Undo could never complete.
void RemoveVolumeFolders(CommandState& state, const PlanForm& form, const Inputs& inputs,
                         MoveObserver* observer, bool repeated) {
  const std::int32_t last = form.CheckBox2Checked() ? state.VolumeCount - 1 : state.VolumeCount;
  for (std::int32_t n = 1; n <= last; ++n) {
    const std::string path =
        inputs.output_path +
        VolumeFolderName(n, inputs.base_name, inputs.digits, inputs.start_number);
    std::vector<std::string>& removed = state.RemovedVolumeFolders;
    if (std::find(removed.begin(), removed.end(), path) != removed.end()) continue;
    if (observer) observer->BeforeRemoveFolder(path, n);
    try {
      platform::RemoveFolder(path);
    } catch (const InOutError& error) {
      if (repeated && error.error_number() == kFileNotFound) {
        removed.push_back(path);
        if (observer) observer->AfterRemoveFolder(path, n, true, {});
        continue;
      }
      if (observer) {
        observer->AfterRemoveFolder(path, n, false, error.what());
        observer->CommandEnded(MoveCommand::Undo, false);
      }
      throw;
    }
    removed.push_back(path);
    if (observer) observer->AfterRemoveFolder(path, n, true, {});
  }
}

}  // namespace

void Button5Click(CommandState& state, PlanForm& form, Prompter& prompter, const PathRules& rules,
                  MoveObserver* observer, platform::FileMover& mover) {
  if (state.Searching) return prompter.ShowMessage("検索中の為、処理できません。");
  if (state.Undoing) return prompter.ShowMessage("Undo中の為、処理できません。");
  if (!state.SearchDone) return prompter.ShowMessage("検索が終了していない為、処理できません。");
  if (state.UpdateDone) return prompter.ShowMessage("更新が終了してる為、処理できません。");
  if (!CheckPathsAndConfirm(form, prompter, rules, PairCommand::Move)) return;
  if (!state.EntryList) return;

  state.UpdateDone = false;
  state.Updating = true;
  form.SetStatusText(StatusTotalsText(state, form, kUpdatingTag, kMoveUnit));

  const Inputs inputs = ReadInputs(form, rules);
  MoveEntries(MoveCommand::Move, state, form, prompter, rules, inputs, observer, mover);

  state.Updating = false;
  if (observer) observer->CommandEnded(MoveCommand::Move, true);
  prompter.ShowMessage(kMovedText);
  form.SetStatusText(StatusTotalsText(state, form, kUpdateEndTag, kMoveUnit));
  state.UpdateDone = true;
}

void Button7Click(CommandState& state, PlanForm& form, Prompter& prompter, const PathRules& rules,
                  MoveObserver* observer, platform::FileMover& mover) {
  if (state.Searching) return prompter.ShowMessage("検索中の為、処理できません。");
  if (state.Updating) return prompter.ShowMessage("更新中の為、処理できません。");
  if (!state.UpdateDone) return prompter.ShowMessage("更新が終了してない為、処理できません。");
  if (state.UndoDone) return prompter.ShowMessage("Undoが終了してる為、処理できません。");
  if (!CheckPathsAndConfirm(form, prompter, rules, PairCommand::Undo)) return;
  if (!state.EntryList) return;

  const bool repeated = state.Undoing;
  if (!repeated) state.RemovedVolumeFolders.clear();
  state.UndoDone = false;
  state.Undoing = true;
  form.SetStatusText(StatusTotalsText(state, form, kUndoingTag, kMoveUnit));

  const Inputs inputs = ReadInputs(form, rules);
  MoveEntries(MoveCommand::Undo, state, form, prompter, rules, inputs, observer, mover);
  RemoveVolumeFolders(state, form, inputs, observer, repeated);

  state.RemovedVolumeFolders.clear();
  state.Undoing = false;
  state.UndoDone = true;
  if (observer) observer->CommandEnded(MoveCommand::Undo, true);
  prompter.ShowMessage(kMovedText);
  form.SetStatusText(StatusTotalsText(state, form, kUndoEndTag, kMoveUnit));
}

}  // namespace morvick
