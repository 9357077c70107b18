// The Win32 main window, created in this process and driven as a user would:
// text set with its change notification, buttons clicked, items chosen, arrows
// pressed. Message boxes are answered by a scripted prompter; results are read
// back from the controls themselves.

#include "commands/about_box_controls.h"
#include "commands/main_window_controls.h"
#include "commands/plan_commands.h"
#include "commands/preset_editor_controls.h"
#include "commands/row_colours.h"
#include "commands/version_gate.h"
#include "common/error.h"
#include "platform/known_folders.h"
#include "platform/system_version.h"
#include "platform/windows/wide.h"
#include "settings/settings_io.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "win/dpi.h"
#include "win/main_window.h"
#include "win/message_loop.h"
#include "win/preset_editor.h"

#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>
#undef CreateFile

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace morvick {

// Found by argument-dependent lookup from the assertions.
bool operator==(const ControlRect& a, const ControlRect& b) {
  return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}
std::ostream& operator<<(std::ostream& out, const ControlRect& rect) {
  return out << rect.left << "," << rect.top << " " << rect.width << "x" << rect.height;
}

namespace win {
namespace {

using platform::windows::Narrow;
using platform::windows::Wide;
using testing::NamesIn;
using testing::ScriptedPrompter;
using testing::TempDir;

std::string TextOf(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, static_cast<int>(std::size(text)));
  return Narrow(text);
}

// The rectangle of `control` in its parent's client area.
ControlRect RectOf(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    temp_.WriteFile("presets.dat", "\"CD-R 74分 (650MB)\",675164160\r\n\"小さい\",1024\r\n");
    form_ = std::make_unique<TForm1>(
        prompter_, WindowFiles{temp_.Path("morvick.ini"), temp_.Path("presets.dat"),
                               temp_.Path("journals"), temp_.Path("help\\index.html")});
    form_->Create();
    form_->SetClosedHandler([this] { closed_ = true; });
    form_->FormCreate();
    // The editor reads the shipped presets and saves the user's own file.
    editor_ = std::make_unique<TOKBottomDlg1>(prompter_, temp_.Path("presets.dat"),
                                              temp_.Path("morvick.dat"));
    editor_->FormCreate();
    form_->SetPresetEditor(editor_.get());
    form_->Show(SW_SHOWNORMAL);
    form_->SetPumpInterval(0);
    ASSERT_TRUE(prompter_.boxes().empty()) << prompter_.texts().front();
  }

  HWND Control(std::string_view name) const {
    const HWND control = form_->Control(name);
    EXPECT_NE(control, nullptr) << name;
    return control;
  }

  // The notifications a user's input gives: typing into a box, a click, a
  // choice from a list, a key pressed on a control.
  void Type(std::string_view name, const std::string& text) {
    const HWND control = Control(name);
    SetWindowTextW(control, Wide(text).c_str());  // an edit box tells EN_CHANGE itself
    if (GetDlgItem(control, 1001) != nullptr) {   // a combo box's edit field
      SendMessageW(GetParent(control), WM_COMMAND,
                   MAKEWPARAM(GetDlgCtrlID(control), CBN_EDITCHANGE),
                   reinterpret_cast<LPARAM>(control));
    }
  }
  void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
  void Click(std::string_view name) { Click(Control(name)); }
  void Choose(std::string_view name, int index) {
    const HWND box = Control(name);
    SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(box));
  }
  void PressKey(std::string_view name, WPARAM key) {
    SendMessageW(Control(name), WM_KEYDOWN, key, 0);
    SendMessageW(Control(name), WM_KEYUP, key, 0);
  }
  // A click on the upper or lower arrow of an up-down control.
  void ClickArrow(HWND arrows, bool up) {
    RECT client{};
    GetClientRect(arrows, &client);
    const LPARAM at = MAKELPARAM(client.right / 2, up ? client.bottom / 4 : client.bottom * 3 / 4);
    SendMessageW(arrows, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(arrows, WM_LBUTTONUP, 0, at);
  }

  int RowCount(std::string_view list) const {
    return static_cast<int>(SendMessageW(Control(list), LVM_GETITEMCOUNT, 0, 0));
  }
  std::string Cell(std::string_view list, int row, int column) const {
    wchar_t text[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    SendMessageW(Control(list), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    return Narrow(text);
  }
  // The background a row is given when the list paints it, asked as the list asks.
  COLORREF PaintedBackground(std::string_view list, int row) {
    const HWND control = Control(list);
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr = {control, static_cast<UINT_PTR>(GetDlgCtrlID(control)),
                     static_cast<UINT>(NM_CUSTOMDRAW)};
    draw.nmcd.dwDrawStage = CDDS_PREPAINT;
    EXPECT_EQ(SendMessageW(GetParent(control), WM_NOTIFY, draw.nmcd.hdr.idFrom,
                           reinterpret_cast<LPARAM>(&draw)),
              CDRF_NOTIFYITEMDRAW);
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
    draw.clrTextBk = CLR_DEFAULT;
    SendMessageW(GetParent(control), WM_NOTIFY, draw.nmcd.hdr.idFrom,
                 reinterpret_cast<LPARAM>(&draw));
    return draw.clrTextBk;
  }
  static COLORREF ColourValue(RowColour colour) {
    if (colour == RowColour::Normal) return CLR_DEFAULT;
    const Rgb rgb = RgbOf(colour);
    return RGB(rgb.red, rgb.green, rgb.blue);
  }

  TempDir temp_;
  ScriptedPrompter prompter_;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<TOKBottomDlg1> editor_;
  bool closed_ = false;
};

// ---- Layout --------------------------------------------------------------------

class LayoutTest : public WindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(LayoutTest, EveryControlOfTheTableAtItsPlaceScaledToTheDpi) {
  const int dpi = GetParam();
  if (dpi != form_->Dpi()) {
    RECT suggested{10, 10, 900, 700};
    SendMessageW(form_->handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
  }
  ASSERT_EQ(form_->Dpi(), dpi);
  RECT client{};
  GetClientRect(form_->handle(), &client);
  EXPECT_EQ(client.right, Scale(kMainWindow.client_width, dpi));
  EXPECT_EQ(client.bottom, Scale(kMainWindow.client_height, dpi));
  EXPECT_EQ(TextOf(form_->handle()), "Morvick");

  for (const ControlEntry& entry : MainWindowControls()) {
    SCOPED_TRACE(entry.name);
    const HWND control = Control(entry.name);
    ASSERT_NE(control, nullptr);
    const HWND container = entry.container == std::string_view(kMainWindowName)
                               ? form_->handle()
                               : form_->Control(entry.container);
    EXPECT_EQ(GetParent(control), container);
    const ControlRect designed = Scale(entry.rect, dpi);
    ControlRect shown = RectOf(control);
    switch (entry.kind) {
      case ControlKind::Label:
        // Labels grow with their text, from their designed corner.
        EXPECT_EQ(shown.left, designed.left);
        EXPECT_EQ(shown.top, designed.top);
        EXPECT_GE(shown.width, designed.width);
        EXPECT_GE(shown.height, designed.height);
        break;
      case ControlKind::StatusBar:
        EXPECT_EQ(shown,
                  (ControlRect{0, client.bottom - designed.height, client.right, designed.height}));
        break;
      case ControlKind::SpinEdit: {
        const ControlRect arrows = RectOf(form_->SpinArrows());
        EXPECT_EQ(GetParent(form_->SpinArrows()), container);
        EXPECT_EQ(arrows.left + arrows.width, designed.left + designed.width);
        EXPECT_EQ(arrows.left, shown.left + shown.width);
        shown.width += arrows.width;
        EXPECT_EQ(shown, designed);
        break;
      }
      default: EXPECT_EQ(shown, designed);
    }
    EXPECT_EQ(IsWindowVisible(control), TRUE);

    // Captions, items and columns.
    switch (entry.kind) {
      case ControlKind::Button:
      case ControlKind::CheckBox:
      case ControlKind::GroupBox:
      case ControlKind::RadioGroup: EXPECT_EQ(TextOf(control), entry.caption); break;
      case ControlKind::Label:
        if (entry.name != std::string_view("Label5")) {
          EXPECT_EQ(TextOf(control), entry.caption);
        }
        break;
      case ControlKind::DropDownList:
      case ControlKind::EditableDropDown: {
        ASSERT_EQ(SendMessageW(control, CB_GETCOUNT, 0, 0),
                  static_cast<LRESULT>(entry.items.size()));
        for (std::size_t i = 0; i < entry.items.size(); ++i) {
          wchar_t item[64] = {};
          SendMessageW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
          EXPECT_EQ(Narrow(item), entry.items[i]);
        }
        break;
      }
      case ControlKind::ListView: {
        const HWND header = reinterpret_cast<HWND>(SendMessageW(control, LVM_GETHEADER, 0, 0));
        ASSERT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0),
                  static_cast<LRESULT>(entry.columns.size()));
        for (std::size_t i = 0; i < entry.columns.size(); ++i) {
          wchar_t title[64] = {};
          LVCOLUMNW column{};
          column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
          column.pszText = title;
          column.cchTextMax = static_cast<int>(std::size(title));
          ASSERT_TRUE(SendMessageW(control, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column)));
          EXPECT_EQ(Narrow(title), entry.columns[i].title);
          EXPECT_EQ(column.cx, Scale(entry.columns[i].width, dpi));
          EXPECT_EQ((column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT,
                    entry.columns[i].right_aligned);
        }
        break;
      }
      default: break;
    }

    // "ＭＳ Ｐゴシック" 9 points on every control with text; the sample name in bold.
    if (entry.kind == ControlKind::TrackBar || entry.kind == ControlKind::UpDown) continue;
    LOGFONTW font{};
    ASSERT_TRUE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)),
                           sizeof font, &font));
    EXPECT_EQ(Narrow(font.lfFaceName), "ＭＳ Ｐゴシック");
    EXPECT_EQ(font.lfHeight, -MulDiv(9, dpi, 72));
    EXPECT_EQ(font.lfWeight, entry.name == std::string_view("Label5") ? FW_BOLD : FW_NORMAL);
  }

  for (std::size_t i = 0; i < kPackingItems.size(); ++i) {
    const HWND item = form_->RadioItem(static_cast<int>(i));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(GetParent(item), Control("RadioGroup1"));
    EXPECT_EQ(TextOf(item), kPackingItems[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(Dpi, LayoutTest, ::testing::Values(96, 144));

TEST_F(WindowTest, MenuTabOrderAndFocusAsDesigned) {
  wchar_t caption[64] = {};
  GetMenuStringW(form_->Menu(), 0, caption, 64, MF_BYPOSITION);
  EXPECT_EQ(Narrow(caption), kPropertyMenu.caption);
  const HMENU property = GetSubMenu(form_->Menu(), 0);
  ASSERT_EQ(GetMenuItemCount(property), static_cast<int>(kPropertyMenuItems.size()));
  for (std::size_t i = 0; i < kPropertyMenuItems.size(); ++i) {
    GetMenuStringW(property, static_cast<UINT>(i), caption, 64, MF_BYPOSITION);
    EXPECT_EQ(Narrow(caption), kPropertyMenuItems[i].caption);
    EXPECT_EQ(GetMenuState(property, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED, 0u);
  }

  EXPECT_EQ(GetFocus(), Control("ListView2"));

  // Tab from the first stop visits the chain of the table and comes round;
  // the radio group stands for its chosen item.
  Click(form_->RadioItem(3));
  const std::vector<const ControlEntry*> chain = MainWindowTabChain();
  const auto expected = [this](const ControlEntry* entry) {
    return entry->kind == ControlKind::RadioGroup ? form_->RadioItem(3) : Control(entry->name);
  };
  HWND at = expected(chain.front());
  for (std::size_t i = 1; i <= chain.size(); ++i) {
    at = GetNextDlgTabItem(form_->handle(), at, FALSE);
    EXPECT_EQ(at, expected(chain[i % chain.size()])) << "after " << chain[i - 1]->name;
  }
}

TEST_F(WindowTest, TheManifestBringsTheCommonControlsOfVersion6) {
  // The side-by-side comctl32 of version 6, which only a manifest asks for,
  // is among the modules of the process.
  HMODULE modules[512] = {};
  DWORD needed = 0;
  ASSERT_TRUE(K32EnumProcessModules(GetCurrentProcess(), modules, sizeof modules, &needed));
  std::vector<std::string> controls;
  for (DWORD i = 0; i < needed / sizeof(HMODULE) && i < std::size(modules); ++i) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(modules[i], path, MAX_PATH);
    std::string name = Narrow(path);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name.find("comctl32") != std::string::npos) controls.push_back(name);
  }
  EXPECT_TRUE(std::any_of(controls.begin(), controls.end(), [](const std::string& name) {
    return name.find("common-controls_6595b64144ccf1df_6.") != std::string::npos;
  })) << ::testing::PrintToString(controls);
}

// What the About box showed while it was up, read from inside its modal loop.
struct AboutSeen {
  std::string caption;
  RECT client{};
  std::vector<std::string> texts;        // by kAboutBoxControls' order
  std::vector<ControlRect> rects;        // the same
  std::vector<bool> in_their_container;  // the same
  bool has_icon = false;
};
thread_local AboutSeen* about_seen = nullptr;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void CALLBACK ReadAndCloseAbout(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&box));
  if (box == nullptr) return;  // not up yet: the timer fires again
  KillTimer(nullptr, timer);
  AboutSeen& seen = *about_seen;
  seen.caption = TextOf(box);
  GetClientRect(box, &seen.client);
  const HWND panel = GetDlgItem(box, kFirstAboutControlId);
  for (std::size_t i = 0; i < kAboutBoxControls.size(); ++i) {
    const AboutControlEntry& entry = kAboutBoxControls[i];
    const int id = entry.name == std::string_view("OKButton")
                       ? IDOK
                       : kFirstAboutControlId + static_cast<int>(i);
    const HWND container = entry.container == std::string_view("Panel1") ? panel : box;
    const HWND control = GetDlgItem(container, id);
    seen.texts.push_back(TextOf(control));
    seen.rects.push_back(RectOf(control));
    seen.in_their_container.push_back(control != nullptr && GetParent(control) == container);
    if (entry.name == std::string_view("ProgramIcon")) {
      seen.has_icon = SendMessageW(control, STM_GETICON, 0, 0) != 0;
    }
  }
  PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
}

