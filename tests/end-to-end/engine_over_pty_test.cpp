// The download engine with the real Qt port and the system clock, against the simulated
// target on a pseudo-terminal, in real time.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/pty_download.h"
#include "tests/support/simulated_target.h"
#include "tools/target-sim/hex_records.h"

namespace tarnwick {
namespace {

using testing::SimulatedTarget;

// Writes `lines` with CRLF after each and returns the file's path.
std::string WriteFile(const QTemporaryDir& folder, const char* name,
                      const std::vector<std::string>& lines) {
  const std::string path = folder.filePath(name).toStdString();
  std::ofstream out(path, std::ios::binary);
  for (const auto& line : lines) out << line << "\r\n";
  return path;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const auto& line : lines) all += line;
  return all;
}

// The engine on the simulator's terminal, with the default settings to start from.
struct Download : testing::PtyDownload {
  explicit Download(const SimulatedTarget& target) : PtyDownload(target.Device(), {}) {}
};

TEST(EngineOverPty, SendsBothFilesLineByLineAndReportsSuccess) {
  SimulatedTarget target({"--version", "1.30"});
  ASSERT_TRUE(target.Started());
  QTemporaryDir folder;
  auto eeprom = sim::MakeHexRecords(4, 16, 0, 7);
  auto application = sim::MakeHexRecords(20);
  std::vector<std::string> applicationWithGaps = application;
  applicationWithGaps.insert(applicationWithGaps.begin() + 3, "");  // empty lines are skipped
  applicationWithGaps.insert(applicationWithGaps.begin(), "");

  Download download(target);
  DownloadSettings& settings = download.view.Settings();
  settings.EepromSelected = 1;
  settings.EepromFile = WriteFile(folder, "data.eep", eeprom);
  settings.FlashFile = WriteFile(folder, "app.hex", applicationWithGaps);
  download.downloader.Command2_Click();

  EXPECT_EQ(download.view.Messages(),
            std::vector<std::string>{"Flash & EEPROM Files successfully downloaded."});
  EXPECT_FALSE(download.view.Busy());
  EXPECT_FALSE(download.port.IsOpen());
  EXPECT_EQ(download.view.VersionText(), "BootLoader Version: 1.3");

  // After the handshake's requests: the EEPROM command, then every non-empty line once, in
  // order, with no line end.
  const std::string received = target.Received();
  const auto command = received.find("*!");
  ASSERT_NE(command, std::string::npos) << received;
  EXPECT_EQ(received.substr(command), "*!" + Joined(eeprom) + Joined(application));
  EXPECT_EQ(received.find_first_not_of("$@&"), command);
}

TEST(EngineOverPty, SilentTargetGetsThreeRequestsTwoToThreeSecondsApart) {
  SimulatedTarget target({"--silent"});
  ASSERT_TRUE(target.Started());
  QTemporaryDir folder;
  Download download(target);
  download.view.Settings().FlashFile = WriteFile(folder, "app.hex", sim::MakeHexRecords(1));
  download.downloader.Command2_Click();

  EXPECT_EQ(download.view.Messages(),
            std::vector<std::string>{"No response from target bootloader."});
  EXPECT_FALSE(download.view.Busy());
  EXPECT_FALSE(download.port.IsOpen());
  EXPECT_EQ(target.Received(), "$@&$$@&$$@&$");
  const auto requests = target.ReadTimesStartingWith("$@&$");
  ASSERT_EQ(requests.size(), 3u);
  for (std::size_t i = 1; i < requests.size(); ++i) {
    const long long gap = requests[i] - requests[i - 1];
    EXPECT_GT(gap, 1'900'000) << "request " << i;  // more than 2 s, less the log's jitter
    EXPECT_LT(gap, 3'500'000) << "request " << i;
  }
}

TEST(EngineOverPty, WaitModeStartsWhenTheTargetIsReset) {
  SimulatedTarget target({"--reset-after-ms", "1500", "--version", "1.28"});
  ASSERT_TRUE(target.Started());
  QTemporaryDir folder;
  const auto application = sim::MakeHexRecords(5);
  Download download(target);
  download.view.Settings().FlashFile = WriteFile(folder, "app.hex", application);
  download.downloader.Command6_Click();

  EXPECT_EQ(download.view.Messages(),
            std::vector<std::string>{"Flash File successfully downloaded."});
  EXPECT_EQ(target.Received(), "@&$" + Joined(application));
}

}  // namespace
}  // namespace tarnwick
