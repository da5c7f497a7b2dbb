// The real window, port and clock against the simulated bootloader: a user presses the
// download button and the target receives both files, record by record.
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/qt/qt_serial_port.h"
#include "platform/system_clock.h"
#include "tests/support/simulated_target.h"
#include "tests/ui/form1_harness.h"
#include "tools/target-sim/hex_records.h"
#include "ui/form1.h"
#include "ui/settings_location.h"

namespace tarnwick::testing {
namespace {

// Writes a generated Intel HEX file and returns what goes on the line for it: the records
// without line ends.
std::string MakeHex(const QString& path, int records, std::uint8_t seed) {
  std::ofstream out(path.toStdString(), std::ios::binary);
  std::string sent;
  for (const auto& record : sim::MakeHexRecords(records, 16, 0, seed)) {
    out << record << "\r\n";
    sent += record;
  }
  return sent;
}

TEST(EndToEnd, BothFilesReachTheTargetWhenTheUserPressesDownload) {
  QTemporaryDir dir;
  SimulatedTarget target({});
  ASSERT_TRUE(target.Started());

  DownloadSettings settings;
  settings.FlashFile = dir.filePath(QStringLiteral("app.hex")).toStdString();
  settings.EepromFile = dir.filePath(QStringLiteral("data.eep")).toStdString();
  settings.EepromSelected = 1;
  const std::string app = MakeHex(QString::fromStdString(settings.FlashFile), 20, 0);
  const std::string eeprom = MakeHex(QString::fromStdString(settings.EepromFile), 4, 7);
  const QString programFolder = dir.filePath(QStringLiteral("program"));
  QDir().mkpath(programFolder);
  Form1Harness::WriteSettingsFile(SettingsFilePath(programFolder), settings);

  QtSerialPort port([&](int number) { return number == 1 ? target.Device() : std::string(); });
  SystemClock clock;
  ScriptedFileChooser files;
  RecordingMessageBoxes messages;
  Form1 window(Form1Services{.port = port,
                             .clock = clock,
                             .files = files,
                             .messages = messages,
                             .programFolder = programFolder,
                             .configFolder = dir.filePath(QStringLiteral("config")),
                             .showSplashAtStart = false,
                             .endProgram = [] {}});
  window.Start();
  // A download that hangs is cancelled, so that the test reports instead of timing out.
  auto* cancel = window.findChild<QPushButton*>(QStringLiteral("Command4"));
  QTimer::singleShot(60000, cancel, &QPushButton::click);

  window.findChild<QPushButton*>(QStringLiteral("Command2"))->click();

  EXPECT_EQ(messages.texts, QStringList({"Flash & EEPROM Files successfully downloaded."}));
  EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("Label2"))->text(), "Idle");
  EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("Label16"))->text(),
            "BootLoader Version: 1.3");
  EXPECT_FALSE(port.IsOpen());
  // The handshake's requests (one or more), then the EEPROM command and every record once.
  const std::string received = target.Received();
  const auto command = received.find("*!");
  ASSERT_NE(command, std::string::npos) << received;
  EXPECT_EQ(received.substr(command), "*!" + eeprom + app);
  EXPECT_EQ(received.find_first_not_of("$@&"), command);
}

}  // namespace
}  // namespace tarnwick::testing
