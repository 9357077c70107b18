#include "moving/move_engine.h"

#include "common/error.h"
#include "platform/errno_map.h"
#include "platform/real_path.h"

#include <algorithm>
#include <cerrno>

namespace morvick {
namespace {

// The folders a move to `destination` will create, outermost first.
std::vector<std::string> MissingFolders(platform::FileMover& mover,
                                        const std::string& destination) {
  std::vector<std::string> missing;
  for (std::string folder = platform::ParentFolder(destination);
       !platform::IsRootPath(folder) && folder != "."; folder = platform::ParentFolder(folder)) {
    if (mover.Probe(folder) != ENOENT) break;
    missing.insert(missing.begin(), folder);
  }
  return missing;
}

bool WouldMove(const TSplitEntry& entry, const MovePlan& plan) {
  return entry.Volume != 0 && !(entry.Volume == plan.volume_count && plan.skip_last);
}

}  // namespace

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

MoveCounts MoveEngine::Move(const MovePlan& plan, MoveHost& host, JournalWriter* journal) {
  if (journal) {
    JournalPlan facts;
    facts.front_end = plan.front_end;
    facts.input_path = platform::JoinPath(plan.folders.input, "");
    facts.output_path = platform::JoinPath(plan.folders.output, "");
    facts.base_name = plan.naming.base_name;
    facts.digits = plan.naming.digits;
    facts.start_number = plan.naming.start_number;
    facts.volume_count = plan.volume_count;
    facts.grand_total = plan.grand_total;
    facts.cluster_text = plan.cluster_text;
    facts.method = plan.method;
    facts.skip_last = plan.skip_last;
    journal->WritePlan(facts, *plan.entries);
  }
  const MoveCounts counts = MoveAll(plan, host, Direction::Out, journal);
  if (journal) journal->WriteEnd();
  return counts;
}

MoveCounts MoveEngine::MoveBack(const MovePlan& plan, MoveHost& host) {
  return MoveAll(plan, host, Direction::Back, nullptr);
}

MoveCounts MoveEngine::MoveAll(const MovePlan& plan, MoveHost& host, Direction direction,
                               JournalWriter* journal) {
  MoveCounts counts;
  for (const TSplitEntry& entry : *plan.entries) {
    if (entry.Volume == 0) continue;
    if (entry.Volume == plan.volume_count && host.SkipLastVolume()) continue;
    if (host.StopRequested()) throw InterruptedError();
    if (MoveOne(plan, entry, direction, journal)) {
      ++counts.moved;
    } else {
      ++counts.failed;
      prompter_.ShowMessage(kMoveFailedText);
    }
  }
  return counts;
}

bool MoveEngine::MoveOne(const MovePlan& plan, const TSplitEntry& entry, Direction direction,
                         JournalWriter* journal) {
  const std::string folder_name = plan.naming.FolderName(entry.Volume);
  const std::string name(entry.Name());
  if (!IsPathComponent(name) || !IsPathComponent(folder_name)) {
    prompter_.ShowMessage("'" + name + "' を '" + folder_name +
                          "' へ移動できません: 名前にフォルダの区切りが含まれています。");
    return false;
  }
  const std::string volume_folder = platform::JoinPath(plan.folders.output, folder_name);
  // A link or a file in the volume folder's place would lead the entry elsewhere.
  const platform::PathKind kind = platform::KindOf(volume_folder);
  if (kind != platform::PathKind::Folder && kind != platform::PathKind::Missing) {
    prompter_.ShowMessage("'" + volume_folder + "' はフォルダではない為、使えません。");
    return false;
  }
  const std::string in_input = platform::JoinPath(plan.folders.input, name);
  const std::string in_volume = platform::JoinPath(volume_folder, name);
  const bool out = direction == Direction::Out;
  const std::string& source = out ? in_input : in_volume;
  const std::string& destination = out ? in_volume : in_input;

  if (journal) {
    journal->WriteIntent(entry.Volume, name, source, destination,
                         MissingFolders(mover_, destination));
  }
  const platform::MoveResult moved = platform::ShellMove(prompter_, source, destination, mover_);
  if (journal) journal->WriteOutcome(moved.moved, moved.reason);
  return moved.moved;
}

void MoveEngine::RemoveVolumeFolders(const MovePlan& plan, std::int32_t last,
                                     std::vector<std::string>& removed) {
  for (std::int32_t n = 1; n <= last; ++n) {
    const std::string folder_name = plan.naming.FolderName(n);
    if (!IsPathComponent(folder_name)) throw InOutError(3);
    const std::string path = platform::JoinPath(plan.folders.output, folder_name);
    if (std::find(removed.begin(), removed.end(), path) != removed.end()) continue;
    const int error = mover_.RemoveEmptyFolder(path);
    if (error != 0) throw platform::SystemInOutError(error);
    removed.push_back(path);
  }
}

}  // namespace morvick
