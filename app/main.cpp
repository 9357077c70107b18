// Morvick: start-up. Reads the platform's version, checks it, sets the title,
// creates the three windows in order and runs the event loop until the main
// window has closed. The exit code is 0 in every case.

#include "app/application.h"
#include "app/startup.h"
#include "app/version_gate.h"
#include "common/error_guard.h"
#include "platform/standard_streams.h"
#include "ui/program_look.h"
#include "ui/qt_prompter.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QSessionManager>
#include <QTimer>
#include <QTranslator>

int main(int argc, char** argv) {
  using namespace morvick;
  platform::OpenStandardDescriptors();
  const app::PlatformVersion version = app::CurrentPlatformVersion();
  app::Application application(argc, argv);

  if (const auto refusal = app::VersionGateRefusal(version)) {
    QMessageBox box(QMessageBox::NoIcon,
                    ui::ToQString(app::DefaultApplicationTitle(argc > 0 ? argv[0] : "")),
                    ui::ToQString(*refusal), QMessageBox::Ok);
    box.exec();
    return 0;
  }

  // The program speaks Japanese whatever the locale, so Qt's own dialogs (the
  // folder picker's buttons and labels) do too, where Qt's translations are installed.
  QTranslator qt_texts;
  if (qt_texts.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                    QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qt_texts);
  }

  app::SetApplicationIdentity();
  // The program ends when the main window's close is granted, not when its
  // last window happens to disappear.
  QApplication::setQuitOnLastWindowClosed(false);

  ui::QtPrompter prompter;
  application.SetPrompter(&prompter);
  app::ProgramWindows windows = app::CreateProgramWindows(prompter, app::DefaultStartupFiles());
  prompter.SetOwner(windows.main_window.get());
  QObject::connect(windows.main_window.get(), &ui::TForm1::Closed, &application,
                   &QCoreApplication::quit, Qt::QueuedConnection);
  // Log-out and shutdown ask the main window to close like its close box does:
  // the close prompt runs, and its Cancel asks the session to stay.
  QObject::connect(
      &application, &QGuiApplication::commitDataRequest, windows.main_window.get(),
      [main_window = windows.main_window.get()](QSessionManager& session) {
        if (!session.allowsInteraction()) return;
        const bool closed = main_window->close();
        session.release();
        if (!closed) session.cancel();
      },
      Qt::DirectConnection);
  windows.main_window->show();
  // Once the window is up: a move of an earlier run that was cut short.
  ui::TForm1* main_window = windows.main_window.get();
  QTimer::singleShot(0, main_window, [main_window, &prompter] {
    RunGuarded(prompter, [main_window] { main_window->OfferRecovery(); });
  });
  QApplication::exec();
  application.SetPrompter(nullptr);
  return 0;
}
