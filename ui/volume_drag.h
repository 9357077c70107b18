#pragma once

// Dragging one volume out of the volume list: the drag data for the items of
// the volume folder (which items, commands/volume_items.h), and the drag itself
// behind a small interface so that the tests can look at the data without a
// drag loop.

#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace morvick::ui {

// The file:// URL of a local path given as native bytes; every byte outside
// the unreserved characters and "/" is percent-encoded, so names that are not
// valid UTF-8 keep their bytes.
QUrl LocalFileUrl(const std::string& path);

// The drag data (text/uri-list) for the items at `paths` (VolumeItemPaths), in
// order; null when there are none.
std::unique_ptr<QMimeData> BuildVolumeDataObject(const std::vector<std::string>& paths);

class DragRunner {
 public:
  virtual ~DragRunner() = default;

  // Runs one drag of `data` from `source`, offering only the `allowed`
  // actions, until the drop or the cancel. Returns the action the target took.
  virtual Qt::DropAction Run(QWidget& source, std::unique_ptr<QMimeData> data,
                             Qt::DropActions allowed) = 0;
};

// The real drag: Escape and the right button cancel, releasing the left
// button drops.
class QtDragRunner : public DragRunner {
 public:
  Qt::DropAction Run(QWidget& source, std::unique_ptr<QMimeData> data,
                     Qt::DropActions allowed) override;
};

}  // namespace morvick::ui