TEST_F(WindowTest, AboutShowsTheBoxOfTheLayoutUntilOk) {
  AboutSeen seen;
  about_seen = &seen;
  SetTimer(nullptr, 0, 10, ReadAndCloseAbout);
  SendMessageW(form_->handle(), WM_COMMAND, MAKEWPARAM(kAbout1Command, 0), 0);
  EXPECT_EQ(seen.caption, kAboutBox.caption);
  EXPECT_EQ(seen.client.right, Scale(kAboutBox.client_width, form_->Dpi()));
  EXPECT_EQ(seen.client.bottom, Scale(kAboutBox.client_height, form_->Dpi()));
  ASSERT_EQ(seen.texts.size(), kAboutBoxControls.size());
  for (std::size_t i = 0; i < kAboutBoxControls.size(); ++i) {
    const AboutControlEntry& entry = kAboutBoxControls[i];
    SCOPED_TRACE(entry.name);
    EXPECT_TRUE(seen.in_their_container[i]);
    EXPECT_EQ(seen.texts[i], entry.text);
    const ControlRect designed = Scale(entry.rect, form_->Dpi());
    EXPECT_EQ(seen.rects[i].left, designed.left);
    EXPECT_EQ(seen.rects[i].top, designed.top);
    // Labels grow with their text; the rest are as designed.
    EXPECT_GE(seen.rects[i].width, designed.width);
    EXPECT_GE(seen.rects[i].height, designed.height);
    if (std::string_view(entry.text).empty() || entry.name == std::string_view("OKButton")) {
      EXPECT_EQ(seen.rects[i], designed);
    }
  }
  EXPECT_TRUE(seen.has_icon);
  EXPECT_TRUE(IsWindowEnabled(form_->handle()));  // the modal box has given the window back
}

