#include "moving/journal_records.h"

#include "moving/journal_format.h"
#include "platform/real_path.h"
#include "version.h"

namespace morvick {
namespace {

Json Record(RecordKind kind) { return Json{{"record", std::string(RecordName(kind))}}; }

}  // namespace

std::string_view RecordName(RecordKind kind) {
  for (const RecordKindName& known : kRecordKinds) {
    if (known.kind == kind) return known.name;
  }
  return {};
}

std::optional<RecordKind> RecordKindNamed(std::string_view name) {
  for (const RecordKindName& known : kRecordKinds) {
    if (known.name == name) return known.kind;
  }
  return std::nullopt;
}

Json PlanRecord(const JournalPlan& plan, Json entries) {
  Json record = Record(RecordKind::Plan);
  record["format"] = kJournalFormat;
  record["program"] = std::string("morvick ") + kVersion;
  record["frontEnd"] = plan.front_end == FrontEnd::Window ? "window" : "cli";
  // The folders end in the separator, as every format has written them.
  record["input"] = platform::JoinPath(plan.folders.input, "");
  record["output"] = platform::JoinPath(plan.folders.output, "");
  record["baseName"] = plan.naming.base_name;
  record["digits"] = plan.naming.digits;
  record["start"] = plan.naming.start_number;
  record["volumeCount"] = plan.volume_count;
  record["grandTotal"] = plan.grand_total;
  record["cluster"] = plan.cluster_text;
  record["method"] = plan.method;
  record["skipLast"] = plan.skip_last;
  record["entries"] = std::move(entries);
  return record;
}

Json IntentRecord(std::int64_t sequence, const MoveStep& step) {
  Json record = StepRecord(RecordKind::Intent, sequence);
  record["volume"] = step.volume;
  record["name"] = step.name;
  record["source"] = step.source;
  record["destination"] = step.destination;
  record["creates"] = step.creates;
  return record;
}

Json StepRecord(RecordKind kind, std::int64_t sequence) {
  Json record = Record(kind);
  record["seq"] = sequence;
  return record;
}

Json OutcomeRecord(RecordKind kind, std::int64_t sequence, bool moved) {
  Json record = StepRecord(kind, sequence);
  record["moved"] = moved;
  return record;
}

Json FolderRemovedRecord(const std::string& path) {
  Json record = Record(RecordKind::FolderRemoved);
  record["path"] = path;
  return record;
}

Json MarkRecord(RecordKind kind) { return Record(kind); }

}  // namespace morvick
