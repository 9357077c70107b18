#include "moving/journal_files.h"

#include "common/error.h"
#include "moving/journal_reader.h"
#include "platform/known_folders.h"
#include "platform/local_time.h"
#include "platform/real_path.h"
#include "platform/record_file.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace morvick {
namespace {

constexpr std::size_t kFrontEndWithin = 512;
constexpr std::string_view kWindowFrontEnd = "\"frontEnd\":\"window\"";
// Moves started within one second share a time stamp; far more than any user
// starts, and a bound for a folder whose names cannot be looked at.
constexpr int kNamesPerSecond = 1000;

}  // namespace

std::string DefaultJournalFolder() { return platform::UserStateFolder(); }

std::string NewJournalPath(const std::string& folder) {
  const platform::PathKind kind = platform::KindOf(folder);
  if (kind != platform::PathKind::Folder && kind != platform::PathKind::Missing) {
    throw Error("cannot keep journals in " + folder + ": not a folder");
  }
  const auto free = [&folder](const std::string& path) {
    const platform::PathKind taken = platform::KindOf(path);
    // A folder that cannot be looked into gives no free name, ever.
    if (taken == platform::PathKind::Unknown) {
      throw Error("cannot keep journals in " + folder + ": the folder cannot be searched");
    }
    return taken == platform::PathKind::Missing;
  };
  const std::optional<platform::LocalTime> local =
      platform::LocalTimeOf(static_cast<std::int64_t>(std::time(nullptr)));
  char stamp[32] = "00000000-000000";
  if (local) {
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", local->year, local->month,
                  local->day, local->hour, local->minute, local->second);
  }
  const std::string base = platform::JoinPath(folder, std::string("move-") + stamp);
  std::string path = base + ".jsonl";
  for (int n = 2; n <= kNamesPerSecond; ++n) {
    if (free(path)) return path;
    path = base + "-" + std::to_string(n) + ".jsonl";
  }
  throw Error("cannot name a new journal in " + folder);
}

std::vector<InterruptedJournal> FindInterruptedWindowJournals(const std::string& folder) {
  std::vector<platform::FolderFile> files = platform::FilesInFolder(folder, ".jsonl");
  // Newest first; the names hold the time of the move to the second.
  std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
    return a.mtime_ns != b.mtime_ns ? a.mtime_ns > b.mtime_ns : a.path > b.path;
  });
  std::vector<InterruptedJournal> found;
  for (const platform::FolderFile& candidate : files) {
    try {
      platform::RecordFile file = platform::RecordFile::Open(candidate.path);
      if (!file.IsPrivateToUser()) continue;
      // The front end stands near the start of the plan record; a journal of
      // morvick-cli (possibly of a million entries) is not read further.
      if (file.ReadHead(kFrontEndWithin).find(kWindowFrontEnd) == std::string::npos) continue;
      Journal journal = ReadJournal(file);
      if (journal.undone || journal.recovery_declined) continue;
      const bool undo_cut_short = journal.UndoCutShort();
      if (journal.move_ended && !undo_cut_short) continue;
      // A move or undo still running in another window holds the lock.
      if (!file.TryLock()) continue;
      found.push_back({candidate.path, undo_cut_short, std::move(journal)});
    } catch (const Error&) {
      continue;
    }
  }
  return found;
}

}  // namespace morvick
