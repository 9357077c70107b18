#include "moving/journal_check.h"

#include "moving/move_step.h"
#include "platform/real_path.h"

#include <map>
#include <string_view>

namespace morvick {
namespace {

// A folder path as the journal writes it: absolute, no empty, "." or ".."
// part, ending in the separator.
bool IsCanonicalFolder(const std::string& path) {
  if (!platform::IsAbsolutePath(path) || path.back() != platform::kPathSeparator) return false;
  // The names below the root: past "/" here, past "C:\" or "\\server\share\" on Windows.
  std::size_t start = 0;
  while (start < path.size() &&
         !(path[start] == platform::kPathSeparator &&
           platform::IsRootPath(std::string_view(path).substr(0, start + 1)))) {
    ++start;
  }
  // The root itself is no folder of a plan.
  if (start + 1 >= path.size()) return false;
  start += 1;
  while (start < path.size()) {
    const std::size_t end = path.find(platform::kPathSeparator, start);
    if (!IsPathComponent(std::string_view(path).substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

std::optional<std::string> CheckJournalAgainstPlan(const Journal& journal) {
  const JournalPlan& plan = journal.plan;
  const std::string& input = plan.folders.input;
  const std::string& output = plan.folders.output;
  if (!IsCanonicalFolder(platform::JoinPath(input, ""))) {
    return "the input folder is not a plain absolute path: " + input;
  }
  if (!IsCanonicalFolder(platform::JoinPath(output, ""))) {
    return "the output folder is not a plain absolute path: " + output;
  }
  if (input == output) return "the input and output folders are the same";
  // A link put on the way since the move would lead the entries elsewhere.
  for (const std::string* folder : {&input, &output}) {
    if (platform::RealFolderPath(*folder) != *folder) {
      return "the folder no longer leads where the journal says: " + *folder;
    }
  }
  if (plan.naming.digits < 1 || plan.naming.digits > 9 || plan.naming.start_number < 1 ||
      plan.volume_count < 0) {
    return "the naming of the volume folders is not valid";
  }

  std::map<std::string_view, std::int32_t> planned;
  for (const JournalEntry& entry : journal.entries) planned.emplace(entry.name, entry.volume);
  // The folders a move may have made: its volume folders, the output folder
  // and the output's missing parents.
  const auto may_have_made = [&](const std::string& folder, std::int32_t volume) {
    if (volume >= 1 && volume <= plan.volume_count &&
        VolumeFolderPath(plan.folders, plan.naming, volume) == folder) {
      return true;
    }
    return !platform::IsRootPath(folder) && platform::IsSameOrBelow(output, folder);
  };

  for (const JournalStep& step : journal.steps) {
    const std::string which = "entry " + std::to_string(step.sequence);
    const auto found = planned.find(step.name);
    if (found == planned.end() || found->second != step.volume || step.volume < 1 ||
        step.volume > plan.volume_count) {
      return which + " is not an entry of the plan";
    }
    const std::optional<MoveStep> expected =
        MakeMoveStep(plan.folders, plan.naming, step.volume, step.name, Direction::Out);
    if (!expected) return which + " is not an entry of the plan";
    if (step.source != expected->source) return which + " does not come from the input folder";
    if (step.destination != expected->destination) {
      return which + " did not go to its volume folder";
    }
    for (const std::string& made : step.created_folders) {
      if (!may_have_made(made, step.volume)) return which + " made a folder outside the plan";
    }
  }
  for (const std::string& removed : journal.removed_folders) {
    bool known = false;
    for (std::int32_t v = 1; v <= plan.volume_count && !known; ++v) {
      known = may_have_made(removed, v);
    }
    if (!known && !may_have_made(removed, 0)) return "a removed folder lies outside the plan";
  }
  return std::nullopt;
}

std::optional<std::string> CheckJournalAgainstPlan(const Journal& journal,
                                                   const HeldFolders& folders) {
  const FixedFolders& plan = journal.plan.folders;
  if (folders.paths().input != plan.input || folders.paths().output != plan.output) {
    return "the folders held are not the plan's";
  }
  if (std::optional<std::string> fault = CheckJournalAgainstPlan(journal)) return fault;
  for (const FolderPlace* place : {&folders.input(), &folders.output()}) {
    if (place->State() != platform::FolderState::InPlace) {
      return "the folder was moved or replaced since the undo began: " + place->held_path();
    }
  }
  return std::nullopt;
}

}  // namespace morvick
