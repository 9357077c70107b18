#include "cli/copy_verify.h"

#include "cli/cli_app.h"
#include "cli/cli_prompter.h"
#include "cli/interrupt.h"
#include "cli/output.h"
#include "cli/plan_view.h"
#include "cli/transfer_progress.h"
#include "commands/volume_copy.h"
#include "commands/volume_verify.h"
#include "platform/file_io.h"
#include "platform/folders.h"
#include "platform/real_path.h"
#include "platform/standard_streams.h"

#include <memory>
#include <optional>

namespace morvick::cli {
namespace {

void Message(const std::string& text) { WriteOutput(stderr, text + "\n"); }

std::unique_ptr<TransferProgress> MakeProgress(bool quiet, const char* tag) {
  if (quiet || !platform::IsTerminal(2)) return nullptr;
  return std::make_unique<TransferProgress>(stderr, tag);
}

std::int64_t PlannedBytes(const CopyPlan& plan) {
  std::int64_t total = 0;
  for (const TSplitEntry& entry : *plan.entries) {
    if (entry.Volume > 0 && !(plan.skip_last && entry.Volume == plan.volume_count)) {
      total += entry.Size;
    }
  }
  return total;
}

const char* FindingName(VerifyFinding::Kind kind) {
  switch (kind) {
    case VerifyFinding::Kind::Missing: return "missing";
    case VerifyFinding::Kind::Changed: return "changed";
    case VerifyFinding::Kind::Extra: return "extra";
  }
  return "";
}

}  // namespace

int CopyPlanned(const CommandState& state, const PlanSettings& settings, Prompter& prompter,
                const CopyCliOptions& options) {
  // The naming as move reads it from the same settings.
  const CopyPreparation prepared =
      PrepareCopy(prompter, state, MoveInputsOf(settings), settings.form.skip_last, options.link);
  const CopyPlan& plan = prepared.plan;
  switch (prepared.refusal) {
    case CopyRefusal::None: break;
    case CopyRefusal::Shown: return kExitRefused;
    case CopyRefusal::OutputInInput:
      Message("morvick-cli: the output folder " + plan.folders.output +
              " lies in the input folder " + plan.folders.input + ", which copy leaves as it is");
      return kExitRefused;
    case CopyRefusal::LinkAcrossFileSystems:
      Message("morvick-cli: --link needs the input and output folders on one file system");
      return kExitRefused;
  }
  if (prompter.ConfirmYesNo("よろしいですか？") != Answer::Yes) return kExitRefused;

  std::unique_ptr<TransferProgress> progress = MakeProgress(options.quiet, "[コピー中] ");
  const std::int64_t total = PlannedBytes(plan);
  CopyOptions copy;
  copy.method = options.link ? platform::CopyMethod::HardLink : platform::CopyMethod::Copy;
  copy.write_index = !options.no_index;
  copy.stop_requested = [] { return InterruptRequested() || OutputFailed(); };
  if (progress) {
    copy.copied = [&progress, total](std::int64_t bytes) { progress->Update(bytes, total); };
  }
  const CopyReport report = CopyVolumes(plan, copy);
  if (progress) progress->Finish();

  for (const CopyFailure& failure : report.failures) {
    Message("morvick-cli: cannot copy " + failure.path + ": " + failure.reason);
  }
  if (report.status == CopyReport::Status::Interrupted) {
    const bool output_failed = OutputFailed();
    Message(std::string("morvick-cli: ") +
            (output_failed ? "output could not be written; the copy stopped"
                           : "interrupted; the copy stopped between two files") +
            "; the same command finishes it");
    return output_failed ? kExitOutputFailed : kExitInterrupted;
  }
  if (!options.quiet) {
    std::string text = "morvick-cli: " + std::to_string(report.entries_copied) + " entries copied";
    if (report.files_kept > 0) {
      text += " (" + std::to_string(report.files_kept) + " files already complete)";
    }
    if (report.entries_failed > 0) {
      text += ", " + std::to_string(report.entries_failed) + " failed";
    }
    Message(text);
    if (!options.no_index) {
      Message("morvick-cli: set " + report.set_id + ", " + std::to_string(report.indexes.size()) +
              " volume indexes" + (report.catalogue_written ? ", catalogue in " : "") +
              (report.catalogue_written ? plan.folders.output : ""));
    }
  }
  if (OutputFailed()) return kExitOutputFailed;
  return report.status == CopyReport::Status::Done ? kExitDone : kExitSomeFailed;
}

int RunVerify(const std::string& target_text, bool quiet) {
  const InterruptGuard interrupt;
  const std::string target = platform::AbsolutePath(target_text);
  if (!platform::IsExistingFolder(target) && !platform::IsRegularFile(target)) {
    Message("morvick-cli: not a folder or an image file: " + target);
    return kExitRefused;
  }
  std::unique_ptr<TransferProgress> progress = MakeProgress(quiet, "[検証中] ");
  VerifyOptions options;
  options.stop_requested = [] { return InterruptRequested() || OutputFailed(); };
  if (progress) {
    options.progress = [&progress](std::int64_t done, std::int64_t total) {
      progress->Update(done, total);
    };
  }
  const VerifyReport report = VerifyVolume(target, options);
  if (progress) progress->Finish();
  if (report.status == VerifyReport::Status::NoIndex) {
    Message("morvick-cli: cannot verify: " + report.error);
    return kExitRefused;
  }
  if (report.status == VerifyReport::Status::Interrupted) {
    Message("morvick-cli: interrupted");
    return kExitInterrupted;
  }
  std::string out;
  for (const VerifyFinding& finding : report.findings) {
    out += std::string(FindingName(finding.kind)) + ": " + finding.path;
    if (!finding.detail.empty()) out += " (" + finding.detail + ")";
    out += '\n';
  }
  if (!WriteOutput(stdout, out)) return kExitOutputFailed;
  if (!quiet) {
    Message("morvick-cli: " + report.index.folder + ", volume " +
            std::to_string(report.index.volume) + " of " +
            std::to_string(report.index.volume_count) + " (set " + report.index.set_id +
            "): " + std::to_string(report.files_checked) + " files checked, " +
            (report.findings.empty() ? std::string("all match")
                                     : std::to_string(report.findings.size()) + " differences"));
  }
  return report.status == VerifyReport::Status::Match ? kExitDone : kExitSomeFailed;
}

}  // namespace morvick::cli
