#include "cli/journal.h"

#include "cli/interrupt.h"
#include "version.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace morvick::cli {
namespace {

constexpr int kJournalFormat = 1;

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return "/";
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

// Makes `folder` and its missing parents, private to the user; `made` gets
// the folders it made, outermost first.
void MakeFolders(const std::string& folder, std::vector<std::string>& made) {
  if (folder.empty() || Exists(folder)) return;
  MakeFolders(ParentOf(folder), made);
  if (mkdir(folder.c_str(), 0700) != 0) {
    if (errno == EEXIST) return;
    throw Error("morvick-cli: cannot create the folder " + folder + ": " + std::strerror(errno));
  }
  made.push_back(folder);
}

// The folders that a move to `destination` will create, outermost first.
std::vector<std::string> MissingParents(const std::string& destination) {
  std::vector<std::string> missing;
  for (std::string folder = ParentOf(destination); folder != "/" && folder != ".";
       folder = ParentOf(folder)) {
    if (Exists(folder)) break;
    missing.insert(missing.begin(), folder);
  }
  return missing;
}

[[noreturn]] void Damaged(std::size_t line, const std::string& what) {
  throw Error("morvick-cli: the journal is damaged at line " + std::to_string(line) + ": " + what);
}

const Json& Field(const Json& record, const char* key, std::size_t line) {
  const auto it = record.find(key);
  if (it == record.end()) Damaged(line, std::string("missing \"") + key + "\"");
  return *it;
}

std::string TextField(const Json& record, const char* key, std::size_t line) {
  const Json& value = Field(record, key, line);
  if (!value.is_string()) Damaged(line, std::string("\"") + key + "\" is not a text");
  return value.get<std::string>();
}

std::int64_t IntField(const Json& record, const char* key, std::size_t line) {
  const Json& value = Field(record, key, line);
  if (!value.is_number_integer()) Damaged(line, std::string("\"") + key + "\" is not a number");
  return value.get<std::int64_t>();
}

bool BoolField(const Json& record, const char* key, std::size_t line) {
  const Json& value = Field(record, key, line);
  if (!value.is_boolean()) Damaged(line, std::string("\"") + key + "\" is not true or false");
  return value.get<bool>();
}

JournalStep& StepOf(Journal& journal, std::int64_t sequence, std::size_t line) {
  // Sequence numbers count from 1 in the order of the intents.
  if (sequence < 1 || static_cast<std::size_t>(sequence) > journal.steps.size()) {
    Damaged(line, "unknown entry " + std::to_string(sequence));
  }
  return journal.steps[static_cast<std::size_t>(sequence - 1)];
}

}  // namespace

std::string DefaultJournalFolder() {
  const char* state_home = std::getenv("XDG_STATE_HOME");
  if (state_home && state_home[0] == '/') return std::string(state_home) + "/morvick";
  return HomeFolder() + "/.local/state/morvick";
}

std::string NewJournalPath(const std::string& folder) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string base = folder + "/move-" + stamp;
  std::string path = base + ".jsonl";
  for (int n = 2; Exists(path); ++n) path = base + "-" + std::to_string(n) + ".jsonl";
  return path;
}

FileDescriptor::~FileDescriptor() {
  if (fd_ >= 0) close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = other.release();
  }
  return *this;
}

void AppendRecord(int fd, const std::string& path, const Json& record) {
  const std::string line = DumpJson(record) + '\n';
  std::size_t written = 0;
  while (written < line.size()) {
    const ssize_t n = write(fd, line.data() + written, line.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      throw Error("morvick-cli: cannot write the journal " + path + ": " + std::strerror(errno));
    }
    written += static_cast<std::size_t>(n);
  }
  while (fdatasync(fd) != 0) {
    if (errno != EINTR) {
      throw Error("morvick-cli: cannot write the journal " + path + ": " + std::strerror(errno));
    }
  }
}

JournalWriter::JournalWriter(std::string path, PlanFacts facts, bool announce)
    : path_(std::move(path)), facts_(std::move(facts)), announce_(announce) {}

void JournalWriter::Create() {
  const std::string folder = ParentOf(path_);
  MakeFolders(folder, made_folders_);
  fd_ =
      FileDescriptor(open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600));
  if (!fd_) {
    throw Error("morvick-cli: cannot create the journal " + path_ + ": " + std::strerror(errno));
  }
  // Held until the process ends, so that an undo cannot start during the move.
  flock(fd_.get(), LOCK_EX | LOCK_NB);
  // The file's name must survive a crash as well as its records.
  const FileDescriptor dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir) fsync(dir.get());
}

void JournalWriter::DiscardIfUnused() {
  if (fd_ && !begun_) {
    unlink(path_.c_str());
    fd_ = FileDescriptor();
    for (auto it = made_folders_.rbegin(); it != made_folders_.rend(); ++it) rmdir(it->c_str());
    made_folders_.clear();
  }
}

