#include "commands/journal_commands.h"

#include "common/error.h"
#include "common/path_messages.h"
#include "moving/journal_check.h"
#include "moving/journal_writer.h"
#include "moving/move_engine.h"
#include "platform/folders.h"
#include "platform/real_path.h"

namespace morvick {
namespace {

using Status = JournalUndoReport::Status;
using Refusal = JournalUndoReport::Refusal;

JournalUndoReport Refused(Refusal refusal, std::string detail = {}) {
  JournalUndoReport report;
  report.refusal = refusal;
  report.detail = std::move(detail);
  return report;
}

}  // namespace

JournalUndoReport UndoJournal(const std::string& journal_path, Prompter& prompter,
                              const JournalUndoOptions& options) {
  platform::FileMover& mover = options.mover ? *options.mover : platform::RealFileMover();
  JournalWriter writer(journal_path);
  Journal journal;
  try {
    journal = writer.Open();
  } catch (const JournalBusyError&) {
    return Refused(Refusal::Busy);
  } catch (const JournalNotPrivateError& error) {
    return Refused(Refusal::NotPrivate, error.what());
  } catch (const JournalWithoutPlanError&) {
    JournalUndoReport report;
    report.status = Status::NothingMoved;
    return report;
  } catch (const Error& error) {
    return Refused(Refusal::Unreadable, error.what());
  }
  JournalUndoReport report;
  report.plan = journal.plan;
  if (journal.undone) return (report.refusal = Refusal::AlreadyUndone, report);
  if (const std::optional<std::string> fault = CheckJournalAgainstPlan(journal)) {
    report.refusal = Refusal::NotItsPlan;
    report.detail = *fault;
    return report;
  }
  if (!platform::IsSameFileSystem(journal.plan.folders.input, journal.plan.folders.output)) {
    return (report.refusal = Refusal::TwoDrives, report);
  }
  // The folders are held from here on; every step acts through them.
  std::string unheld;
  const std::unique_ptr<HeldFolders> folders = HeldFolders::Hold(journal.plan.folders, unheld);
  if (!folders) {
    report.refusal = Refusal::NotItsPlan;
    report.detail = "the folder cannot be opened as it was: " + unheld;
    return report;
  }
  if (options.confirm) {
    const JournalUndoPreview preview{journal.plan, StepsToTakeBack(journal, mover, *folders).size(),
                                     journal.damaged_before_end ? journal.damaged_line : 0};
    if (!options.confirm(preview)) return (report.refusal = Refusal::Declined, report);
  }
  // Again after the question: a folder replaced while it was asked is refused.
  if (const std::optional<std::string> fault = CheckJournalAgainstPlan(journal, *folders)) {
    report.refusal = Refusal::NotItsPlan;
    report.detail = *fault;
    return report;
  }

  MoveEngine engine(prompter, mover);
  writer.WriteMark(RecordKind::UndoBegun);
  try {
    report.counts = engine.TakeBackJournal(journal, *folders, writer, options.stop_requested,
                                           report.folder_failures);
  } catch (const InterruptedError&) {
    report.status = Status::Interrupted;
    return report;
  } catch (const Error& error) {
    // The journal could not be written: stop before the next step.
    prompter.ShowMessage(error.what());
    report.status = report.counts.moved > 0 ? Status::SomeFailed : Status::Refused;
    return report;
  }
  writer.WriteMark(RecordKind::UndoEnd);
  const bool all_back = report.counts.failed == 0 && report.folder_failures == 0 &&
                        !journal.damaged_before_end &&
                        StepsToTakeBack(journal, mover, *folders).empty();
  if (all_back) writer.WriteMark(RecordKind::Undone);
  report.status = all_back ? Status::Done : Status::SomeFailed;
  return report;
}

bool DeclineRecovery(const std::string& journal_path) {
  try {
    JournalWriter writer(journal_path);
    const Journal journal = writer.Open();
    if (journal.damaged_before_end) return false;
    writer.WriteMark(RecordKind::RecoveryDeclined);
    return true;
  } catch (const Error&) {
    return false;
  }
}

std::string RecoveryQuestion(const InterruptedJournal& found) {
  return std::string(found.undo ? "前回のUndoが中断されました。最後まで戻しますか？"
                                : "前回の移動が中断されました。元に戻しますか？") +
         "\n入力フォルダ: " + platform::JoinPath(found.journal.plan.folders.input, "") +
         "\n出力フォルダ: " + platform::JoinPath(found.journal.plan.folders.output, "");
}

std::string RecoveryResultText(const JournalUndoReport& report) {
  switch (report.status) {
    case Status::Done:
    case Status::SomeFailed:
    case Status::Interrupted: {
      std::string text =
          std::to_string(report.counts.moved) + " 個の項目を入力フォルダへ戻しました。";
      if (report.counts.failed > 0 || report.folder_failures > 0) {
        text += "\n" + std::to_string(report.counts.failed + report.folder_failures) +
                " 個の項目を戻せませんでした。";
      }
      return text;
    }
    case Status::NothingMoved: return "移動は始まる前に中断されました。戻すものはありません。";
    case Status::Refused: break;
  }
  switch (report.refusal) {
    case Refusal::Busy: return "更新中の為、処理できません。";
    case Refusal::AlreadyUndone: return "Undoが終了してる為、処理できません。";
    case Refusal::TwoDrives: return path_messages::kSameDrive;
    case Refusal::NotItsPlan:
      return "移動の記録が計画と合わない為、何も移動していません。\n" + report.detail;
    case Refusal::Unreadable: return "移動の記録を読めません。\n" + report.detail;
    case Refusal::NotPrivate:
      return "移動の記録が他のユーザーのものか、他のユーザーが書き換えられる為、使えません。\n" +
             report.detail;
    case Refusal::Declined:
    case Refusal::None: break;
  }
  return {};
}

void OfferRecovery(const std::string& journal_folder, Prompter& prompter) {
  for (const InterruptedJournal& found : FindInterruptedWindowJournals(journal_folder)) {
    if (prompter.ConfirmYesNo(RecoveryQuestion(found)) != Answer::Yes) {
      DeclineRecovery(found.path);
      continue;
    }
    const JournalUndoReport report = UndoJournal(found.path, prompter, {});
    prompter.ShowMessage(RecoveryResultText(report));
  }
}

}  // namespace morvick
