// The INI reader and writer on arbitrary texts, names and values: a write that
// is accepted reads back as the value written, and leaves every other line and
// every other key as it was.

#include "settings/comma_line.h"
#include "settings/ini_file.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Check(bool condition, int line = __builtin_LINE()) {
  if (!condition) {
    std::fprintf(stderr, "law broken at line %d\n", line);
    std::abort();
  }
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace morvick;
  FuzzedDataProvider input(data, size);
  const std::string section = input.ConsumeRandomLengthString(16);
  const std::string key = input.ConsumeRandomLengthString(16);
  const std::string value = input.ConsumeRandomLengthString(64);
  const std::string other_section = input.ConsumeRandomLengthString(16);
  const std::string other_key = input.ConsumeRandomLengthString(16);
  const std::string text = input.ConsumeRemainingBytesAsString();

  const auto before_other = FindProfileValue(text, other_section, other_key);
  FindProfileValue(text, section, key);
  const auto written = SetProfileValue(text, section, key, value);
  if (!written) return 0;

  // The value comes back (values longer than the read limit are cut).
  const auto read_back = FindProfileValue(*written, section, key);
  Check(read_back.has_value());
  if (value.size() <= kProfileValueLimit) Check(*read_back == value);

  // Another key keeps its value.
  if (!(SameName(section, other_section) && SameName(key, other_key))) {
    Check(FindProfileValue(*written, other_section, other_key) == before_other);
  }

  // The write is one contiguous edit: at most one old line replaced, at most
  // three new lines (a section header and its key, after a line break).
  const std::vector<std::string> old_lines = SplitTextLines(text);
  const std::vector<std::string> new_lines = SplitTextLines(*written);
  std::size_t prefix = 0;
  while (prefix < old_lines.size() && prefix < new_lines.size() &&
         old_lines[prefix] == new_lines[prefix]) {
    ++prefix;
  }
  std::size_t suffix = 0;
  while (suffix < old_lines.size() - prefix && suffix < new_lines.size() - prefix &&
         old_lines[old_lines.size() - 1 - suffix] == new_lines[new_lines.size() - 1 - suffix]) {
    ++suffix;
  }
  Check(old_lines.size() - prefix - suffix <= 1);
  Check(new_lines.size() - prefix - suffix <= 3);

  // Writing the same value again changes nothing.
  const auto again = SetProfileValue(*written, section, key, value);
  Check(again.has_value() && *again == *written);
  return 0;
}
