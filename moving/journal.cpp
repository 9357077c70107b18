#include "moving/journal.h"

#include "common/crc32.h"
#include "common/error.h"
#include "engine/naming.h"
#include "moving/folder_paths.h"
#include "platform/known_folders.h"
#include "platform/local_time.h"
#include "platform/real_path.h"
#include "version.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>

namespace morvick {
namespace {

// The first format had no checksums and no front end.
constexpr int kFirstFormat = 1;
constexpr int kJournalFormat = 2;

// A plan record holds every entry: a million entries take some 80 MB. A longer
// line is no record of ours.
constexpr std::size_t kMaxJournalLine = std::size_t{512} << 20;

// ,"crc":"xxxxxxxx"} closes every record of the current format.
constexpr std::string_view kChecksumKey = ",\"crc\":\"";
constexpr std::size_t kChecksumSuffix = kChecksumKey.size() + 8 + 2;

std::string ChecksumText(std::string_view text) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(Crc32(text)));
  return hex;
}

// The record text of a line that ends in a checksum, or nullopt when it has
// none. `valid` tells whether the checksum matches.
std::optional<std::string> CheckedBody(std::string_view line, bool& valid) {
  valid = false;
  if (line.size() < kChecksumSuffix + 2 || line.back() != '}') return std::nullopt;
  const std::size_t key = line.size() - kChecksumSuffix;
  if (line.substr(key, kChecksumKey.size()) != kChecksumKey) return std::nullopt;
  std::string body(line.substr(0, key));
  body += '}';
  valid = line.substr(key + kChecksumKey.size(), 8) == ChecksumText(body) &&
          line[line.size() - 2] == '"';
  return body;
}

