#include "win/main_window.h"

#include "commands/journal_commands.h"
#include "commands/path_rules.h"
#include "commands/plan_commands.h"
#include "commands/split_size_step.h"
#include "commands/volume_items.h"
#include "common/error.h"
#include "common/error_guard.h"
#include "common/text_rules.h"
#include "platform/shell_open.h"
#include "platform/windows/wide.h"
#include "settings/presets.h"
#include "settings/settings_io.h"
#include "settings/settings_paths.h"
#include "win/dpi.h"
#include "win/message_loop.h"
#include "win/preset_editor.h"
#include "win/program_look.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <thread>

namespace morvick::win {
namespace {

using platform::windows::Narrow;
using platform::windows::Wide;

constexpr const wchar_t* kWindowClass = L"TForm1";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;

std::string WindowText(HWND window) {
  if (window == nullptr) return {};
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(0, copied)));
  return Narrow(text);
}

void RegisterWindowClass(WNDPROC procedure) {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  window_class.hIcon = ProgramIcon(GetSystemMetrics(SM_CXICON));
  window_class.hIconSm = ProgramIcon(GetSystemMetrics(SM_CXSMICON));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kWindowClass;
  if (RegisterClassExW(&window_class) == 0) throw Error("ウィンドウを作成できません");
  registered = true;
}

}  // namespace

WindowFiles DefaultWindowFiles() {
  return WindowFiles{SettingsFilePath(), PresetReadPath(), DefaultJournalFolder(), HelpFilePath()};
}

TForm1::TForm1(Prompter& prompter, WindowFiles files)
    : prompter_(prompter), files_(std::move(files)), path_rules_(PlatformPathRules()) {
  SetHelpOpener(nullptr);
}

void TForm1::SetHelpOpener(HelpOpener opener) {
  if (!opener) {
    // The shell's own viewer of the file (the browser); it reports a missing file itself.
    opener = [](HWND owner, const std::string& path) { platform::OpenWithShell(path, owner); };
  }
  open_help_ = std::move(opener);
}

TForm1::~TForm1() {
  if (window_ != nullptr) {
    // The lists read the plan; they must not ask for it while going.
    list_view1_.Clear();
    list_view2_.Clear();
    const HWND window = window_;
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    window_ = nullptr;
    DestroyWindow(window);
  }
}

void TForm1::Create() {
  RegisterWindowClass(&TForm1::WindowProc);
  const SIZE design = OuterSizeForClient(kMainWindow.client_width, kMainWindow.client_height,
                                         kWindowStyle, kWindowExStyle, kDesignDpi);
  CreateWindowExW(kWindowExStyle, kWindowClass, Wide(kMainWindow.caption).c_str(), kWindowStyle,
                  CW_USEDEFAULT, CW_USEDEFAULT, design.cx, design.cy, nullptr, nullptr,
                  GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) throw Error("ウィンドウを作成できません");
  dpi_ = DpiOfWindow(window_);
  BuildMenu();
  BuildControls();
  LayOut();
  FitClientArea(nullptr);
}

