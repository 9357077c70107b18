#pragma once

// TForm1, the main window: the controls of the plan (inputs, the entry and
// volume lists, the folder tree, the status bar) and the handlers that connect
// them to the plan commands and the settings.

#include "commands/command_state.h"
#include "commands/form_values.h"
#include "commands/main_window_controls.h"
#include "commands/plan_values.h"
#include "commands/pump_throttle.h"
#include "common/prompter.h"
#include "engine/tree_store.h"
#include "ui/folder_picker.h"
#include "ui/up_down.h"
#include "ui/volume_drag.h"

#include <QMainWindow>
#include <QPoint>
#include <QPointer>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QSlider;
class QStatusBar;
class QTreeView;

namespace morvick {
class PathRules;
struct MoveReport;
}  // namespace morvick

namespace morvick::ui {

class HelpWindow;
class ListView;
class PresetComboBox;
class SpinEdit;
class TreeModel;

// The files the main window reads and writes.
struct WindowFiles {
  std::string settings_path;   // the INI settings file
  std::string presets_path;    // the preset list the drop-down is built from
  std::string help_path;       // the HTML help shown by Help1Click
  std::string journal_folder;  // where the journals of the window's moves are kept
};

class TForm1 : public QMainWindow, public LiveInputs, public PlanSink {
  Q_OBJECT

 public:
  TForm1(Prompter& prompter, WindowFiles files, QWidget* parent = nullptr);
  ~TForm1() override;

  // Clears the flags, loads the settings and the preset list. Raises when the
  // preset file cannot be read; the settings are loaded by then.
  void FormCreate();

  // The two dialogs the menu opens; created after this window, owned by it.
  void SetDialogs(QDialog* about_box, QDialog* preset_editor);

  CommandState& state() { return state_; }
  const std::vector<std::string>& PresetNames() const { return preset_names_; }
  const TreeModel& tree_model() const { return *tree_model_; }

  // The handlers, public so that start-up and the tests can drive them.
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  void Button7Click();
  // At start: offers to take back every move of the window that was cut
  // short, and to finish every Undo that was (the program was killed or the
  // machine stopped during it), newest first, one question each.
  void OfferRecovery();
  void Edit4Change();
  void UpDown1Click(UpDownButton button);
  void RadioGroup1Click();
  void ComboBox2Change(int index);
  void Help1Click();
  void Setting1Click();
  void About1Click();

  // The drag-out of a volume; positions are in ListView2's viewport. A press
  // of the left button sets the origin; a move of 5 pixels or more from it in
  // x or y, with the button still down on a selected row, drags the items of
  // that row's volume folder.
  void ListView2MouseDown(Qt::MouseButton button, int x, int y);
  void ListView2MouseMove(int x, int y);
  QPoint DragOrigin() const { return {DragOriginX, DragOriginY}; }

  // Replace the folder browser and the drag loop (the tests answer them);
  // nullptr restores the real ones. The window does not own them.
  void SetFolderPicker(FolderPicker* picker);
  void SetDragRunner(DragRunner* runner);

  // Control setters that start-up helpers and the tests use: Edit1 to Edit4
  // (`number` 1 to 4) and RadioGroup1 (-1 for none).
  void SetEditText(int number, const std::string& text);
  void SetRadioGroup1Index(int index);

  // Control values.
  std::string EditText(int number) const;
  int RadioGroup1Index() const;
  int ComboBox1Index() const;

  // What the controls hold, and the same put back into them.
  FormValues ReadFormValues() const;
  void ApplyFormValues(const FormValues& form);

  // What the commands read when they start, from the controls.
  InvestigateInputs ReadInvestigateInputs() const { return InvestigateInputsOf(ReadFormValues()); }
  MoveInputs ReadMoveInputs() const { return MoveInputsOf(ReadFormValues()); }

  // LiveInputs: ComboBox3's text, CheckBox2 and RadioGroup1.
  std::string ClusterSizeText() const override;
  bool SkipLastVolume() const override;
  std::optional<int> PackingMethodAfterScan() const override;

  // PlanSink: ListView1, ListView2, TreeView1 and the status bar.
  void ClearPlan() override;
  void ShowPlan(const PlanRows& plan) override;
  void ClearTree() override;
  TreeStore* Tree() override { return &tree_store_; }
  void PumpEvents() override;
  void BeginTreeUpdate() override;
  void EndTreeUpdate() override;
  void PumpEventsWhilePacking() override { PumpEvents(); }
  void SetStatusText(const std::string& text) override;

