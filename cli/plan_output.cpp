#include "cli/plan_output.h"

#include "commands/main_window_controls.h"
#include "common/json_text.h"
#include "common/text_rules.h"
#include "common/utf8.h"
#include "engine/packing.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace morvick::cli {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

bool IsWide(std::uint32_t cp) {
  return (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0x303E) ||
         (cp >= 0x3041 && cp <= 0x33FF) || (cp >= 0x3400 && cp <= 0x4DBF) ||
         (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0xA000 && cp <= 0xA4CF) ||
         (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
         (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
         (cp >= 0xFFE0 && cp <= 0xFFE6) || (cp >= 0x1F300 && cp <= 0x1F64F) ||
         (cp >= 0x1F900 && cp <= 0x1F9FF) || (cp >= 0x20000 && cp <= 0x3FFFD);
}

std::string PadRight(std::string text, std::size_t width) {
  const std::size_t shown = DisplayWidth(text);
  if (shown < width) text.append(width - shown, ' ');
  return text;
}

std::string PadLeft(const std::string& text, std::size_t width) {
  const std::size_t shown = DisplayWidth(text);
  return shown < width ? std::string(width - shown, ' ') + text : text;
}

// The titles of a list's columns, as the window shows them.
template <std::size_t N>
std::array<std::string, N> TitlesOf(const std::array<ColumnEntry, N>& columns) {
  std::array<std::string, N> titles;
  for (std::size_t i = 0; i < N; ++i) titles[i] = columns[i].title;
  return titles;
}

// True for the control characters a terminal may act on: C0, DEL and C1.
bool IsControl(std::uint32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F); }

// A field of a tab-separated line: backslash, tab, newline and carriage return
// are escaped so that every row stays one line of the same columns, and every
// other control character as JSON writes it (\u001b), so that none reaches a
// terminal raw. Bytes that are not UTF-8 stay as they are.
void AppendTsvField(std::string& out, std::string_view bytes) {
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const auto [cp, length] = DecodeUtf8At(bytes, pos);
    if (length == 0 || !IsControl(cp)) {
      if (bytes[pos] == '\\') out += '\\';
      out.append(bytes.substr(pos, length == 0 ? 1 : length));
      pos += length == 0 ? 1 : length;
      continue;
    }
    switch (cp) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(cp));
        out += escape;
      }
    }
    pos += length;
  }
}

}  // namespace

std::size_t DisplayWidth(std::string_view text) {
  std::size_t width = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto [cp, length] = DecodeUtf8At(text, pos);
    if (length == 0) {
      ++width;
      ++pos;
      continue;
    }
    width += IsWide(cp) ? 2 : 1;
    pos += length;
  }
  return width;
}

std::string DisplayText(std::string_view bytes) {
  std::string out;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const auto [cp, length] = DecodeUtf8At(bytes, pos);
    if (length == 0 || IsControl(cp)) {
      out += kReplacement;
      pos += length == 0 ? 1 : length;
      continue;
    }
    out.append(bytes.substr(pos, length));
    pos += length;
  }
  return out;
}

std::string PlanJson(const PlanReport& plan) {
  std::string out;
  out.reserve(256 + (plan.entries ? plan.entries->size() * 128 : 0));
  out += "{\n  \"input\": ";
  AppendJsonString(out, plan.input);
  out += ",\n  \"capacity\": " + std::to_string(plan.capacity);
  out += ",\n  \"method\": " + std::to_string(plan.method);
  out += ",\n  \"cluster\": " + std::to_string(plan.cluster);
  out += ",\n  \"volumeCount\": " + std::to_string(plan.volume_count);
  out += ",\n  \"lowerBound\": " + std::to_string(plan.lower_bound);
  if (plan.method == kFewestVolumes) {
    out += ",\n  \"provenOptimal\": ";
    out += plan.proven_optimal ? "true" : "false";
  }
  out += ",\n  \"grandTotal\": " + std::to_string(plan.grand_total);
  out += ",\n  \"cancelled\": ";
  out += plan.cancelled ? "true" : "false";
  out += ",\n  \"entries\": [";
  bool first = true;
  if (plan.entries) {
    for (const auto& entry : *plan.entries) {
      out += first ? "\n    " : ",\n    ";
      first = false;
      out += "{\"volume\": " + std::to_string(entry.Volume) + ", \"name\": ";
      AppendJsonString(out, entry.Name());
      out += ", \"size\": " + std::to_string(entry.Size) + ", \"date\": ";
      AppendJsonString(out, entry.DateText());
      out += ", \"kind\": ";
      AppendJsonString(out, entry.KindText());
      out += '}';
    }
  }
  out += first ? "]" : "\n  ]";
  out += ",\n  \"volumes\": [";
  first = true;
  for (const VolumeReport& volume : plan.volumes) {
    out += first ? "\n    " : ",\n    ";
    first = false;
    out += "{\"volume\": " + std::to_string(volume.volume) + ", \"folder\": ";
    AppendJsonString(out, volume.folder);
    out += ", \"size\": " + std::to_string(volume.size);
    if (!volume.image.empty()) {
      out += ", \"image\": ";
      AppendJsonString(out, volume.image);
      out += ", \"imageSize\": " + std::to_string(volume.image_size);
    }
    out += '}';
  }
  out += first ? "]" : "\n  ]";
  out += ",\n  \"status\": ";
  AppendJsonString(out, plan.status);
  out += "\n}\n";
  return out;
}

