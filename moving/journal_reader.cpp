#include "moving/journal_reader.h"

#include "common/error.h"
#include "moving/journal_format.h"
#include "moving/journal_records.h"
#include "platform/real_path.h"

#include <climits>

namespace morvick {
namespace {

// How every journal begins.
constexpr std::string_view kPlanStart = "{\"record\":\"plan\"";

[[noreturn]] void Damaged(std::size_t line, const std::string& what) {
  throw Error("the journal is damaged at line " + std::to_string(line) + ": " + what);
}

// The fields of one record, each read as the type it must have.
class Fields {
 public:
  Fields(const Json& record, std::size_t line) : record_(record), line_(line) {}

  const Json& Any(const char* key) const {
    const auto it = record_.find(key);
    if (it == record_.end()) Damaged(line_, std::string("missing \"") + key + "\"");
    return *it;
  }
  bool Has(const char* key) const { return record_.contains(key); }
  std::string Text(const char* key) const {
    const Json& value = Any(key);
    if (!value.is_string()) Damaged(line_, std::string("\"") + key + "\" is not a text");
    return value.get<std::string>();
  }
  std::int64_t Int(const char* key) const {
    const Json& value = Any(key);
    if (!value.is_number_integer()) Damaged(line_, std::string("\"") + key + "\" is not a number");
    return value.get<std::int64_t>();
  }
  std::int32_t Int32(const char* key) const {
    const std::int64_t value = Int(key);
    if (value < INT32_MIN || value > INT32_MAX) {
      Damaged(line_, std::string("\"") + key + "\" is out of range");
    }
    return static_cast<std::int32_t>(value);
  }
  bool Bool(const char* key) const {
    const Json& value = Any(key);
    if (!value.is_boolean()) Damaged(line_, std::string("\"") + key + "\" is not true or false");
    return value.get<bool>();
  }
  const Json& List(const char* key) const {
    const Json& value = Any(key);
    if (!value.is_array()) Damaged(line_, std::string("\"") + key + "\" is not a list");
    return value;
  }
  std::size_t line() const { return line_; }