TEST_F(WindowTest, HelpOpensTheHelpFileOwnedByTheWindow) {
  std::vector<std::pair<HWND, std::string>> opened;
  form_->SetHelpOpener(
      [&opened](HWND owner, const std::string& path) { opened.emplace_back(owner, path); });
  SendMessageW(form_->handle(), WM_COMMAND, MAKEWPARAM(kHelp1Command, 0), 0);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].first, form_->handle());
  EXPECT_EQ(opened[0].second, temp_.Path("help\\index.html"));
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{});
  form_->SetHelpOpener(nullptr);
}

// ---- The preset editor --------------------------------------------------------------

// Runs `script` inside the modal loop of the dialog opened next, once it is up.
thread_local std::function<void(HWND)> dialog_script;

void CALLBACK RunDialogScript(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
  if (dialog == nullptr) return;  // not up yet: the timer fires again
  KillTimer(nullptr, timer);
  std::function<void(HWND)> script = std::move(dialog_script);
  script(dialog);
}

class EditorTest : public WindowTest {
 protected:
  // Opens the editor from its menu item and runs `script` while it is up.
  void WithEditor(std::function<void(HWND)> script) {
    dialog_script = std::move(script);
    SetTimer(nullptr, 0, 10, RunDialogScript);
    SendMessageW(form_->handle(), WM_COMMAND, MAKEWPARAM(kSetting1Command, 0), 0);
    EXPECT_FALSE(dialog_script) << "the editor did not open";
    EXPECT_EQ(editor_->handle(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(form_->handle()));
  }
  // A click on a cell of StringGrid1, then `text` typed into its box, ended by
  // `key` (0: the box is left open).
  void EditCell(int column, int row, const std::string& text, WPARAM key = VK_RETURN) {
    const HWND grid = editor_->Control("StringGrid1");
    RECT cell{};
    ListView_GetSubItemRect(grid, row, column, column == 0 ? LVIR_LABEL : LVIR_BOUNDS, &cell);
    const LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    PostMessageW(grid, WM_LBUTTONUP, 0, at);
    SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PumpPendingMessages(editor_->handle());
    const HWND box = editor_->CellEditor();
    ASSERT_NE(box, nullptr) << "no box over cell " << column << "," << row;
    EXPECT_EQ(GetFocus(), box);
    SetWindowTextW(box, Wide(text).c_str());
    if (key != 0) SendMessageW(box, WM_KEYDOWN, key, 0);
  }
  std::string SavedFile() { return testing::ReadFile(temp_.Path("morvick.dat")); }
};

TEST_F(EditorTest, TheEditorOfTheLayoutOpensOnItsFirstButton) {
  struct Seen {
    std::string caption;
    RECT client{};
    std::vector<std::string> texts;
    std::vector<ControlRect> rects;
    std::vector<LONG> font_heights;
    std::vector<int> tab_chain;  // control ids
    int focus = 0;
    int rows = 0;
    int row_height = 0;
    std::vector<int> column_widths;
  } seen;
  WithEditor([this, &seen](HWND dialog) {
    seen.caption = TextOf(dialog);
    GetClientRect(dialog, &seen.client);
    for (const EditorControlEntry& entry : kPresetEditorControls) {
      const HWND control = editor_->Control(entry.name);
      EXPECT_EQ(GetParent(control), dialog) << entry.name;
      seen.texts.push_back(TextOf(control));
      seen.rects.push_back(RectOf(control));
      LOGFONTW font{};
      GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
                 &font);
      seen.font_heights.push_back(font.lfHeight);
    }
    HWND at = editor_->Control("OKBtn");
    for (std::size_t i = 0; i < 3; ++i) {
      at = GetNextDlgTabItem(dialog, at, FALSE);
      seen.tab_chain.push_back(GetDlgCtrlID(at));
    }
    seen.focus = GetDlgCtrlID(GetFocus());
    const HWND grid = editor_->Control("StringGrid1");
    seen.rows = ListView_GetItemCount(grid);
    RECT row{};
    ListView_GetItemRect(grid, 0, &row, LVIR_BOUNDS);
    seen.row_height = row.bottom - row.top;
    for (int column = 0; column < kPresetGridColumns; ++column) {
      seen.column_widths.push_back(ListView_GetColumnWidth(grid, column));
    }
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  const int dpi = form_->Dpi();
  EXPECT_EQ(seen.caption, kPresetEditor.caption);
  EXPECT_EQ(seen.client.right, Scale(kPresetEditor.client_width, dpi));
  EXPECT_EQ(seen.client.bottom, Scale(kPresetEditor.client_height, dpi));
  ASSERT_EQ(seen.rects.size(), kPresetEditorControls.size());
  for (std::size_t i = 0; i < kPresetEditorControls.size(); ++i) {
    const EditorControlEntry& entry = kPresetEditorControls[i];
    SCOPED_TRACE(entry.name);
    const ControlRect designed = Scale(entry.rect, dpi);
    EXPECT_EQ(seen.texts[i], entry.caption);
    if (*entry.caption != '\0') {  // the font of every text; Label4's smaller
      EXPECT_EQ(seen.font_heights[i], -MulDiv(entry.font_height, dpi, 96));
    }
    if (entry.kind == EditorControlKind::Label) {  // labels grow with their text
      EXPECT_EQ(seen.rects[i].left, designed.left);
      EXPECT_EQ(seen.rects[i].top, designed.top);
      EXPECT_GE(seen.rects[i].width, designed.width);
      EXPECT_GE(seen.rects[i].height, designed.height);
    } else {
      EXPECT_EQ(seen.rects[i], designed);
    }
  }
  EXPECT_EQ(seen.rows, kPresetGridRows);
  EXPECT_EQ(seen.row_height, Scale(kPresetGridRowHeight, dpi));
  EXPECT_EQ(seen.column_widths, (std::vector<int>{Scale(kPresetGridColumnWidths[0], dpi),
                                                  Scale(kPresetGridColumnWidths[1], dpi)}));
  // OKBtn, CancelBtn, StringGrid1 and round again.
  EXPECT_EQ(seen.tab_chain, (std::vector<int>{IDCANCEL, kFirstEditorControlId + 3, IDOK}));
  EXPECT_EQ(seen.focus, IDOK);
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{});
}

TEST_F(EditorTest, CellsEditedInPlaceAreSavedAsTwentyLinesAndReadAtTheNextStart) {
  // Yes saves: the loaded rows, the edited ones, and an empty line for every other row.
  prompter_.Answer(Answer::Yes);
  WithEditor([this](HWND) {
    EXPECT_EQ(editor_->Cell(0, 0), "CD-R 74分 (650MB)");
    EXPECT_EQ(editor_->Cell(1, 1), "1024");
    EditCell(0, 2, "DVD 片面");
    EditCell(1, 2, "4700000000\r\n二行目");  // a pasted line break stays out of the file
    EditCell(1, 1, "2048", VK_TAB);
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDOK);  // Tab went on to the buttons
    Click(editor_->Control("OKBtn"));
  });
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].kind, BoxKind::Warning);
  EXPECT_EQ(prompter_.boxes()[0].text, "保存しますか？");
  std::string expected =
      "\"CD-R 74分 (650MB)\",675164160\r\n小さい,2048\r\n\"DVD 片面\",4700000000\r\n";
  for (int row = 3; row < kPresetGridRows; ++row) expected += ",\r\n";
  EXPECT_EQ(SavedFile(), expected);

  // No writes nothing; the edit is still there at the next opening, and
  // Escape in an open cell closes the editor keeping what was typed.
  prompter_.Clear();
  prompter_.Answer(Answer::No);
  WithEditor([this](HWND) {
    EditCell(0, 5, "未保存", 0);  // a click on the next cell keeps the open one
    EditCell(1, 5, "200");
    Click(editor_->Control("OKBtn"));
  });
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"保存しますか？"});
  EXPECT_EQ(SavedFile(), expected);
  WithEditor([this](HWND) {
    EXPECT_EQ(editor_->Cell(0, 5), "未保存");
    EXPECT_EQ(editor_->Cell(1, 5), "200");
    EditCell(1, 5, "100", VK_ESCAPE);
  });
  EXPECT_EQ(editor_->Cell(1, 5), "100");
  EXPECT_EQ(SavedFile(), expected);

  // The main window of the next start lists the saved presets.
  TForm1 next(prompter_, WindowFiles{temp_.Path("next.ini"), temp_.Path("morvick.dat"),
                                     temp_.Path("journals"), ""});
  next.Create();
  next.FormCreate();
  EXPECT_EQ(next.PresetNames(), (std::vector<std::string>{kPresetHeaderText, "CD-R 74分 (650MB)",
                                                          "小さい", "DVD 片面"}));
}

