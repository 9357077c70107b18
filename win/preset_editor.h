#pragma once

// TOKBottomDlg1 on Win32, "分割リスト設定": the preset grid of the shared
// layout, saved by "保存終了" through the shared preset commands. The grid is
// a report list view over the editor's own cells, edited in place; the cells
// live as long as the editor, so what was typed and not saved is shown again
// at the next opening.

#include "common/prompter.h"
#include "settings/presets.h"

#include <windows.h>

#include <array>
#include <string>
#include <string_view>

namespace morvick::win {

// The controls without a dialog result have the ids kFirstEditorControlId +
// their index in kPresetEditorControls; OKBtn is IDOK, CancelBtn IDCANCEL.
inline constexpr int kFirstEditorControlId = 200;

class TOKBottomDlg1 : public PresetGrid {
 public:
  // The grid is read from `read_path` and saved to `save_path` (the user's own
  // preset file, while the grid may first show the presets shipped with the program).
  TOKBottomDlg1(Prompter& prompter, std::string read_path, std::string save_path);
  TOKBottomDlg1(const TOKBottomDlg1&) = delete;
  TOKBottomDlg1& operator=(const TOKBottomDlg1&) = delete;

  // Fills the grid from the preset file; raises when it cannot be read.
  void FormCreate();

  // Shows the dialog modally to `owner`, at the owner's dots per inch, centred
  // on its monitor; returns IDOK or IDCANCEL once it is closed.
  int ShowModal(HWND owner);
  void OKBtnClick();

  std::string Cell(int column, int row) const override;
  void SetCell(int column, int row, const std::string& text) override;

  // While the dialog is up: the dialog, a control by its designer name, and
  // the box of the cell being edited (nullptr when none is).
  HWND handle() const { return dialog_; }
  HWND Control(std::string_view name) const;
  HWND CellEditor() const { return cell_editor_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK GridProc(HWND grid, UINT message, WPARAM wparam, LPARAM lparam,
                                   UINT_PTR id, DWORD_PTR data);
  static LRESULT CALLBACK CellEditorProc(HWND editor, UINT message, WPARAM wparam, LPARAM lparam,
                                         UINT_PTR id, DWORD_PTR data);
  INT_PTR Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void Build();
  void ArrangeTabOrder();
  bool OnGridNotify(const NMHDR& header);
  // Opens a box over the cell; `typed` replaces its text when given.
  void BeginEdit(int column, int row, const wchar_t* typed = nullptr);
  // Keeps what the open box holds (its first line) in its cell and closes it.
  void EndEdit();
  void Close(int result);

  Prompter& prompter_;
  const std::string read_path_;
  const std::string save_path_;
  std::array<std::array<std::string, kPresetGridColumns>, kPresetGridRows> cells_{};
  // The column that F2 and typing edit; the row is the grid's focused one.
  int current_column_ = 0;

  HWND dialog_ = nullptr;
  HWND grid_ = nullptr;
  HWND cell_editor_ = nullptr;
  int edited_column_ = 0;
  int edited_row_ = 0;
  int dpi_ = 96;
  HFONT font_ = nullptr;       // the program font; lives while the dialog is up
  HFONT hint_font_ = nullptr;  // Label4's smaller one
  std::wstring display_text_;  // the text the grid last asked for
};

}  // namespace morvick::win