std::string PlanTsv(const PlanReport& plan) {
  std::string out = "volume\tname\tsize\tdate\tkind\n";
  if (plan.entries) {
    for (const auto& entry : *plan.entries) {
      out += std::to_string(entry.Volume) + '\t';
      AppendTsvField(out, entry.Name());
      out += '\t' + std::to_string(entry.Size) + '\t';
      AppendTsvField(out, entry.DateText());
      out += '\t';
      AppendTsvField(out, entry.KindText());
      out += '\n';
    }
  }
  out += "volume\tfolder\tsize\n";
  for (const VolumeReport& volume : plan.volumes) {
    out += std::to_string(volume.volume) + '\t';
    AppendTsvField(out, volume.folder);
    out += '\t' + std::to_string(volume.size) + '\n';
  }
  return out;
}

std::string PlanTable(const PlanReport& plan) {
  // The entry list with the window's column captions, then the volume list,
  // then the status line.
  std::vector<std::array<std::string, 5>> rows;
  rows.push_back(TitlesOf(kEntryListColumns));
  if (plan.entries) {
    rows.reserve(plan.entries->size() + 1);
    for (const auto& entry : *plan.entries) {
      rows.push_back({std::to_string(entry.Volume), DisplayText(entry.Name()),
                      FormatThousands(entry.Size), entry.DateText(),
                      DisplayText(entry.KindText())});
    }
  }
  std::array<std::size_t, 5> widths{};
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    }
  }
  std::string out;
  for (const auto& row : rows) {
    std::string line = PadLeft(row[0], widths[0]) + "  " + PadRight(row[1], widths[1]) + "  " +
                       PadLeft(row[2], widths[2]) + "  " + PadRight(row[3], widths[3]) + "  " +
                       row[4];
    out += line + '\n';
  }

  std::vector<std::array<std::string, 3>> volume_rows;
  volume_rows.push_back(TitlesOf(kVolumeListColumns));
  for (const VolumeReport& volume : plan.volumes) {
    volume_rows.push_back(
        {std::to_string(volume.volume), DisplayText(volume.folder), FormatThousands(volume.size)});
  }
  std::array<std::size_t, 3> volume_widths{};
  for (const auto& row : volume_rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      volume_widths[i] = std::max(volume_widths[i], DisplayWidth(row[i]));
    }
  }
  out += '\n';
  for (const auto& row : volume_rows) {
    out += PadLeft(row[0], volume_widths[0]) + "  " + PadRight(row[1], volume_widths[1]) + "  " +
           PadLeft(row[2], volume_widths[2]) + '\n';
  }
  for (const VolumeReport& volume : plan.volumes) {
    if (volume.image.empty()) continue;
    out += (&volume == &plan.volumes.front() ? "\n" : "") + DisplayText(volume.image) + "  " +
           FormatThousands(volume.image_size) + " bytes\n";
  }
  out += '\n' + plan.status + '\n';
  // How close the plan is to the fewest volumes any plan could have.
  out += "volumes " + std::to_string(plan.volume_count) + ", lower bound " +
         std::to_string(plan.lower_bound);
  if (plan.volume_count <= plan.lower_bound) {
    out += ", the fewest possible";
  } else if (plan.method == kFewestVolumes) {
    out += ", not proven the fewest";
  }
  out += '\n';
  return out;
}

std::string FormatPlan(const PlanReport& plan, OutputFormat format) {
  switch (format) {
    case OutputFormat::kJson: return PlanJson(plan);
    case OutputFormat::kTsv: return PlanTsv(plan);
    case OutputFormat::kTable: return PlanTable(plan);
  }
  return {};
}

}  // namespace morvick::cli
