#pragma once

#include <QObject>

namespace tarnwick {

// Selects the whole text of a text box (selection from the start to the end), so that the
// next key typed replaces the old value. Anything that is not a text box is left alone.
void AutoSelect(QObject* SelObject);

// Calls AutoSelect on each watched text box when it receives the focus.
class AutoSelectOnFocus : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  void Watch(QObject* box);
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace tarnwick
