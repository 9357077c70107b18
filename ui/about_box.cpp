#include "ui/about_box.h"

#include "ui/program_look.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace morvick::ui {

TAboutBox1::TAboutBox1(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TAboutBox1"));
  setWindowTitle(QStringLiteral("バージョン情報"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(ProgramFont());
  setFixedSize(251, 165);
  setModal(true);

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setLineWidth(2);
  panel->setGeometry(8, 8, 233, 113);

  auto* icon = new QLabel(panel);
  icon->setObjectName(QStringLiteral("ProgramIcon"));
  icon->setGeometry(8, 8, 49, 41);
  icon->setScaledContents(true);
  icon->setPixmap(ProgramIcon().pixmap(32, 32));

  auto* product = new QLabel(QStringLiteral("プロダクト名     Morvick"), panel);
  product->setObjectName(QStringLiteral("ProductName"));
  product->setGeometry(72, 24, 120, 12);

  auto* version = new QLabel(QStringLiteral("バージョン番号 1.9"), panel);
  version->setObjectName(QStringLiteral("Version"));
  version->setGeometry(72, 48, 95, 12);

  auto* note = new QLabel(QStringLiteral("フォルダ分割ツール"), panel);
  note->setObjectName(QStringLiteral("Comments"));
  note->setGeometry(72, 72, 128, 12);
  for (QLabel* label : {product, version, note}) FitLabel(label);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setGeometry(79, 132, 75, 25);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  setTabOrder(panel, ok);
  ok->setFocus();
}

}  // namespace morvick::ui
