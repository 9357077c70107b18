#include "commands/form_values.h"

#include "common/text_rules.h"
#include "engine/packing.h"
#include "settings/settings_io.h"

#include <algorithm>

namespace morvick {

std::int32_t TypedSpinValue(std::string_view text, std::int32_t minimum) {
  return TryParseInt32(text).value_or(minimum);
}

std::int32_t SpinValueInRange(std::string_view text, std::int32_t minimum, std::int32_t maximum) {
  return std::clamp(TypedSpinValue(text, minimum), minimum, maximum);
}

int ChosenClusterItem(std::string_view text, int item, bool typed) {
  if (typed || item < 0 || static_cast<std::size_t>(item) >= kClusterSizeItems.size() ||
      text != kClusterSizeItems[static_cast<std::size_t>(item)]) {
    return -1;
  }
  return item;
}

int PackingMethodOf(int method_index, bool fewest_volumes) {
  return fewest_volumes ? kFewestVolumes : method_index;
}

VolumeNaming NamingOf(const FormValues& form) {
  return {form.base_name, form.digits, TypedSpinValue(form.start_text, kFirstStartNumber)};
}

InvestigateInputs InvestigateInputsOf(const FormValues& form) {
  InvestigateInputs inputs;
  inputs.split_size_text = form.split_size_text;
  inputs.unit_index = form.unit_index;
  inputs.input_text = form.input_text;
  inputs.method_index = PackingMethodOf(form.method_index, form.fewest_volumes);
  inputs.naming = NamingOf(form);
  return inputs;
}

MoveInputs MoveInputsOf(const FormValues& form) {
  MoveInputs inputs;
  inputs.input_text = form.input_text;
  inputs.output_text = form.output_text;
  inputs.naming = NamingOf(form);
  inputs.method_index = PackingMethodOf(form.method_index, form.fewest_volumes);
  return inputs;
}

SettingsValues SettingsOf(const FormValues& form) {
  SettingsValues settings;
  settings.size = form.split_size_text;
  settings.input_path = form.input_text;
  settings.output_path = form.output_text;
  settings.base_name = form.base_name;
  settings.figure = form.digits;
  settings.packing = form.method_index;
  settings.scale = form.unit_index;
  settings.cluster_size =
      ChosenClusterItem(form.cluster_text, form.cluster_item, form.cluster_typed);
  // The settings file's integer rule, not the spin box's: a typed " 5" names
  // volumes from 5 but is saved as 1.
  settings.seq = SeqOfTypedText(form.start_text);
  settings.seq_flag = form.seq_flag;
  settings.move_flag = form.skip_last;
  settings.fewest_volumes = form.fewest_volumes;
  return settings;
}

FormValues FormValuesOf(const SettingsValues& settings) {
  FormValues form;
  form.split_size_text = settings.size;
  form.input_text = settings.input_path;
  form.output_text = settings.output_path;
  form.base_name = settings.base_name;
  form.unit_index = settings.scale;
  form.method_index = settings.packing;
  form.digits = settings.figure;
  form.start_text = std::to_string(settings.seq);
  // An index that names no item selects none, and the box keeps its initial text.
  const bool item_stored =
      settings.cluster_size >= 0 &&
      static_cast<std::size_t>(settings.cluster_size) < kClusterSizeItems.size();
  form.cluster_item = item_stored ? settings.cluster_size : -1;
  form.cluster_text =
      item_stored ? kClusterSizeItems[static_cast<std::size_t>(settings.cluster_size)] : "0";
  form.cluster_typed = false;
  form.seq_flag = settings.seq_flag;
  form.skip_last = settings.move_flag;
  form.fewest_volumes = settings.fewest_volumes;
  return form;
}

}  // namespace morvick