[[noreturn]] void Damaged(std::size_t line, const std::string& what) {
  throw Error("the journal is damaged at line " + std::to_string(line) + ": " + what);
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

std::int32_t Int32Field(const Json& record, const char* key, std::size_t line) {
  const std::int64_t value = IntField(record, key, line);
  if (value < INT32_MIN || value > INT32_MAX)
    Damaged(line, std::string("\"") + key + "\" is out of range");
  return static_cast<std::int32_t>(value);
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

void ReadPlan(Journal& journal, const Json& record, std::size_t line) {
  journal.format = static_cast<int>(IntField(record, "format", line));
  if (journal.format != kFirstFormat && journal.format != kJournalFormat) {
    Damaged(line, "unknown journal format");
  }
  if (journal.format >= kJournalFormat) {
    journal.plan.front_end =
        TextField(record, "frontEnd", line) == "window" ? FrontEnd::Window : FrontEnd::CommandLine;
  }
  journal.plan.input_path = TextField(record, "input", line);
  journal.plan.output_path = TextField(record, "output", line);
  journal.plan.base_name = TextField(record, "baseName", line);
  journal.plan.digits = static_cast<int>(Int32Field(record, "digits", line));
  journal.plan.start_number = Int32Field(record, "start", line);
  journal.plan.volume_count = Int32Field(record, "volumeCount", line);
  journal.plan.grand_total = IntField(record, "grandTotal", line);
  journal.plan.cluster_text = TextField(record, "cluster", line);
  journal.plan.method = Int32Field(record, "method", line);
  journal.plan.skip_last = BoolField(record, "skipLast", line);
  const Json& entries = Field(record, "entries", line);
  if (!entries.is_array()) Damaged(line, "\"entries\" is not a list");
  journal.entries.reserve(entries.size());
  for (const Json& entry : entries) {
    if (!entry.is_object()) Damaged(line, "an entry is not a record");
    journal.entries.push_back({Int32Field(entry, "volume", line), TextField(entry, "name", line)});
  }
}

void ReadRecord(Journal& journal, const Json& record, std::size_t line) {
  const std::string kind = TextField(record, "record", line);
  if (kind == "intent") {
    JournalStep step;
    step.sequence = IntField(record, "seq", line);
    if (step.sequence != static_cast<std::int64_t>(journal.steps.size()) + 1) {
      Damaged(line, "entries out of order");
    }
    step.volume = Int32Field(record, "volume", line);
    step.name = TextField(record, "name", line);
    step.source = TextField(record, "source", line);
    step.destination = TextField(record, "destination", line);
    const Json& creates = Field(record, "creates", line);
    if (!creates.is_array()) Damaged(line, "\"creates\" is not a list");
    for (const Json& folder : creates) {
      if (!folder.is_string()) Damaged(line, "\"creates\" holds a non-text");
      step.created_folders.push_back(folder.get<std::string>());
    }
    journal.steps.push_back(std::move(step));
  } else if (kind == "done") {
    JournalStep& step = StepOf(journal, IntField(record, "seq", line), line);
    step.outcome = BoolField(record, "moved", line) ? JournalStep::Outcome::Moved
                                                    : JournalStep::Outcome::Failed;
  } else if (kind == "end") {
    journal.move_ended = true;
  } else if (kind == "undo-done") {
    JournalStep& step = StepOf(journal, IntField(record, "seq", line), line);
    if (BoolField(record, "moved", line)) step.restored = true;
  } else if (kind == "folder-removed") {
    journal.removed_folders.push_back(TextField(record, "path", line));
  } else if (kind == "undone") {
    journal.undone = true;
  } else if (kind == "recovery-declined") {
    journal.recovery_declined = true;
  } else if (kind != "undo-begun" && kind != "undo-intent") {
    Damaged(line, "unknown record \"" + kind + "\"");
  }
}

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

std::string DefaultJournalFolder() { return platform::UserStateFolder(); }

std::string NewJournalPath(const std::string& folder) {
  const std::optional<platform::LocalTime> local =
      platform::LocalTimeOf(static_cast<std::int64_t>(std::time(nullptr)));
  char stamp[32] = "00000000-000000";
  if (local) {
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", local->year, local->month,
                  local->day, local->hour, local->minute, local->second);
  }
  const std::string base = platform::JoinPath(folder, std::string("move-") + stamp);
  std::string path = base + ".jsonl";
  for (int n = 2; platform::KindOf(path) != platform::PathKind::Missing; ++n) {
    path = base + "-" + std::to_string(n) + ".jsonl";
  }
  return path;
}

std::string JournalLine(const Json& record) {
  const std::string body = DumpJson(record);
  std::string line = body.substr(0, body.size() - 1);
  line += kChecksumKey;
  line += ChecksumText(body);
  line += "\"}\n";
  return line;
}

namespace {

// Reads a journal one whole line at a time, in order.
class JournalParser {
 public:
  // Takes the next whole line (without its newline), which ends at byte
  // `end_offset` of the file; `too_long`: the line was cut at the bound.
  // False when the reading ends here (a damaged line).
  bool Line(std::string_view line, std::size_t end_offset, bool too_long) {
    ++line_number_;
    bool valid = false;
    const std::optional<std::string> body = too_long ? std::nullopt : CheckedBody(line, valid);
    const bool unchecked_allowed = !have_plan_ || journal_.format == kFirstFormat;
    if (too_long || (body && !valid) || (!body && !unchecked_allowed)) {
      journal_.damaged_line = line_number_;
      return false;
    }
    Json record;
    try {
      record = ParseJson(body ? std::string_view(*body) : line);
    } catch (const JsonSyntaxError& error) {
      Damaged(line_number_, error.what());
    }
    if (!record.is_object()) Damaged(line_number_, "not a record");
    if (!have_plan_) {
      if (TextField(record, "record", line_number_) != "plan") {
        Damaged(line_number_, "the plan must come first");
      }
      ReadPlan(journal_, record, line_number_);
      if (journal_.format >= kJournalFormat && !body) {
        Damaged(line_number_, "the record has no checksum");
      }
      have_plan_ = true;
    } else {
      ReadRecord(journal_, record, line_number_);
    }
    journal_.complete_length = end_offset;
    return true;
  }

  // After the reading ended at a damaged line: whether whole lines follow it.
  void DamagedBeforeEnd(bool more) { journal_.damaged_before_end = more; }

  Journal Finish() {
    if (!have_plan_) throw Error("not a journal of morvick (no plan in it)");
    return std::move(journal_);
  }

 private:
  Journal journal_;
  bool have_plan_ = false;
  std::size_t line_number_ = 0;
};

}  // namespace

Journal ParseJournal(std::string_view text) {
  JournalParser parser;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1) {
    if (!parser.Line(text.substr(start, end - start), end + 1, false)) {
      parser.DamagedBeforeEnd(text.find('\n', end + 1) != std::string_view::npos);
      break;
    }
  }
  // A last line without its newline was cut off by a crash: never acted upon.
  return parser.Finish();
}

Journal ReadJournal(const platform::RecordFile& file) {
  JournalParser parser;
  bool stopped = false;
  bool more_after_stop = false;
  file.ForEachLine(kMaxJournalLine, [&](std::string_view line, std::size_t end, bool too_long) {
    if (stopped) {
      more_after_stop = true;
      return false;
    }
    if (!parser.Line(line, end, too_long)) stopped = true;
    return true;
  });
  if (stopped) parser.DamagedBeforeEnd(more_after_stop);
  return parser.Finish();
}