 private:
  const Json& record_;
  std::size_t line_;
};

// A folder of the plan as the journal wrote it, with its trailing separator,
// which is taken off; the check against the plan looks at the result.
std::string FolderOf(std::string text) {
  if (text.size() < 2 || platform::IsRootPath(text)) return text;
  // "/" ends a folder on Windows too.
  if (text.back() == platform::kPathSeparator || text.back() == '/') {
    text.pop_back();
  }
  return text;
}

void ReadPlan(Journal& journal, const Fields& fields) {
  journal.format = static_cast<int>(fields.Int("format"));
  if (journal.format != kFirstJournalFormat && journal.format != kJournalFormat) {
    Damaged(fields.line(), "unknown journal format");
  }
  JournalPlan& plan = journal.plan;
  if (journal.format >= kJournalFormat) {
    plan.front_end = fields.Text("frontEnd") == "window" ? FrontEnd::Window : FrontEnd::CommandLine;
  }
  plan.folders = {FolderOf(fields.Text("input")), FolderOf(fields.Text("output"))};
  plan.naming.base_name = fields.Text("baseName");
  plan.naming.digits = static_cast<int>(fields.Int32("digits"));
  plan.naming.start_number = fields.Int32("start");
  plan.volume_count = fields.Int32("volumeCount");
  plan.grand_total = fields.Int("grandTotal");
  plan.cluster_text = fields.Text("cluster");
  plan.method = fields.Int32("method");
  plan.skip_last = fields.Bool("skipLast");
  const Json& entries = fields.List("entries");
  journal.entries.reserve(entries.size());
  for (const Json& entry : entries) {
    if (!entry.is_object()) Damaged(fields.line(), "an entry is not a record");
    const Fields entry_fields(entry, fields.line());
    journal.entries.push_back({entry_fields.Int32("volume"), entry_fields.Text("name")});
  }
}

JournalStep& StepOf(Journal& journal, const Fields& fields) {
  // Sequence numbers count from 1 in the order of the intents.
  const std::int64_t sequence = fields.Int("seq");
  if (sequence < 1 || static_cast<std::size_t>(sequence) > journal.steps.size()) {
    Damaged(fields.line(), "unknown entry " + std::to_string(sequence));
  }
  return journal.steps[static_cast<std::size_t>(sequence - 1)];
}

void ReadIntent(Journal& journal, const Fields& fields) {
  JournalStep step;
  step.sequence = fields.Int("seq");
  if (step.sequence != static_cast<std::int64_t>(journal.steps.size()) + 1) {
    Damaged(fields.line(), "entries out of order");
  }
  step.volume = fields.Int32("volume");
  step.name = fields.Text("name");
  step.source = fields.Text("source");
  step.destination = fields.Text("destination");
  for (const Json& folder : fields.List("creates")) {
    if (!folder.is_string()) Damaged(fields.line(), "\"creates\" holds a non-text");
    step.created_folders.push_back(folder.get<std::string>());
  }
  journal.steps.push_back(std::move(step));
}

void ReadRecord(Journal& journal, const Fields& fields) {
  const std::string name = fields.Text("record");
  const std::optional<RecordKind> kind = RecordKindNamed(name);
  if (!kind) Damaged(fields.line(), "unknown record \"" + name + "\"");
  switch (*kind) {
    case RecordKind::Plan: Damaged(fields.line(), "a second plan");
    case RecordKind::Intent: ReadIntent(journal, fields); break;
    case RecordKind::Done:
      StepOf(journal, fields).outcome =
          fields.Bool("moved") ? JournalStep::Outcome::Moved : JournalStep::Outcome::Failed;
      break;
    case RecordKind::End: journal.move_ended = true; break;
    case RecordKind::UndoBegun: ++journal.undos_begun; break;
    case RecordKind::UndoIntent: StepOf(journal, fields).undo_intended = true; break;
    case RecordKind::UndoDone:
      if (fields.Bool("moved")) StepOf(journal, fields).restored = true;
      break;
    case RecordKind::FolderRemoved: journal.removed_folders.push_back(fields.Text("path")); break;
    case RecordKind::UndoEnd: ++journal.undos_ended; break;
    case RecordKind::Undone: journal.undone = true; break;
    case RecordKind::RecoveryDeclined: journal.recovery_declined = true; break;
  }
}

// Reads a journal one whole line at a time, in order.
class JournalParser {
 public:
  // Takes the next whole line (without its newline), which ends at byte
  // `end_offset` of the file; `too_long`: the line was cut at the bound.
  // False when the reading ends here (a damaged line).
  bool Line(std::string_view line, std::size_t end_offset, bool too_long) {
    ++line_number_;
    bool valid = false;
    const std::optional<std::string> body =
        too_long ? std::nullopt : CheckedRecordText(line, valid);
    const bool unchecked_allowed = !have_plan_ || journal_.format == kFirstJournalFormat;
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
    const Fields fields(record, line_number_);
    if (!have_plan_) {
      if (fields.Text("record") != RecordName(RecordKind::Plan)) {
        Damaged(line_number_, "the plan must come first");
      }
      ReadPlan(journal_, fields);
      if (journal_.format >= kJournalFormat && !body) {
        Damaged(line_number_, "the record has no checksum");
      }
      have_plan_ = true;
    } else {
      ReadRecord(journal_, fields);
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

bool StoppedBeforeThePlan(const platform::RecordFile& file) {
  bool whole_line = false;
  file.ForEachLine(kPlanStart.size(), [&](std::string_view, std::size_t, bool) {
    whole_line = true;
    return false;
  });
  const std::string head = file.ReadHead(kPlanStart.size());
  return !whole_line && kPlanStart.substr(0, head.size()) == head;
}

}  // namespace morvick
