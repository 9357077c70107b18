#pragma once

// TForm1 on Win32: the main window built from the shared control table, its
// handlers on the shared plan commands and settings, and the one dispatch of
// its controls' WM_COMMAND, WM_NOTIFY and WM_HSCROLL messages.

#include "commands/command_state.h"
#include "commands/form_values.h"
#include "commands/main_window_controls.h"
#include "commands/plan_values.h"
#include "commands/pump_throttle.h"
#include "common/prompter.h"
#include "engine/tree_store.h"
#include "win/about_box.h"
#include "win/folder_picker.h"
#include "win/list_view.h"
#include "win/tool_tips.h"
#include "win/tree_view.h"
#include "win/volume_drag.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace morvick {
class PathRules;
struct MoveReport;
}  // namespace morvick

namespace morvick::win {

class TOKBottomDlg1;

// The files the main window reads and writes.
struct WindowFiles {
  std::string settings_path;   // the INI settings file
  std::string presets_path;    // the preset list the drop-down is built from
  std::string journal_folder;  // where the journals of the window's moves are kept
  std::string help_path;       // the HTML help that Help1Click opens
};

// The files of this installation and this user, as morvick-cli.exe finds them.
WindowFiles DefaultWindowFiles();

// Menu commands of "&Property".
inline constexpr int kHelp1Command = 1201;
inline constexpr int kSetting1Command = 1202;
inline constexpr int kAbout1Command = 1203;

// A private message: the start-up offer to take back moves cut short, posted
// so that it runs once the window is up and its loop is running.
inline constexpr UINT kOfferRecoveryMessage = WM_APP + 1;

class TForm1 : public LiveInputs, public PlanSink {
 public:
  TForm1(Prompter& prompter, WindowFiles files);
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Creates the window, hidden, with every control of the table at the
  // design scaled to the monitor's dots per inch. Raises Error when it cannot.
  void Create();
  HWND handle() const { return window_; }
  // Centres the window on its monitor's work area (the first time), shows it
  // and gives ListView2 the focus.
  void Show(int show_command);
  // Called once the close prompt has granted the close and the window is gone.
  void SetClosedHandler(std::function<void()> closed) { closed_ = std::move(closed); }

  // Clears the flags, loads the settings and the preset list. Raises when the
  // preset file cannot be read; the settings are loaded by then.
  void FormCreate();

  // The handlers, public so that start-up and the tests can drive them.
  void Button1Click();
  void ShowPlanBound();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  void Button7Click();
  void OfferRecovery();
  void Edit4Change();
  void UpDown1Click(bool up);
  void RadioGroup1Click();
  void ComboBox2Change();
  void About1Click();
  void Help1Click();
  void Setting1Click();
  // The drag-out of a volume; positions are in ListView2's client area. A
  // press of the left button sets the origin; a move of 5 pixels or more
  // from it in x or y, with the button still down on a selected row, drags
  // the items of that row's volume folder.
  void ListView2MouseDown(bool left_button, int x, int y);
  void ListView2MouseMove(int x, int y);
  POINT DragOrigin() const { return {DragOriginX, DragOriginY}; }
  // Replaces the drag loop (the tests look at the data); nullptr restores
  // the real one. The window does not own it.
  void SetDragRunner(DragRunner* runner) {
    drag_runner_ = runner != nullptr ? runner : &ole_drag_runner_;
  }
  // The close prompt and the settings save; true when the window may close.
  bool FormCloseQuery();

  // The preset editor that Setting1Click shows; the window does not own it.
  void SetPresetEditor(TOKBottomDlg1* editor) { preset_editor_ = editor; }
  // Replaces the opening of the help file by the shell (the tests look at the
  // path); an empty function restores the shell's.
  using HelpOpener = std::function<void(HWND owner, const std::string& path)>;
  void SetHelpOpener(HelpOpener opener);

  // Replaces the folder browser (the tests answer it); nullptr restores the
  // shell's. The window does not own it.
  void SetFolderPicker(FolderPicker* picker) {
    folder_picker_ = picker != nullptr ? picker : &shell_picker_;
  }

  CommandState& state() { return state_; }
  const std::vector<std::string>& PresetNames() const { return preset_names_; }

