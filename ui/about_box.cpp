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
  for (const AboutControlSpec& spec : kAboutBoxControls) {
    QWidget* container = made.at(spec.container);
    const std::string_view name = spec.name;
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
      ok = new QPushButton(QString::fromUtf8(spec.text), container);
      ok->setDefault(true);
      connect(ok, &QPushButton::clicked, this, &QDialog::accept);
      widget = ok;
    } else {
      widget = new QLabel(QString::fromUtf8(spec.text), container);
    }
    widget->setObjectName(QString::fromLatin1(spec.name));
    widget->setGeometry(spec.rect.left, spec.rect.top, spec.rect.width, spec.rect.height);
    if (auto* label = qobject_cast<QLabel*>(widget); label != nullptr && !label->text().isEmpty()) {
      FitLabel(label);
    }
    made[spec.name] = widget;
  }

  setTabOrder(panel, ok);
  ok->setFocus();
}

}  // namespace morvick::ui
