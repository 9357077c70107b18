// The controls of TForm1, built from the window's control table: kinds,
// names, captions, positions and sizes at 96 dpi scaled to the monitor,
// columns, items, menu and keyboard order. What the table does not say
// (ranges, steps, styles) is set here.

#include "commands/form_values.h"
#include "common/error.h"
#include "platform/windows/wide.h"
#include "win/dpi.h"
#include "win/main_window.h"
#include "win/program_look.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <stdexcept>

namespace morvick::win {
namespace {

using platform::windows::Wide;

constexpr int kFirstControlId = 1000;
constexpr int kFirstRadioItemId = 1100;
// UpDown1's own position, which it keeps without wrapping.
constexpr int kUpDownMinimum = -32768;
constexpr int kUpDownMaximum = 32767;
// The item heights of the drop-downs: ComboBox1 and ComboBox3, and ComboBox2.
constexpr int kListItemHeight = 12;
// The width of SpinEdit1's arrows, at the right end of its rectangle.
constexpr int kSpinArrowsWidth = 17;
// RadioGroup1's items: one column below the caption, sharing the height evenly.
constexpr int kRadioItemLeft = 8;
constexpr int kRadioItemTop = 16;
// The lines a dropped-down list shows before it scrolls.
constexpr int kDroppedItems = 12;

struct WindowKind {
  const wchar_t* window_class;
  DWORD style;
  DWORD ex_style;
};

WindowKind KindOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::ListView:
      return {WC_LISTVIEWW, LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
              WS_EX_CLIENTEDGE};
    case ControlKind::TreeView:
      return {WC_TREEVIEWW, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS,
              WS_EX_CLIENTEDGE};
    case ControlKind::Label: return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::Edit:
    case ControlKind::SpinEdit: return {L"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::Button: return {L"BUTTON", BS_PUSHBUTTON, 0};
    case ControlKind::GroupBox:
    case ControlKind::RadioGroup: return {L"BUTTON", BS_GROUPBOX, WS_EX_CONTROLPARENT};
    case ControlKind::TrackBar: return {TRACKBAR_CLASSW, TBS_HORZ | TBS_AUTOTICKS | TBS_BOTTOM, 0};
    case ControlKind::CheckBox: return {L"BUTTON", BS_AUTOCHECKBOX, 0};
    case ControlKind::UpDown: return {UPDOWN_CLASSW, 0, 0};
    case ControlKind::DropDownList: return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL, 0};
    case ControlKind::PresetDropDown:
      return {WC_COMBOBOXW, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL, 0};
    case ControlKind::EditableDropDown:
      return {WC_COMBOBOXW, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, 0};
    case ControlKind::StatusBar: return {STATUSCLASSNAMEW, SBARS_SIZEGRIP, 0};
  }
  throw std::logic_error("no such kind of control");
}

bool IsComboBox(ControlKind kind) {
  return kind == ControlKind::DropDownList || kind == ControlKind::PresetDropDown ||
         kind == ControlKind::EditableDropDown;
}

HWND MakeWindow(const wchar_t* window_class, const std::wstring& text, DWORD style, DWORD ex_style,
                HWND parent, int id) {
  const HWND made = CreateWindowExW(ex_style, window_class, text.c_str(), style | WS_CHILD, 0, 0, 0,
                                    0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                    GetModuleHandleW(nullptr), nullptr);
  if (made == nullptr) throw Error("コントロールを作成できません");
  return made;
}

void AddItems(HWND box, const ControlEntry& entry) {
  for (const char* item : entry.items) {
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
  }
}

void AddColumns(HWND list, const ControlEntry& entry) {
  for (std::size_t i = 0; i < entry.columns.size(); ++i) {
    const ColumnEntry& column = entry.columns[i];
    std::wstring title = Wide(column.title);
    LVCOLUMNW added{};
    added.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    added.fmt = column.right_aligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
    added.cx = column.width;
    added.pszText = title.data();
    added.iSubItem = static_cast<int>(i);
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&added));
  }
}

