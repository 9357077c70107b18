#include "cli/cli_app.h"

#include "cli/cli_prompter.h"
#include "cli/copy_verify.h"
#include "cli/image_command.h"
#include "cli/interrupt.h"
#include "cli/journal_undo.h"
#include "cli/output.h"
#include "cli/plan_output.h"
#include "cli/plan_settings.h"
#include "cli/plan_view.h"
#include "cli/progress.h"
#include "commands/journal_commands.h"
#include "commands/plan_commands.h"
#include "common/error.h"
#include "common/json_text.h"
#include "common/text_rules.h"
#include "engine/packing.h"
#include "platform/file_io.h"
#include "platform/real_path.h"
#include "platform/standard_streams.h"
#include "settings/settings_io.h"
#include "settings/settings_paths.h"
#include "version.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

namespace morvick::cli {
namespace {

// The options of plan and move as given; an option left out keeps the value
// of the settings file (--settings) or the window's default.
struct PlanOptions {
  std::string input;
  std::string output;
  std::string size = "650";
  std::string unit = "mbytes";
  std::string method = "0";
  std::string time_limit = "2";
  std::string cluster = "0";
  std::string base = "folder";
  int digits = 5;
  int start = 1;
  bool skip_last = false;
  std::string format = "table";
  bool yes = false;
  std::string journal;
  bool quiet = false;
  std::string settings_file;

