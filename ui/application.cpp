#include "ui/application.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QStandardPaths>
#include <cstdio>
#include <optional>

#include "platform/qt/any_port.h"
#include "platform/system_clock.h"
#include "ui/form1.h"
#include "ui/program_identity.h"
#include "ui/qt_file_chooser.h"
#include "ui/qt_message_boxes.h"

namespace tarnwick {
namespace {

// --help and --version are answered on the terminal before any window (or display) is
// needed; the exit code when one of them was given.
std::optional<int> AnswerOnTerminal(int argc, char** argv) {
  QCoreApplication probe(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("tarnwick"));
  QCoreApplication::setApplicationVersion(
      AboutVersionLine().mid(QStringLiteral("Version ").size()));
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Downloads firmware into a microcontroller through its serial bootloader.\n"
      "The window keeps its settings in tarnwick.txt; tarnwick-cli downloads without a window."));
  const QCommandLineOption help = parser.addHelpOption();
  const QCommandLineOption version = parser.addVersionOption();
  // Qt's own options (-platform, -style, ...) are the window's business, not an error here.
  parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
  if (!parser.parse(QCoreApplication::arguments())) return std::nullopt;
  if (parser.isSet(help)) {
    std::fputs(qPrintable(parser.helpText()), stdout);
    return 0;
  }
  if (parser.isSet(version)) {
    std::printf("tarnwick %s\n", qPrintable(QCoreApplication::applicationVersion()));
    return 0;
  }
  return std::nullopt;
}

}  // namespace

int RunTarnwick(int argc, char** argv) {
  if (const auto answered = AnswerOnTerminal(argc, argv)) return *answered;
  QApplication app(argc, argv);
  // The title names the user's configuration folder, which keeps the settings file when
  // the program's own folder cannot be written.
  QApplication::setApplicationName(QString::fromLatin1(kProgramTitle));

  AnyPort port;  // a device, or a port server's address held by a com<n> entry
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
