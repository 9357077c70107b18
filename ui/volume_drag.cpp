#include "ui/volume_drag.h"

#include "platform/real_path.h"

#include <QCoreApplication>
#include <QDrag>
#include <QMouseEvent>
#include <QTimer>

namespace morvick::ui {
namespace {

// Cancels the running drag when the right button goes down. Qt's own drag
// would take a right-button release for the drop.
class RightButtonCancel : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type type = event->type();
    if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
      QDrag::cancel();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

QUrl LocalFileUrl(const std::string& path) {
  if constexpr (platform::kPathSeparator != '/') {
    // A Windows path is UTF-8 made from UTF-16, so always valid text.
    return QUrl::fromLocalFile(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
  }
  // The name's own bytes, so that a name that is not valid UTF-8 is still found.
  const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
  return QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"), QUrl::StrictMode);
}

std::unique_ptr<QMimeData> BuildVolumeDataObject(const std::vector<std::string>& paths) {
  if (paths.empty()) return nullptr;
  QList<QUrl> urls;
  urls.reserve(static_cast<qsizetype>(paths.size()));
  for (const std::string& path : paths) urls.append(LocalFileUrl(path));
  auto data = std::make_unique<QMimeData>();
  data->setUrls(urls);
  return data;
}

Qt::DropAction QtDragRunner::Run(QWidget& source, std::unique_ptr<QMimeData> data,
                                 Qt::DropActions allowed) {
  // Qt deletes the drag object once the drag has ended; the source parents it
  // until then.
  auto* drag = new QDrag(&source);
  drag->setMimeData(data.release());
  // Qt's drag watches the mouse through an application event filter that it
  // installs once the drag has begun; a filter installed after it sees the
  // events first, hence the installation from inside the drag's own loop.
  RightButtonCancel right_button;
  QTimer::singleShot(0, &right_button, [&right_button] {
    QCoreApplication::instance()->installEventFilter(&right_button);
  });
  return drag->exec(allowed, Qt::CopyAction);
}

}  // namespace morvick::ui