  CLI::Option* input_option = nullptr;
  CLI::Option* output_option = nullptr;
  CLI::Option* size_option = nullptr;
  CLI::Option* unit_option = nullptr;
  CLI::Option* method_option = nullptr;
  CLI::Option* time_limit_option = nullptr;
  CLI::Option* cluster_option = nullptr;
  CLI::Option* base_option = nullptr;
  CLI::Option* digits_option = nullptr;
  CLI::Option* start_option = nullptr;
  CLI::Option* skip_last_option = nullptr;
};

constexpr const char* kFewestHelp =
    "Method 8, fewest, searches for the plan with the fewest volumes. It starts from\n"
    "first-fit decreasing and a lower bound on the number of volumes, and searches\n"
    "until the plan reaches the bound or --time-limit runs out. It never uses more\n"
    "volumes than first-fit, and the same entries give the same plan. Every plan\n"
    "shows the bound: on the last line of the table, and as \"lowerBound\" in JSON,\n"
    "with \"provenOptimal\" for fewest (true when no plan can use fewer volumes).";

// The commands that make a plan: plan prints it, move (with a journal) and
// copy carry it out below an OUTPUT.
enum class PlanCommand { Plan, Move, Copy, Image };

void AddPlanOptions(CLI::App& command, PlanOptions& options, PlanCommand kind) {
  const bool has_output = kind != PlanCommand::Plan;
  options.input_option =
      command.add_option("INPUT", options.input, "the folder whose top-level entries are split");
  if (has_output) {
    options.output_option =
        command.add_option("OUTPUT", options.output, "the folder that receives the volume folders");
  }
  options.size_option = command.add_option("--size", options.size, "split size (a 64-bit integer)")
                            ->capture_default_str();
  options.unit_option = command.add_option("--unit", options.unit, "unit of the split size")
                            ->check(CLI::IsMember({"mbytes", "bytes"}))
                            ->capture_default_str();
  options.method_option =
      command
          .add_option("--method", options.method,
                      "packing method: 0-8 or name-asc, name-desc, date-asc, date-desc, "
                      "kind-asc, kind-desc, first-fit, none, fewest")
          ->check(CLI::Validator(
              [](std::string& text) {
                return ParseMethod(text) ? std::string() : "not a packing method: " + text;
              },
              "METHOD"))
          ->capture_default_str();
  options.time_limit_option =
      command
          .add_option("--time-limit", options.time_limit,
                      "seconds the fewest method searches before it keeps the best plan found")
          ->check(CLI::Validator(
              [](std::string& text) {
                return ParseSeconds(text) ? std::string()
                                          : "not a number of seconds from 0 to 86400: " + text;
              },
              "SECONDS"))
          ->capture_default_str();
  options.cluster_option =
      command.add_option("--cluster", options.cluster, "cluster size in bytes, 0 for none")
          ->capture_default_str();
  options.base_option =
      command.add_option("--base", options.base, "base name of the volume folders")
          ->capture_default_str();
  options.digits_option =
      command.add_option("--digits", options.digits, "digits of the volume number")
          ->check(CLI::Range(1, 9))
          ->capture_default_str();
  options.start_option =
      command.add_option("--start", options.start, "number of the first volume folder")
          ->check(CLI::Range(1, 999999999))
          ->capture_default_str();
  const char* skip_last_help =
      "no effect on the plan; move, copy and image leave the last volume out";
  switch (kind) {
    case PlanCommand::Plan: break;
    case PlanCommand::Move:
      skip_last_help = "do not move the last volume (最終フォルダを移動しない)";
      break;
    case PlanCommand::Copy: skip_last_help = "do not copy the last volume"; break;
    case PlanCommand::Image: skip_last_help = "write no image of the last volume"; break;
  }
  options.skip_last_option = command.add_flag("--skip-last", options.skip_last, skip_last_help);
  command.add_option("--format", options.format, "output format of the plan")
      ->check(CLI::IsMember({"table", "tsv", "json"}))
      ->capture_default_str();
  command.add_option("--settings", options.settings_file,
                     "start from the values of this settings file");
  if (has_output) command.add_flag("--yes,-y", options.yes, "answer the confirmation with yes");
  if (kind == PlanCommand::Move) {
    command.add_option(
        "--journal", options.journal,
        "journal file to create (default: a new file in " + DefaultJournalFolder() + ")");
  }
  command.add_flag("--quiet,-q", options.quiet, "no progress line and no status lines");
  command.footer(kFewestHelp);
}

void Message(const std::string& text) { WriteOutput(stderr, text + "\n"); }

// The settings of a plan or move: the window's defaults, a settings file, then
// the options given. nullopt after a message when they cannot be used.
std::optional<PlanSettings> ResolveSettings(const PlanOptions& options, bool is_move,
                                            int& exit_status) {
  PlanSettings settings;
  if (!options.settings_file.empty()) {
    if (!platform::IsRegularFile(options.settings_file)) {
      Message("morvick-cli: no settings file " + options.settings_file);
      exit_status = kExitUsage;
      return std::nullopt;
    }
    settings.form = FormValuesOf(LoadSettings(options.settings_file));
  }
  FormValues& form = settings.form;
  if (options.input_option->count() > 0) form.input_text = options.input;
  if (is_move && options.output_option->count() > 0) form.output_text = options.output;
  if (options.size_option->count() > 0) form.split_size_text = options.size;
  if (options.unit_option->count() > 0) form.unit_index = options.unit == "bytes" ? 1 : 0;
  if (options.method_option->count() > 0) {
    form.method_index = *ParseMethod(options.method);
    form.fewest_volumes = false;  // the method given is the one used
  }
  if (options.time_limit_option->count() > 0) {
    settings.time_limit = *ParseSeconds(options.time_limit);
  }
  if (options.cluster_option->count() > 0) {
    form.cluster_text = options.cluster;
    form.cluster_typed = true;
  }
  if (options.base_option->count() > 0) form.base_name = options.base;
  if (options.digits_option->count() > 0) form.digits = options.digits;
  if (options.start_option->count() > 0) form.start_text = std::to_string(options.start);
  if (options.skip_last_option->count() > 0) form.skip_last = options.skip_last;

  if (form.input_text.empty() && options.input_option->count() == 0) {
    Message("morvick-cli: INPUT is required (or an InputPath in --settings)");
    exit_status = kExitUsage;
    return std::nullopt;
  }
  if (is_move && form.output_text.empty() && options.output_option->count() == 0) {
    Message("morvick-cli: OUTPUT is required (or an OutputPath in --settings)");
    exit_status = kExitUsage;
    return std::nullopt;
  }
  form.input_text = platform::AbsolutePath(form.input_text);
  form.output_text = platform::AbsolutePath(form.output_text);

  // The scan converts the cluster size as a 64-bit and the status line as a
  // 32-bit integer text; checked now rather than after the whole scan.
  if (!TryParseInt64(form.cluster_text) || !TryParseInt32(form.cluster_text)) {
    Message(ConversionError(form.cluster_text).what());
    exit_status = kExitRefused;
    return std::nullopt;
  }
  // A volume folder lies directly below the output folder.
  if (std::any_of(form.base_name.begin(), form.base_name.end(), platform::IsPathSeparator)) {
    Message(std::string("morvick-cli: the base name cannot contain \"") + platform::kPathSeparator +
            "\": " + form.base_name);
    exit_status = kExitRefused;
    return std::nullopt;
  }
  return settings;
}

OutputFormat FormatOf(const std::string& name) {
  if (name == "json") return OutputFormat::kJson;
  if (name == "tsv") return OutputFormat::kTsv;
  return OutputFormat::kTable;
}

PlanReport MakeReport(const CommandState& state, const CliPlanView& form,
                      const PlanSettings& settings) {
  PlanReport report;
  report.input = settings.form.input_text;
  report.capacity = state.SplitCapacity;
  report.method = settings.form.method_index;
  report.cluster = TryParseInt64(settings.form.cluster_text).value_or(0);
  report.volume_count = state.VolumeCount;
  report.grand_total = state.GrandTotal;
  report.lower_bound = state.LowerBound;
  report.proven_optimal = state.ProvenOptimal;
  report.cancelled = form.cancelled();
  report.entries = state.EntryList.get();
  const std::vector<std::int64_t> totals = ComputeVolumeTotals(*state.EntryList, state.VolumeCount);
  const std::vector<std::string>& folders = form.volume_folders();
  for (std::size_t i = 0; i < folders.size(); ++i) {
    report.volumes.push_back({static_cast<std::int32_t>(i + 1), folders[i], totals[i + 1], {}, -1});
  }
  report.status = form.status();
  return report;
}

// Writes to standard output; on failure says so on standard error.
bool WriteOut(const std::string& text) {
  if (WriteOutput(stdout, text)) return true;
  Message(std::string("morvick-cli: cannot write the output: ") + std::strerror(errno));
  return false;
}

// Runs Investigate and prints the plan. Returns the exit status when the
// command should end here (refusal, error), nullopt when a plan exists.
std::optional<int> Investigate(CommandState& state, CliPlanView& form, Prompter& prompter,
                               ScanProgress* progress, const PlanSettings& settings,
                               OutputFormat format, bool print = true) {
  try {
    InvestigateCommand(state, InvestigateInputsOf(settings), form, form, prompter,
                       PlatformPathRules());
  } catch (const Error& error) {
    if (progress) progress->Finish();
    prompter.ShowError(error.what());
    return kExitRefused;
  }
  if (progress) progress->Finish();
  if (!state.SearchDone) return kExitRefused;
  if (!print) return std::nullopt;
  // A plan nobody received is not a plan to move by.
  if (!WriteOut(FormatPlan(MakeReport(state, form, settings), format))) return kExitOutputFailed;
  return std::nullopt;
}

std::unique_ptr<ScanProgress> MakeProgress(bool quiet) {
  if (quiet || !platform::IsTerminal(2)) return nullptr;
  return std::make_unique<ScanProgress>(stderr);
}

int RunPlan(const PlanOptions& options) {
  int exit_status = kExitDone;
  const std::optional<PlanSettings> settings = ResolveSettings(options, false, exit_status);
  if (!settings) return exit_status;

  const InterruptGuard interrupt;
  CommandState state;
  CliPrompter prompter(ProcessConfirmPolicy(false), stderr, stdin);
  std::unique_ptr<ScanProgress> progress = MakeProgress(options.quiet);
  CliPlanView form(*settings, state, progress.get());
  if (const std::optional<int> status =
          Investigate(state, form, prompter, progress.get(), *settings, FormatOf(options.format))) {
    return *status;
  }
  if (OutputFailed()) return kExitOutputFailed;
  return form.cancelled() ? kExitInterrupted : kExitDone;
}

// What move and copy share: the settings, Ctrl-C, the question, and the plan
// printed before anything changes.
class PlannedCommand {
 public:
  PlannedCommand(PlanSettings settings, const PlanOptions& options)
      : settings_(std::move(settings)),
        prompter_(ProcessConfirmPolicy(options.yes), stderr, stdin),
        progress_(MakeProgress(options.quiet)),
        form_(settings_, state_, progress_.get()) {}

