#include "ui/about_box.h"

#include "commands/about_box_controls.h"
#include "ui/program_look.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <map>
#include <string_view>

namespace morvick::ui {

TAboutBox1::TAboutBox1(QWidget* parent) : QDialog(parent) {
  setObjectName(QString::fromLatin1(kAboutBox.name));
  setWindowTitle(QString::fromUtf8(kAboutBox.caption));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(ProgramFont());
  setFixedSize(kAboutBox.client_width, kAboutBox.client_height);
  setModal(true);

  std::map<std::string_view, QWidget*> made{{kAboutBox.name, this}};
  QFrame* panel = nullptr;
  QPushButton* ok = nullptr;
  for (const AboutControlEntry& entry : kAboutBoxControls) {
    QWidget* container = made.at(entry.container);
    const std::string_view name = entry.name;
    QWidget* widget = nullptr;
    if (name == "Panel1") {
      panel = new QFrame(container);
      panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      panel->setLineWidth(2);
      widget = panel;
    } else if (name == "ProgramIcon") {
      auto* icon = new QLabel(container);
      icon->setScaledContents(true);
      icon->setPixmap(ProgramIcon().pixmap(32, 32));
      widget = icon;
    } else if (name == "OKButton") {
      ok = new QPushButton(QString::fromUtf8(entry.text), container);
      ok->setDefault(true);
      connect(ok, &QPushButton::clicked, this, &QDialog::accept);
      widget = ok;
    } else {
      widget = new QLabel(QString::fromUtf8(entry.text), container);
    }
    widget->setObjectName(QString::fromLatin1(entry.name));
    widget->setGeometry(entry.rect.left, entry.rect.top, entry.rect.width, entry.rect.height);
    if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr && !label->text().isEmpty()) {
      FitLabel(label);
    }
    made[entry.name] = widget;
  }

  setTabOrder(panel, ok);
  ok->setFocus();
}

}  // namespace morvick::ui
