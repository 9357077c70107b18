#include "test_forms.h"

#include "support/as_nobody.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace morvick::testing {

void TestSettingsForm::ClearStateFlags() {
  calls.push_back("ClearStateFlags");
  flags_cleared = true;
}

void TestSettingsForm::SetEditText(int number, const std::string& text) {
  calls.push_back("Edit" + std::to_string(number));
  const bool changed = edits.at(number - 1) != text;
  edits.at(number - 1) = text;
  if (number == 4 && changed) Edit4Change();
}

void TestSettingsForm::SetTrackBar1Position(int position) {
  calls.push_back("TrackBar1");
  const bool changed = track_bar != position;
  track_bar = position;
  if (changed) Edit4Change();
}

void TestSettingsForm::SetRadioGroup1Index(int index) {
  calls.push_back("RadioGroup1");
  radio_group = index;
}

void TestSettingsForm::ClearStatusText() {
  calls.push_back("StatusBar");
  status_text.clear();
}

void TestSettingsForm::SetComboBox1Index(int index) {
  calls.push_back("ComboBox1");
  combo1 = index;
}

void TestSettingsForm::SetComboBox3Index(int index) {
  calls.push_back("ComboBox3");
  combo3 = index;
}

void TestSettingsForm::SetSpinEdit1Value(int value) {
  calls.push_back("SpinEdit1");
  const std::string text = std::to_string(value);
  const bool changed = spin_text != text;
  spin_text = text;
  if (changed) Edit4Change();
}

void TestSettingsForm::SetCheckBox1Checked(bool checked) {
  calls.push_back("CheckBox1");
  check1 = checked;
}

void TestSettingsForm::SetCheckBox2Checked(bool checked) {
  calls.push_back("CheckBox2");
  check2 = checked;
}

void TestSettingsForm::Edit4Change() { edit4_changes.push_back({edits[3], track_bar, spin_text}); }

std::string RunUnprivileged(const std::string& shared_folder,
                            const std::function<std::string()>& body) {
  if (::geteuid() != 0) return body();

  for (std::filesystem::path p = shared_folder; p.has_relative_path(); p = p.parent_path()) {
    struct stat info {};
    if (::stat(p.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == 0) {
      ::chmod(p.c_str(), info.st_mode | 0111);  // let the user pass through
    }
  }
  return RunInChildAsNobody(body);
}

}  // namespace morvick::testing
