#pragma once

#include <QLabel>
#include <QWidget>

namespace tarnwick {

// Every label of `window` shows its text as typed: a path holding "<b>" or "&lt;" in a status
// text is not taken for markup.
inline void ShowLabelsAsPlainText(QWidget& window) {
  for (QLabel* label : window.findChildren<QLabel*>()) label->setTextFormat(Qt::PlainText);
}

}  // namespace tarnwick