void TForm1::FitClientArea(const RECT* suggested) {
  const SIZE outer = OuterSizeForClient(kMainWindow.client_width, kMainWindow.client_height,
                                        kWindowStyle, kWindowExStyle, dpi_);
  const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (suggested ? 0 : SWP_NOMOVE);
  const int left = suggested ? suggested->left : 0;
  const int top = suggested ? suggested->top : 0;
  SetWindowPos(window_, nullptr, left, top, outer.cx, outer.cy, flags);
  // The frame the system really draws (a menu bar that wraps, metrics of
  // another scale) decides: correct the outer size by what the client misses.
  RECT client{};
  GetClientRect(window_, &client);
  const int missing_width = Scale(kMainWindow.client_width, dpi_) - client.right;
  const int missing_height = Scale(kMainWindow.client_height, dpi_) - client.bottom;
  if (missing_width != 0 || missing_height != 0) {
    SetWindowPos(window_, nullptr, 0, 0, outer.cx + missing_width, outer.cy + missing_height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TForm1::Show(int show_command) {
  if (!shown_once_) {
    shown_once_ = true;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT frame{};
    GetWindowRect(window_, &frame);
    if (GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor)) {
      const RECT& work = monitor.rcWork;
      const int width = frame.right - frame.left;
      const int height = frame.bottom - frame.top;
      SetWindowPos(window_, nullptr, work.left + (work.right - work.left - width) / 2,
                   work.top + (work.bottom - work.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  ShowWindow(window_, show_command);
  UpdateWindow(window_);
  SetFocus(Control("ListView2"));
}

HWND TForm1::Control(std::string_view name) const {
  for (const Placed& placed : controls_) {
    if (placed.entry->name == name) return placed.handle;
  }
  return nullptr;
}

HWND TForm1::RadioItem(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= radio_items_.size()) return nullptr;
  return radio_items_[static_cast<std::size_t>(index)];
}

template <typename Handler>
void TForm1::Guarded(Handler&& handler) {
  RunGuarded(prompter_, std::forward<Handler>(handler));
}

// ---- Messages ---------------------------------------------------------------

LRESULT CALLBACK TForm1::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<TForm1*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    form->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<TForm1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  // No exception may leave through the system's frames: whatever a handler
  // does not catch itself ends in the error box here.
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    form->window_ = nullptr;
    return DefWindowProcW(window, message, wparam, lparam);
  }
  LRESULT result = 0;
  if (!RunGuarded(form->prompter_, [&] { result = form->Handle(message, wparam, lparam); })) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  return result;
}

LRESULT CALLBACK TForm1::ContainerProc(HWND container, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR /*id*/, DWORD_PTR data) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT: {
      const auto* form = reinterpret_cast<const TForm1*>(data);
      if (form->window_ != nullptr) return SendMessageW(form->window_, message, wparam, lparam);
      break;
    }
    case WM_ERASEBKGND: {
      // A frame paints only its line and caption; the face inside is the window's.
      RECT inside{};
      GetClientRect(container, &inside);
      FillRect(reinterpret_cast<HDC>(wparam), &inside, GetSysColorBrush(COLOR_BTNFACE));
      return TRUE;
    }
    case WM_NCDESTROY: RemoveWindowSubclass(container, &TForm1::ContainerProc, 0); break;
    default: break;
  }
  return DefSubclassProc(container, message, wparam, lparam);
}

LRESULT CALLBACK TForm1::ListView2Proc(HWND list, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR /*id*/, DWORD_PTR data) {
  auto* form = reinterpret_cast<TForm1*>(data);
  const int x = GET_X_LPARAM(lparam);
  const int y = GET_Y_LPARAM(lparam);
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      form->list2_left_pressed_ = true;
      form->Guarded([form, x, y] { form->ListView2MouseDown(true, x, y); });
      break;  // then the list's own handling: the selection
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      form->Guarded([form, x, y] { form->ListView2MouseDown(false, x, y); });
      break;
    case WM_LBUTTONUP: form->list2_left_pressed_ = false; break;
    case WM_MOUSEMOVE: {
      // A release the list took in its own loop, where this could not see it.
      if ((wparam & MK_LBUTTON) == 0) form->list2_left_pressed_ = false;
      const bool was_pressed = form->list2_left_pressed_;
      form->Guarded([form, x, y] { form->ListView2MouseMove(x, y); });
      // The move that began a drag (or failed to) is not the list's any more.
      if (was_pressed && !form->list2_left_pressed_) return 0;
      break;
    }
    case WM_NCDESTROY: RemoveWindowSubclass(list, &TForm1::ListView2Proc, 0); break;
    default: break;
  }
  return DefSubclassProc(list, message, wparam, lparam);
}

