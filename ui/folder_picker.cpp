#include "ui/folder_picker.h"

#include "ui/program_look.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>

namespace morvick::ui {
namespace {

// Where the dialog opens: the typed folder when it exists. A relative text
// would be resolved against the program's working folder, which the user
// never sees, so it counts as naming no folder.
QString StartFolder(const std::string& path) {
  const QString text = ToQString(path);
  const QFileInfo info(text);
  if (text.isEmpty() || info.isRelative() || !info.isDir()) return {};
  return text;
}

// A line under the dialog's list that names the highlighted folder in full.
void AddSelectionLine(QFileDialog& dialog) {
  auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
  if (grid == nullptr) return;
  auto* line = new QLabel(&dialog);
  line->setObjectName(QStringLiteral("SelectionPath"));
  line->setTextInteractionFlags(Qt::TextSelectableByMouse);
  line->setText(QDir::toNativeSeparators(dialog.directory().absolutePath()));
  grid->addWidget(line, grid->rowCount(), 0, 1, grid->columnCount());
  const auto show = [line](const QString& folder) {
    line->setText(QDir::toNativeSeparators(folder));
  };
  QObject::connect(&dialog, &QFileDialog::currentChanged, line, show);
  QObject::connect(&dialog, &QFileDialog::directoryEntered, line, show);
}

}  // namespace

bool DialogFolderPicker::BrowseForFolder(std::string& path) {
  QFileDialog dialog(QApplication::activeWindow(), QString::fromUtf8(kFolderPickerTitle));
  // Qt's own dialog, so that the line with the highlighted folder can be added.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (const QString start = StartFolder(path); !start.isEmpty()) dialog.setDirectory(start);
  AddSelectionLine(dialog);
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  path = ToStdString(chosen.front());
  return true;
}

}  // namespace morvick::ui
