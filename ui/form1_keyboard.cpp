#include "ui/form1_keyboard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>

#include "ui_form1.h"

namespace tarnwick {
namespace {

bool IsAltD(const QKeyEvent& key) {
  return key.key() == Qt::Key_D &&
         (key.modifiers() & ~Qt::KeypadModifier) == Qt::KeyboardModifiers(Qt::AltModifier);
}

bool IsEnter(const QKeyEvent& key) {
  return (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) &&
         (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
}

bool IsPlain(const QKeyEvent& key, Qt::Key which) {
  return key.key() == which && (key.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// The controls on which Enter means "press the default button".
bool TakesDefaultButton(QObject* object) {
  return object->inherits("QLineEdit") || object->inherits("QCheckBox") ||
         object->inherits("QComboBox");
}

// Presses a button the way the user would, if the user could reach it now.
bool PressIfAvailable(QPushButton* button, QWidget& window) {
  if (!button->isVisibleTo(&window) || !button->isEnabled()) return false;
  button->click();
  return true;
}

}  // namespace

Form1Keyboard::Form1Keyboard(QMainWindow& window, Ui::Form1& ui) : window_(window), ui_(ui) {
  qApp->installEventFilter(this);
}

Form1Keyboard::~Form1Keyboard() {
  qApp->removeEventFilter(this);
}

bool Form1Keyboard::BelongsToWindow(QObject* object) const {
  auto* widget = qobject_cast<QWidget*>(object);
  return widget != nullptr && widget->window() == &window_;
}

bool Form1Keyboard::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress) {
    return false;
  }
  if (!BelongsToWindow(watched)) return false;
  const auto& key = static_cast<const QKeyEvent&>(*event);

  if (event->type() == QEvent::ShortcutOverride) {
    // Taking the override keeps Qt's shortcut map from seeing Alt+D at all, so the two
    // claims on the key never meet as an ambiguous shortcut; the key press follows.
    if (!IsAltD(key)) return false;
    event->accept();
    return true;
  }
  return HandleKeyPress(watched, key);
}

bool Form1Keyboard::HandleKeyPress(QObject* receiver, const QKeyEvent& key) {
  if (IsAltD(key)) {
    PressIfAvailable(ui_.Command2, window_);
    return true;  // never typed into a box, never the menu command
  }
  if (IsEnter(key) && TakesDefaultButton(receiver)) {
    return PressIfAvailable(ui_.Command2, window_);
  }
  // Qt's push buttons take Enter only inside dialogs.
  if (auto* button = qobject_cast<QPushButton*>(receiver); button != nullptr && IsEnter(key)) {
    return PressIfAvailable(button, window_);
  }
  // In the active menu bar Esc only leaves the menu bar.
  if (IsPlain(key, Qt::Key_Escape) && !receiver->inherits("QMenuBar")) {
    return PressIfAvailable(ui_.Command4, window_);
  }
  if (IsPlain(key, Qt::Key_F10)) {
    ActivateMenuBar();
    return true;
  }
  return false;
}

void Form1Keyboard::ActivateMenuBar() {
  // The menu bar enters its keyboard mode when Alt is pressed and released alone; F10 plays
  // that key stroke to it. Then the arrow keys or a command's letter pick a command and
  // Enter chooses it.
  for (QEvent::Type type : {QEvent::ShortcutOverride, QEvent::KeyPress, QEvent::KeyRelease}) {
    QKeyEvent alt(type, Qt::Key_Alt, type == QEvent::KeyRelease ? Qt::NoModifier : Qt::AltModifier);
    alt.ignore();  // as a key that no control has taken yet
    QCoreApplication::sendEvent(&window_, &alt);
  }
}

}  // namespace tarnwick
