#pragma once

#include <cstdint>
#include <memory>

#include <QMainWindow>
#include <QPointer>

#include "core/download/downloader.h"
#include "ui/form1_services.h"

class QMimeData;
class QTimer;

namespace Ui {
class Form1;
}

namespace tarnwick {

class Form1DownloadView;
class Form1Keyboard;
class frmSplash;

// The program's working window: the sixteen settings in their controls, the two download
// buttons and Cancel, the status strip, the menus, and the three timers. A download runs
// inside the click handler of its button and keeps the window alive by pumping events.
class Form1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit Form1(Form1Services services, QWidget* parent = nullptr);
  ~Form1() override;

  // Loads the window (about window, caption, settings file), then shows it centred and idle
  // with the focus on the jump-mode download button.
  void Start();

  // The settings file read at start and written at exit.
  QString SettingsPath() const;

  void Form_Load();
  void Form_Unload();
  void LoadDefaults();
  // True when the file was loaded; otherwise the message has been shown and the defaults set.
  bool LoadSettings(const QString& path);
  void SaveSettings(const QString& path);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ConnectHandlers();

  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void Command6_Click();
  void Command7_Click();
  void OpenMenu_Click();
  void SaveMenu_Click();
  void ExitMenu_Click();
  void DefaultMenu_Click();
  void InfoMenu_Click();
  void Text1_OLEDragDrop(const QMimeData& data);
  void Text11_OLEDragDrop(const QMimeData& data);
  void Timer1_Timer();
  void Timer2_Timer();
  void Timer3_Timer();

  // Before the first save over a settings file that failed to load at start, keeps its
  // bytes in "<file>.bak". False, with the reason, when the copy cannot be made.
  bool KeepDamagedSettingsFile(const QString& path, QString& failure);
  void ShowSplash();
  void RunDownload(Mode mode);
  void ExitProgram();
  void CancelDownloadForExit();
  void FinishExit();

  Form1Services services_;
  std::unique_ptr<Ui::Form1> ui_;
  QString settingsFolder_;
  QTimer* Timer1;
  QTimer* Timer2;
  QTimer* Timer3;
  std::unique_ptr<Form1DownloadView> view_;
  std::unique_ptr<Downloader> downloader_;
  std::unique_ptr<Form1Keyboard> keyboard_;
  QPointer<frmSplash> openSplash_;
  bool downloadRunning_ = false;
  bool exitPending_ = false;  // an exit asked for during a download, done when it returns
  bool unloaded_ = false;
  // The settings file that failed to load at start: its bytes are kept beside it before the
  // first save replaces it.
  QString damagedSettingsFile_;
};

}  // namespace tarnwick
