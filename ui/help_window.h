#pragma once

// The program's own help window: the shipped HTML help in a browser pane. A
// missing help file is reported inside this window, never by the main window.

#include <QTextBrowser>

#include <string>

namespace morvick::ui {

class HelpWindow : public QTextBrowser {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* owner);

  // Shows the help file's contents (its first page) and raises the window.
  void ShowContents(const std::string& help_path);
  bool showing_missing_file() const { return missing_; }

 private:
  static constexpr int kMinimumWidth = 640;

  // Sizes the window so that its page needs no horizontal scroll bar.
  void FitWidthToContents();

  bool missing_ = false;
};

}  // namespace morvick::ui