std::optional<std::string> CheckJournalAgainstPlan(const Journal& journal) {
  const std::string& input = journal.plan.input_path;
  const std::string& output = journal.plan.output_path;
  if (!IsCanonicalFolder(input)) return "the input folder is not a plain absolute path: " + input;
  if (!IsCanonicalFolder(output)) {
    return "the output folder is not a plain absolute path: " + output;
  }
  if (input == output) return "the input and output folders are the same";
  // A link put on the way since the move would lead the entries elsewhere.
  for (const std::string* folder : {&input, &output}) {
    const std::string plain = folder->substr(0, folder->size() - 1);
    if (platform::RealFolderPath(plain) != plain) {
      return "the folder no longer leads where the journal says: " + *folder;
    }
  }
  if (journal.plan.digits < 1 || journal.plan.digits > 9 || journal.plan.start_number < 1 ||
      journal.plan.volume_count < 0) {
    return "the naming of the volume folders is not valid";
  }

  std::map<std::string_view, std::int32_t> planned;
  for (const JournalEntry& entry : journal.entries) planned.emplace(entry.name, entry.volume);
  const std::string output_folder = output.substr(0, output.size() - 1);
  // The folders a move may have made: its volume folders, the output folder
  // and the output's missing parents.
  const auto may_have_made = [&](const std::string& folder, std::int32_t volume) {
    if (volume >= 1 && volume <= journal.plan.volume_count &&
        folder == output + VolumeFolderName(volume, journal.plan.base_name, journal.plan.digits,
                                            journal.plan.start_number)) {
      return true;
    }
    return !platform::IsRootPath(folder) && platform::IsSameOrBelow(output_folder, folder);
  };

  for (const JournalStep& step : journal.steps) {
    const std::string which = "entry " + std::to_string(step.sequence);
    const auto found = planned.find(step.name);
    if (!IsPathComponent(step.name) || found == planned.end() || found->second != step.volume ||
        step.volume < 1 || step.volume > journal.plan.volume_count) {
      return which + " is not an entry of the plan";
    }
    const std::string folder = VolumeFolderName(step.volume, journal.plan.base_name,
                                                journal.plan.digits, journal.plan.start_number);
    if (!IsPathComponent(folder)) return which + ": the volume folder name is not valid";
    if (step.source != input + step.name) return which + " does not come from the input folder";
    if (step.destination != platform::JoinPath(output + folder, step.name)) {
      return which + " did not go to its volume folder";
    }
    for (const std::string& made : step.created_folders) {
      if (!may_have_made(made, step.volume)) return which + " made a folder outside the plan";
    }
  }
  for (const std::string& removed : journal.removed_folders) {
    bool known = false;
    for (std::int32_t v = 1; v <= journal.plan.volume_count && !known; ++v) {
      known = may_have_made(removed, v);
    }
    if (!known && !may_have_made(removed, 0)) return "a removed folder lies outside the plan";
  }
  return std::nullopt;
}

void AppendRecord(platform::RecordFile& file, const Json& record) {
  file.Append(JournalLine(record));
}

void JournalWriter::Create() {
  // Journals name the user's folders: only the user may look into theirs.
  const bool default_folder = platform::ParentFolder(path_) == DefaultJournalFolder();
  file_.emplace(platform::RecordFile::Create(path_, default_folder, made_folders_));
  // Held until the move ends, so that an undo cannot start during it.
  file_->TryLock();
}

void JournalWriter::DiscardIfUnused() {
  if (file_ && !begun_) {
    file_->Remove(made_folders_);
    file_.reset();
  }
}

void JournalWriter::Close() { file_.reset(); }

void JournalWriter::WritePlanRecord(const JournalPlan& plan, Json entries) {
  AppendRecord(*file_, Json{{"record", "plan"},
                            {"format", kJournalFormat},
                            {"program", std::string("morvick ") + kVersion},
                            {"frontEnd", plan.front_end == FrontEnd::Window ? "window" : "cli"},
                            {"input", plan.input_path},
                            {"output", plan.output_path},
                            {"baseName", plan.base_name},
                            {"digits", plan.digits},
                            {"start", plan.start_number},
                            {"volumeCount", plan.volume_count},
                            {"grandTotal", plan.grand_total},
                            {"cluster", plan.cluster_text},
                            {"method", plan.method},
                            {"skipLast", plan.skip_last},
                            {"entries", std::move(entries)}});
  begun_ = true;
  if (announce_) announce_(path_);
}

void JournalWriter::WriteIntent(std::int32_t volume, const std::string& name,
                                const std::string& source, const std::string& destination,
                                const std::vector<std::string>& creates) {
  ++sequence_;
  AppendRecord(*file_, Json{{"record", "intent"},
                            {"seq", sequence_},
                            {"volume", volume},
                            {"name", name},
                            {"source", source},
                            {"destination", destination},
                            {"creates", creates}});
}

void JournalWriter::WriteOutcome(bool moved, const std::string& reason) {
  (moved ? moved_ : failures_) += 1;
  AppendRecord(*file_,
               Json{{"record", "done"}, {"seq", sequence_}, {"moved", moved}, {"reason", reason}});
}

void JournalWriter::WriteEnd() { AppendRecord(*file_, Json{{"record", "end"}}); }

}  // namespace morvick
