#include "moving/journal_writer.h"

#include "moving/journal_files.h"
#include "moving/journal_format.h"
#include "moving/journal_reader.h"
#include "platform/real_path.h"

namespace morvick {

void JournalWriter::Create() {
  // Journals name the user's folders: only the user may look into theirs.
  const bool default_folder = platform::ParentFolder(path_) == DefaultJournalFolder();
  file_.emplace(platform::RecordFile::Create(path_, default_folder, made_folders_));
  file_->TryLock();
}

Journal JournalWriter::Open() {
  file_.emplace(platform::RecordFile::Open(path_));
  if (!file_->IsPrivateToUser()) {
    file_.reset();
    throw JournalNotPrivateError(path_);
  }
  if (!file_->TryLock()) {
    file_.reset();
    throw JournalBusyError(path_);
  }
  Journal journal;
  try {
    journal = ReadJournal(*file_);
  } catch (const Error&) {
    if (StoppedBeforeThePlan(*file_)) throw JournalWithoutPlanError(path_);
    throw;
  }
  sequence_ = static_cast<std::int64_t>(journal.steps.size());
  begun_ = true;
  if (!journal.damaged_before_end) cut_to_ = journal.complete_length;
  return journal;
}

void JournalWriter::DiscardIfUnused() {
  if (file_ && !begun_) {
    file_->Remove(made_folders_);
    file_.reset();
  }
}

void JournalWriter::Close() { file_.reset(); }

void JournalWriter::Append(const Json& record) {
  if (!file_) throw Error("the journal is not open: " + path_);
  if (cut_to_) {
    file_->Truncate(*cut_to_);
    cut_to_.reset();
  }
  file_->Append(JournalLine(record));
}

std::int64_t JournalWriter::WriteIntent(const MoveStep& step) {
  Append(IntentRecord(sequence_ + 1, step));
  return ++sequence_;
}

void JournalWriter::WriteOutcome(std::int64_t sequence, bool moved) {
  Append(OutcomeRecord(RecordKind::Done, sequence, moved));
}

void JournalWriter::WriteUndoIntent(std::int64_t sequence) {
  Append(StepRecord(RecordKind::UndoIntent, sequence));
}

void JournalWriter::WriteUndoOutcome(std::int64_t sequence, bool moved) {
  Append(OutcomeRecord(RecordKind::UndoDone, sequence, moved));
}

void JournalWriter::WriteFolderRemoved(const std::string& path) {
  Append(FolderRemovedRecord(path));
}

void JournalWriter::WriteMark(RecordKind kind) { Append(MarkRecord(kind)); }

}  // namespace morvick
