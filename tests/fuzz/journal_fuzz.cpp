// The journal reader and the check of every step against the plan: arbitrary
// bytes are read or refused cleanly, and no journal that passes the check
// holds a step outside the plan's folders: every source lies directly in the
// input folder, every destination directly in a volume folder directly below
// the output folder, and every folder made is one of those volume folders,
// the output folder or a parent of it.

#include "common/error.h"
#include "moving/folder_paths.h"
#include "moving/journal_check.h"
#include "moving/journal_format.h"
#include "moving/journal_reader.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

void Check(bool condition, int line = __builtin_LINE()) {
  if (!condition) {
    std::fprintf(stderr, "law broken at line %d\n", line);
    std::abort();
  }
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// A path that is either the one the plan implies or one the fuzzer makes up.
std::string PathOr(FuzzedDataProvider& input, const std::string& implied) {
  return input.ConsumeBool() ? implied : input.ConsumeRandomLengthString(40);
}

// A journal built from the input, each record with a good checksum, so that
// the fuzzer reaches the step check rather than the checksum.
std::string MadeJournal(FuzzedDataProvider& input) {
  using morvick::Json;
  const std::string root = "/tmp/morvick-fuzz-" + input.ConsumeRandomLengthString(6);
  const std::string in = PathOr(input, root + "/in") + "/";
  const std::string out = PathOr(input, root + "/out") + "/";
  const std::string base = input.ConsumeRandomLengthString(6);
  const int digits = input.ConsumeIntegralInRange(0, 10);
  const std::int32_t start = input.ConsumeIntegralInRange(-1, 3);
  const std::int32_t volumes = input.ConsumeIntegralInRange(-1, 3);
  Json entries = Json::array();
  std::vector<std::pair<std::int32_t, std::string>> planned;
  for (int i = input.ConsumeIntegralInRange(0, 4); i > 0; --i) {
    planned.emplace_back(input.ConsumeIntegralInRange(0, 4), input.ConsumeRandomLengthString(8));
    entries.push_back(Json{{"volume", planned.back().first}, {"name", planned.back().second}});
  }
  std::string text = morvick::JournalLine(Json{{"record", "plan"},
                                               {"format", input.ConsumeIntegralInRange(1, 3)},
                                               {"frontEnd", "cli"},
                                               {"input", in},
                                               {"output", out},
                                               {"baseName", base},
                                               {"digits", digits},
                                               {"start", start},
                                               {"volumeCount", volumes},
                                               {"grandTotal", 0},
                                               {"cluster", "0"},
                                               {"method", 0},
                                               {"skipLast", false},
                                               {"entries", entries}});
  const int steps = input.ConsumeIntegralInRange(0, 4);
  for (int seq = 1; seq <= steps; ++seq) {
    const auto& [volume, name] =
        planned.empty() ? std::pair<std::int32_t, std::string>{1, "a"}
                        : planned[input.ConsumeIntegralInRange<std::size_t>(0, planned.size() - 1)];
    const std::string folder = out + morvick::VolumeNaming{base, digits, start}.FolderName(volume);
    Json creates = Json::array();
    for (int c = input.ConsumeIntegralInRange(0, 2); c > 0; --c) {
      creates.push_back(PathOr(input, input.ConsumeBool() ? folder : ParentOf(out)));
    }
    text += morvick::JournalLine(Json{{"record", "intent"},
                                      {"seq", seq},
                                      {"volume", volume},
                                      {"name", name},
                                      {"source", PathOr(input, in + name)},
                                      {"destination", PathOr(input, folder + "/" + name)},
                                      {"creates", creates}});
    text += morvick::JournalLine(Json{{"record", "done"}, {"seq", seq}, {"moved", true}});
  }
  if (input.ConsumeBool()) {
    text += morvick::JournalLine(
        Json{{"record", "folder-removed"}, {"path", PathOr(input, ParentOf(out))}});
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const bool made = input.ConsumeBool();
  const std::string text = made ? MadeJournal(input) : input.ConsumeRemainingBytesAsString();

  morvick::Journal journal;
  try {
    journal = morvick::ParseJournal(text);
  } catch (const morvick::Error&) {
    return 0;
  } catch (const morvick::Json::exception&) {
    return 0;
  }
  if (morvick::CheckJournalAgainstPlan(journal)) return 0;

  const std::string in = journal.plan.folders.input + "/";
  const std::string out = journal.plan.folders.output + "/";
  Check(!in.empty() && in.front() == '/' && in.back() == '/');
  Check(!out.empty() && out.front() == '/' && out.back() == '/');
  const std::string out_folder = out.substr(0, out.size() - 1);
  const auto is_volume_folder = [&](const std::string& path) {
    return StartsWith(path, out) && morvick::IsPathComponent(path.substr(out.size()));
  };
  for (const morvick::JournalStep& step : journal.steps) {
    Check(morvick::IsPathComponent(step.name));
    Check(step.source == in + step.name);
    Check(is_volume_folder(ParentOf(step.destination)));
    Check(step.destination.substr(step.destination.find_last_of('/') + 1) == step.name);
    for (const std::string& folder : step.created_folders) {
      Check(is_volume_folder(folder) || folder == out_folder ||
            StartsWith(out_folder, folder + "/"));
    }
  }
  return 0;
}