LRESULT TForm1::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wparam), HIWORD(wparam)); return 0;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (OnNotify(*reinterpret_cast<const NMHDR*>(lparam), result)) return result;
      break;
    }
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lparam) == Control("TrackBar1")) OnTrackBar();
      return 0;
    case WM_MEASUREITEM: return OnMeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lparam));
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item.hwndItem == Control("ComboBox2")) {
        DrawPresetItem(item);
        return TRUE;
      }
      break;
    }
    case WM_SIZE:
      if (const HWND bar = Control("StatusBar1")) SendMessageW(bar, WM_SIZE, 0, 0);
      return 0;
    case WM_ACTIVATE:
      // The focus comes back to the control that had it, also after a message box.
      if (LOWORD(wparam) == WA_INACTIVE) {
        if (const HWND focus = GetFocus(); focus != nullptr && IsChild(window_, focus)) {
          focus_ = focus;
        }
      } else if (focus_ != nullptr && IsWindow(focus_)) {
        SetFocus(focus_);
        return 0;
      }
      break;
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wparam), reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_QUERYENDSESSION: {
      // Log-off and shutdown ask like the close box; Cancel asks the session to stay.
      if (state_.ScanRunning) return FALSE;
      return FormCloseQuery() ? TRUE : FALSE;
    }
    case WM_DESTROY:
      list_view1_.Clear();
      FreeEntries(state_.EntryList);
      if (closed_) closed_();
      return 0;
    case kOfferRecoveryMessage: Guarded([this] { OfferRecovery(); }); return 0;
    default: break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

void TForm1::OnCommand(int id, int code) {
  if (id == kAbout1Command) return Guarded([this] { About1Click(); });
  if (id == kHelp1Command) return Guarded([this] { Help1Click(); });
  if (id == kSetting1Command) return Guarded([this] { Setting1Click(); });
  const ControlEntry* entry = nullptr;
  for (const Placed& placed : controls_) {
    if (GetDlgCtrlID(placed.handle) == id) entry = placed.entry;
  }
  if (entry == nullptr) {
    // RadioGroup1's items.
    for (std::size_t i = 0; i < radio_items_.size(); ++i) {
      if (GetDlgCtrlID(radio_items_[i]) == id && code == BN_CLICKED) {
        UpdateRadioTabStop();
        Guarded([this] { RadioGroup1Click(); });
      }
    }
    return;
  }
  const std::string_view name = entry->name;
  if (code == BN_CLICKED) {
    if (name == "Button1") return Button1Click();  // guards itself
    if (name == "Button2") return Guarded([this] { Button2Click(); });
    if (name == "Button3") return Guarded([this] { Button3Click(); });
    if (name == "Button4") return Guarded([this] { Button4Click(); });
    if (name == "Button5") return Guarded([this] { Button5Click(); });
    if (name == "Button6") return Guarded([this] { Button6Click(); });
    if (name == "Button7") return Guarded([this] { Button7Click(); });
    return;
  }
  if (name == "Edit4" && code == EN_CHANGE) return Guarded([this] { Edit4Change(); });
  if (name == "SpinEdit1") {
    if (code == EN_CHANGE) return Guarded([this] { Edit4Change(); });
    if (code == EN_KILLFOCUS) {
      // Leaving the box brings what was typed into its range.
      const std::string typed = TextOf("SpinEdit1");
      const std::string corrected =
          std::to_string(SpinValueInRange(typed, kFirstStartNumber, kLastStartNumber));
      if (typed != corrected) SetTextOf("SpinEdit1", corrected);
    }
    return;
  }
  if (name == "ComboBox2" && code == CBN_SELCHANGE) {
    return Guarded([this] { ComboBox2Change(); });
  }
  if (name == "ComboBox3") {
    if (code == CBN_EDITCHANGE) cluster_text_typed_ = true;
    if (code == CBN_SELCHANGE) cluster_text_typed_ = false;
  }
}

