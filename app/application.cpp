#include "app/application.h"

#include "common/error_guard.h"
#include "ui/qt_prompter.h"

namespace morvick::app {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
  // The window's handlers catch their own errors; this is the last line for
  // anything raised elsewhere in an event's delivery.
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    if (prompter_) {
      ReportCurrentError(*prompter_);
    } else {
      ui::QtPrompter fallback;
      ReportCurrentError(fallback);
    }
    return false;
  }
}

}  // namespace morvick::app