void JournalWriter::CommandBegun(const MoveInputs& inputs) {
  const CommandState& state = *facts_.state;
  Json entries = Json::array();
  for (const auto& entry : *state.EntryList) {
    entries.push_back(
        Json{{"volume", entry->Volume}, {"name", entry->Name}, {"size", entry->Size}});
  }
  AppendRecord(fd_.get(), path_,
               Json{{"record", "plan"},
                    {"format", kJournalFormat},
                    {"program", std::string("morvick-cli ") + kVersion},
                    {"input", inputs.input_path},
                    {"output", inputs.output_path},
                    {"baseName", inputs.base_name},
                    {"digits", inputs.digits},
                    {"start", inputs.start_number},
                    {"volumeCount", inputs.volume_count},
                    {"grandTotal", state.GrandTotal},
                    {"cluster", facts_.cluster_text},
                    {"method", facts_.method},
                    {"skipLast", facts_.skip_last},
                    {"entries", std::move(entries)}});
  begun_ = true;
  if (announce_) std::fprintf(stderr, "morvick-cli: journal: %s\n", path_.c_str());
}

void JournalWriter::BeforeMove(const MoveStep& step) {
  // Ctrl-C ends the move here, between two entries, with the journal whole.
  if (InterruptRequested()) throw InterruptedError();
  Json creates = Json::array();
  for (const std::string& folder : MissingParents(step.destination)) creates.push_back(folder);
  ++sequence_;
  AppendRecord(fd_.get(), path_,
               Json{{"record", "intent"},
                    {"seq", sequence_},
                    {"volume", step.volume},
                    {"name", step.name},
                    {"source", step.source},
                    {"destination", step.destination},
                    {"creates", std::move(creates)}});
}

void JournalWriter::AfterMove(const MoveStep& /*step*/, bool moved, const std::string& reason) {
  (moved ? moved_ : failures_) += 1;
  AppendRecord(fd_.get(), path_,
               Json{{"record", "done"}, {"seq", sequence_}, {"moved", moved}, {"reason", reason}});
}

void JournalWriter::CommandEnded(MoveCommand /*command*/, bool /*completed*/) {
  AppendRecord(fd_.get(), path_, Json{{"record", "end"}});
}

Journal ParseJournal(std::string_view text) {
  Journal journal;
  bool have_plan = false;
  std::size_t line_number = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) break;  // cut off by a crash: never acted upon
    ++line_number;
    const std::string_view line = text.substr(start, end - start);
    start = end + 1;
    journal.complete_length = start;

    Json record;
    try {
      record = ParseJson(line);
    } catch (const JsonSyntaxError& error) {
      Damaged(line_number, error.what());
    }
    if (!record.is_object()) Damaged(line_number, "not a record");
    const std::string kind = TextField(record, "record", line_number);
    if (!have_plan) {
      if (kind != "plan") Damaged(line_number, "the plan must come first");
      if (IntField(record, "format", line_number) != kJournalFormat) {
        Damaged(line_number, "unknown journal format");
      }
      journal.input_path = TextField(record, "input", line_number);
      journal.output_path = TextField(record, "output", line_number);
      journal.base_name = TextField(record, "baseName", line_number);
      journal.digits = static_cast<int>(IntField(record, "digits", line_number));
      journal.start_number = static_cast<std::int32_t>(IntField(record, "start", line_number));
      journal.volume_count =
          static_cast<std::int32_t>(IntField(record, "volumeCount", line_number));
      journal.grand_total = IntField(record, "grandTotal", line_number);
      journal.cluster_text = TextField(record, "cluster", line_number);
      have_plan = true;
    } else if (kind == "intent") {
      JournalStep step;
      step.sequence = IntField(record, "seq", line_number);
      if (step.sequence != static_cast<std::int64_t>(journal.steps.size()) + 1) {
        Damaged(line_number, "entries out of order");
      }
      step.volume = static_cast<std::int32_t>(IntField(record, "volume", line_number));
      step.name = TextField(record, "name", line_number);
      step.source = TextField(record, "source", line_number);
      step.destination = TextField(record, "destination", line_number);
      const Json& creates = Field(record, "creates", line_number);
      if (!creates.is_array()) Damaged(line_number, "\"creates\" is not a list");
      for (const Json& folder : creates) {
        if (!folder.is_string()) Damaged(line_number, "\"creates\" holds a non-text");
        step.created_folders.push_back(folder.get<std::string>());
      }
      journal.steps.push_back(std::move(step));
    } else if (kind == "done") {
      JournalStep& step = StepOf(journal, IntField(record, "seq", line_number), line_number);
      step.outcome = BoolField(record, "moved", line_number) ? JournalStep::Outcome::Moved
                                                             : JournalStep::Outcome::Failed;
    } else if (kind == "end") {
      journal.move_ended = true;
    } else if (kind == "undo-done") {
      JournalStep& step = StepOf(journal, IntField(record, "seq", line_number), line_number);
      if (BoolField(record, "moved", line_number)) step.restored = true;
    } else if (kind == "folder-removed") {
      journal.removed_folders.push_back(TextField(record, "path", line_number));
    } else if (kind == "undone") {
      journal.undone = true;
    } else if (kind != "undo-begun" && kind != "undo-intent") {
      Damaged(line_number, "unknown record \"" + kind + "\"");
    }
  }
  if (!have_plan) throw Error("morvick-cli: not a journal of morvick-cli (no plan in it)");
  return journal;
}

}  // namespace morvick::cli