bool TForm1::OnNotify(const NMHDR& header, LRESULT& result) {
  if (list_view1_.OnNotify(header, result)) return true;
  if (list_view2_.OnNotify(header, result)) return true;
  if (tree_view1_.OnNotify(header, result)) return true;
  if (header.hwndFrom == Control("UpDown1") && header.code == UDN_DELTAPOS) {
    const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
    const long long next = static_cast<long long>(change.iPos) + change.iDelta;
    // At the end of its range the arrow moves nothing and steps nothing.
    if (change.iDelta != 0 && next >= -32768 && next <= 32767) {
      const bool up = change.iDelta > 0;
      Guarded([this, up] { UpDown1Click(up); });
    }
    result = FALSE;
    return true;
  }
  return false;
}

void TForm1::OnTrackBar() {
  const int position = TrackBarPosition();
  if (position == last_track_position_) return;
  last_track_position_ = position;
  Guarded([this] { Edit4Change(); });
}

void TForm1::OnDpiChanged(int dpi, const RECT* suggested) {
  dpi_ = dpi > 0 ? dpi : kDesignDpi;
  LayOut();
  FitClientArea(suggested);
}

LRESULT TForm1::OnMeasureItem(MEASUREITEMSTRUCT& item) const {
  // ComboBox2's items are 14 pixels high at 96 dpi; its closed box is fitted
  // to the table by its layout.
  item.itemHeight = static_cast<UINT>(Scale(14, dpi_));
  return TRUE;
}

void TForm1::DrawPresetItem(const DRAWITEMSTRUCT& item) const {
  // ComboBox2DrawItem: the item's background, then its display name at the
  // rectangle's top-left corner, clipped to it; the focused one framed.
  const bool highlighted = (item.itemState & ODS_SELECTED) != 0;
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(highlighted ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID != static_cast<UINT>(-1) && item.itemID < preset_names_.size()) {
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT text = item.rcItem;
    const std::wstring name = Wide(preset_names_[item.itemID]);
    DrawTextW(item.hDC, name.c_str(), static_cast<int>(name.size()), &text,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  }
  if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(item.hDC, &item.rcItem);
}

// ---- Creation and closing ------------------------------------------------------

void TForm1::FormCreate() {
  state_.ClearFlags();
  SetStatusText("");
  ApplyFormValues(FormValuesOf(LoadSettings(files_.settings_path)));

  PresetList presets = LoadPresetList(files_.presets_path);
  preset_names_ = std::move(presets.names);
  const HWND box = Control("ComboBox2");
  SendMessageW(box, CB_RESETCONTENT, 0, 0);
  for (const std::string& size_text : presets.size_texts) {
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(size_text).c_str()));
  }
  SendMessageW(box, CB_SETCURSEL, 0, 0);
  if (!presets.error.empty()) throw Error(presets.error);
}

void TForm1::OnClose() {
  if (state_.ScanRunning) {
    // The scan still fills the entry list: stop it first; the close prompt
    // runs once Investigate has returned.
    state_.CancelRequested = true;
    close_after_scan_ = true;
    return;
  }
  bool can_close = false;
  Guarded([this, &can_close] { can_close = FormCloseQuery(); });
  if (can_close) DestroyWindow(window_);
}

bool TForm1::FormCloseQuery() {
  return morvick::FormCloseQuery(SettingsOf(ReadFormValues()), list_view2_.RowCount(), prompter_,
                                 files_.settings_path);
}

// ---- Handlers ---------------------------------------------------------------

void TForm1::Button1Click() {
  // An error that ends the investigation is shown here, so that a close asked
  // for during the scan is answered after it, never by a later Investigate.
  RunGuarded(prompter_, [this] {
    InvestigateCommand(state_, InvestigateInputsOf(ReadFormValues()), *this, *this, prompter_,
                       path_rules_);
  });
  ShowPlanBound();
  if (close_after_scan_ && !state_.ScanRunning) {
    close_after_scan_ = false;
    PostMessageW(window_, WM_CLOSE, 0, 0);
  }
}

