// The comma-line format on arbitrary cells: a line joined from cells without
// control characters splits back into the same cells, and splitting any line
// is safe.

#include "settings/comma_line.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace morvick;
  FuzzedDataProvider input(data, size);
  const std::string raw_line = input.ConsumeRandomLengthString(128);
  SplitCommaLine(raw_line);
  SplitTextLines(raw_line);

  std::vector<std::string> cells;
  const int count = input.ConsumeIntegralInRange(1, 4);
  for (int i = 0; i < count; ++i) {
    std::string cell = input.ConsumeRandomLengthString(32);
    for (char& c : cell) {
      if (static_cast<unsigned char>(c) < 32 || c == 127) c = '_';
    }
    cells.push_back(cell);
  }
  const std::string line = JoinCommaLine(cells);
  if (SplitCommaLine(line) != cells) {
    std::fprintf(stderr, "cells do not come back from the line [%s]\n", line.c_str());
    std::abort();
  }
  return 0;
}
