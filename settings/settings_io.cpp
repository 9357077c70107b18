#include "settings/settings_io.h"

#include "common/error.h"
#include "common/text_rules.h"
#include "settings/file_io.h"
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
  explicit StoredSettings(const std::string& path) : content_(ReadWholeFile(path).content) {}

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

void LoadSettings(SettingsForm& form, const std::string& ini_path) {
  const StoredSettings stored(ini_path);
  form.ClearStateFlags();

  form.SetEditText(1, stored.Text("Size", "650"));
  form.SetEditText(2, stored.Text("InputPath", ""));
  form.SetEditText(3, stored.Text("OutputPath", ""));
  form.SetEditText(4, stored.Text("BaseName", "folder"));

  form.SetTrackBar1Position(std::clamp(stored.Integer("Figure", 5), 1, 9));
  form.SetRadioGroup1Index(std::clamp(stored.Integer("Packing", 0), -1, kLastPackingIndex));
  form.ClearStatusText();

  // The lists are touched only when the stored index differs from the current one.
  const int unit = ListIndex(stored.Integer("Scale", 0), kUnitItems.size());
  if (unit != form.ComboBox1Index()) form.SetComboBox1Index(unit);
  const int cluster = ListIndex(stored.Integer("ClusterSize", 0), kClusterSizeItems.size());
  if (cluster != form.ComboBox3Index()) form.SetComboBox3Index(cluster);

  form.SetSpinEdit1Value(std::clamp(stored.Integer("Seq", 1), 1, kMaxSeq));
  form.SetCheckBox1Checked(stored.Boolean("SeqFlag", false));
  form.SetCheckBox2Checked(stored.Boolean("MoveFlag", false));
}

std::vector<SettingsEntry> SettingsEntries(const SettingsForm& form) {
  // The spin box's text may be anything the user typed; 1, its minimum, stands
  // in for a text that is no number. The sum is taken in 64 bits so that a
  // typed 2147483647 plus the volume rows cannot overflow.
  std::int64_t seq = TryParseSettingsInt(form.SpinEdit1Text()).value_or(1);
  if (form.CheckBox1Checked()) seq += form.ListView2RowCount();

  return {
      {"Size", form.EditText(1)},
      {"InputPath", form.EditText(2)},
      {"OutputPath", form.EditText(3)},
      {"BaseName", form.EditText(4)},
      {"Figure", std::to_string(form.TrackBar1Position())},
      {"Packing", std::to_string(form.RadioGroup1Index())},
      {"Scale", std::to_string(form.ComboBox1Index())},
      {"ClusterSize", std::to_string(form.ComboBox3Index())},
      {"Seq", std::to_string(seq)},
      {"SeqFlag", BooleanText(form.CheckBox1Checked())},
      {"MoveFlag", BooleanText(form.CheckBox2Checked())},
  };
}

void SaveSettings(const SettingsForm& form, const std::string& ini_path) {
  const std::string failure = ini_path + " に書き込めません";
  if (CreateParentFolders(ini_path) != 0) throw Error(failure);
  // The keys are set in memory and the file replaced once, so a save that is
  // killed half-way leaves the old settings or the new ones, never a mix. A
  // key that cannot be stored still stops the save there, with the keys
  // before it written.
  const FileRead file = ReadWholeFile(ini_path);
  if (!file.content && file.error != ENOENT) throw Error(failure);
  std::string text = file.content.value_or(std::string());
  for (const SettingsEntry& entry : SettingsEntries(form)) {
    const auto updated = SetProfileValue(text, kSettingsSection, entry.key, entry.value);
    if (!updated) {
      if (text != file.content && ReplaceFileAtomically(ini_path, text) != 0) throw Error(failure);
      throw Error(failure);
    }
    text = *updated;
  }
  if (ReplaceFileAtomically(ini_path, text) != 0) throw Error(failure);
}

bool FormCloseQuery(const SettingsForm& form, Prompter& prompter, const std::string& ini_path) {
  switch (prompter.ConfirmYesNoCancel(kClosePromptText)) {
    case Answer::Yes: SaveSettings(form, ini_path); return true;
    case Answer::No: return true;
    case Answer::Ok:
    case Answer::Cancel: return false;
  }
  return false;
}

}  // namespace morvick
