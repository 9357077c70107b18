#pragma once

// Starts the program's windows on files in a temporary folder, with the
// message boxes answered by a script.

#include "app/startup.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

namespace morvick::testing {

inline QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// The nearest named control that holds the focus (a spin box's or an editable
// combo box's inner editor, a grid's cell editor, counts as the control).
inline QString FocusedControl() {
  for (QWidget* widget = QApplication::focusWidget(); widget; widget = widget->parentWidget()) {
    const QString name = widget->objectName();
    if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_"))) return name;
  }
  return {};
}

class WindowTest : public ::testing::Test {
 protected:
  app::StartupFiles Files() const {
    return {dir_.Path("morvick.ini"), dir_.Path("morvick.dat"), dir_.Path("morvick.dat"),
            dir_.Path("help/index.html"), dir_.Path("journals")};
  }
  void Start() { windows_ = app::CreateProgramWindows(prompter_, Files()); }
  ui::TForm1& form() { return *windows_.main_window; }

  template <typename Widget>
  Widget* Find(const char* name) {
    auto* widget = windows_.main_window->findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  TempDir dir_;
  ScriptedPrompter prompter_;
  app::ProgramWindows windows_;
};

}  // namespace morvick::testing
