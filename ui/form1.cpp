#include "ui/form1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>
#include <variant>

#include "core/download/downloader.h"
#include "core/download/serial_link.h"
#include "core/download/serial_port.h"
#include "ui/auto_select.h"
#include "ui/form1_download_view.h"
#include "ui/form1_keyboard.h"
#include "ui/frm_splash.h"
#include "ui/path_drop_filter.h"
#include "ui/plain_text_labels.h"
#include "ui/program_identity.h"
#include "ui/resources.h"
#include "ui/settings_controls.h"
#include "ui/settings_location.h"
#include "ui/text_box_rules.h"
#include "ui_form1.h"

namespace tarnwick {
namespace {

QTimer* MakeTimer(QObject* owner, const char* name, int intervalMs) {
  auto* timer = new QTimer(owner);
  timer->setObjectName(QLatin1String(name));
  timer->setInterval(intervalMs);
  return timer;
}

}  // namespace

Form1::Form1(Form1Services services, QWidget* parent)
    : QMainWindow(parent),
      services_(std::move(services)),
      ui_(std::make_unique<Ui::Form1>()),
      settingsFolder_(ChooseSettingsFolder(services_.programFolder, services_.configFolder)),
      Timer1(MakeTimer(this, "Timer1", 60)),
      Timer2(MakeTimer(this, "Timer2", 4000)),
      Timer3(MakeTimer(this, "Timer3", 1000)) {
  EnsureResourcesLoaded();
  ui_->setupUi(this);
  adjustSize();  // the client area as laid out, plus the menu bar
  ShowLabelsAsPlainText(*this);
  ApplyTextBoxRules(*ui_);
  // The rates that the settings' baud index stands for, as the engine lists them; the list
  // starts with none chosen, as the settings choose one.
  for (int i = 0; const auto rate = BaudRateForIndex(i); ++i) {
    ui_->Combo2->addItem(QString::number(*rate));
  }
  ui_->Combo2->setCurrentIndex(-1);

  view_ = std::make_unique<Form1DownloadView>(*this, *ui_, *Timer3, services_.messages);
  downloader_ = std::make_unique<Downloader>(services_.port, services_.clock, *view_);
  keyboard_ = std::make_unique<Form1Keyboard>(*this, *ui_);
  if (services_.describePort) {
    ui_->Combo1->SetDescriber(services_.describePort);
  } else {
    ui_->Combo1->RefreshToolTips();
  }
  ConnectHandlers();

  Timer1->start();
  Timer2->setSingleShot(true);
  Timer2->start();
}

Form1::~Form1() = default;

void Form1::ConnectHandlers() {
  connect(ui_->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(ui_->Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
  connect(ui_->Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
  connect(ui_->Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
  connect(ui_->Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
  connect(ui_->Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
  connect(ui_->Command7, &QPushButton::clicked, this, &Form1::Command7_Click);

  connect(ui_->OpenMenu, &QAction::triggered, this, &Form1::OpenMenu_Click);
  connect(ui_->SaveMenu, &QAction::triggered, this, &Form1::SaveMenu_Click);
  connect(ui_->ExitMenu, &QAction::triggered, this, &Form1::ExitMenu_Click);
  connect(ui_->DefaultMenu, &QAction::triggered, this, &Form1::DefaultMenu_Click);
  connect(ui_->InfoMenu, &QAction::triggered, this, &Form1::InfoMenu_Click);

  connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
  connect(Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
  connect(Timer3, &QTimer::timeout, this, &Form1::Timer3_Timer);

  new PathDropFilter(*ui_->Text1, [this](const QMimeData& data) { Text1_OLEDragDrop(data); });
  new PathDropFilter(*ui_->Text11, [this](const QMimeData& data) { Text11_OLEDragDrop(data); });

  auto* autoSelect = new AutoSelectOnFocus(this);
  for (const SettingControl& entry : SettingControls(*ui_)) {
    if (const auto* box = std::get_if<TextSetting>(&entry)) autoSelect->Watch(box->control);
  }
}

void Form1::Start() {
  Form_Load();
  move(screen()->availableGeometry().center() - rect().center());
  show();
  ui_->Command2->setFocus();
}

QString Form1::SettingsPath() const {
  return SettingsFilePath(settingsFolder_);
}

void Form1::Form_Load() {
  if (services_.showSplashAtStart) ShowSplash();
  setWindowTitle(windowTitle() + CaptionVersionSuffix());
  // A file that is there but does not load may be the user's only copy of their settings;
  // the first start, with no file at all, has nothing to keep.
  const QString path = SettingsPath();
  if (!LoadSettings(path) && QFileInfo(path).isFile()) damagedSettingsFile_ = path;
}

void Form1::Form_Unload() {
  try {
    if (services_.port.IsOpen()) services_.port.Close();
  } catch (const PortError&) {
    // A port that fails to close must not keep the settings from being saved.
  }
  SaveSettings(SettingsPath());
}

void Form1::ShowSplash() {
  frmSplash splash(this);
  openSplash_ = &splash;
  splash.exec();
}

void Form1::Timer1_Timer() {
  downloader_->OnTick();
}

void Form1::Timer2_Timer() {
  // Closes the about window of the start, or one opened again within its first four
  // seconds; the tick comes once per run.
  if (openSplash_) openSplash_->reject();
  Timer2->stop();
}

void Form1::Timer3_Timer() {
  view_->ShowLinesRemaining(downloader_->State().LineCount);
}

void Form1::RunDownload(Mode mode) {
  if (downloadRunning_) return;
  downloadRunning_ = true;
  downloader_->Start(mode);
  downloadRunning_ = false;
  if (exitPending_) FinishExit();
}

void Form1::ExitProgram() {
  if (downloadRunning_) {
    CancelDownloadForExit();
    return;
  }
  FinishExit();
}

void Form1::CancelDownloadForExit() {
  // The download runs further down this call stack, inside an event pump. It is cancelled
  // and left to unwind; RunDownload finishes the exit when it has returned, so the port is
  // closed and the settings saved after the download let go of them.
  exitPending_ = true;
  downloader_->Cancel();
  view_->SetClosing(true);
}

void Form1::FinishExit() {
  exitPending_ = false;
  if (!unloaded_) {
    Form_Unload();
    unloaded_ = true;
  }
  close();
  if (services_.endProgram) {
    services_.endProgram();
  } else {
    QCoreApplication::quit();
  }
}

void Form1::closeEvent(QCloseEvent* event) {
  if (unloaded_) {
    event->accept();
    return;
  }
  if (downloadRunning_) {
    // Closing now would pull the window from under the running download.
    CancelDownloadForExit();
    event->ignore();
    return;
  }
  Form_Unload();
  unloaded_ = true;
  event->accept();
}

}  // namespace tarnwick
