#include "win/preset_editor.h"

#include "commands/preset_editor_controls.h"
#include "common/error.h"
#include "common/error_guard.h"
#include "platform/windows/wide.h"
#include "win/dialog.h"
#include "win/dpi.h"
#include "win/program_look.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace morvick::win {
namespace {

using platform::windows::Narrow;
using platform::windows::Wide;

// Posted when the box of a cell has lost the focus (its handle in wparam): it
// is closed once its own message is over.
constexpr UINT kEndEditMessage = WM_APP + 1;

int IdOf(const EditorControlEntry& entry, std::size_t index) {
  switch (entry.kind) {
    case EditorControlKind::DefaultButton: return IDOK;
    case EditorControlKind::CancelButton: return IDCANCEL;
    default: return kFirstEditorControlId + static_cast<int>(index);
  }
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(std::max(0, GetWindowTextW(window, text.data(), length + 1))));
  return Narrow(text);
}

// A list view's rows are as high as its small images (and its grid line): a
// blank image list gives the grid its row height. The list owns it.
void FitRowHeight(HWND grid, int height) {
  for (int image = height, tries = 0; tries < 3; ++tries) {
    if (const HIMAGELIST old = ListView_SetImageList(
            grid, ImageList_Create(1, std::max(1, image), ILC_COLOR, 1, 0), LVSIL_SMALL)) {
      ImageList_Destroy(old);
    }
    RECT row{};
    ListView_GetItemRect(grid, 0, &row, LVIR_BOUNDS);
    const int excess = (row.bottom - row.top) - height;
    if (excess == 0) return;
    image -= excess;
  }
}

bool InGrid(int column, int row) {
  return column >= 0 && column < kPresetGridColumns && row >= 0 && row < kPresetGridRows;
}

}  // namespace

TOKBottomDlg1::TOKBottomDlg1(Prompter& prompter, std::string read_path, std::string save_path)
    : prompter_(prompter), read_path_(std::move(read_path)), save_path_(std::move(save_path)) {}

void TOKBottomDlg1::FormCreate() { LoadPresetGrid(*this, read_path_); }

int TOKBottomDlg1::ShowModal(HWND owner) {
  const INT_PTR result = RunEmptyDialog(owner, DialogProc, reinterpret_cast<LPARAM>(this));
  dialog_ = grid_ = cell_editor_ = nullptr;
  for (HFONT* font : {&font_, &hint_font_}) {
    if (*font != nullptr) DeleteObject(*font);
    *font = nullptr;
  }
  return result == IDOK ? IDOK : IDCANCEL;
}

void TOKBottomDlg1::OKBtnClick() {
  EndEdit();
  RunGuarded(prompter_, [this] { morvick::OKBtnClick(*this, prompter_, save_path_); });
}

std::string TOKBottomDlg1::Cell(int column, int row) const {
  if (!InGrid(column, row)) return {};
  return cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void TOKBottomDlg1::SetCell(int column, int row, const std::string& text) {
  if (!InGrid(column, row)) return;
  cells_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
  if (grid_ != nullptr) ListView_RedrawItems(grid_, row, row);
}

HWND TOKBottomDlg1::Control(std::string_view name) const {
  if (dialog_ == nullptr) return nullptr;
  for (std::size_t i = 0; i < kPresetEditorControls.size(); ++i) {
    if (kPresetEditorControls[i].name == name) {
      return GetDlgItem(dialog_, IdOf(kPresetEditorControls[i], i));
    }
  }
  return nullptr;
}

// ---- Building ------------------------------------------------------------------

INT_PTR CALLBACK TOKBottomDlg1::DialogProc(HWND dialog, UINT message, WPARAM wparam,
                                           LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* editor = reinterpret_cast<TOKBottomDlg1*>(lparam);
    SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    editor->dialog_ = dialog;
    if (!RunGuarded(editor->prompter_, [editor] { editor->Build(); })) {
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    }
    // Every opening starts on the first control of the tab order, not in a cell.
    SetFocus(editor->Control("OKBtn"));
    return FALSE;  // the focus is set
  }
  auto* editor = reinterpret_cast<TOKBottomDlg1*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (editor == nullptr || editor->dialog_ != dialog) return FALSE;
  INT_PTR handled = FALSE;
  // No exception may leave through the system's frames.
  RunGuarded(editor->prompter_, [&] { handled = editor->Handle(message, wparam, lparam); });
  return handled;
}