// The combo box's closed height is its selection field's plus its frame:
// set the field so that the whole is `height`.
void FitClosedHeight(HWND box, int height) {
  SendMessageW(box, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(1, height - 6));
  RECT shown{};
  GetWindowRect(box, &shown);
  const int excess = (shown.bottom - shown.top) - height;
  if (excess != 0) {
    SendMessageW(box, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(1, height - 6 - excess));
  }
}

}  // namespace

void TForm1::BuildMenu() {
  menu_ = CreateMenu();
  const HMENU property = CreatePopupMenu();
  constexpr int commands[] = {kHelp1Command, kSetting1Command, kAbout1Command};
  static_assert(std::size(commands) == kPropertyMenuItems.size());
  for (std::size_t i = 0; i < kPropertyMenuItems.size(); ++i) {
    AppendMenuW(property, MF_STRING, static_cast<UINT_PTR>(commands[i]),
                Wide(kPropertyMenuItems[i].caption).c_str());
  }
  AppendMenuW(menu_, MF_POPUP, reinterpret_cast<UINT_PTR>(property),
              Wide(kPropertyMenu.caption).c_str());
  SetMenu(window_, menu_);
}

void TForm1::BuildControls() {
  std::map<std::string_view, HWND> containers{{kMainWindowName, window_}};
  int id = kFirstControlId;
  for (const ControlEntry& entry : MainWindowControls()) {
    const HWND container = containers.at(entry.container);
    const HWND made = MakeControl(entry, container, id++);
    if (entry.kind == ControlKind::GroupBox || entry.kind == ControlKind::RadioGroup) {
      containers[entry.name] = made;
      // Its controls tell their parent, the frame; the frame tells the window.
      SetWindowSubclass(made, ContainerProc, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    controls_.push_back({&entry, made});
  }
  list_view1_.Attach(Control("ListView1"));
  list_view2_.Attach(Control("ListView2"));
  SetWindowSubclass(Control("ListView2"), ListView2Proc, 0, reinterpret_cast<DWORD_PTR>(this));
  tree_view1_.Attach(Control("TreeView1"));
  list_view1_.SetColourRule(EntryRowColour);
  list_view2_.SetColourRule([this](std::string_view caption) {
    return VolumeRowColour(caption, list_view2_.RowCount(), SkipLastVolume());
  });
  tool_tips_.Create(window_);
  ShowPlanBound();
  ArrangeTabOrder();
}

HWND TForm1::MakeControl(const ControlEntry& entry, HWND container, int id) {
  const WindowKind kind = KindOf(entry.kind);
  DWORD style = kind.style | WS_VISIBLE | WS_GROUP | (entry.tab_stop ? WS_TABSTOP : 0);
  const std::wstring caption = Wide(entry.caption);
  const bool has_text = entry.kind != ControlKind::ListView &&
                        entry.kind != ControlKind::TreeView &&
                        entry.kind != ControlKind::TrackBar && entry.kind != ControlKind::UpDown &&
                        entry.kind != ControlKind::StatusBar && !IsComboBox(entry.kind);
  const HWND made = MakeWindow(kind.window_class, has_text ? caption : std::wstring(), style,
                               kind.ex_style, container, id);
  switch (entry.kind) {
    case ControlKind::ListView:
      SendMessageW(made, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
      AddColumns(made, entry);
      break;
    case ControlKind::RadioGroup:
      for (std::size_t i = 0; i < entry.items.size(); ++i) {
        // One group: the arrows move among the items, Tab stops at the chosen one.
        const DWORD item_style = BS_AUTORADIOBUTTON | WS_VISIBLE | (i == 0 ? WS_GROUP : 0);
        radio_items_.push_back(MakeWindow(L"BUTTON", Wide(entry.items[i]), item_style, 0, made,
                                          kFirstRadioItemId + static_cast<int>(i)));
      }
      SetRadioGroup1Index(0);
      break;
    case ControlKind::TrackBar:
      SendMessageW(made, TBM_SETRANGE, FALSE, MAKELPARAM(1, 9));
      SendMessageW(made, TBM_SETLINESIZE, 0, 1);
      SendMessageW(made, TBM_SETPAGESIZE, 0, 1);
      SendMessageW(made, TBM_SETTICFREQ, 1, 0);
      SendMessageW(made, TBM_SETPOS, TRUE, 1);
      last_track_position_ = 1;
      break;
    case ControlKind::SpinEdit:
      spin_arrows_ = MakeWindow(UPDOWN_CLASSW, L"",
                                UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | WS_VISIBLE, 0,
                                container, id + static_cast<int>(MainWindowControls().size()));
      SendMessageW(spin_arrows_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(made), 0);
      SendMessageW(spin_arrows_, UDM_SETRANGE32, kFirstStartNumber, kLastStartNumber);
      SendMessageW(spin_arrows_, UDM_SETPOS32, 0,
                   SpinValueInRange(entry.caption, kFirstStartNumber, kLastStartNumber));
      break;
    case ControlKind::UpDown:
      SendMessageW(made, UDM_SETRANGE32, kUpDownMinimum, kUpDownMaximum);
      SendMessageW(made, UDM_SETPOS32, 0, 0);
      break;
    case ControlKind::DropDownList:
    case ControlKind::EditableDropDown:
      AddItems(made, entry);
      SendMessageW(made, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
      SendMessageW(made, CB_SETITEMHEIGHT, 0, kListItemHeight);
      if (entry.kind == ControlKind::EditableDropDown) SetWindowTextW(made, caption.c_str());
      break;
    case ControlKind::StatusBar: {
      // One panel; being the last, it reaches the right end of the bar.
      int right_edges[] = {-1};
      SendMessageW(made, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(right_edges));
      break;
    }
    default: break;
  }
  return made;
}

void TForm1::ArrangeTabOrder() {
  // The dialog manager's Tab follows the order of the siblings in each
  // container, entering the frames (WS_EX_CONTROLPARENT) on its way.
  std::vector<const Placed*> ordered;
  for (const Placed& placed : controls_) ordered.push_back(&placed);
  std::stable_sort(ordered.begin(), ordered.end(), [](const Placed* a, const Placed* b) {
    const auto key = [](const Placed* p) {
      return p->entry->tab_order == kNoTabOrder ? 1 << 20 : p->entry->tab_order;
    };
    return key(a) < key(b);
  });
  std::map<std::string_view, HWND> previous;
  for (const Placed* placed : ordered) {
    HWND& last = previous[placed->entry->container];
    SetWindowPos(placed->handle, last ? last : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    last = placed->handle;
    if (placed->entry->kind == ControlKind::SpinEdit && spin_arrows_ != nullptr) {
      SetWindowPos(spin_arrows_, last, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      last = spin_arrows_;
    }
  }
}

void TForm1::LayOut() {
  Font font(CreateProgramFont(dpi_, false));
  Font bold(CreateProgramFont(dpi_, true));
  for (const Placed& placed : controls_) PlaceControl(placed);
  // The controls hold the new fonts now; the old ones may go.
  font_ = std::move(font);
  bold_font_ = std::move(bold);
  for (const Placed& placed : controls_) {
    const HFONT chosen =
        placed.entry->name == std::string_view("Label5") ? bold_font_.get() : font_.get();
    SendMessageW(placed.handle, WM_SETFONT, reinterpret_cast<WPARAM>(chosen), TRUE);
    if (placed.entry->kind == ControlKind::Label) {
      FitLabel(placed.handle, Scale(placed.entry->rect, dpi_));
    }
  }
  for (HWND item : radio_items_) {
    SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  }
  // The fonts change the heights of the combo boxes and the status bar: fit them again.
  for (const Placed& placed : controls_) {
    if (IsComboBox(placed.entry->kind) || placed.entry->kind == ControlKind::StatusBar) {
      PlaceControl(placed);
    }
  }
}

void TForm1::PlaceControl(const Placed& placed) {
  const ControlEntry& entry = *placed.entry;
  const ControlRect rect = Scale(entry.rect, dpi_);
  const HWND control = placed.handle;
  const auto place = [](HWND window, int left, int top, int width, int height) {
    SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  switch (entry.kind) {
    case ControlKind::SpinEdit: {
      const int arrows = Scale(kSpinArrowsWidth, dpi_);
      place(control, rect.left, rect.top, rect.width - arrows, rect.height);
      place(spin_arrows_, rect.left + rect.width - arrows, rect.top, arrows, rect.height);
      break;
    }
    case ControlKind::DropDownList:
    case ControlKind::PresetDropDown:
    case ControlKind::EditableDropDown: {
      // The height given is the dropped-down list's; the closed box is fitted after.
      const int item = Scale(kListItemHeight, dpi_) + 2;
      place(control, rect.left, rect.top, rect.width, rect.height + kDroppedItems * item);
      FitClosedHeight(control, rect.height);
      if (entry.kind != ControlKind::PresetDropDown) {
        SendMessageW(control, CB_SETITEMHEIGHT, 0, Scale(kListItemHeight, dpi_));
      }
      break;
    }
    case ControlKind::StatusBar: {
      // Docked: the bar places itself along the bottom edge over the full width.
      const int borders = 2 * GetSystemMetrics(SM_CYBORDER);
      SendMessageW(control, SB_SETMINHEIGHT, std::max(1, rect.height - borders), 0);
      SendMessageW(control, WM_SIZE, 0, 0);
      RECT shown{};
      GetWindowRect(control, &shown);
      if (const int excess = (shown.bottom - shown.top) - rect.height; excess != 0) {
        SendMessageW(control, SB_SETMINHEIGHT, std::max(1, rect.height - borders - excess), 0);
        SendMessageW(control, WM_SIZE, 0, 0);
      }
      break;
    }
    case ControlKind::RadioGroup: {
      place(control, rect.left, rect.top, rect.width, rect.height);
      const int count = static_cast<int>(radio_items_.size());
      const int item_height = (entry.rect.height - kRadioItemTop - 4) / std::max(1, count);
      for (int i = 0; i < count; ++i) {
        // As wide as the frame allows: the longest item needs all of it.
        place(radio_items_[static_cast<std::size_t>(i)], Scale(kRadioItemLeft, dpi_),
              Scale(kRadioItemTop + i * item_height, dpi_),
              Scale(entry.rect.width - kRadioItemLeft - 1, dpi_), Scale(item_height, dpi_));
      }
      break;
    }
    case ControlKind::ListView:
      place(control, rect.left, rect.top, rect.width, rect.height);
      for (std::size_t i = 0; i < entry.columns.size(); ++i) {
        SendMessageW(control, LVM_SETCOLUMNWIDTH, i, Scale(entry.columns[i].width, dpi_));
      }
      break;
    case ControlKind::TreeView:
      place(control, rect.left, rect.top, rect.width, rect.height);
      SendMessageW(control, TVM_SETINDENT, static_cast<WPARAM>(Scale(19, dpi_)), 0);
      break;
    default: place(control, rect.left, rect.top, rect.width, rect.height); break;
  }
}

void TForm1::UpdateRadioTabStop() {
  // Tab visits the chosen item; with none chosen, the first.
  const int chosen = std::max(0, RadioGroup1Index());
  for (std::size_t i = 0; i < radio_items_.size(); ++i) {
    const LONG_PTR style = GetWindowLongPtrW(radio_items_[i], GWL_STYLE);
    const LONG_PTR wanted =
        static_cast<int>(i) == chosen ? (style | WS_TABSTOP) : (style & ~LONG_PTR{WS_TABSTOP});
    if (wanted != style) SetWindowLongPtrW(radio_items_[i], GWL_STYLE, wanted);
  }
}

}  // namespace morvick::win
