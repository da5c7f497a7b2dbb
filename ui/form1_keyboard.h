#pragma once

#include <QObject>

class QKeyEvent;
class QMainWindow;

namespace Ui {
class Form1;
}

namespace tarnwick {

// The main window's keys that Qt's main window does not provide by itself:
// - Enter presses the default button Command2 while it is visible and enabled and the focus
//   is on a text box, a check box or a list; on a push button it presses that button, so the
//   freshly started window, whose focus is on Command2, downloads on Enter;
// - Esc presses the cancel button Command4 while it is visible and enabled;
// - Alt+D presses Command2 ("Jump to Bootloader then &Download"). "&Default All Settings"
//   claims the same key; the window's main action wins, since resetting every setting
//   without a question by a slip of the key would be worse. The menu command stays
//   reachable with the mouse and through the active menu bar (Alt or F10, then D or the
//   arrow keys, then Enter);
// - F10 activates the menu bar, as on other desktop programs.
// Installed on the application, because shortcut overrides and key presses go to whichever
// child has the focus.
class Form1Keyboard : public QObject {
  Q_OBJECT

 public:
  Form1Keyboard(QMainWindow& window, Ui::Form1& ui);
  ~Form1Keyboard() override;

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool BelongsToWindow(QObject* object) const;
  bool HandleKeyPress(QObject* receiver, const QKeyEvent& key);
  void ActivateMenuBar();

  QMainWindow& window_;
  Ui::Form1& ui_;
};

}  // namespace tarnwick