void TOKBottomDlg1::Build() {
  dpi_ = DpiOfWindow(dialog_);
  font_ = CreateProgramFont(dpi_, false);
  for (std::size_t i = 0; i < kPresetEditorControls.size(); ++i) {
    const EditorControlEntry& entry = kPresetEditorControls[i];
    const ControlRect rect = Scale(entry.rect, dpi_);
    const wchar_t* window_class = L"STATIC";
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    DWORD ex_style = 0;
    switch (entry.kind) {
      case EditorControlKind::FrameBevel: style |= SS_ETCHEDFRAME; break;
      case EditorControlKind::BoxBevel: style |= SS_SUNKEN; break;
      case EditorControlKind::Label: style |= SS_LEFT | SS_NOPREFIX; break;
      case EditorControlKind::Grid:
        window_class = WC_LISTVIEWW;
        style |= LVS_REPORT | LVS_OWNERDATA | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS | WS_TABSTOP |
                 WS_VSCROLL;
        ex_style = WS_EX_CLIENTEDGE;
        break;
      case EditorControlKind::DefaultButton:
        window_class = L"BUTTON";
        style |= BS_DEFPUSHBUTTON | WS_TABSTOP;
        break;
      case EditorControlKind::CancelButton:
        window_class = L"BUTTON";
        style |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
    }
    const HWND control = CreateWindowExW(
        ex_style, window_class, Wide(entry.caption).c_str(), style, rect.left, rect.top, rect.width,
        rect.height, dialog_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IdOf(entry, i))),
        GetModuleHandleW(nullptr), nullptr);
    if (control == nullptr) throw Error("コントロールを作成できません");
    HFONT font = font_;
    if (entry.font_height != kProgramFontHeight) {
      if (hint_font_ == nullptr) hint_font_ = CreateProgramFont(dpi_, false, entry.font_height);
      font = hint_font_;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (entry.kind == EditorControlKind::Label) FitLabel(control, rect);
    if (entry.kind == EditorControlKind::Grid) {
      grid_ = control;
      ListView_SetExtendedListViewStyle(control, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
      for (int column = 0; column < kPresetGridColumns; ++column) {
        LVCOLUMNW added{};
        added.mask = LVCF_WIDTH | LVCF_SUBITEM;
        added.cx = Scale(kPresetGridColumnWidths[static_cast<std::size_t>(column)], dpi_);
        added.iSubItem = column;
        SendMessageW(control, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&added));
      }
      ListView_SetItemCountEx(control, kPresetGridRows, 0);
      FitRowHeight(control, Scale(kPresetGridRowHeight, dpi_));
      SetWindowSubclass(control, GridProc, 0, reinterpret_cast<DWORD_PTR>(this));
    }
  }
  ArrangeTabOrder();
  FitDialog(dialog_, kPresetEditor, dpi_);
}

void TOKBottomDlg1::ArrangeTabOrder() {
  // Tab follows the order of the siblings: the tab stops by their tab order,
  // then the labels, the bevels last, under everything they surround.
  const auto rank = [](const EditorControlEntry& entry) {
    if (entry.tab_order != kNoTabOrder) return entry.tab_order;
    const bool bevel =
        entry.kind == EditorControlKind::FrameBevel || entry.kind == EditorControlKind::BoxBevel;
    return bevel ? 1 << 21 : 1 << 20;
  };
  std::vector<std::size_t> order(kPresetEditorControls.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&rank](std::size_t a, std::size_t b) {
    return rank(kPresetEditorControls[a]) < rank(kPresetEditorControls[b]);
  });
  HWND previous = HWND_TOP;
  for (std::size_t i : order) {
    const HWND control = GetDlgItem(dialog_, IdOf(kPresetEditorControls[i], i));
    SetWindowPos(control, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = control;
  }
}

// ---- Messages ------------------------------------------------------------------

INT_PTR TOKBottomDlg1::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        // The dialog closes with OK in every case, also after an error.
        OKBtnClick();
        Close(IDOK);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {  // the button, Escape and the close box
        Close(IDCANCEL);
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
      return header.hwndFrom == grid_ && OnGridNotify(header) ? TRUE : FALSE;
    }
    case kEndEditMessage:
      // Only the box that lost the focus: another may be open by now.
      if (reinterpret_cast<HWND>(wparam) == cell_editor_) EndEdit();
      return TRUE;
    default: return FALSE;
  }
}

bool TOKBottomDlg1::OnGridNotify(const NMHDR& header) {
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header))->item;
      if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
        display_text_ = Wide(Cell(item.iSubItem, item.iItem));
        const auto room = static_cast<std::size_t>(item.cchTextMax - 1);
        const std::size_t copied = std::min(display_text_.size(), room);
        std::wmemcpy(item.pszText, display_text_.data(), copied);
        item.pszText[copied] = L'\0';
      }
      return true;
    }
    case NM_CLICK: {
      // A plain click edits the cell; with Shift or Ctrl it selects a range of rows.
      const auto& click = reinterpret_cast<const NMITEMACTIVATE&>(header);
      if ((click.uKeyFlags & (LVKF_SHIFT | LVKF_CONTROL)) != 0) return true;
      LVHITTESTINFO hit{};
      hit.pt = click.ptAction;
      if (ListView_SubItemHitTest(grid_, &hit) >= 0 && InGrid(hit.iSubItem, hit.iItem)) {
        current_column_ = hit.iSubItem;
        BeginEdit(hit.iSubItem, hit.iItem);
      }
      return true;
    }
    case LVN_BEGINSCROLL: EndEdit(); return true;
    default: return false;
  }
}

