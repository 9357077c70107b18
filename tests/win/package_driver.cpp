// Drives a running morvick.exe from another process as a user would, for the
// check of the unpacked package: win_package_driver INPUT OUTPUT SIZE.
// Types the folders and the size in bytes into the window, clicks
// "分割調査", "分割開始" and "UNDO", answers every box with its Yes (or OK),
// and closes the window through "終了", answering the close prompt with Yes so
// that the settings are saved. Prints each status line and box text; ends
// with 0 once the window has gone after all three commands finished.

#include "commands/main_window_controls.h"
#include "platform/windows/wide.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace {

using morvick::platform::windows::Narrow;
using morvick::platform::windows::Wide;

// The ids the window gives the controls of its table (win/main_window_layout.cpp).
constexpr int kFirstControlId = 1000;

HWND form = nullptr;
DWORD form_process = 0;

std::string TextOf(HWND window) {
  wchar_t text[1024] = {};
  SendMessageW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
  return Narrow(text);
}

HWND ControlOf(std::string_view name) {
  const auto controls = morvick::MainWindowControls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].name != name) continue;
    struct Search {
      int id;
      HWND found;
    } search{kFirstControlId + static_cast<int>(i), nullptr};
    EnumChildWindows(
        form,
        [](HWND child, LPARAM data) -> BOOL {
          auto* wanted = reinterpret_cast<Search*>(data);
          if (GetDlgCtrlID(child) != wanted->id) return TRUE;
          wanted->found = child;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  return nullptr;
}

// A message box of the window's process that is up, or nullptr.
HWND BoxUp() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM result) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (std::wstring(name) != L"#32770" || process != form_process ||
            !IsWindowVisible(window)) {
          return TRUE;
        }
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Answers the boxes that come up with Yes (or OK) until the status line
// starts with `done`, or the window is gone when `done` is empty.
bool AnswerUntil(const std::string& done) {
  for (int waited = 0; waited < 60000; waited += 50) {
    if (done.empty() ? !IsWindow(form) : TextOf(ControlOf("StatusBar1")).rfind(done, 0) == 0) {
      return true;
    }
    if (const HWND box = BoxUp()) {
      std::string text;
      EnumChildWindows(
          box,
          [](HWND child, LPARAM data) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(child, name, 16);
            if (std::wstring(name) == L"Static")
              *reinterpret_cast<std::string*>(data) += TextOf(child);
            return TRUE;
          },
          reinterpret_cast<LPARAM>(&text));
      std::printf("box: %s\n", text.c_str());
      const int answer = GetDlgItem(box, IDYES) != nullptr ? IDYES : IDOK;
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
      Sleep(300);
    }
    Sleep(50);
  }
  std::printf("timed out waiting for '%s'\n", done.c_str());
  return false;
}

bool Click(std::string_view button, const std::string& done) {
  PostMessageW(ControlOf(button), BM_CLICK, 0, 0);
  const bool reached = AnswerUntil(done);
  if (!done.empty()) std::printf("status: %s\n", TextOf(ControlOf("StatusBar1")).c_str());
  return reached;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: win_package_driver INPUT OUTPUT SIZE\n");
    return 2;
  }
  for (int waited = 0; form == nullptr && waited < 60000; waited += 100) {
    form = FindWindowW(L"TForm1", nullptr);
    if (form == nullptr) Sleep(100);
  }
  if (form == nullptr) {
    std::printf("no window\n");
    return 1;
  }
  GetWindowThreadProcessId(form, &form_process);
  const auto type = [](std::string_view name, const wchar_t* text) {
    SendMessageW(ControlOf(name), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  };
  type("Edit2", argv[1]);
  type("Edit3", argv[2]);
  type("Edit1", argv[3]);
  SendMessageW(ControlOf("ComboBox1"), CB_SETCURSEL, morvick::kUnitBytes, 0);
  const bool done = Click("Button1", "[検索終了]") && Click("Button5", "[更新終了]") &&
                    Click("Button7", "[Undo終了]") && Click("Button4", "");
  return done ? 0 : 1;
}