TEST(VersionGate, TheRunningWindowsPassesWithItsRealVersion) {
  // The manifest names Windows 10, so the system does not report an older one.
  const platform::SystemVersion system = platform::CurrentSystemVersion();
  const PlatformVersion version{system.platform_id, system.major, system.minor};
  EXPECT_EQ(version.platform_id, static_cast<unsigned>(VER_PLATFORM_WIN32_NT));
  EXPECT_GE(version.major, 6u);
  EXPECT_FALSE(VersionGateRefusal(version).has_value());
  EXPECT_EQ(DefaultApplicationTitle(platform::ExecutablePath()), "win_window_tests");
}

// ---- Investigate, Move and Undo ---------------------------------------------------

class PlanTest : public WindowTest {
 protected:
  void MakeInput() {
    temp_.CreateFile("入力/日本語の文書.txt", 3000);
    temp_.CreateFile("入力/写真 2024/夏の海.jpg", 9000);
    temp_.CreateFile("入力/写真 2024/冬/雪.png", 4000);
    temp_.CreateFile("入力/ひらがな.bin", 12000);
    temp_.CreateFile("入力/ｶﾀｶﾅ半角.dat", 7000);
    temp_.CreateFile("入力/絵文字😀.txt", 500);
    temp_.CreateDir("入力/空のフォルダ");
    input_ = temp_.Path("入力");
    output_ = temp_.Path("出力 フォルダ");
  }
  void FillInputs() {
    Type("Edit1", "20000");
    Choose("ComboBox1", kUnitBytes);
    Type("Edit2", input_);
    Type("Edit3", output_);
    Click(form_->RadioItem(6));  // first-fit by decreasing size
  }
  std::set<std::string> EntryNames() {
    std::set<std::string> names;
    for (int row = 0; row < RowCount("ListView1"); ++row) names.insert(Cell("ListView1", row, 1));
    return names;
  }

