#pragma once

// The application object: every error that escapes an event handler reaches
// the application-wide error box here, and the event loop goes on.

#include "common/prompter.h"

#include <QApplication>

namespace morvick::app {

class Application : public QApplication {
  Q_OBJECT

 public:
  Application(int& argc, char** argv);

  // Where the error box is shown; until it is set, errors are shown by a
  // box of the application's own.
  void SetPrompter(Prompter* prompter) { prompter_ = prompter; }

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  Prompter* prompter_ = nullptr;
};

}  // namespace morvick::app
