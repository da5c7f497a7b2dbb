#pragma once

#include <memory>

#include <QDialog>

namespace Ui {
class frmSplash;
}

namespace tarnwick {

// The about window: the product, its version and its maker, shown at start and on "Info".
// It has no title bar and nothing in it takes the focus, so it closes on any character key,
// on a click on its frame (not on the texts or the picture), or when the main window's
// Timer2 closes it.
class frmSplash : public QDialog {
  Q_OBJECT

 public:
  explicit frmSplash(QWidget* parent = nullptr);
  ~frmSplash() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Form_Load();
  void Form_KeyPress();
  void Frame1_Click();

  std::unique_ptr<Ui::frmSplash> ui_;
};

}  // namespace tarnwick