  std::string input_;
  std::string output_;
  const std::set<std::string> entries_ = {"日本語の文書.txt", "写真 2024",   "ひらがな.bin",
                                          "ｶﾀｶﾅ半角.dat",     "絵文字😀.txt", "空のフォルダ"};
};

TEST_F(PlanTest, InvestigateMoveAndUndoThroughTheControls) {
  MakeInput();
  FillInputs();
  Click("Button1");
  ASSERT_EQ(prompter_.texts(), std::vector<std::string>{});

  // The plan: 35,500 bytes in volumes of 20,000.
  EXPECT_EQ(EntryNames(), entries_);
  ASSERT_EQ(RowCount("ListView2"), 2);
  EXPECT_EQ(Cell("ListView2", 0, 1), "folder00001");
  EXPECT_EQ(Cell("ListView2", 1, 1), "folder00002");
  for (int row = 0; row < RowCount("ListView1"); ++row) {
    if (Cell("ListView1", row, 1) != "写真 2024") continue;
    EXPECT_EQ(Cell("ListView1", row, 0), "1");  // the largest goes first
    EXPECT_EQ(Cell("ListView1", row, 2), "13,000");
    EXPECT_EQ(Cell("ListView1", row, 4), "Folder");
  }
  EXPECT_EQ(form_->StatusText(),
            "[検索終了] 分割数 (2)個  総容量 (35,500)bytes / クラスタSize (0)bytes");

  // Odd volumes sky blue; with the last volume kept back, the last row yellow.
  for (int row = 0; row < RowCount("ListView1"); ++row) {
    const RowColour expected =
        Cell("ListView1", row, 0) == "1" ? RowColour::SkyBlue : RowColour::Normal;
    EXPECT_EQ(PaintedBackground("ListView1", row), ColourValue(expected)) << row;
  }
  EXPECT_EQ(PaintedBackground("ListView2", 0), ColourValue(RowColour::SkyBlue));
  EXPECT_EQ(PaintedBackground("ListView2", 1), ColourValue(RowColour::Normal));
  Click("CheckBox2");
  EXPECT_EQ(PaintedBackground("ListView2", 1), ColourValue(RowColour::Yellow));
  Click("CheckBox2");

  // The tree: the top level at once, a folder's children once it is opened.
  const HWND tree = Control("TreeView1");
  EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 6);
  HTREEITEM photos = TreeView_GetRoot(tree);
  wchar_t name[64] = {};
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.pszText = name;
  item.cchTextMax = 64;
  for (; photos != nullptr; photos = TreeView_GetNextSibling(tree, photos)) {
    item.hItem = photos;
    TreeView_GetItem(tree, &item);
    if (Narrow(name) == "写真 2024") break;
  }
  ASSERT_NE(photos, nullptr);
  TreeView_Expand(tree, photos, TVE_EXPAND);
  std::set<std::string> children;
  for (HTREEITEM child = TreeView_GetChild(tree, photos); child != nullptr;
       child = TreeView_GetNextSibling(tree, child)) {
    item.hItem = child;
    TreeView_GetItem(tree, &item);
    children.insert(Narrow(name));
  }
  EXPECT_EQ(children, (std::set<std::string>{"夏の海.jpg", "冬"}));

  // Move, answering Yes: every entry into its volume folder.
  prompter_.Clear();
  prompter_.Answer(Answer::Yes);
  Click("Button5");
  EXPECT_EQ(prompter_.texts(),
            (std::vector<std::string>{"よろしいですか？", "フォルダを移動しました。"}));
  EXPECT_TRUE(NamesIn(input_).empty());
  EXPECT_EQ(NamesIn(output_), (std::set<std::string>{"folder00001", "folder00002"}));
  std::set<std::string> moved = NamesIn(output_ + "\\folder00001");
  moved.merge(NamesIn(output_ + "\\folder00002"));
  EXPECT_EQ(moved, entries_);
  EXPECT_EQ(NamesIn(output_ + "\\folder00001\\写真 2024"),
            (std::set<std::string>{"夏の海.jpg", "冬"}));
  EXPECT_EQ(form_->StatusText(),
            "[更新終了] 分割数 (2)個  総容量 (35,500)bytes/ クラスタSize (0)bytes");
  ASSERT_EQ(NamesIn(temp_.Path("journals")).size(), 1u);

  // Undo, answering Yes: everything back, the volume folders gone.
  prompter_.Clear();
  prompter_.Answer(Answer::Yes);
  Click("Button7");
  EXPECT_EQ(prompter_.texts(),
            (std::vector<std::string>{"よろしいですか？", "フォルダを移動しました。"}));
  EXPECT_EQ(NamesIn(input_), entries_);
  EXPECT_TRUE(NamesIn(output_).empty());
  EXPECT_EQ(form_->StatusText(),
            "[Undo終了] 分割数 (2)個  総容量 (35,500)bytes/ クラスタSize (0)bytes");

  // A second Undo is refused by the flags.
  prompter_.Clear();
  Click("Button7");
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"Undoが終了してる為、処理できません。"});
}

