#pragma once

// Starts the program's windows on files in a temporary folder, with the
// message boxes answered by a script.

#include "app/startup.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

namespace morvick::testing {

inline QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

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
