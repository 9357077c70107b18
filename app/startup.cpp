#include "app/startup.h"

#include "commands/journal_commands.h"
#include "common/error_guard.h"
#include "settings/settings_paths.h"
#include "ui/program_look.h"

#include <QApplication>

namespace morvick::app {

void SetApplicationIdentity() {
  QApplication::setApplicationName(QStringLiteral("morvick"));
  // No display name: the platform would append it to every window's title
  // ("確認 — Morvick"); the desktop entry names the program instead.
  QApplication::setDesktopFileName(QStringLiteral("org.morvick.Morvick"));
  QApplication::setWindowIcon(ui::ProgramIcon());
  QApplication::setFont(ui::ProgramFont());
}

StartupFiles DefaultStartupFiles() {
  return StartupFiles{SettingsFilePath(), PresetReadPath(), PresetFilePath(), HelpFilePath(),
                      DefaultJournalFolder()};
}

ProgramWindows CreateProgramWindows(Prompter& prompter, const StartupFiles& files) {
  ProgramWindows windows;
  windows.main_window = std::make_unique<ui::TForm1>(
      prompter, ui::WindowFiles{files.settings_path, files.presets_read_path, files.help_path,
                                files.journal_folder});
  ui::TForm1& form = *windows.main_window;
  RunGuarded(prompter, [&form] { form.FormCreate(); });

  windows.about_box = new ui::TAboutBox1(&form);
  windows.preset_editor =
      new ui::TOKBottomDlg1(prompter, files.presets_read_path, files.presets_save_path, &form);
  RunGuarded(prompter, [&windows] { windows.preset_editor->FormCreate(); });
  form.SetDialogs(windows.about_box, windows.preset_editor);
  return windows;
}

}  // namespace morvick::app