void TForm1::Button2Click() { BrowseInto("Edit2"); }

void TForm1::Button3Click() { BrowseInto("Edit3"); }

void TForm1::BrowseInto(std::string_view name) {
  std::string path = TextOf(name);
  if (folder_picker_->BrowseForFolder(path)) SetTextOf(name, path);
}

void TForm1::Button4Click() { SendMessageW(window_, WM_CLOSE, 0, 0); }

void TForm1::Button5Click() {
  MoveOptions options;
  options.journal_folder = files_.journal_folder;
  options.front_end = FrontEnd::Window;
  ShowJournalFailure(MoveCommand(state_, MoveInputsOf(ReadFormValues()), *this, *this, prompter_,
                                 path_rules_, options));
}

void TForm1::Button6Click() { CancelCommand(state_); }

void TForm1::Button7Click() {
  ShowJournalFailure(
      UndoCommand(state_, MoveInputsOf(ReadFormValues()), *this, *this, prompter_, path_rules_));
}

void TForm1::ShowJournalFailure(const MoveReport& report) {
  morvick::ShowJournalFailure(report, prompter_);
}

void TForm1::OfferRecovery() { morvick::OfferRecovery(files_.journal_folder, prompter_); }

void TForm1::Edit4Change() {
  // Row i of ListView2 reads the name of volume i + 1 with these inputs; the
  // sample is the first volume's.
  volume_naming_ = NamingOf(ReadFormValues());
  const HWND label = Control("Label5");
  SetWindowTextW(label, Wide(volume_naming_.FolderName(1)).c_str());
  FitLabel(label, Scale(FindMainWindowControl("Label5")->rect, dpi_));
  list_view2_.Refresh();
}

void TForm1::UpDown1Click(bool up) {
  const auto stepped = StepSplitSize(TextOf("Edit1"), up);
  if (!stepped) {
    prompter_.ShowMessage("分割サイズは数値でなければなりません");
    return;
  }
  SetTextOf("Edit1", *stepped);
}

void TForm1::RadioGroup1Click() {
  // The method is read by the next investigation and saved with the settings.
}

void TForm1::ComboBox2Change() {
  const HWND box = Control("ComboBox2");
  const auto index = SendMessageW(box, CB_GETCURSEL, 0, 0);
  if (index < 0) return;
  const auto length = SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(0, length)) + 1, L'\0');
  SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(0, length)));
  const auto choice = morvick::ComboBox2Change(Narrow(text));
  if (!choice) return;
  SetTextOf("Edit1", choice->size_text);
  SendMessageW(Control("ComboBox1"), CB_SETCURSEL, static_cast<WPARAM>(choice->unit), 0);
}

void TForm1::About1Click() { about_box_.ShowModal(window_); }

void TForm1::Help1Click() { open_help_(window_, files_.help_path); }

void TForm1::Setting1Click() {
  if (preset_editor_ != nullptr) preset_editor_->ShowModal(window_);
}

void TForm1::ListView2MouseDown(bool left_button, int x, int y) {
  if (!left_button) return;
  DragOriginX = x;
  DragOriginY = y;
}

void TForm1::ListView2MouseMove(int x, int y) {
  // The naming inputs as they are now: the folder dragged is the one the
  // row's "フォルダ" column shows.
  const FormValues form = ReadFormValues();
  const std::string output_path = path_rules_.WithTrailingBackslash(form.output_text);
  const VolumeNaming naming = NamingOf(form);

  const HWND list = Control("ListView2");
  if (ListView_GetNextItem(list, -1, LVNI_SELECTED) < 0) return;
  if (!list2_left_pressed_) return;
  if (!FarEnoughToDrag(x, y, DragOriginX, DragOriginY)) return;
  // From here on the press belongs to the drag: the list must not go on
  // selecting rows under the pointer, nor start a second drag.
  SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  list2_left_pressed_ = false;
  const int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
  if (selected < 0) return;

  const std::int32_t volume = ParseInt32(list_view2_.Text(selected, 0));
  const std::vector<std::string> names =
      state_.EntryList ? VolumeEntryNames(*state_.EntryList, volume) : std::vector<std::string>();
  const std::string folder = output_path + naming.FolderName(volume);
  // Every item must be there; a missing one is named in the error box.
  VolumeItemPaths(folder, names);
  const DataObjectPtr data = BuildVolumeDataObject(folder, names);
  if (data) drag_runner_->Run(*data, DROPEFFECT_COPY);
}