// A drag loop that looks at the data it is given: the files it offers.
class RecordingDragRunner : public DragRunner {
 public:
  DWORD Run(IDataObject& data, DWORD allowed_effects) override {
    ++runs;
    allowed = allowed_effects;
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (SUCCEEDED(data.GetData(&format, &medium))) {
      const auto drop = static_cast<HDROP>(medium.hGlobal);
      const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
      for (UINT i = 0; i < count; ++i) {
        wchar_t file[MAX_PATH] = {};
        DragQueryFileW(drop, i, file, MAX_PATH);
        files.insert(Narrow(file));
      }
      ReleaseStgMedium(&medium);
    }
    return DROPEFFECT_COPY;
  }
  int runs = 0;
  DWORD allowed = 0;
  std::set<std::string> files;
};

class DragTest : public PlanTest {
 protected:
  void SetUp() override {
    PlanTest::SetUp();
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    form_->SetDragRunner(&runner_);
  }
  void TearDown() override {
    form_->SetDragRunner(nullptr);
    OleUninitialize();
  }
  // A press on the first row of ListView2, then moves with the button down,
  // `moves` from the press point.
  POINT PressAndMove(std::vector<POINT> moves) {
    const HWND list = Control("ListView2");
    ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    RECT row{};
    ListView_GetItemRect(list, 0, &row, LVIR_BOUNDS);
    const POINT at{(row.left + row.right) / 2, (row.top + row.bottom) / 2};
    const auto point = [at](POINT by) { return MAKELPARAM(at.x + by.x, at.y + by.y); };
    for (const POINT& by : moves) PostMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, point(by));
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point({0, 0}));
    PumpPendingMessages(form_->handle());
    return at;
  }

  RecordingDragRunner runner_;
};

