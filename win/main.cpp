// morvick.exe: start-up of the Win32 window. Makes the process aware of each
// monitor's dots per inch, reads the Windows version, initialises OLE, checks
// the version, creates the main window from the settings, shows it, offers to
// take back moves cut short, and runs the loop until the close prompt grants
// the close. The exit code is 0 in every case.

#include "commands/version_gate.h"
#include "common/error_guard.h"
#include "platform/known_folders.h"
#include "platform/system_version.h"
#include "platform/windows/wide.h"
#include "settings/settings_paths.h"
#include "win/dpi.h"
#include "win/main_window.h"
#include "win/message_loop.h"
#include "win/preset_editor.h"
#include "win/win_prompter.h"

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <ole2.h>

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*command_line*/,
                    int show_command) {
  using namespace morvick;
  win::EnablePerMonitorDpiAwareness();
  const platform::SystemVersion system = platform::CurrentSystemVersion();
  const PlatformVersion version{system.platform_id, system.major, system.minor};
  const HRESULT ole = OleInitialize(nullptr);
  if (const auto refusal = VersionGateRefusal(version)) {
    // No title is set yet: the box is captioned with the executable's name.
    using platform::windows::Wide;
    MessageBoxW(nullptr, Wide(*refusal).c_str(),
                Wide(DefaultApplicationTitle(platform::ExecutablePath())).c_str(), MB_OK);
    if (SUCCEEDED(ole)) OleUninitialize();
    return 0;
  }
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES |
                                                     ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                                     ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  win::Win32Prompter prompter;
  {
    win::TForm1 form(prompter, win::DefaultWindowFiles());
    const bool created = RunGuarded(prompter, [&form] { form.Create(); });
    if (created) {
      prompter.SetOwner(form.handle());
      form.SetClosedHandler([] { PostQuitMessage(0); });
      RunGuarded(prompter, [&form] { form.FormCreate(); });
      // The About box is the window's own; the preset editor comes after it
      // and fills its grid from the preset file once.
      win::TOKBottomDlg1 editor(prompter, PresetReadPath(), PresetFilePath());
      RunGuarded(prompter, [&editor] { editor.FormCreate(); });
      form.SetPresetEditor(&editor);
      form.Show(show_command);
      PostMessageW(form.handle(), win::kOfferRecoveryMessage, 0, 0);
      win::RunMessageLoop(form.handle());
      prompter.SetOwner(nullptr);
    }
  }
  if (SUCCEEDED(ole)) OleUninitialize();
  return 0;
}
