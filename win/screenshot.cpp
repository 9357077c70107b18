// Shows the main window after an investigation, for a picture taken from
// outside: morvick_screenshot WORK INPUT [PRESETS [MODE]]. The window keeps its
// settings in WORK. MODE "main" (the default): once the plan is painted it
// writes WORK\ready and stays up until WORK\done appears (or a minute has
// passed); "editor": the same with the preset editor open over the window;
// "layout": writes WORK\layout.md, the rectangle of every control of the main
// window, the preset editor and the About box as read back from the controls,
// beside the designed one, and ends.

#include "commands/about_box_controls.h"
#include "commands/preset_editor_controls.h"
#include "platform/windows/wide.h"
#include "win/about_box.h"
#include "win/dpi.h"
#include "win/main_window.h"
#include "win/message_loop.h"
#include "win/preset_editor.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>

namespace {

using morvick::ControlRect;
using morvick::platform::windows::Narrow;

// Questions are not expected; every box is answered as Escape would and reported.
class SilentPrompter : public morvick::Prompter {
 public:
  morvick::Answer Ask(morvick::BoxKind kind, std::string_view text, unsigned buttons) override {
    std::fprintf(stderr, "box: %.*s\n", static_cast<int>(text.size()), text.data());
    return morvick::MakeBoxLook(kind, buttons).escape_answer;
  }
};

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Touch(const std::wstring& path) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

// Says the picture may be taken, then keeps the window live until it has been.
void ReadyUntilDone(HWND window, const std::wstring& work) {
  if (!Touch(work + L"\\ready")) return;
  for (int waited = 0; waited < 60000 && !Exists(work + L"\\done"); waited += 50) {
    morvick::win::PumpPendingMessages(window);
    Sleep(50);
  }
}

// The dialog of this thread that is up, or nullptr.
HWND DialogUp() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM result) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (std::wstring(name) != L"#32770" || !IsWindowVisible(window)) return TRUE;
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Runs `script` inside the modal loop of the dialog opened next, once it is up.
std::function<void(HWND)> dialog_script;

