#pragma once

// The plan as the command line prints it: JSON, tab-separated rows, or a table
// for a terminal.

#include "engine/entry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace morvick::cli {

struct VolumeReport {
  std::int32_t volume;
  std::string folder;
  std::int64_t size;
  std::string image;             // the disc image of the volume, when one is made
  std::int64_t image_size = -1;  // its exact size in bytes
};

struct PlanReport {
  std::string input;
  std::int64_t capacity = 0;
  int method = 0;
  std::int64_t cluster = 0;
  std::int32_t volume_count = 0;
  std::int64_t grand_total = 0;
  std::int32_t lower_bound = 0;  // no plan of the entries has fewer volumes
  bool proven_optimal = false;   // ... than this one (shown for method 8, fewest)
  bool cancelled = false;
  const EntryList* entries = nullptr;  // the plan's final order
  std::vector<VolumeReport> volumes;
  std::string status;
};

enum class OutputFormat { kTable, kTsv, kJson };

std::string PlanJson(const PlanReport& plan);
std::string PlanTsv(const PlanReport& plan);
std::string PlanTable(const PlanReport& plan);
std::string FormatPlan(const PlanReport& plan, OutputFormat format);

// Columns a text takes on a terminal: East Asian wide characters take two,
// bytes that are not valid UTF-8 one each (they are shown as U+FFFD).
std::size_t DisplayWidth(std::string_view text);

// The text with invalid UTF-8 bytes and control characters replaced by U+FFFD,
// for the table.
std::string DisplayText(std::string_view bytes);

}  // namespace morvick::cli
