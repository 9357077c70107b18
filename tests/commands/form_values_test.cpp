// The values of the window's controls: the defaults every front end starts
// from, the start number and the cluster size as typed or chosen, and the
// mappings to the commands' inputs and to the settings file.

#include "commands/form_values.h"
#include "engine/packing.h"

#include <gtest/gtest.h>

#include <string>

namespace morvick {
namespace {

TEST(FormValues, DefaultsAreWhatAMissingSettingsFileGives) {
  // The command line starts from FormValues{}, the window from the settings.
  EXPECT_EQ(FormValuesOf(SettingsValues{}), FormValues{});
  EXPECT_EQ(SettingsOf(FormValues{}), SettingsValues{});
}

TEST(FormValues, LoadedSettingsAreSavedBackUnchanged) {
  SettingsValues distinct;
  distinct.size = "4700";
  distinct.input_path = "/in";
  distinct.output_path = "/out";
  distinct.base_name = "disc";
  distinct.figure = 2;
  distinct.packing = 6;
  distinct.scale = kUnitBytes;
  distinct.cluster_size = 4;
  distinct.seq = 998;
  distinct.seq_flag = true;
  distinct.move_flag = true;
  distinct.fewest_volumes = true;

  SettingsValues nothing_chosen;  // as LoadSettings gives for indices that name no item
  nothing_chosen.packing = -1;
  nothing_chosen.scale = -1;
  nothing_chosen.cluster_size = -1;
  nothing_chosen.seq = 999999999;

  for (const SettingsValues& settings : {distinct, nothing_chosen}) {
    EXPECT_EQ(SettingsOf(FormValuesOf(settings)), settings) << settings.size;
  }
  // No cluster item stored: the box keeps its initial text.
  EXPECT_EQ(FormValuesOf(nothing_chosen).cluster_text, "0");
  EXPECT_EQ(FormValuesOf(distinct).cluster_text, "4096");
}

TEST(FormValues, StartNumberAsTypedNamesVolumesAndIsSavedByTheSettingsRule) {
  struct Case {
    const char* text;
    std::int32_t naming_start;  // the spin box's 32-bit integer text, else 1
    std::int32_t saved_seq;     // the settings file's integer rule, else 1
  };
  // Leading blanks make a number to the spin box, not to the settings file.
  const Case cases[] = {
      {"7", 7, 7},           {"", 1, 1},       {"abc", 1, 1},
      {"-5", -5, -5},        {"0x10", 16, 16}, {"x10", 16, 16},
      {"$FFFFFFFF", -1, -1}, {" 5", 5, 1},     {"2147483648", 1, 1},
  };
  for (const Case& c : cases) {
    FormValues form;
    form.start_text = c.text;
    EXPECT_EQ(NamingOf(form).start_number, c.naming_start) << c.text;
    EXPECT_EQ(SettingsOf(form).seq, c.saved_seq) << c.text;
  }

  // Leaving the box brings the typed value into its range.
  EXPECT_EQ(SpinValueInRange("0", kFirstStartNumber, kLastStartNumber), 1);
  EXPECT_EQ(SpinValueInRange("-5", kFirstStartNumber, kLastStartNumber), 1);
  EXPECT_EQ(SpinValueInRange("abc", kFirstStartNumber, kLastStartNumber), 1);
  EXPECT_EQ(SpinValueInRange("1000000000", kFirstStartNumber, kLastStartNumber), 999999999);
  EXPECT_EQ(SpinValueInRange("$10", kFirstStartNumber, kLastStartNumber), 16);
}

TEST(FormValues, OnlyAChosenClusterSizeIsSaved) {
  struct Case {
    const char* text;
    int item;
    bool typed;
    int saved;
  };
  const Case cases[] = {
      {"4096", 4, false, 4},  {"0", 0, false, 0},
      {"4096", 4, true, -1},  // typed, even when it reads as the item
      {"0", -1, false, -1},   // the box's initial text, no item chosen
      {"abc", 4, false, -1},  // the text was replaced without typing
      {"512", 11, false, -1}, {"512", -2, false, -1},
  };
  for (const Case& c : cases) {
    FormValues form;
    form.cluster_text = c.text;
    form.cluster_item = c.item;
    form.cluster_typed = c.typed;
    EXPECT_EQ(SettingsOf(form).cluster_size, c.saved) << c.text << " item " << c.item;
  }
}

TEST(FormValues, CommandsReadTheirOwnControls) {
  FormValues form;
  form.split_size_text = "4700";
  form.input_text = "/in";
  form.output_text = "/out";
  form.base_name = "disc";
  form.unit_index = kUnitBytes;
  form.method_index = 6;
  form.digits = 2;
  form.start_text = "9";

  const InvestigateInputs investigate = InvestigateInputsOf(form);
  EXPECT_EQ(investigate.split_size_text, "4700");
  EXPECT_EQ(investigate.input_text, "/in");
  EXPECT_EQ(investigate.unit_index, kUnitBytes);
  EXPECT_EQ(investigate.method_index, 6);
  EXPECT_EQ(investigate.naming.FolderName(2), "disc10");

  const MoveInputs move = MoveInputsOf(form);
  EXPECT_EQ(move.input_text, "/in");
  EXPECT_EQ(move.output_text, "/out");
  EXPECT_EQ(move.method_index, 6);
  EXPECT_EQ(move.naming.FolderName(1), "disc09");

  // CheckBox3 replaces the radio group's method for both, and the item stays chosen.
  form.fewest_volumes = true;
  EXPECT_EQ(InvestigateInputsOf(form).method_index, kFewestVolumes);
  EXPECT_EQ(MoveInputsOf(form).method_index, kFewestVolumes);
  EXPECT_EQ(SettingsOf(form).packing, 6);
}

}  // namespace
}  // namespace morvick