  // A control of the table by its designer name (nullptr for none), and the
  // items of RadioGroup1 and the arrows of SpinEdit1, which the table does not name.
  HWND Control(std::string_view name) const;
  HWND RadioItem(int index) const;
  HWND SpinArrows() const { return spin_arrows_; }
  HMENU Menu() const { return menu_; }
  int Dpi() const { return dpi_; }

  const VirtualListView& EntryListView() const { return list_view1_; }
  const VirtualListView& VolumeListView() const { return list_view2_; }
  const ToolTips& Tips() const { return tool_tips_; }
  StoreTreeView& FolderTreeView() { return tree_view1_; }

  // What the controls hold, and the same put back into them.
  FormValues ReadFormValues() const;
  void ApplyFormValues(const FormValues& form);
  std::string StatusText() const;

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
  // On a thread of its own while the window keeps pumping its messages.
  void RunBlocking(const std::function<void()>& work) override;
  void SetStatusText(const std::string& text) override;

  // The least time between two event pumps of a scan (0: pump after every entry).
  void SetPumpInterval(int milliseconds) {
    pump_throttle_.SetInterval(std::chrono::milliseconds(milliseconds));
  }

 private:
  struct Placed {
    const ControlEntry* entry;
    HWND handle;
  };
  struct FontDeleter {
    void operator()(HFONT font) const {
      if (font) DeleteObject(font);
    }
  };
  using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK ListView2Proc(HWND list, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR id, DWORD_PTR data);
  static LRESULT CALLBACK ContainerProc(HWND container, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR id, DWORD_PTR data);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void OnCommand(int id, int code);
  bool OnNotify(const NMHDR& header, LRESULT& result);
  void OnTrackBar();
  void OnClose();
  void OnDpiChanged(int dpi, const RECT* suggested);
  // Sizes the window so that its client area is the design's at its dots per
  // inch, at the top-left corner of `suggested` when one is given.
  void FitClientArea(const RECT* suggested);
  LRESULT OnMeasureItem(MEASUREITEMSTRUCT& item) const;
  void DrawPresetItem(const DRAWITEMSTRUCT& item) const;

  // main_window_layout.cpp: the controls of the table, the menu, and their
  // places, sizes and fonts at the window's dots per inch.
  void BuildControls();
  HWND MakeControl(const ControlEntry& entry, HWND container, int id);
  void BuildMenu();
  void ArrangeTabOrder();
  void LayOut();
  void PlaceControl(const Placed& placed);
  void UpdateRadioTabStop();

  // Runs a handler; an error that escapes it goes to the error box.
  template <typename Handler>
  void Guarded(Handler&& handler);
  // A journal that could not be written ended Move or Undo before anything moved.
  void ShowJournalFailure(const MoveReport& report);

  // Button2Click and Button3Click: the browser's choice into the box `name`.
  void BrowseInto(std::string_view name);
  std::string TextOf(std::string_view name) const;
  void SetTextOf(std::string_view name, const std::string& text);
  bool Checked(std::string_view name) const;
  void SetChecked(std::string_view name, bool checked);
  int RadioGroup1Index() const;
  void SetRadioGroup1Index(int index);
  int TrackBarPosition() const;
  int ComboBox3Index() const;

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
  int last_track_position_ = 0;
  std::function<void()> closed_;
  TAboutBox1 about_box_;
  TOKBottomDlg1* preset_editor_ = nullptr;
  HelpOpener open_help_;
  // The drag-out of ListView2: the last left press, and whether the list
  // holds a left press that has not been released.
  LONG DragOriginX = 0;
  LONG DragOriginY = 0;
  bool list2_left_pressed_ = false;
  OleDragRunner ole_drag_runner_;
  DragRunner* drag_runner_ = &ole_drag_runner_;
  ShellFolderPicker shell_picker_;
  FolderPicker* folder_picker_ = &shell_picker_;

  HWND window_ = nullptr;
  HMENU menu_ = nullptr;
  int dpi_ = 96;
  Font font_;
  Font bold_font_;
  std::vector<Placed> controls_;
  std::vector<HWND> radio_items_;
  HWND spin_arrows_ = nullptr;
  HWND focus_ = nullptr;  // the control that had the focus when the window was left
  VirtualListView list_view1_;
  VirtualListView list_view2_;
  ToolTips tool_tips_;
  StoreTreeView tree_view1_{tree_store_};
};

}  // namespace morvick::win
