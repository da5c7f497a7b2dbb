#include "ui/path_drop_filter.h"

#include <QDir>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace tarnwick {

PathDropFilter::PathDropFilter(QLineEdit& box, std::function<void(const QMimeData&)> onDrop)
    : QObject(&box), box_(box), onDrop_(std::move(onDrop)) {
  box_.setAcceptDrops(true);
  box_.installEventFilter(this);
}

bool PathDropFilter::OffersFileList(const QMimeData& data) {
  if (!data.hasUrls()) return false;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) return true;
  }
  return false;
}

bool PathDropFilter::TakesAsCopy(const QDropEvent& drop) {
  return (drop.possibleActions() & Qt::CopyAction) && OffersFileList(*drop.mimeData());
}

bool PathDropFilter::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &box_) return false;
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (TakesAsCopy(*drag)) {
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
      } else {
        drag->ignore();
      }
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (TakesAsCopy(*drop)) {
        onDrop_(*drop->mimeData());
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
      } else {
        drop->ignore();
      }
      return true;
    }
    default:
      return false;
  }
}

void TakeDroppedPaths(QLineEdit& box, const QMimeData& data) {
  if (!PathDropFilter::OffersFileList(data)) return;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) box.setText(QDir::toNativeSeparators(url.toLocalFile()));
  }
}

}  // namespace tarnwick