  // Plans and prints the plan. The exit status when the command ends there;
  // `what` names what an interrupted scan did not do ("moved").
  // `print` false leaves the printing to the caller.
  std::optional<int> Plan(const PlanOptions& options, const char* what, bool print = true) {
    if (const std::optional<int> status = Investigate(state_, form_, prompter_, progress_.get(),
                                                      settings_, FormatOf(options.format), print)) {
      return status;
    }
    if (form_.cancelled()) {
      Message(std::string("morvick-cli: the scan was interrupted; nothing was ") + what);
      return kExitInterrupted;
    }
    return std::nullopt;
  }

  const PlanSettings& settings() const { return settings_; }
  CommandState& state() { return state_; }
  CliPrompter& prompter() { return prompter_; }
  CliPlanView& form() { return form_; }

 private:
  const InterruptGuard interrupt_;
  PlanSettings settings_;
  CommandState state_;
  CliPrompter prompter_;
  std::unique_ptr<ScanProgress> progress_;
  CliPlanView form_;
};

int RunMove(const PlanOptions& options) {
  int exit_status = kExitDone;
  std::optional<PlanSettings> settings = ResolveSettings(options, true, exit_status);
  if (!settings) return exit_status;
  PlannedCommand command(std::move(*settings), options);
  if (const std::optional<int> status = command.Plan(options, "moved")) return *status;
  CommandState& state = command.state();
  CliPrompter& prompter = command.prompter();
  CliPlanView& form = command.form();

  bool journal_begun = false;
  MoveOptions move_options;
  if (options.journal.empty()) {
    move_options.journal_folder = DefaultJournalFolder();
  } else {
    move_options.journal_path = platform::AbsolutePath(options.journal);
  }
  move_options.front_end = FrontEnd::CommandLine;
  move_options.journal_begun = [&journal_begun](const std::string& path) {
    journal_begun = true;
    Message("morvick-cli: journal: " + path);
  };
  // A message that could not be written stops the move after the entry in
  // progress, as Ctrl-C does.
  move_options.stop_requested = [] { return InterruptRequested() || OutputFailed(); };
  MoveReport report;
  try {
    report = MoveCommand(state, MoveInputsOf(command.settings()), form, form, prompter,
                         PlatformPathRules(), move_options);
  } catch (const Error& error) {
    prompter.ShowError(error.what());
    return journal_begun ? kExitSomeFailed : kExitRefused;
  }
  switch (report.status) {
    case MoveReport::Status::JournalFailed:
      Message("morvick-cli: " + report.error);
      return kExitRefused;
    case MoveReport::Status::Interrupted: {
      const bool output_failed = OutputFailed();
      Message(std::string("morvick-cli: ") +
              (output_failed ? "output could not be written; the move stopped" : "interrupted") +
              "; what was moved can be taken back with: morvick-cli undo " + report.journal_path);
      return output_failed ? kExitOutputFailed : kExitInterrupted;
    }
    case MoveReport::Status::Refused: return InterruptRequested() ? kExitInterrupted : kExitRefused;
    case MoveReport::Status::Done:
    case MoveReport::Status::SomeFailed: break;
  }
  if (!options.quiet) Message(form.status());
  if (OutputFailed()) return kExitOutputFailed;
  return report.status == MoveReport::Status::SomeFailed ? kExitSomeFailed : kExitDone;
}

int RunCopy(const PlanOptions& options, const CopyCliOptions& copy_options) {
  int exit_status = kExitDone;
  std::optional<PlanSettings> settings = ResolveSettings(options, true, exit_status);
  if (!settings) return exit_status;
  PlannedCommand command(std::move(*settings), options);
  if (const std::optional<int> status = command.Plan(options, "copied")) return *status;
  CopyCliOptions copying = copy_options;
  copying.quiet = options.quiet;
  const int status = CopyPlanned(command.state(), command.settings(), command.prompter(), copying);
  return status == kExitRefused && InterruptRequested() ? kExitInterrupted : status;
}

int RunImage(const PlanOptions& options, const ImageCliOptions& image_options) {
  if (!ImagesAvailable()) {
    Message(
        "morvick-cli: image is not available on this system: it needs libisofs, which is "
        "not built for Windows");
    return kExitRefused;
  }
  int exit_status = kExitDone;
  std::optional<PlanSettings> settings = ResolveSettings(options, true, exit_status);
  if (!settings) return exit_status;
  if (const std::optional<std::int64_t> capacity = MediaCapacity(image_options.media)) {
    settings->form.split_size_text = std::to_string(*capacity);
    settings->form.unit_index = 1;
  }
  PlannedCommand command(std::move(*settings), options);
  if (const std::optional<int> status = command.Plan(options, "written", false)) return *status;
  ImageCliOptions imaging = image_options;
  imaging.quiet = options.quiet;
  CommandState& state = command.state();
  const auto print = [&](std::vector<VolumeReport> volumes) -> std::optional<int> {
    PlanReport report = MakeReport(state, command.form(), command.settings());
    report.volumes = std::move(volumes);
    report.status = StatusTotalsText(state, command.settings().form.cluster_text, kSearchEndTag,
                                     kInvestigateUnit);
    if (!WriteOut(FormatPlan(report, FormatOf(options.format)))) return kExitOutputFailed;
    return std::nullopt;
  };
  const int status = ImagePlanned(state, command.settings(), command.prompter(), imaging, print);
  return status == kExitRefused && InterruptRequested() ? kExitInterrupted : status;
}

int RunUndo(const std::string& journal_path, bool yes, bool quiet) {
  const InterruptGuard interrupt;
  CliPrompter prompter(ProcessConfirmPolicy(yes), stderr, stdin);
  return UndoFromJournal(platform::AbsolutePath(journal_path), prompter, quiet);
}

int RunSettings(const std::string& file_option) {
  const std::string path =
      file_option.empty() ? SettingsFilePath() : platform::AbsolutePath(file_option);
  const bool exists = platform::IsRegularFile(path);
  if (!exists && !file_option.empty()) {
    Message("morvick-cli: no settings file " + path);
    return kExitUsage;
  }
  const SettingsValues values = LoadSettings(exists ? path : std::string());
  Json document{{"file", exists ? Json(path) : Json(nullptr)},
                {"Size", values.size},
                {"InputPath", values.input_path},
                {"OutputPath", values.output_path},
                {"BaseName", values.base_name},
                {"Figure", values.figure},
                {"Packing", values.packing},
                {"Scale", values.scale},
                {"ClusterSize", values.cluster_size},
                {"Seq", values.seq},
                {"SeqFlag", values.seq_flag},
                {"MoveFlag", values.move_flag},
                {"FewestVolumes", values.fewest_volumes}};
  return WriteOut(DumpJson(document, 2) + '\n') ? kExitDone : kExitOutputFailed;
}

}  // namespace

int RunCli(int argc, char** argv) {
  CLI::App app("Morvick splits the top-level entries of a folder into numbered volume folders.",
               "morvick-cli");
  app.set_version_flag("--version", std::string("morvick-cli ") + kVersion);
  app.footer(kExitStatusHelp);
  app.require_subcommand(1);

  PlanOptions plan_options;
  CLI::App* plan = app.add_subcommand("plan", "scan INPUT and print the plan");
  AddPlanOptions(*plan, plan_options, PlanCommand::Plan);

  PlanOptions move_options;
  CLI::App* move = app.add_subcommand(
      "move", "scan INPUT, print the plan and move its entries into volume folders below OUTPUT");
  AddPlanOptions(*move, move_options, PlanCommand::Move);

  PlanOptions copy_options;
  CopyCliOptions copy_flags;
  CLI::App* copy = app.add_subcommand(
      "copy",
      "scan INPUT, print the plan and copy its entries into volume folders below OUTPUT, with an "
      "index on every volume; INPUT stays as it is");
  AddPlanOptions(*copy, copy_options, PlanCommand::Copy);
  copy->add_flag("--link", copy_flags.link, "hard links instead of copies (one file system)");
  copy->add_flag("--no-index", copy_flags.no_index,
                 "write no index on the volumes and no catalogue");

  PlanOptions image_options;
  ImageCliOptions image_flags;
  CLI::App* image = app.add_subcommand(
      "image",
      "scan INPUT, plan by what every entry takes in a disc image, print the plan with each "
      "image's exact size and write one ISO 9660 image (Rock Ridge, Joliet) per volume into "
      "OUTPUT, with an index in every image; INPUT stays as it is");
  AddPlanOptions(*image, image_options, PlanCommand::Image);
  image
      ->add_option("--media", image_flags.media,
                   "the capacity of a medium instead of --size: " + MediaNames())
      ->check(CLI::IsMember({"cd74", "cd80", "dvd", "dvd-dl", "bd25", "bd50"}))
      ->excludes(image_options.size_option);
  image->add_flag("--no-index", image_flags.no_index,
                  "write no index into the images and no catalogue");

  std::string verify_target;
  bool verify_quiet = false;
  CLI::App* verify =
      app.add_subcommand("verify",
                         "read every file of a copied volume or an image again and check it "
                         "against the volume's index");
  verify
      ->add_option("TARGET", verify_target,
                   "a volume folder, a mounted disc or an image file, with its index")
      ->required();
  verify->add_flag("--quiet,-q", verify_quiet, "no progress line and no summary");

  std::string journal_path;
  bool undo_yes = false;
  bool undo_quiet = false;
  CLI::App* undo = app.add_subcommand("undo", "take back the move recorded in JOURNAL");
  undo->add_option("JOURNAL", journal_path, "the journal printed by move")->required();
  undo->add_flag("--yes,-y", undo_yes, "answer the confirmation with yes");
  undo->add_flag("--quiet,-q", undo_quiet, "no status line");

  std::string settings_file;
  CLI::App* settings =
      app.add_subcommand("settings", "print the settings the window would load, as JSON");
  settings->add_option("--file", settings_file,
                       "settings file to read (default: " + SettingsFilePath() + ")");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? kExitDone : kExitUsage;
  }

  if (plan->parsed()) return RunPlan(plan_options);
  if (move->parsed()) return RunMove(move_options);
  if (copy->parsed()) return RunCopy(copy_options, copy_flags);
  if (image->parsed()) return RunImage(image_options, image_flags);
  if (verify->parsed()) return RunVerify(verify_target, verify_quiet);
  if (undo->parsed()) return RunUndo(journal_path, undo_yes, undo_quiet);
  return RunSettings(settings_file);
}

}  // namespace morvick::cli
