#include "ui/help_window.h"

#include "ui/program_look.h"

#include <QFileInfo>
#include <QScreen>
#include <QScrollBar>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace morvick::ui {

HelpWindow::HelpWindow(QWidget* owner) : QTextBrowser(owner) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowFlag(Qt::Window);
  setWindowTitle(QStringLiteral("Morvick ヘルプ"));
  setWindowIcon(ProgramIcon());
  setOpenExternalLinks(true);
  resize(kMinimumWidth, 560);
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
  const bool opening = !isVisible();
  show();
  // Laid out only once shown: then its page's width is known.
  if (opening) FitWidthToContents();
  raise();
  activateWindow();
}

void HelpWindow::FitWidthToContents() {
  // Wide enough for the widest thing that cannot wrap (the picture of the
  // window), the frame and a vertical scroll bar; never wider than the screen.
  const int contents = static_cast<int>(std::ceil(document()->idealWidth()));
  const int chrome = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
  int width = std::max(kMinimumWidth, contents + chrome);
  if (const QScreen* screen = this->screen()) {
    width = std::min(width, screen->availableGeometry().width());
  }
  resize(width, height());
}

}  // namespace morvick::ui
