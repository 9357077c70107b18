#include "settings/presets.h"

#include "common/error.h"
#include "platform/file_io.h"

#include <algorithm>

namespace morvick {
namespace {

std::string FieldOrEmpty(const std::vector<std::string>& fields, std::size_t index) {
  if (index >= fields.size() || IsEmptyPresetField(fields[index])) return std::string();
  return fields[index];
}

// A cell is one line of the file; a line break pasted into it would shift
// every later row, so it is stored as a blank.
std::string SingleLine(std::string cell) {
  std::replace_if(
      cell.begin(), cell.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return cell;
}

}  // namespace

std::vector<std::string> ReadPresetLines(const std::string& path) {
  if (!platform::FileExists(path)) return {};
  const platform::FileRead file = platform::ReadWholeFile(path);
  if (!file.content) throw Error("ファイル " + path + " は開けません");
  return SplitTextLines(*file.content);
}

bool IsEmptyPresetField(std::string_view field) { return field.empty() || field == " "; }

PresetList LoadPresetList(const std::string& path) {
  PresetList list;
  list.size_texts.emplace_back(kPresetHeaderText);
  list.names.emplace_back(kPresetHeaderText);
  std::vector<std::string> lines;
  try {
    lines = ReadPresetLines(path);
  } catch (const Error& error) {
    list.error = error.what();
    return list;
  }
  for (const std::string& line : lines) {
    const std::vector<std::string> fields = SplitCommaLine(line);
    if (fields.size() < 2 || IsEmptyPresetField(fields[0]) || IsEmptyPresetField(fields[1])) {
      continue;
    }
    list.size_texts.push_back(fields[1]);
    list.names.push_back(fields[0]);
  }
  return list;
}

std::optional<PresetChoice> ComboBox2Change(std::string_view chosen_item_text) {
  if (chosen_item_text == kPresetHeaderText) return std::nullopt;
  return PresetChoice{std::string(chosen_item_text)};
}

void LoadPresetGrid(PresetGrid& grid, const std::string& path) {
  const std::vector<std::string> lines = ReadPresetLines(path);
  for (int row = 0; row < kPresetGridRows; ++row) {
    std::vector<std::string> fields;
    if (static_cast<std::size_t>(row) < lines.size()) fields = SplitCommaLine(lines[row]);
    grid.SetCell(0, row, FieldOrEmpty(fields, 0));
    grid.SetCell(1, row, FieldOrEmpty(fields, 1));
  }
}

void SavePresetGrid(const PresetGrid& grid, const std::string& path) {
  std::string content;
  for (int row = 0; row < kPresetGridRows; ++row) {
    content += JoinCommaLine({SingleLine(grid.Cell(0, row)), SingleLine(grid.Cell(1, row))});
    content += "\r\n";
  }
  if (platform::CreateParentFolders(path) != 0 ||
      platform::ReplaceFileAtomically(path, content) != 0) {
    throw Error("ファイル " + path + " を作成できません");
  }
}

bool OKBtnClick(const PresetGrid& grid, Prompter& prompter, const std::string& path) {
  // Only an explicit No skips the save; the box's close box counts as Yes.
  const unsigned buttons = kButtonYes | kButtonNo | kCloseBoxAnswersYes;
  if (prompter.Ask(BoxKind::Warning, kPresetSaveQuestion, buttons) == Answer::No) return false;
  SavePresetGrid(grid, path);
  return true;
}

}  // namespace morvick
