#include "ui/auto_select.h"

#include <QFocusEvent>
#include <QLineEdit>

namespace tarnwick {

void AutoSelect(QObject* SelObject) {
  if (auto* box = qobject_cast<QLineEdit*>(SelObject)) {
    box->setSelection(0, static_cast<int>(box->text().size()));
  }
}

void AutoSelectOnFocus::Watch(QObject* box) {
  box->installEventFilter(this);
}

bool AutoSelectOnFocus::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::FocusIn) return false;
  // Coming back to the window, or out of a menu, is no move of the focus between controls
  // and keeps the selection the user left.
  const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
  if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
    AutoSelect(watched);
  }
  return false;
}

}  // namespace tarnwick
