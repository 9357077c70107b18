#include "cli/image_command.h"

#include "cli/cli_app.h"
#include "cli/interrupt.h"
#include "cli/output.h"
#include "cli/plan_view.h"
#include "cli/transfer_progress.h"
#include "common/text_rules.h"
#include "platform/standard_streams.h"

#if MORVICK_DISC_IMAGES
#include "commands/volume_copy.h"
#include "commands/volume_image.h"
#include "platform/file_copy.h"
#include "platform/real_path.h"
#endif

#include <cerrno>
#include <cstring>
#include <memory>

namespace morvick::cli {
namespace {

void Message(const std::string& text) { WriteOutput(stderr, text + "\n"); }

struct Media {
  const char* name;
  std::int64_t sectors;
};
// 2048-byte sectors; where two formats differ, the smaller.
constexpr Media kMedia[] = {{"cd74", 333000},    {"cd80", 360000},   {"dvd", 2295104},
                            {"dvd-dl", 4171712}, {"bd25", 12219392}, {"bd50", 24438784}};

}  // namespace

std::optional<std::int64_t> MediaCapacity(const std::string& media) {
  for (const Media& known : kMedia) {
    if (media == known.name) return known.sectors * 2048;
  }
  return std::nullopt;
}

std::string MediaNames() {
  std::string names;
  for (const Media& known : kMedia) names += std::string(names.empty() ? "" : ", ") + known.name;
  return names;
}

#if !MORVICK_DISC_IMAGES

bool ImagesAvailable() { return false; }

int ImagePlanned(CommandState&, const PlanSettings&, Prompter&, const ImageCliOptions&,
                 const std::function<std::optional<int>(std::vector<VolumeReport>)>&) {
  Message("morvick-cli: image is not available in this build: it needs libisofs");
  return kExitRefused;
}

#else

bool ImagesAvailable() { return true; }

int ImagePlanned(CommandState& state, const PlanSettings& settings, Prompter& prompter,
                 const ImageCliOptions& options,
                 const std::function<std::optional<int>(std::vector<VolumeReport>)>& print) {
  // The folders are checked as for a copy: the output may not lie in the input.
  const CopyPreparation prepared =
      PrepareCopy(prompter, state, MoveInputsOf(settings), settings.form.skip_last, false);
  switch (prepared.refusal) {
    case CopyRefusal::None: break;
    case CopyRefusal::OutputInInput:
      Message("morvick-cli: the output folder " + prepared.plan.folders.output +
              " lies in the input folder " + prepared.plan.folders.input +
              ", which image leaves as it is");
      return kExitRefused;
    default: return kExitRefused;
  }
  const platform::ItemStatus::Kind output_kind =
      platform::RealFileCopier().Status(prepared.plan.folders.output).kind;
  if (output_kind != platform::ItemStatus::Kind::Missing &&
      output_kind != platform::ItemStatus::Kind::Folder) {
    Message("morvick-cli: the output is not a folder: " + prepared.plan.folders.output);
    return kExitRefused;
  }
  ImageInputs inputs;
  inputs.input = prepared.plan.folders.input;
  inputs.output = prepared.plan.folders.output;
  inputs.naming = prepared.plan.naming;
  inputs.capacity = state.SplitCapacity;
  inputs.method = settings.form.method_index;
  inputs.limits.seconds = settings.time_limit;
  inputs.skip_last = settings.form.skip_last;
  inputs.write_index = !options.no_index;

  ImagePlan plan = PlanImages(state, inputs);
  if (!plan.error.empty()) {
    Message("morvick-cli: cannot plan the images: " + plan.error);
    return kExitRefused;
  }
  std::vector<VolumeReport> volumes;
  for (const PlannedImage& image : plan.images) {
    volumes.push_back({image.volume, inputs.naming.FolderName(image.volume), image.planned,
                       image.name, image.exact});
  }
  if (const std::optional<int> status = print(std::move(volumes))) return *status;
  for (const std::string& problem : plan.unreadable) {
    Message("morvick-cli: not in any image: " + problem);
  }
  for (const Handover& handover : plan.handovers) {
    Message("morvick-cli: " + handover.name +
            (handover.to == 0 ? std::string(" does not fit in an image of its own; it is left out")
             : handover.from == 0
                 ? " fits in an image of its own: volume " + std::to_string(handover.to)
                 : " handed on from volume " + std::to_string(handover.from) + " to volume " +
                       std::to_string(handover.to) + ": the image would pass the capacity"));
  }
  if (!plan.joliet_shortened.empty()) {
    Message(
        "morvick-cli: warning: Joliet keeps 64 characters of a name; these are shortened "
        "there (Rock Ridge keeps them whole):");
    for (const std::string& path : plan.joliet_shortened) Message("  " + path);
  }
  if (plan.images.empty()) {
    const bool none = !state.EntryList || state.EntryList->empty();
    Message(none ? "morvick-cli: the input folder is empty; no image was written"
                 : "morvick-cli: no entry fits in an image; nothing was written");
    return none ? kExitDone : kExitSomeFailed;
  }
  if (prompter.ConfirmYesNo("よろしいですか？") != Answer::Yes) return kExitRefused;

  // The output folder and those on the way to it.
  platform::FileCopier& files = platform::RealFileCopier();
  std::vector<std::string> missing;
  for (std::string path = inputs.output;
       !platform::IsRootPath(path) &&
       files.Status(path).kind == platform::ItemStatus::Kind::Missing;
       path = platform::ParentFolder(path)) {
    missing.push_back(path);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (const int error = files.MakeFolder(*it); error != 0 && error != EEXIST) {
      Message("morvick-cli: cannot make " + *it + ": " + std::strerror(error));
      return kExitSomeFailed;
    }
  }

  std::unique_ptr<TransferProgress> progress;
  if (!options.quiet && platform::IsTerminal(2)) {
    progress = std::make_unique<TransferProgress>(stderr, "[イメージ作成中] ");
  }
  ImageWriteOptions write;
  write.stop_requested = [] { return InterruptRequested() || OutputFailed(); };
  if (progress) {
    write.progress = [&progress](std::int64_t done, std::int64_t total) {
      progress->Update(done, total);
    };
  }
  const ImageWriteReport report = WriteImages(plan, inputs, write);
  if (progress) progress->Finish();
  if (report.leftovers_removed > 0 && !options.quiet) {
    Message("morvick-cli: removed " + std::to_string(report.leftovers_removed) +
            " partial image(s) left in " + inputs.output + " by an interrupted run");
  }
  switch (report.status) {
    case ImageWriteReport::Status::Done: break;
    case ImageWriteReport::Status::Exists:
      Message("morvick-cli: " + report.failed_path + " exists; not replaced" +
              (report.written.empty() ? "; nothing was written" : ""));
      return kExitSomeFailed;
    case ImageWriteReport::Status::Failed:
      Message("morvick-cli: cannot write " + report.failed_path + ": " + report.reason);
      return kExitSomeFailed;
    case ImageWriteReport::Status::Interrupted:
      Message(std::string("morvick-cli: ") +
              (OutputFailed() ? "output could not be written" : "interrupted") + "; " +
              report.failed_path + " was not written");
      return OutputFailed() ? kExitOutputFailed : kExitInterrupted;
  }
  if (!options.quiet) {
    Message("morvick-cli: " + std::to_string(report.written.size()) + " images written" +
            (report.catalogue_written ? ", set " + plan.set_id + ", catalogue in " + inputs.output
                                      : std::string()));
  }
  if (OutputFailed()) return kExitOutputFailed;
  return plan.unreadable.empty() ? kExitDone : kExitSomeFailed;
}

#endif

}  // namespace morvick::cli