void CALLBACK RunDialogScript(HWND, UINT, UINT_PTR timer, DWORD) {
  const HWND dialog = DialogUp();
  if (dialog == nullptr) return;
  KillTimer(nullptr, timer);
  std::function<void(HWND)> script = std::move(dialog_script);
  script(dialog);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

void WhenDialogUp(std::function<void(HWND)> script) {
  dialog_script = std::move(script);
  SetTimer(nullptr, 0, 20, RunDialogScript);
}

// The rectangle of `control` in its parent's client area.
ControlRect RectOf(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::string Text(const ControlRect& rect) {
  return std::to_string(rect.left) + ", " + std::to_string(rect.top) + " / " +
         std::to_string(rect.width) + " × " + std::to_string(rect.height);
}

// One row of the table: a label may grow with its text from its corner.
void Row(std::FILE* out, const char* window, const char* name, const ControlRect& designed,
         const ControlRect& measured, bool grows) {
  const bool same = designed.left == measured.left && designed.top == measured.top &&
                    designed.width == measured.width && designed.height == measured.height;
  const bool grown = grows && designed.left == measured.left && designed.top == measured.top &&
                     measured.width >= designed.width && measured.height >= designed.height;
  std::fprintf(out, "| %s | %s | %s | %s | %s |\n", window, name, Text(designed).c_str(),
               Text(measured).c_str(),
               same    ? "same"
               : grown ? "grown to its text"
                       : "DIFFERS");
}

void WriteLayout(morvick::win::TForm1& form, morvick::win::TOKBottomDlg1& editor,
                 const std::wstring& path) {
  using namespace morvick;
  std::FILE* out = _wfopen(path.c_str(), L"wb");
  if (out == nullptr) return;
  const int dpi = form.Dpi();
  std::fprintf(out, "Measured under Wine at %d dpi (left, top / width × height)\n\n", dpi);
  std::fprintf(out, "| window | control | designed | measured | |\n|---|---|---|---|---|\n");
  RECT client{};
  GetClientRect(form.handle(), &client);
  Row(out, "TForm1", "(client area)",
      win::Scale({0, 0, kMainWindow.client_width, kMainWindow.client_height}, dpi),
      {0, 0, client.right, client.bottom}, false);
  for (const ControlEntry& entry : MainWindowControls()) {
    ControlRect measured = RectOf(form.Control(entry.name));
    if (entry.kind == ControlKind::SpinEdit) measured.width += RectOf(form.SpinArrows()).width;
    Row(out, "TForm1", entry.name, win::Scale(entry.rect, dpi), measured,
        entry.kind == ControlKind::Label);
  }

  WhenDialogUp([&](HWND dialog) {
    GetClientRect(dialog, &client);
    Row(out, "TOKBottomDlg1", "(client area)",
        win::Scale({0, 0, kPresetEditor.client_width, kPresetEditor.client_height}, dpi),
        {0, 0, client.right, client.bottom}, false);
    for (const EditorControlEntry& entry : kPresetEditorControls) {
      Row(out, "TOKBottomDlg1", entry.name, win::Scale(entry.rect, dpi),
          RectOf(editor.Control(entry.name)), entry.kind == EditorControlKind::Label);
    }
  });
  form.Setting1Click();

  WhenDialogUp([&](HWND dialog) {
    GetClientRect(dialog, &client);
    Row(out, "TAboutBox1", "(client area)",
        win::Scale({0, 0, kAboutBox.client_width, kAboutBox.client_height}, dpi),
        {0, 0, client.right, client.bottom}, false);
    const HWND panel = GetDlgItem(dialog, win::kFirstAboutControlId);
    for (std::size_t i = 0; i < kAboutBoxControls.size(); ++i) {
      const AboutControlEntry& entry = kAboutBoxControls[i];
      const bool ok = entry.name == std::string_view("OKButton");
      const HWND container = entry.container == std::string_view("Panel1") ? panel : dialog;
      const HWND control =
          GetDlgItem(container, ok ? IDOK : win::kFirstAboutControlId + static_cast<int>(i));
      Row(out, "TAboutBox1", entry.name, win::Scale(entry.rect, dpi), RectOf(control),
          !ok && *entry.text != '\0');
    }
  });
  form.About1Click();
  std::fclose(out);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace morvick;
  if (argc < 3) {
    std::fprintf(stderr, "usage: morvick_screenshot WORK INPUT [PRESETS [main|editor|layout]]\n");
    return 2;
  }
  const std::wstring work = argv[1];
  const std::wstring mode = argc > 4 ? argv[4] : L"main";
  win::EnablePerMonitorDpiAwareness();
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES |
                                                     ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                                     ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  SilentPrompter prompter;
  const std::string folder = Narrow(work);
  const std::string presets = argc > 3 ? Narrow(argv[3]) : folder + "\\morvick.dat";
  win::TForm1 form(
      prompter, {folder + "\\morvick.ini", presets, folder + "\\journals", folder + "\\help.html"});
  form.Create();
  form.FormCreate();
  win::TOKBottomDlg1 editor(prompter, presets, folder + "\\morvick.dat");
  editor.FormCreate();
  form.SetPresetEditor(&editor);
  SetWindowTextW(form.Control("Edit2"), argv[2]);
  SetWindowTextW(form.Control("Edit3"), (work + L"\\出力").c_str());
  SetWindowTextW(form.Control("Edit1"), L"1");
  SendMessageW(form.RadioItem(6), BM_CLICK, 0, 0);
  form.Show(SW_SHOWNORMAL);
  SendMessageW(form.Control("Button1"), BM_CLICK, 0, 0);
  RedrawWindow(form.handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  win::PumpPendingMessages(form.handle());

  if (mode == L"layout") {
    WriteLayout(form, editor, work + L"\\layout.md");
  } else if (mode == L"editor") {
    WhenDialogUp([&work](HWND dialog) {
      RedrawWindow(dialog, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
      ReadyUntilDone(dialog, work);
    });
    form.Setting1Click();
  } else {
    ReadyUntilDone(form.handle(), work);
  }
  return 0;
}