TEST_F(DragTest, FivePixelsFromThePressDragTheItemsOfTheSelectedVolume) {
  MakeInput();
  FillInputs();
  Click("Button1");
  prompter_.Answer(Answer::Yes);
  Click("Button5");
  prompter_.Clear();

  const POINT at = PressAndMove({{4, -4}, {-4, 4}});
  EXPECT_EQ(form_->DragOrigin().x, at.x);
  EXPECT_EQ(form_->DragOrigin().y, at.y);
  EXPECT_EQ(runner_.runs, 0);  // within 4 pixels in both directions

  PressAndMove({{3, 3}, {0, 5}, {5, 0}});
  EXPECT_EQ(runner_.runs, 1);  // once: the press belongs to the drag
  EXPECT_EQ(runner_.allowed, static_cast<DWORD>(DROPEFFECT_COPY));
  std::set<std::string> expected;
  for (const std::string& name : NamesIn(output_ + "\\folder00001")) {
    expected.insert(output_ + "\\folder00001\\" + name);
  }
  EXPECT_EQ(runner_.files, expected);
  EXPECT_FALSE(expected.empty());
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{});

  // A right press records no origin.
  const HWND list = Control("ListView2");
  PostMessageW(list, WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
  SendMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
  PumpPendingMessages(form_->handle());
  EXPECT_EQ(form_->DragOrigin().x, at.x);
}

TEST(VolumeDropSource, EscapeOrTheRightButtonCancelsReleasingTheLeftDrops) {
  struct Case {
    BOOL escape;
    DWORD keys;
    HRESULT answer;
  };
  const Case cases[] = {
      {TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL},  {FALSE, MK_LBUTTON | MK_RBUTTON, DRAGDROP_S_CANCEL},
      {FALSE, MK_RBUTTON, DRAGDROP_S_CANCEL}, {FALSE, 0, DRAGDROP_S_DROP},
      {FALSE, MK_SHIFT, DRAGDROP_S_DROP},     {FALSE, MK_LBUTTON | MK_CONTROL, S_OK},
  };
  VolumeDropSource source;
  for (const Case& c : cases) {
    EXPECT_EQ(source.QueryContinueDrag(c.escape, c.keys), c.answer) << c.escape << " " << c.keys;
  }
  EXPECT_EQ(source.GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
  EXPECT_EQ(source.GiveFeedback(DROPEFFECT_NONE), DRAGDROP_S_USEDEFAULTCURSORS);
}

TEST_F(DragTest, AVolumeNotMovedYetEndsInTheErrorBox) {
  MakeInput();
  FillInputs();
  Click("Button1");
  PressAndMove({{0, 6}});
  EXPECT_EQ(runner_.runs, 0);
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].kind, BoxKind::Error);
  EXPECT_EQ(
      prompter_.boxes()[0].text.rfind("'" + output_ + "\\folder00001' をドラッグできません", 0), 0u)
      << prompter_.boxes()[0].text;
}

TEST_F(PlanTest, TheFewestVolumesCheckBoxSearchesAndItsTooltipTellsTheBound) {
  MakeInput();
  FillInputs();
  Click("CheckBox3");
  Click("Button1");
  ASSERT_EQ(prompter_.texts(), std::vector<std::string>{});
  EXPECT_EQ(RowCount("ListView2"), 2);
  EXPECT_EQ(form_->state().LowerBound, 2);
  EXPECT_EQ(form_->Tips().TextOf(Control("StatusBar1")), "最少の分割数です (下限 2 個)");
  EXPECT_TRUE(
      form_->Tips().TextOf(Control("CheckBox3")).ends_with("\n最少の分割数です (下限 2 個)"));
  // The status line keeps its fixed text.
  EXPECT_EQ(form_->StatusText(),
            "[検索終了] 分割数 (2)個  総容量 (35,500)bytes / クラスタSize (0)bytes");
}

TEST_F(PlanTest, CancelReachesTheScanThroughTheEventPump) {
  for (int i = 0; i < 200; ++i) temp_.CreateFile("多い/ファイル" + std::to_string(i) + ".txt", 10);
  Type("Edit2", temp_.Path("多い"));
  // The click waits in the queue until the scan pumps it, after its first entry.
  PostMessageW(Control("Button6"), BM_CLICK, 0, 0);
  Click("Button1");
  EXPECT_LT(RowCount("ListView1"), 200);
  EXPECT_EQ(form_->StatusText().rfind("[検索終了] 分割数 (", 0), 0u) << form_->StatusText();
  EXPECT_TRUE(form_->state().SearchDone);
  EXPECT_FALSE(form_->state().CancelRequested);
  // The request is used up: the next investigation sees every entry.
  form_->FolderTreeView().SetChunkSize(64);
  Click("Button1");
  EXPECT_EQ(RowCount("ListView1"), 200);
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{});

  // The tree holds a chunk of the level; the rest comes as its end is
  // scrolled into view, every entry in the scan's order.
  const HWND tree = Control("TreeView1");
  EXPECT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 64);
  EXPECT_TRUE(form_->FolderTreeView().Partial());
  // A tree taken away leaves no level to grow under handles that are gone.
  form_->ClearTree();
  EXPECT_FALSE(form_->FolderTreeView().Partial());
  Click("Button1");
  EXPECT_TRUE(form_->FolderTreeView().Partial());
  for (int i = 0; i < 100 && form_->FolderTreeView().Partial(); ++i) {
    SendMessageW(tree, WM_VSCROLL, SB_BOTTOM, 0);
    UpdateWindow(tree);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    PumpPendingMessages(form_->handle());
  }
  ASSERT_FALSE(form_->FolderTreeView().Partial());
  ASSERT_EQ(SendMessageW(tree, TVM_GETCOUNT, 0, 0), 200);
  wchar_t name[64] = {};
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.pszText = name;
  item.cchTextMax = 64;
  int row = 0;
  for (HTREEITEM at = TreeView_GetRoot(tree); at != nullptr;
       at = TreeView_GetNextSibling(tree, at)) {
    item.hItem = at;
    TreeView_GetItem(tree, &item);
    const TreeStore& store = *form_->Tree();
    EXPECT_EQ(Narrow(name),
              store.name(store.child(TreeStore::kNone, static_cast<std::uint32_t>(row))))
        << row;
    ++row;
  }
  EXPECT_EQ(row, 200);
}

