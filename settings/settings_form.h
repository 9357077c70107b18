#pragma once

// What the settings and the presets need from the windows: the main window's
// controls that the settings file loads and saves, its preset drop-down, and the
// preset editor's grid. The Qt window implements these; the tests use structs.

#include <array>
#include <string>

namespace morvick {

// Items of ComboBox1 (the size unit) and ComboBox3 (the cluster size).
inline constexpr std::array<const char*, 2> kUnitItems = {"Mbytes", "bytes"};
inline constexpr std::array<const char*, 11> kClusterSizeItems = {
    "0", "512", "1024", "2048", "4096", "8192", "16384", "32768", "65536", "131072", "262144"};
// Items of RadioGroup1, the packing methods, are indexed 0 to kLastPackingIndex.
inline constexpr int kLastPackingIndex = 7;

// The main window's controls as the settings load (FormCreate) and save
// (FormCloseQuery) see them. Every setter goes through the control's ordinary
// setter, so a change notification runs whenever the value really changes:
// Edit4, TrackBar1 and SpinEdit1 reach Edit4Change that way.
class SettingsForm {
 public:
  virtual ~SettingsForm() = default;

  // Clears the seven state flags of the commands (CancelRequested, Searching,
  // SearchDone, Updating, UpdateDone, Undoing, UndoDone). Called by the load
  // before any control is set.
  virtual void ClearStateFlags() = 0;

  // Texts of Edit1 (split size), Edit2 (input folder), Edit3 (output folder)
  // and Edit4 (base name); `number` is 1 to 4.
  virtual std::string EditText(int number) const = 0;
  virtual void SetEditText(int number, const std::string& text) = 0;

  // TrackBar1, the digit count; the load passes 1 to 9.
  virtual int TrackBar1Position() const = 0;
  virtual void SetTrackBar1Position(int position) = 0;

  // RadioGroup1's selected index, -1 for none; the load passes -1 to 7.
  virtual int RadioGroup1Index() const = 0;
  virtual void SetRadioGroup1Index(int index) = 0;

  // Sets the text of the status bar's single panel to "".
  virtual void ClearStatusText() = 0;

  // Selected item of ComboBox1 and of ComboBox3, -1 when none is selected
  // (ComboBox3 reports -1 also when its text was typed rather than chosen).
  // The load passes -1 or a valid index, and only when it differs from the
  // current one; -1 removes the selection. The load never runs a change handler
  // through these (the lists have none).
  virtual int ComboBox1Index() const = 0;
  virtual void SetComboBox1Index(int index) = 0;
  virtual int ComboBox3Index() const = 0;
  virtual void SetComboBox3Index(int index) = 0;

  // SpinEdit1, the start number: the save reads its text (it may be anything
  // the user typed), the load sets its value (1 to 999999999).
  virtual std::string SpinEdit1Text() const = 0;
  virtual void SetSpinEdit1Value(int value) = 0;

  virtual bool CheckBox1Checked() const = 0;
  virtual void SetCheckBox1Checked(bool checked) = 0;
  virtual bool CheckBox2Checked() const = 0;
  virtual void SetCheckBox2Checked(bool checked) = 0;

  // Number of rows of ListView2, the volume list of the current result.
  virtual int ListView2RowCount() const = 0;
};

// The main window's preset drop-down ComboBox2. Its items hold the size texts;
// the display names run parallel in PresetNames, owned by the window.
class PresetListForm {
 public:
  virtual ~PresetListForm() = default;

  virtual void AddComboBox2Item(const std::string& size_text) = 0;
  // Selects an item without running ComboBox2Change.
  virtual void SetComboBox2Index(int index) = 0;
};

// The preset editor's grid StringGrid1: kPresetGridColumns columns by
// kPresetGridRows rows of editable text. Cells are addressed by the position
// shown on screen at that moment (the user may drag rows and columns around).
inline constexpr int kPresetGridColumns = 2;
inline constexpr int kPresetGridRows = 20;

class PresetGrid {
 public:
  virtual ~PresetGrid() = default;

  virtual std::string Cell(int column, int row) const = 0;
  virtual void SetCell(int column, int row, const std::string& text) = 0;
};

}  // namespace morvick
