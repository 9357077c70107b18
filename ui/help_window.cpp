#include "ui/help_window.h"

#include "ui/program_look.h"

#include <QFileInfo>
#include <QUrl>

namespace morvick::ui {

HelpWindow::HelpWindow(QWidget* owner) : QTextBrowser(owner) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowFlag(Qt::Window);
  setWindowTitle(QStringLiteral("Morvick ヘルプ"));
  setWindowIcon(ProgramIcon());
  setOpenExternalLinks(true);
  resize(640, 560);
}

void HelpWindow::ShowContents(const std::string& help_path) {
  const QString path = ToQString(help_path);
  const QFileInfo file(path);
  missing_ = !file.isFile() || !file.isReadable();
  if (missing_) {
    setPlainText(QStringLiteral("ヘルプファイル %1 が見つかりません。").arg(path));
  } else {
    setSearchPaths({file.absolutePath()});
    setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
  }
  show();
  raise();
  activateWindow();
}

}  // namespace morvick::ui
