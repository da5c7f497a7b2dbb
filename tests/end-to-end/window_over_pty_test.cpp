// The real window, port and clock against the simulated bootloader: a user presses the
// download button and the target receives both files, record by record.
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <numeric>

#include <gtest/gtest.h>

#include "platform/qt/qt_serial_port.h"
#include "platform/system_clock.h"
#include "tests/support/simulated_target.h"
#include "tests/ui/form1_harness.h"
#include "tools/target-sim/hex_records.h"

namespace tarnwick::testing {
namespace {

std::string Joined(const std::vector<std::string>& lines) {
  return std::accumulate(lines.begin(), lines.end(), std::string());
}

TEST(EndToEnd, BothFilesReachTheTargetWhenTheUserPressesDownload) {
  SimulatedTarget target({});
  ASSERT_TRUE(target.Started());
  QtSerialPort port([&](int number) { return number == 1 ? target.Device() : std::string(); });
  SystemClock clock;
  Form1Harness h;
  h.windowPort = &port;
  h.windowClock = &clock;
  const std::vector<std::string> eeprom = sim::MakeHexRecords(4, 16, 0, 7);
  const std::vector<std::string> app = sim::MakeHexRecords(20);
  std::vector<std::string> appWithGaps = app;
  appWithGaps.insert(appWithGaps.begin() + 3, "");  // empty lines are skipped
  appWithGaps.insert(appWithGaps.begin(), "");
  h.StartWith({.FlashFile = h.WriteLines("app.hex", appWithGaps).toStdString(),
               .EepromFile = h.WriteLines("data.eep", eeprom).toStdString(),
               .EepromSelected = 1});
  // A download that hangs is cancelled, so that the test reports instead of timing out.
  QTimer::singleShot(60000, h.Find<QPushButton>("Command4"), &QPushButton::click);

  h.Find<QPushButton>("Command2")->click();

  EXPECT_EQ(h.messages.texts, QStringList({"Flash & EEPROM Files successfully downloaded."}));
  EXPECT_EQ(h.Find<QLabel>("Label2")->text(), "Idle");
  EXPECT_EQ(h.Find<QLabel>("Label16")->text(), "BootLoader Version: 1.3");
  EXPECT_FALSE(port.IsOpen());
  // The handshake's requests (one or more), then the EEPROM command and every record once.
  const std::string received = target.Received();
  const auto command = received.find("*!");
  ASSERT_NE(command, std::string::npos) << received;
  EXPECT_EQ(received.substr(command), "*!" + Joined(eeprom) + Joined(app));
  EXPECT_EQ(received.find_first_not_of("$@&"), command);
}

}  // namespace
}  // namespace tarnwick::testing
