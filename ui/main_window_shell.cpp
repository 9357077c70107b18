// TForm1's ties to the desktop: the folder browser of the "..." buttons and
// the drag of a volume out of ListView2.

#include "commands/path_rules.h"
#include "commands/volume_items.h"
#include "common/error_guard.h"
#include "common/text_rules.h"
#include "ui/list_view.h"
#include "ui/main_window.h"
#include "ui/program_look.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>

namespace morvick::ui {

// ---- Folder picker -----------------------------------------------------------

void TForm1::SetFolderPicker(FolderPicker* picker) {
  folder_picker_ = picker != nullptr ? picker : &dialog_picker_;
}

void TForm1::BrowseInto(QLineEdit& edit) {
  std::string path = ToStdString(edit.text());
  if (folder_picker_->BrowseForFolder(path)) edit.setText(ToQString(path));
}

void TForm1::Button2Click() { BrowseInto(*Edit2); }

void TForm1::Button3Click() { BrowseInto(*Edit3); }

// ---- Drag-out of a volume ------------------------------------------------------

void TForm1::SetDragRunner(DragRunner* runner) {
  drag_runner_ = runner != nullptr ? runner : &qt_drag_runner_;
}

void TForm1::ListView2MouseDown(Qt::MouseButton button, int x, int y) {
  if (button != Qt::LeftButton) return;
  DragOriginX = x;
  DragOriginY = y;
}

void TForm1::ListView2MouseMove(int x, int y) {
  // The naming inputs as they are now: the folder dragged is the one the
  // row's "フォルダ" column shows.
  const FormValues form = ReadFormValues();
  const std::string output_path = path_rules_.WithTrailingBackslash(form.output_text);
  const VolumeNaming naming = NamingOf(form);

  if (ListView2->SelectedRow() < 0) return;
  if (!list2_left_pressed_) return;
  if (!FarEnoughToDrag(x, y, DragOriginX, DragOriginY)) return;
  // From here on the press belongs to the drag: the list must not go on
  // selecting rows under the pointer, nor start a second drag.
  EndListView2Press();
  const int selected = ListView2->SelectedRow();
  if (selected < 0) return;

  const std::int32_t volume = ParseInt32(ListView2->Text(selected, 0));
  const std::vector<std::string> names =
      state_.EntryList ? VolumeEntryNames(*state_.EntryList, volume) : std::vector<std::string>();
  const std::string folder = output_path + naming.FolderName(volume);
  std::unique_ptr<QMimeData> items = BuildVolumeDataObject(VolumeItemPaths(folder, names));
  if (items) drag_runner_->Run(*ListView2, std::move(items), Qt::CopyAction);
}

void TForm1::EndListView2Press() {
  // Released where it was pressed: a press on a row that was already selected
  // only takes effect at the release, and a release away from it (below the
  // last row, say) would clear the selection the drag is about to read.
  QWidget* viewport = ListView2->viewport();
  const QPointF at(DragOriginX, DragOriginY);
  QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &release);
  list2_left_pressed_ = false;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (watched != ListView2->viewport()) return QMainWindow::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint at = mouse->position().toPoint();
      if (mouse->button() == Qt::LeftButton) list2_left_pressed_ = true;
      RunGuarded(prompter_,
                 [this, mouse, at] { ListView2MouseDown(mouse->button(), at.x(), at.y()); });
      break;
    }
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        list2_left_pressed_ = false;
      }
      break;
    case QEvent::MouseMove: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      // A release that happened where the list could not see it.
      if (!(mouse->buttons() & Qt::LeftButton)) list2_left_pressed_ = false;
      const bool was_pressed = list2_left_pressed_;
      const QPoint at = mouse->position().toPoint();
      RunGuarded(prompter_, [this, at] { ListView2MouseMove(at.x(), at.y()); });
      // The move that began a drag (or failed to) is not the list's any more.
      if (was_pressed && !list2_left_pressed_) return true;
      break;
    }
    default: break;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace morvick::ui