// ---- Form values ---------------------------------------------------------------

std::string TForm1::TextOf(std::string_view name) const { return WindowText(Control(name)); }

void TForm1::SetTextOf(std::string_view name, const std::string& text) {
  const HWND control = Control(name);
  if (control != nullptr && WindowText(control) != text) {
    SetWindowTextW(control, Wide(text).c_str());
  }
}

bool TForm1::Checked(std::string_view name) const {
  return SendMessageW(Control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TForm1::SetChecked(std::string_view name, bool checked) {
  SendMessageW(Control(name), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int TForm1::RadioGroup1Index() const {
  for (std::size_t i = 0; i < radio_items_.size(); ++i) {
    if (SendMessageW(radio_items_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<int>(i);
  }
  return -1;
}

void TForm1::SetRadioGroup1Index(int index) {
  for (std::size_t i = 0; i < radio_items_.size(); ++i) {
    SendMessageW(radio_items_[i], BM_SETCHECK,
                 static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  UpdateRadioTabStop();
}

int TForm1::TrackBarPosition() const {
  return static_cast<int>(SendMessageW(Control("TrackBar1"), TBM_GETPOS, 0, 0));
}

int TForm1::ComboBox3Index() const {
  const auto item = SendMessageW(Control("ComboBox3"), CB_GETCURSEL, 0, 0);
  return ChosenClusterItem(TextOf("ComboBox3"), static_cast<int>(item), cluster_text_typed_);
}

FormValues TForm1::ReadFormValues() const {
  FormValues form;
  form.split_size_text = TextOf("Edit1");
  form.input_text = TextOf("Edit2");
  form.output_text = TextOf("Edit3");
  form.base_name = TextOf("Edit4");
  form.unit_index = static_cast<int>(SendMessageW(Control("ComboBox1"), CB_GETCURSEL, 0, 0));
  form.method_index = RadioGroup1Index();
  form.digits = TrackBarPosition();
  form.start_text = TextOf("SpinEdit1");
  form.cluster_text = TextOf("ComboBox3");
  form.cluster_item = static_cast<int>(SendMessageW(Control("ComboBox3"), CB_GETCURSEL, 0, 0));
  form.cluster_typed = cluster_text_typed_;
  form.seq_flag = Checked("CheckBox1");
  form.skip_last = Checked("CheckBox2");
  form.fewest_volumes = Checked("CheckBox3");
  return form;
}

void TForm1::ApplyFormValues(const FormValues& form) {
  // Edit4, TrackBar1 and SpinEdit1 each refresh the sample name as they
  // change, so the last refresh sees every value. The lists change only when
  // the index differs: selecting none would clear ComboBox3's initial text "0".
  SetTextOf("Edit1", form.split_size_text);
  SetTextOf("Edit2", form.input_text);
  SetTextOf("Edit3", form.output_text);
  SetTextOf("Edit4", form.base_name);
  // A track bar set by a message does not report it: refresh as a move would.
  SendMessageW(Control("TrackBar1"), TBM_SETPOS, TRUE, form.digits);
  OnTrackBar();
  SetRadioGroup1Index(form.method_index);
  const HWND units = Control("ComboBox1");
  if (form.unit_index != SendMessageW(units, CB_GETCURSEL, 0, 0)) {
    SendMessageW(units, CB_SETCURSEL, static_cast<WPARAM>(form.unit_index), 0);
  }
  const HWND clusters = Control("ComboBox3");
  const int cluster_item = ChosenClusterItem(form.cluster_text, form.cluster_item, false);
  if (cluster_item != ComboBox3Index()) {
    cluster_text_typed_ = false;
    SendMessageW(clusters, CB_SETCURSEL, static_cast<WPARAM>(cluster_item), 0);
  }
  if (cluster_item < 0) SetTextOf("ComboBox3", form.cluster_text);
  cluster_text_typed_ = form.cluster_typed;
  const std::int32_t start = SpinValueInRange(form.start_text, kFirstStartNumber, kLastStartNumber);
  SendMessageW(spin_arrows_, UDM_SETPOS32, 0, start);
  SetTextOf("SpinEdit1", std::to_string(start));
  SetChecked("CheckBox1", form.seq_flag);
  SetChecked("CheckBox2", form.skip_last);
  SetChecked("CheckBox3", form.fewest_volumes);
}

// How close the plan is to the fewest volumes; the status line itself keeps its fixed text.
void TForm1::ShowPlanBound() {
  tool_tips_.Set(Control("CheckBox3"), FewestVolumesTip(state_));
  tool_tips_.Set(Control("StatusBar1"), PlanBoundText(state_));
}

std::string TForm1::StatusText() const {
  const HWND bar = Control("StatusBar1");
  const auto length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, 0, 0));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(bar, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return Narrow(text);
}

// ---- LiveInputs and PlanSink ----------------------------------------------------

std::string TForm1::ClusterSizeText() const { return TextOf("ComboBox3"); }

bool TForm1::SkipLastVolume() const { return Checked("CheckBox2"); }

std::optional<int> TForm1::PackingMethodAfterScan() const {
  return PackingMethodOf(RadioGroup1Index(), Checked("CheckBox3"));
}

void TForm1::ClearPlan() {
  list_view1_.Clear();
  list_view2_.Clear();
}

void TForm1::ShowPlan(const PlanRows& plan) {
  const EntryList& entries = plan.entries;
  list_view1_.SetRows(static_cast<int>(entries.size()), [&entries](int row, int column) {
    return EntryCellText(entries[static_cast<std::size_t>(row)], column);
  });
  volume_totals_ = plan.volume_totals;
  volume_naming_ = plan.naming;
  list_view2_.SetRows(static_cast<int>(volume_totals_.size()) - 1, [this](int row, int column) {
    const std::size_t volume = static_cast<std::size_t>(row) + 1;
    return VolumeCellText(static_cast<std::int32_t>(volume), volume_totals_[volume], volume_naming_,
                          column);
  });
}

void TForm1::ClearTree() {
  tree_view1_.Withdraw();
  tree_store_.Clear();
}

void TForm1::PumpEvents() {
  // The scan calls this after every directory entry.
  pump_throttle_.Run([this] { PumpPendingMessages(window_); });
}

void TForm1::RunBlocking(const std::function<void()>& work) {
  const HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (done == nullptr) return work();
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      work();
    } catch (...) {
      failure = std::current_exception();
    }
    SetEvent(done);
  });
  // Every message is dispatched as the scan's pump does; the scan's flags
  // guard the command meanwhile.
  while (MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    PumpPendingMessages(window_);
  }
  worker.join();
  CloseHandle(done);
  if (failure) std::rethrow_exception(failure);
}

void TForm1::BeginTreeUpdate() {
  if (tree_update_depth_++ == 0) tree_view1_.Withdraw();
}

void TForm1::EndTreeUpdate() {
  if (tree_update_depth_ > 0 && --tree_update_depth_ == 0) tree_view1_.Publish();
}

void TForm1::SetStatusText(const std::string& text) {
  SendMessageW(Control("StatusBar1"), SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

}  // namespace morvick::win
