#pragma once

// TAboutBox1, "バージョン情報": the program icon, name and version on a
// bevelled panel, and an OK button.

#include <QDialog>

namespace morvick::ui {

class TAboutBox1 : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox1(QWidget* parent);
};

}  // namespace morvick::ui
