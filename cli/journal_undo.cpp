#include "cli/journal_undo.h"

#include "cli/cli_form.h"
#include "cli/interrupt.h"
#include "cli/journal.h"
#include "commands/path_rules.h"
#include "commands/plan_commands.h"
#include "common/error.h"
#include "platform/errno_map.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace morvick::cli {
namespace {

constexpr const char* kMoveFailedText = "フォルダの移動に失敗しました。";
constexpr const char* kMovedText = "フォルダを移動しました。";

int Interrupted(Prompter& prompter, const std::string& journal_path) {
  prompter.ShowMessage(
      "morvick-cli: interrupted; run the undo again to finish it: morvick-cli undo " +
      journal_path);
  return 130;
}

bool Exists(platform::FileMover& mover, const std::string& path) { return mover.Probe(path) == 0; }

std::string ReadAll(int fd) {
  std::string text;
  char buffer[65536];
  while (true) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0)
      throw Error(std::string("morvick-cli: cannot read the journal: ") + std::strerror(errno));
    if (n == 0) return text;
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

// The steps to take back, newest first: every entry the move took away from
// the input folder and no undo has brought back yet.
std::vector<const JournalStep*> StepsToTakeBack(const Journal& journal,
                                                platform::FileMover& mover) {
  std::vector<const JournalStep*> steps;
  for (auto it = journal.steps.rbegin(); it != journal.steps.rend(); ++it) {
    const JournalStep& step = *it;
    if (step.restored || step.outcome == JournalStep::Outcome::Failed) continue;
    // No outcome: the move was killed around this rename. While the entry is
    // still in the input folder the rename never happened.
    if (step.outcome == JournalStep::Outcome::Unknown && Exists(mover, step.source)) continue;
    steps.push_back(&step);
  }
  return steps;
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

std::string StatusLine(const Journal& journal) {
  CommandState state;
  state.VolumeCount = journal.volume_count;
  state.GrandTotal = journal.grand_total;
  PlanSettings settings;
  settings.cluster_text = journal.cluster_text;
  CliPlanForm form(settings, state, nullptr);
  try {
    return StatusTotalsText(state, form, kUndoEndTag, kMoveUnit);
  } catch (const Error&) {
    return {};
  }
}

}  // namespace

int UndoFromJournal(const std::string& journal_path, Prompter& prompter, bool quiet,
                    platform::FileMover& mover) {
  const FileDescriptor fd(open(journal_path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC));
  if (!fd) {
    prompter.ShowMessage("morvick-cli: cannot open the journal " + journal_path + ": " +
                         std::strerror(errno));
    return 1;
  }
  // The move holds the lock while it runs.
  if (flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    prompter.ShowMessage("更新中の為、処理できません。");
    return 1;
  }
  Journal journal;
  try {
    journal = ParseJournal(ReadAll(fd.get()));
  } catch (const Error& error) {
    prompter.ShowMessage(error.what());
    return 1;
  }
  if (journal.undone) {
    prompter.ShowMessage("Undoが終了してる為、処理できません。");
    return 1;
  }

  const PathRules& rules = PlatformPathRules();
  if (!rules.CheckPathSyntax(prompter, journal.output_path, "出力フォルダ")) return 1;
  if (!rules.CheckFolderPair(prompter, journal.input_path, journal.output_path,
                             PairCommand::Undo)) {
    return 1;
  }
  const std::vector<const JournalStep*> steps = StepsToTakeBack(journal, mover);
  if (prompter.ConfirmYesNo("よろしいですか？") != Answer::Yes) {
    return InterruptRequested() ? 130 : 1;
  }

  // A record cut off by a crash goes before anything is appended after it.
  struct stat info {};
  if (fstat(fd.get(), &info) == 0 &&
      static_cast<std::size_t>(info.st_size) > journal.complete_length) {
    if (ftruncate(fd.get(), static_cast<off_t>(journal.complete_length)) != 0) {
      prompter.ShowMessage("morvick-cli: cannot repair the journal " + journal_path + ": " +
                           std::strerror(errno));
      return 1;
    }
  }

  int failures = 0;
  bool changed = false;
  try {
    AppendRecord(fd.get(), journal_path, Json{{"record", "undo-begun"}});
    for (const JournalStep* step : steps) {
      if (InterruptRequested()) return Interrupted(prompter, journal_path);
      AppendRecord(fd.get(), journal_path,
                   Json{{"record", "undo-intent"}, {"seq", step->sequence}});
      bool moved = false;
      std::string reason;
      if (!Exists(mover, step->destination) && Exists(mover, step->source)) {
        moved = true;  // an earlier undo moved it and was stopped before saying so
        reason = "already back";
      } else {
        const platform::MoveResult result =
            platform::ShellMove(prompter, step->destination, step->source, mover);
        moved = result.moved;
        reason = result.reason;
        changed = changed || moved;
      }
      AppendRecord(fd.get(), journal_path,
                   Json{{"record", "undo-done"},
                        {"seq", step->sequence},
                        {"moved", moved},
                        {"reason", reason}});
      if (!moved) {
        prompter.ShowMessage(kMoveFailedText);
        ++failures;
      }
    }
    if (InterruptRequested()) return Interrupted(prompter, journal_path);

    for (const std::string& folder : CreatedFolders(journal)) {
      if (std::find(journal.removed_folders.begin(), journal.removed_folders.end(), folder) !=
          journal.removed_folders.end()) {
        continue;
      }
      const int error = mover.RemoveEmptyFolder(folder);
      if (error == ENOENT) continue;
      if (error != 0) {
        // Not empty: something failed to move back, or was put there since.
        prompter.ShowMessage(folder + ": " + InOutErrorText(platform::WindowsErrorNumber(error)));
        ++failures;
        continue;
      }
      changed = true;
      AppendRecord(fd.get(), journal_path, Json{{"record", "folder-removed"}, {"path", folder}});
    }
    if (failures == 0) AppendRecord(fd.get(), journal_path, Json{{"record", "undone"}});
  } catch (const Error& error) {
    prompter.ShowMessage(error.what());
    return changed ? 3 : 1;
  }

  prompter.ShowMessage(kMovedText);
  if (!quiet) {
    const std::string status = StatusLine(journal);
    if (!status.empty()) std::fprintf(stderr, "%s\n", status.c_str());
  }
  return failures == 0 ? 0 : 3;
}

}  // namespace morvick::cli
