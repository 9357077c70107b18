#pragma once

// The program's windows, created in their fixed order: the main window, the
// About box, the preset editor. An error while one is being created is shown
// in the error box and creation goes on with the next.

#include "common/prompter.h"
#include "ui/about_box.h"
#include "ui/main_window.h"
#include "ui/preset_editor.h"

#include <memory>
#include <string>

namespace morvick::app {

// The application's name, desktop entry, icon and font, as every window of the
// program shows them. Call once, after the application object exists.
void SetApplicationIdentity();

struct StartupFiles {
  std::string settings_path;
  std::string presets_read_path;  // what the drop-down and the editor show
  std::string presets_save_path;  // where the editor saves
  std::string help_path;
  std::string journal_folder;  // the journals of the window's moves
};

// The files of this installation and this user.
StartupFiles DefaultStartupFiles();

struct ProgramWindows {
  std::unique_ptr<ui::TForm1> main_window;
  ui::TAboutBox1* about_box = nullptr;         // owned by the main window
  ui::TOKBottomDlg1* preset_editor = nullptr;  // owned by the main window
};

ProgramWindows CreateProgramWindows(Prompter& prompter, const StartupFiles& files);

}  // namespace morvick::app
