// Shows the main window after an investigation, for a picture taken from
// outside: morvick_screenshot WORK INPUT [PRESETS]. The window keeps its
// settings in WORK; once the plan is painted it writes WORK\ready and stays up
// until WORK\done appears (or a minute has passed).

#include "platform/windows/wide.h"
#include "win/dpi.h"
#include "win/main_window.h"
#include "win/message_loop.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

using morvick::platform::windows::Narrow;

// Questions are not expected; every box is answered as Escape would and reported.
class SilentPrompter : public morvick::Prompter {
 public:
  morvick::Answer Ask(morvick::BoxKind kind, std::string_view text, unsigned buttons) override {
    std::fprintf(stderr, "box: %.*s\n", static_cast<int>(text.size()), text.data());
    return morvick::MakeBoxSpec(kind, buttons).escape_answer;
  }
};

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace morvick;
  if (argc < 3) {
    std::fprintf(stderr, "usage: morvick_screenshot WORK INPUT [PRESETS]\n");
    return 2;
  }
  const std::wstring work = argv[1];
  win::EnablePerMonitorDpiAwareness();
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES |
                                                     ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                                     ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  SilentPrompter prompter;
  const std::string folder = Narrow(work);
  win::TForm1 form(prompter,
                   {folder + "\\morvick.ini", argc > 3 ? Narrow(argv[3]) : folder + "\\morvick.dat",
                    folder + "\\journals", folder + "\\help.html"});
  form.Create();
  form.FormCreate();
  SetWindowTextW(form.Control("Edit2"), argv[2]);
  SetWindowTextW(form.Control("Edit3"), (work + L"\\出力").c_str());
  SetWindowTextW(form.Control("Edit1"), L"1");
  SendMessageW(form.RadioItem(6), BM_CLICK, 0, 0);
  form.Show(SW_SHOWNORMAL);
  SendMessageW(form.Control("Button1"), BM_CLICK, 0, 0);
  RedrawWindow(form.handle(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  win::PumpPendingMessages(form.handle());

  const HANDLE ready = CreateFileW((work + L"\\ready").c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(ready);
  for (int waited = 0; waited < 60000 && !Exists(work + L"\\done"); waited += 50) {
    win::PumpPendingMessages(form.handle());
    Sleep(50);
  }
  return 0;
}