TEST_F(PlanTest, ABlockingCallRunsWithTheWindowLiveAndPassesItsErrorOn) {
  // The call asks the window from its own thread: answered only while the
  // window keeps pumping.
  LRESULT answered = 0;
  DWORD_PTR length = 0;
  DWORD thread = GetCurrentThreadId();
  Type("Edit2", "C:\\入力");
  form_->RunBlocking([&] {
    thread = GetCurrentThreadId();
    answered =
        SendMessageTimeoutW(Control("Edit2"), WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 5000, &length);
  });
  EXPECT_NE(thread, GetCurrentThreadId());
  EXPECT_NE(answered, 0);
  EXPECT_EQ(length, 5u);
  EXPECT_THROW(form_->RunBlocking([] { throw Error("unreadable"); }), Error);
}

TEST_F(PlanTest, AnErrorInAHandlerEndsInTheErrorBox) {
  MakeInput();
  FillInputs();
  Type("ComboBox3", "abc");
  Click("Button1");
  ASSERT_EQ(prompter_.boxes().size(), 1u);
  EXPECT_EQ(prompter_.boxes()[0].kind, BoxKind::Error);
  EXPECT_EQ(prompter_.boxes()[0].text, "'abc' は整数ではありません.");
  // The investigation stays cut short: Move is refused.
  prompter_.Clear();
  Click("Button5");
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"検索中の為、処理できません。"});
  EXPECT_NE(form_->handle(), nullptr);
}

// ---- The other handlers --------------------------------------------------------------

TEST_F(WindowTest, ArrowsTrackBarAndSpinEditReachTheirHandlers) {
  Type("Edit1", "650");
  ClickArrow(Control("UpDown1"), true);
  EXPECT_EQ(TextOf(Control("Edit1")), "651");
  ClickArrow(Control("UpDown1"), false);
  ClickArrow(Control("UpDown1"), false);
  EXPECT_EQ(TextOf(Control("Edit1")), "649");
  Type("Edit1", "650MB");
  ClickArrow(Control("UpDown1"), true);
  EXPECT_EQ(prompter_.texts(), std::vector<std::string>{"分割サイズは数値でなければなりません"});
  EXPECT_EQ(TextOf(Control("Edit1")), "650MB");

  // The sample name follows Edit4, TrackBar1 and SpinEdit1.
  Type("Edit4", "vol");
  EXPECT_EQ(TextOf(Control("Label5")), "vol00001");
  PressKey("TrackBar1", VK_RIGHT);
  EXPECT_EQ(TextOf(Control("Label5")), "vol000001");
  Type("SpinEdit1", "41");
  EXPECT_EQ(TextOf(Control("Label5")), "vol000041");
  ClickArrow(form_->SpinArrows(), true);
  EXPECT_EQ(TextOf(Control("Label5")), "vol000042");
}

// A folder browser that answers from a script and remembers where it opened.
class ScriptedFolderPicker : public FolderPicker {
 public:
  bool BrowseForFolder(std::string& path) override {
    opened_on.push_back(path);
    if (!choice) return false;
    path = *choice;
    return true;
  }
  std::optional<std::string> choice;
  std::vector<std::string> opened_on;
};

TEST_F(WindowTest, EachFolderButtonFillsItsOwnBox) {
  ScriptedFolderPicker picker;
  form_->SetFolderPicker(&picker);
  Type("Edit2", "C:\\入力");
  Type("Edit3", "D:\\出力");
  picker.choice = "C:\\";  // as the shell gives it: a root keeps its backslash
  Click("Button2");
  EXPECT_EQ(TextOf(Control("Edit2")), "C:\\");
  EXPECT_EQ(TextOf(Control("Edit3")), "D:\\出力");
  picker.choice.reset();  // cancelled
  Click("Button3");
  EXPECT_EQ(TextOf(Control("Edit3")), "D:\\出力");
  EXPECT_EQ(picker.opened_on, (std::vector<std::string>{"C:\\入力", "D:\\出力"}));
  form_->SetFolderPicker(nullptr);
}

TEST_F(WindowTest, APresetPutsItsSizeInBytes) {
  ASSERT_EQ(form_->PresetNames().size(), 3u);
  EXPECT_EQ(form_->PresetNames()[1], "CD-R 74分 (650MB)");
  Choose("ComboBox2", 1);
  EXPECT_EQ(TextOf(Control("Edit1")), "675164160");
  EXPECT_EQ(SendMessageW(Control("ComboBox1"), CB_GETCURSEL, 0, 0), kUnitBytes);
  Choose("ComboBox2", 0);  // the header chooses nothing
  EXPECT_EQ(TextOf(Control("Edit1")), "675164160");
}

TEST_F(WindowTest, TheExitButtonAsksAndSavesTheSettings) {
  Type("Edit4", "disc");
  Click("CheckBox1");
  prompter_.Answer(Answer::Cancel);
  Click("Button4");
  EXPECT_FALSE(closed_);
  EXPECT_TRUE(IsWindow(form_->handle()));
  EXPECT_FALSE(testing::PathExists(temp_.Path("morvick.ini")));

  prompter_.Answer(Answer::Yes);
  Click("Button4");
  EXPECT_TRUE(closed_);
  EXPECT_EQ(prompter_.texts(), (std::vector<std::string>{kClosePromptText, kClosePromptText}));
  const SettingsValues saved = LoadSettings(temp_.Path("morvick.ini"));
  EXPECT_EQ(saved.base_name, "disc");
  EXPECT_TRUE(saved.seq_flag);
  EXPECT_EQ(saved.size, "650");
}

}  // namespace
}  // namespace win
}  // namespace morvick
