// The JSON plan writer with arbitrary name bytes: the document is strict UTF-8
// JSON that a standard reader accepts, and our reader gives every name back
// byte for byte. Arbitrary texts given to our reader fail cleanly.

#include "cli/plan_output.h"
#include "common/json_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

void Check(bool condition, int line = __builtin_LINE()) {
  if (!condition) {
    std::fprintf(stderr, "law broken at line %d\n", line);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace morvick;
  FuzzedDataProvider input(data, size);

  EntryList entries;
  const int count = input.ConsumeIntegralInRange(0, 4);
  for (int i = 0; i < count; ++i) {
    const auto volume = input.ConsumeIntegral<std::int32_t>();
    const std::string name = input.ConsumeRandomLengthString(40);
    const auto bytes = input.ConsumeIntegral<std::int64_t>();
    const bool folder = input.ConsumeBool();
    entries.Add(name, bytes, PackFileDate(2026, 1, 2, 3, 4, 6), folder).Volume = volume;
  }
  cli::PlanReport plan;
  plan.input = input.ConsumeRandomLengthString(40);
  plan.capacity = input.ConsumeIntegral<std::int64_t>();
  plan.method = input.ConsumeIntegral<int>();
  plan.cluster = input.ConsumeIntegral<std::int64_t>();
  plan.volume_count = 1;
  plan.entries = &entries;
  plan.volumes.push_back({1, input.ConsumeRandomLengthString(20), 0});
  plan.status = "[検索終了] 分割数 (1)個";

  const std::string json = cli::PlanJson(plan);
  // A standard strict reader takes it (valid UTF-8, valid JSON), unless a name
  // needed the lone-surrogate escapes, which strict readers refuse by design.
  if (json.find("\\udc") == std::string::npos) {
    const auto standard = Json::parse(json, nullptr, /*allow_exceptions=*/false);
    Check(!standard.is_discarded());
  }
  // Our reader gives the bytes back.
  const Json ours = ParseJson(json);
  Check(ours.at("input").get<std::string>() == plan.input);
  Check(ours.at("entries").size() == entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    Check(ours.at("entries").at(i).at("name").get<std::string>() == entries[i].Name());
    Check(ours.at("entries").at(i).at("size").get<std::int64_t>() == entries[i].Size);
  }
  Check(ours.at("volumes").at(0).at("folder").get<std::string>() == plan.volumes[0].folder);

  // The other formats must not fail on the same bytes.
  cli::PlanTsv(plan);
  cli::PlanTable(plan);

  // Arbitrary text to the reader: a result or a clean error.
  const std::string text = input.ConsumeRemainingBytesAsString();
  try {
    ParseJson(text);
  } catch (const JsonSyntaxError&) {
  } catch (const Json::exception&) {
  }
  return 0;
}