  std::string StatusText() const;

  // The least time between two event pumps of a scan (0: pump after every entry).
  void SetPumpInterval(int milliseconds) {
    pump_throttle_.SetInterval(std::chrono::milliseconds(milliseconds));
  }

 Q_SIGNALS:
  // The close prompt granted the close; the program ends.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  using ControlsByName = std::map<std::string_view, QWidget*>;
  void BuildControls();
  // One control of the window's table, made in its container.
  QWidget* MakeControl(const ControlEntry& entry, QWidget* container);
  void BuildMenu();
  // Sizes the window so that the area under the menu bar is the designed one.
  void FitClientArea();
  void SetTabOrder(const ControlsByName& controls);
  void WireHandlers();
  void UpdateRadioFocus();
  // Runs a handler; an error that escapes it goes to the error box.
  template <typename Handler>
  void Guarded(Handler&& handler);
  QLineEdit* Edit(int number) const;
  // A journal that could not be written ended Move or Undo before anything moved.
  void ShowJournalFailure(const MoveReport& report);
  // ComboBox3's item, -1 when none is chosen or its text was typed.
  int ComboBox3Index() const;
  void SetComboBox3Index(int index);
  void BrowseInto(QLineEdit& edit);
  // Ends ListView2's own handling of the left press, as a release would.
  void EndListView2Press();

  Prompter& prompter_;
  const WindowFiles files_;
  const PathRules& path_rules_;
  CommandState state_;
  TreeStore tree_store_;
  std::vector<std::string> preset_names_;  // PresetNames, parallel to ComboBox2
  // What ListView2 reads: the totals of the plan shown and the naming of its
  // "フォルダ" column (that of the plan, then the inputs' after every change).
  std::vector<std::int64_t> volume_totals_;
  VolumeNaming volume_naming_;
  int tree_update_depth_ = 0;
  PumpThrottle pump_throttle_;
  bool close_after_scan_ = false;
  bool cluster_text_typed_ = false;
  bool shown_once_ = false;

  // The drag-out of ListView2: the last left press, and whether the list holds
  // a left press that has not been released.
  std::int32_t DragOriginX = 0;
  std::int32_t DragOriginY = 0;
  bool list2_left_pressed_ = false;
  DialogFolderPicker dialog_picker_;
  FolderPicker* folder_picker_ = &dialog_picker_;
  QtDragRunner qt_drag_runner_;
  DragRunner* drag_runner_ = &qt_drag_runner_;

  // Controls, by their designer names.
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button3 = nullptr;
  QPushButton* Button4 = nullptr;
  QPushButton* Button5 = nullptr;
  QPushButton* Button6 = nullptr;
  QTreeView* TreeView1 = nullptr;
  ListView* ListView1 = nullptr;
  ListView* ListView2 = nullptr;
  QGroupBox* RadioGroup1 = nullptr;
  QButtonGroup* RadioGroup1Buttons = nullptr;
  QGroupBox* GroupBox1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLineEdit* Edit2 = nullptr;
  QLineEdit* Edit3 = nullptr;
  QLineEdit* Edit4 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* Label8 = nullptr;
  QSlider* TrackBar1 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QLabel* StatusPanel = nullptr;
  QMenu* Property1 = nullptr;
  QAction* About1 = nullptr;
  QAction* Help1 = nullptr;
  QPushButton* Button7 = nullptr;
  QGroupBox* GroupBox2 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  UpDown* UpDown1 = nullptr;
  PresetComboBox* ComboBox2 = nullptr;
  QAction* Setting1 = nullptr;
  QGroupBox* GroupBox3 = nullptr;
  QComboBox* ComboBox3 = nullptr;
  SpinEdit* SpinEdit1 = nullptr;
  QLabel* Label9 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QCheckBox* CheckBox2 = nullptr;
  QCheckBox* CheckBox3 = nullptr;

  TreeModel* tree_model_ = nullptr;
  QPointer<QDialog> about_box_;
  QPointer<QDialog> preset_editor_;
  QPointer<HelpWindow> help_window_;
};

}  // namespace morvick::ui
