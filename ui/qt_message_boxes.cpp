#include "ui/qt_message_boxes.h"

#include <QMessageBox>

namespace tarnwick {

void QtMessageBoxes::Show(QWidget* parent, const QString& title, const QString& text,
                          MessageIcon icon, const QString& details) {
  QMessageBox box(icon == MessageIcon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon,
                  title, text, QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);  // a path holding "<b>" shows as typed
  box.setDetailedText(details);      // none: no "Show Details..." button
  box.exec();
}

bool QtMessageBoxes::AskYesNo(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace tarnwick
