#include "moving/move_engine.h"

#include "common/error.h"
#include "platform/errno_map.h"
#include "platform/real_path.h"

#include <algorithm>
#include <cerrno>
#include <unordered_map>

namespace morvick {
namespace {

bool WouldMove(const TSplitEntry& entry, const MovePlan& plan) {
  return entry.Volume != 0 && !(entry.Volume == plan.volume_count && plan.skip_last);
}

// The folders the move created, innermost and newest first.
std::vector<std::string> CreatedFolders(const Journal& journal) {
  std::vector<std::string> folders;
  for (const JournalStep& step : journal.steps) {
    for (const std::string& folder : step.created_folders) {
      if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
        folders.push_back(folder);
      }
    }
  }
  std::reverse(folders.begin(), folders.end());
  return folders;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

JournalPlan JournalPlanOf(const MovePlan& plan) {
  JournalPlan facts;
  facts.front_end = plan.front_end;
  facts.folders = plan.folders;
  facts.naming = plan.naming;
  facts.volume_count = plan.volume_count;
  facts.grand_total = plan.grand_total;
  facts.cluster_text = plan.cluster_text;
  facts.method = plan.method;
  facts.skip_last = plan.skip_last;
  return facts;
}

bool CheckOutputOutsideEntries(Prompter& prompter, const MovePlan& plan) {
  const std::string& output = plan.folders.output;
  for (const TSplitEntry& entry : *plan.entries) {
    if (!WouldMove(entry, plan) || !IsPathComponent(entry.Name())) continue;
    const std::string path = platform::JoinPath(plan.folders.input, entry.Name());
    bool holds_output = platform::IsSameOrBelow(output, path);
    if (!holds_output && platform::KindOf(path) == platform::PathKind::Link) {
      const std::optional<std::string> target = platform::ResolvedPath(path);
      holds_output = target && platform::IsSameOrBelow(output, *target);
    }
    if (holds_output) {
      prompter.ShowMessage("出力フォルダが移動する項目 '" + std::string(entry.Name()) +
                           "' の中にある為、処理できません。");
      return false;
    }
  }
  return true;
}

MoveCounts MoveEngine::Move(const MovePlan& plan, MoveHost& host, JournalWriter& journal) {
  journal.WritePlan(JournalPlanOf(plan), *plan.entries);
  StepRunner runner(prompter_, mover_, journal, *plan.held, plan.naming);
  for (const TSplitEntry& entry : *plan.entries) {
    if (entry.Volume == 0) continue;
    if (entry.Volume == plan.volume_count && host.SkipLastVolume()) continue;
    if (host.StopRequested()) throw InterruptedError();
    std::optional<MoveStep> step =
        MakeMoveStep(plan.folders, plan.naming, entry.Volume, entry.Name(), Direction::Out);
    if (!step) {
      prompter_.ShowMessage("'" + std::string(entry.Name()) + "' を '" +
                            plan.naming.FolderName(entry.Volume) +
                            "' へ移動できません: 名前にフォルダの区切りが含まれています。");
      runner.Fail();
      continue;
    }
    runner.MoveOut(std::move(*step));
  }
  journal.WriteMark(RecordKind::End);
  return runner.counts();
}

MoveCounts MoveEngine::TakeBackInPlanOrder(const MovePlan& plan, MoveHost& host, Journal& journal,
                                           JournalWriter& writer) {
  // The newest step of each name: a name is moved at most once by one move.
  std::unordered_map<std::string_view, JournalStep*> step_of;
  for (JournalStep* step : StepsToTakeBack(journal, mover_, *plan.held)) {
    step_of.emplace(step->name, step);
  }
  StepRunner runner(prompter_, mover_, writer, *plan.held, plan.naming);
  for (const TSplitEntry& entry : *plan.entries) {
    if (entry.Volume == 0) continue;
    if (entry.Volume == plan.volume_count && host.SkipLastVolume()) continue;
    if (host.StopRequested()) throw InterruptedError();
    const auto found = step_of.find(entry.Name());
    if (found == step_of.end() || found->second->volume != entry.Volume) {
      const std::optional<MoveStep> back =
          MakeMoveStep(plan.folders, plan.naming, entry.Volume, entry.Name(), Direction::Back);
      if (back) {
        runner.FailWithoutStep(*back);
      } else {
        runner.Fail();
      }
      continue;
    }
    runner.TakeBack(*found->second);
    step_of.erase(found);
  }
  return runner.counts();
}

void MoveEngine::RemoveVolumeFolders(const MovePlan& plan, std::int32_t last,
                                     std::vector<std::string>& removed, JournalWriter& writer) {
  HeldFolders& held = *plan.held;
  held.ReleaseVolume();
  const FolderPlace& output = held.output();
  for (std::int32_t n = 1; n <= last; ++n) {
    const std::optional<std::string> path = VolumeFolderPath(plan.folders, plan.naming, n);
    if (!path) throw InOutError(3);
    if (Contains(removed, *path)) continue;
    // Removed through the held output folder, and only while its path still
    // names it: a folder of that name elsewhere is not the move's.
    const platform::FolderState state = output.State();
    if (state == platform::FolderState::Changed) {
      throw InOutError(0, FolderChangedText(output.held_path()));
    }
    const int error = state == platform::FolderState::InPlace && output.folder()
                          ? mover_.RemoveEmptyFolder(*output.folder(), plan.naming.FolderName(n))
                          : ENOENT;
    if (error != 0) throw platform::SystemInOutError(error);
    removed.push_back(*path);
    writer.WriteFolderRemoved(*path);
  }
}

int MoveEngine::RemoveCreatedFolder(HeldFolders& folders, const std::string& folder) {
  const std::string parent = platform::ParentFolder(folder);
  const std::string name = folder.substr(parent.size() + (platform::IsRootPath(parent) ? 0 : 1));
  const FolderPlace& output = folders.output();
  if (parent == folders.paths().output) {
    return output.folder() && output.State() == platform::FolderState::InPlace
               ? mover_.RemoveEmptyFolder(*output.folder(), name)
               : ENOENT;
  }
  // The output folder itself, or a folder above it: held again by its path,
  // no link on the way.
  if (folder == folders.paths().output) folders.output().Release();
  platform::HeldFolder held_parent;
  if (const int error = platform::HoldFolder(parent, held_parent)) return error;
  return mover_.RemoveEmptyFolder(held_parent, name);
}

MoveCounts MoveEngine::TakeBackJournal(Journal& journal, HeldFolders& folders,
                                       JournalWriter& writer, const std::function<bool()>& stop,
                                       int& folder_failures) {
  StepRunner runner(prompter_, mover_, writer, folders, journal.plan.naming);
  for (JournalStep* step : StepsToTakeBack(journal, mover_, folders)) {
    if (stop && stop()) throw InterruptedError();
    runner.TakeBack(*step);
  }
  if (stop && stop()) throw InterruptedError();
  folders.ReleaseVolume();
  // The folders go only while the output folder is the one the steps went
  // through; one put in its place holds nothing of the move's.
  const FolderPlace& output = folders.output();
  if (output.State() == platform::FolderState::Changed) {
    prompter_.ShowMessage(FolderChangedText(output.held_path()));
    ++folder_failures;
    return runner.counts();
  }
  for (const std::string& folder : CreatedFolders(journal)) {
    if (Contains(journal.removed_folders, folder)) continue;
    const int error = RemoveCreatedFolder(folders, folder);
    if (error == ENOENT) continue;
    if (error != 0) {
      // Not empty: something failed to move back, or was put there since.
      prompter_.ShowMessage(folder + ": " + platform::SystemErrorText(error));
      ++folder_failures;
      continue;
    }
    journal.removed_folders.push_back(folder);
    writer.WriteFolderRemoved(folder);
  }
  return runner.counts();
}

}  // namespace morvick
