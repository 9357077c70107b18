#include "settings/settings_io.h"

#include "common/error.h"
#include "common/text_rules.h"
#include "platform/file_io.h"
#include "settings/ini_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>

namespace morvick {
namespace {

constexpr int kMaxSeq = 999999999;

// The settings file as read once for the whole load; a missing or unreadable
// file has no keys, so every key takes its default.
class StoredSettings {
 public:
  explicit StoredSettings(const std::string& path)
      : content_(platform::ReadWholeFile(path).content) {}

  std::optional<std::string> Value(std::string_view key) const {
    if (!content_) return std::nullopt;
    return FindProfileValue(*content_, kSettingsSection, key);
  }

  std::string Text(std::string_view key, std::string_view default_value) const {
    return Value(key).value_or(std::string(default_value));
  }

  int Integer(std::string_view key, int default_value) const {
    const auto text = Value(key);
    if (!text) return default_value;
    return TryParseSettingsInt(*text).value_or(default_value);
  }

  bool Boolean(std::string_view key, bool default_value) const {
    return Integer(key, default_value ? 1 : 0) != 0;
  }

 private:
  std::optional<std::string> content_;
};

// A stored list index: -1 or an item's index, anything else selects nothing.
int ListIndex(int stored, std::size_t item_count) {
  return stored >= 0 && static_cast<std::size_t>(stored) < item_count ? stored : -1;
}

std::string BooleanText(bool value) { return value ? "1" : "0"; }

}  // namespace

SettingsValues LoadSettings(const std::string& ini_path) {
  const StoredSettings stored(ini_path);
  SettingsValues values;
  values.size = stored.Text("Size", values.size);
  values.input_path = stored.Text("InputPath", values.input_path);
  values.output_path = stored.Text("OutputPath", values.output_path);
  values.base_name = stored.Text("BaseName", values.base_name);
  values.figure = std::clamp(stored.Integer("Figure", values.figure), 1, 9);
  values.packing = std::clamp(stored.Integer("Packing", values.packing), -1, kLastPackingIndex);
  values.scale = ListIndex(stored.Integer("Scale", values.scale), kUnitItems.size());
  values.cluster_size =
      ListIndex(stored.Integer("ClusterSize", values.cluster_size), kClusterSizeItems.size());
  values.seq = std::clamp(stored.Integer("Seq", values.seq), 1, kMaxSeq);
  values.seq_flag = stored.Boolean("SeqFlag", values.seq_flag);
  values.move_flag = stored.Boolean("MoveFlag", values.move_flag);
  values.fewest_volumes = stored.Boolean("FewestVolumes", values.fewest_volumes);
  return values;
}

std::int32_t SeqOfTypedText(std::string_view text) { return TryParseSettingsInt(text).value_or(1); }

std::vector<SettingsEntry> SettingsEntries(const SettingsValues& values, int volume_rows) {
  // Taken in 64 bits so that a typed 2147483647 plus the volume rows cannot overflow.
  std::int64_t seq = values.seq;
  if (values.seq_flag) seq += volume_rows;

  return {
      {"Size", values.size},
      {"InputPath", values.input_path},
      {"OutputPath", values.output_path},
      {"BaseName", values.base_name},
      {"Figure", std::to_string(values.figure)},
      {"Packing", std::to_string(values.packing)},
      {"Scale", std::to_string(values.scale)},
      {"ClusterSize", std::to_string(values.cluster_size)},
      {"Seq", std::to_string(seq)},
      {"SeqFlag", BooleanText(values.seq_flag)},
      {"MoveFlag", BooleanText(values.move_flag)},
      {"FewestVolumes", BooleanText(values.fewest_volumes)},
  };
}

void SaveSettings(const SettingsValues& values, int volume_rows, const std::string& ini_path) {
  const std::string failure = ini_path + " に書き込めません";
  if (platform::CreateParentFolders(ini_path) != 0) throw Error(failure);
  // The keys are set in memory and the file replaced once, so a save that is
  // killed half-way leaves the old settings or the new ones, never a mix. A
  // key that cannot be stored still stops the save there, with the keys
  // before it written.
  const platform::FileRead file = platform::ReadWholeFile(ini_path);
  if (!file.content && file.error != ENOENT) throw Error(failure);
  std::string text = file.content.value_or(std::string());
  for (const SettingsEntry& entry : SettingsEntries(values, volume_rows)) {
    const auto updated = SetProfileValue(text, kSettingsSection, entry.key, entry.value);
    if (!updated) {
      if (text != file.content && platform::ReplaceFileAtomically(ini_path, text) != 0)
        throw Error(failure);
      throw Error(failure);
    }
    text = *updated;
  }
  if (platform::ReplaceFileAtomically(ini_path, text) != 0) throw Error(failure);
}

bool FormCloseQuery(const SettingsValues& values, int volume_rows, Prompter& prompter,
                    const std::string& ini_path) {
  switch (prompter.ConfirmYesNoCancel(kClosePromptText)) {
    case Answer::Yes: SaveSettings(values, volume_rows, ini_path); return true;
    case Answer::No: return true;
    case Answer::Ok:
    case Answer::Cancel: return false;
  }
  return false;
}

}  // namespace morvick