LRESULT CALLBACK TOKBottomDlg1::GridProc(HWND grid, UINT message, WPARAM wparam, LPARAM lparam,
                                         UINT_PTR /*id*/, DWORD_PTR data) {
  auto* editor = reinterpret_cast<TOKBottomDlg1*>(data);
  const int focused = std::max(0, ListView_GetNextItem(grid, -1, LVNI_FOCUSED));
  switch (message) {
    case WM_KEYDOWN:
      if (wparam == VK_F2) {
        editor->BeginEdit(editor->current_column_, focused);
        return 0;
      }
      if (wparam == VK_LEFT || wparam == VK_RIGHT) {  // the column that F2 and typing edit
        editor->current_column_ = wparam == VK_LEFT ? 0 : kPresetGridColumns - 1;
        return 0;
      }
      break;
    case WM_CHAR:
      // Typing starts an edit of the current cell with the character typed.
      if (wparam >= L' ') {
        const wchar_t typed[2] = {static_cast<wchar_t>(wparam), L'\0'};
        editor->BeginEdit(editor->current_column_, focused, typed);
        return 0;
      }
      break;
    case WM_MOUSEWHEEL:
    case WM_VSCROLL:
    case WM_HSCROLL: editor->EndEdit(); break;
    case WM_NCDESTROY: RemoveWindowSubclass(grid, GridProc, 0); break;
    default: break;
  }
  return DefSubclassProc(grid, message, wparam, lparam);
}

LRESULT CALLBACK TOKBottomDlg1::CellEditorProc(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                               UINT_PTR /*id*/, DWORD_PTR data) {
  auto* editor = reinterpret_cast<TOKBottomDlg1*>(data);
  switch (message) {
    case WM_GETDLGCODE:
      // Enter, Escape and Tab belong to the open cell, not to the dialog's buttons.
      return DLGC_WANTALLKEYS | DefSubclassProc(box, message, wparam, lparam);
    case WM_KEYDOWN:
      switch (wparam) {
        case VK_RETURN:
          editor->EndEdit();
          SetFocus(editor->grid_);
          return 0;
        case VK_ESCAPE:  // closes the dialog at once, keeping what was typed
          editor->Close(IDCANCEL);
          return 0;
        case VK_TAB: {
          const bool back = GetKeyState(VK_SHIFT) < 0;
          editor->EndEdit();
          SetFocus(GetNextDlgTabItem(editor->dialog_, editor->grid_, back ? TRUE : FALSE));
          return 0;
        }
        default: break;
      }
      break;
    case WM_CHAR:
      if (wparam == L'\r' || wparam == L'\x1b' || wparam == L'\t') return 0;
      break;
    case WM_KILLFOCUS:
      PostMessageW(editor->dialog_, kEndEditMessage, reinterpret_cast<WPARAM>(box), 0);
      break;
    case WM_NCDESTROY: RemoveWindowSubclass(box, CellEditorProc, 0); break;
    default: break;
  }
  return DefSubclassProc(box, message, wparam, lparam);
}

void TOKBottomDlg1::BeginEdit(int column, int row, const wchar_t* typed) {
  EndEdit();
  if (grid_ == nullptr || !InGrid(column, row)) return;
  ListView_EnsureVisible(grid_, row, FALSE);
  ListView_SetItemState(grid_, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(grid_, row, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  RECT cell{};
  // The first column's bounds are the whole row's: its label is the cell.
  ListView_GetSubItemRect(grid_, row, column, column == 0 ? LVIR_LABEL : LVIR_BOUNDS, &cell);
  const std::wstring text = typed != nullptr ? std::wstring(typed) : Wide(Cell(column, row));
  cell_editor_ =
      CreateWindowExW(0, L"EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL,
                      cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top, grid_,
                      nullptr, GetModuleHandleW(nullptr), nullptr);
  if (cell_editor_ == nullptr) return;
  edited_column_ = column;
  edited_row_ = row;
  SendMessageW(cell_editor_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  SetWindowSubclass(cell_editor_, CellEditorProc, 0, reinterpret_cast<DWORD_PTR>(this));
  if (typed != nullptr) {
    SendMessageW(cell_editor_, EM_SETSEL, static_cast<WPARAM>(text.size()),
                 static_cast<LPARAM>(text.size()));
  } else {
    SendMessageW(cell_editor_, EM_SETSEL, 0, -1);
  }
  SetFocus(cell_editor_);
}

void TOKBottomDlg1::EndEdit() {
  if (cell_editor_ == nullptr) return;
  const HWND box = cell_editor_;
  cell_editor_ = nullptr;
  // One line per row in the preset file: a cell keeps its first line only.
  std::string text = WindowText(box);
  if (const std::size_t end = text.find_first_of("\r\n"); end != std::string::npos) {
    text.erase(end);
  }
  SetCell(edited_column_, edited_row_, text);
  DestroyWindow(box);
}

void TOKBottomDlg1::Close(int result) {
  EndEdit();
  EndDialog(dialog_, result);
}

}  // namespace morvick::win
