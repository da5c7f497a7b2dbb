#include "ui/application.h"

#include <QApplication>
#include <QStandardPaths>

#include "platform/qt/qt_serial_port.h"
#include "platform/system_clock.h"
#include "ui/form1.h"
#include "ui/program_identity.h"
#include "ui/qt_file_chooser.h"
#include "ui/qt_message_boxes.h"

namespace tarnwick {

int RunTarnwick(int argc, char** argv) {
  QApplication app(argc, argv);
  // The title names the user's configuration folder, which keeps the settings file when
  // the program's own folder cannot be written.
  QApplication::setApplicationName(QString::fromLatin1(kProgramTitle));

  QtSerialPort port;
  SystemClock clock;
  QtFileChooser files;
  QtMessageBoxes messages;
  Form1 window(Form1Services{
      .port = port,
      .clock = clock,
      .files = files,
      .messages = messages,
      .programFolder = QCoreApplication::applicationDirPath(),
      .configFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation),
  });
  window.Start();
  return app.exec();
}

}  // namespace tarnwick
