#pragma once

#include <functional>

#include <QObject>

class QDropEvent;
class QLineEdit;
class QMimeData;

namespace tarnwick {

// Lets a path box take files dropped from other programs (a file manager) and nothing else:
// a line edit would take dropped text by itself, which must not replace a path. Each drop
// of files goes to `onDrop`. A drop is always a copy: a proposed move (Shift held in a file
// manager) is taken as a copy, or refused when the source offers no copy, since after a
// move the source deletes the file.
class PathDropFilter : public QObject {
  Q_OBJECT

 public:
  PathDropFilter(QLineEdit& box, std::function<void(const QMimeData&)> onDrop);

  bool eventFilter(QObject* watched, QEvent* event) override;

  // Whether dropped data offers a list of files (local file URLs).
  static bool OffersFileList(const QMimeData& data);

 private:
  static bool TakesAsCopy(const QDropEvent& drop);

  QLineEdit& box_;
  std::function<void(const QMimeData&)> onDrop_;
};

// Puts every path of a dropped file list into `box`, in the list's order, so that the box
// ends with the last one; data that is not a file list changes nothing.
void TakeDroppedPaths(QLineEdit& box, const QMimeData& data);

}  // namespace tarnwick
