// The download engine with the real Qt port and the system clock, against the simulated
// target on a pseudo-terminal, in real time.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/download/serial_link.h"
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

TEST(EngineOverPty, SendsBothFilesLineByLineAndReportsSuccess) {
  SimulatedTarget target({"--version", "1.30"});
  ASSERT_TRUE(target.Started());
  QTemporaryDir folder;
  auto eeprom = sim::MakeHexRecords(4, 16, 0, 7);
  auto application = sim::MakeHexRecords(20);
  std::vector<std::string> applicationWithGaps = application;
  applicationWithGaps.insert(applicationWithGaps.begin() + 3, "");  // empty lines are skipped
  applicationWithGaps.insert(applicationWithGaps.begin(), "");

  DownloadSettings settings;
  settings.EepromSelected = 1;
  settings.EepromFile = WriteFile(folder, "data.eep", eeprom);
  settings.FlashFile = WriteFile(folder, "app.hex", applicationWithGaps);
  testing::PtyDownload download(target.Device(), settings);
  download.downloader.Start(Mode::kJump);

  EXPECT_EQ(download.view.Message(), "Flash & EEPROM Files successfully downloaded.");
  EXPECT_FALSE(download.port.IsOpen());
  EXPECT_EQ(download.events.Version(), "BootLoader Version: 1.30");

  // After the handshake's requests: the EEPROM command, then every non-empty line once, in
  // order, with no line end.
  const std::string received = target.Received();
  const auto command = received.find("*!");
  ASSERT_NE(command, std::string::npos) << received;
  EXPECT_EQ(received.substr(command), "*!" + Joined(eeprom) + Joined(application));
  EXPECT_EQ(received.find_first_not_of("$@&"), command);
}

// The ready answer as adapters hand it over, in one piece or a byte at a time (so split after
// the ready character, after the V and inside the number), in both modes and without a
// version (shown as the bootloader sent it); and protocol characters that go to the
// line as one 8-bit byte each, or not at all. Wait mode sends nothing before the reset.
TEST(EngineOverPty, HandshakeReadsTheWholeReplyAndSendsOneBytePerCharacter) {
  const std::string kDone = "Flash File successfully downloaded.";
  const std::string kLines = Joined(sim::MakeHexRecords(3));
  const struct {
    QStringList options;
    std::int16_t wait_mode;
    std::function<void(DownloadSettings&)> arrange;
    std::string message;
    std::string version;  // the version shown after "BootLoader Version: "
    std::string first_sent;
  } cases[] = {
      // clang-format off
      {{}, 0, nullptr, kDone, "1.30", "$@&$"},
      {{"--reply-byte-gap", "4"}, 0, nullptr, kDone, "1.30", "$@&$"},
      // Nothing is sent before the target is reset.
      {{"--reply-byte-gap", "4", "--reset-after-ms", "1500"}, 1, nullptr, kDone, "1.30",
       "@&$" + kLines},
      {{"--reply-byte-gap", "4", "--no-version"}, 0, nullptr, kDone, "", "$@&$"},
      {{"--jump-command", "\\xE9", "--line-complete-char", "\\xB5"}, 0, [](DownloadSettings& s) {
         s.JumpCommand = "\xC3\xA9";            // é
         s.LineCompleteCharacter = "\xC2\xB5"; }, // µ
       kDone, "1.30", "\xE9@&$"},
      {{}, 0, [](DownloadSettings& s) { s.ReadyCharacter = "\xE2\x82\xAC"; },  // €
       "The Bootloader Ready setting holds a character that cannot be sent as one byte.", "", ""},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options.join(' ').toStdString() + " " + c.message);
    SimulatedTarget target(c.options);
    ASSERT_TRUE(target.Started());
    QTemporaryDir folder;
    DownloadSettings settings;
    // At 1200 baud the quiet gap that ends a reply is far above the simulator's byte gap,
    // however busy the machine.
    settings.BaudIndex = 0;
    settings.FlashFile = WriteFile(folder, "app.hex", sim::MakeHexRecords(3));
    if (c.arrange) c.arrange(settings);
    testing::PtyDownload download(target.Device(), settings);
    download.CancelAfter(20'000);  // a handshake that never ends fails instead of hanging
    download.downloader.Start(c.wait_mode ? Mode::kWait : Mode::kJump);

    EXPECT_EQ(download.view.Message(), c.message);
    EXPECT_EQ(download.events.Version(),
              c.version.empty() ? "" : "BootLoader Version: " + c.version);
    EXPECT_EQ(target.Received().substr(0, c.first_sent.size()), c.first_sent);
    if (c.first_sent.empty()) {
      EXPECT_EQ(target.Received(), "");
    }
  }
}

// At real line rates the answers come late and in pieces: the application's active
// character first, the bootloader's ready answer a few character times later. A request goes
// out only when the last one has really gone unanswered: once when the target answers it, twice
// when the application's jump swallows the start sequence that came with the jump command.
// The target then receives the request(s) and the file's records, nothing more.
struct PacedCase {
  const char* name;
  int baud_index;  // 3: 9600, 5: 19200, 9: 115200
  Mode mode;
  QStringList options;
  std::string requests;
};

void PrintTo(const PacedCase& c, std::ostream* out) {
  *out << c.name;
}

class PacedHandshake : public ::testing::TestWithParam<PacedCase> {};

// The port is also set up as the download must set it: its rate, 8 data bits, no parity,
// 1 stop bit and XON/XOFF, as the target sees the line.
TEST_P(PacedHandshake, SendsARequestOnlyWhenTheLastWentUnanswered) {
  const PacedCase& c = GetParam();
  const int rate = *BaudRateForIndex(c.baud_index);
  QTemporaryDir folder;
  const QString lineSettings = folder.filePath("line-settings");
  SimulatedTarget target(
      QStringList{"--pace", QString::number(rate), "--report-line-settings", lineSettings} +
      c.options);
  ASSERT_TRUE(target.Started());
  const std::vector<std::string> records = sim::MakeHexRecords(5);
  DownloadSettings settings;
  settings.BaudIndex = static_cast<std::int16_t>(c.baud_index);
  settings.FlashFile = WriteFile(folder, "app.hex", records);
  testing::PtyDownload download(target.Device(), settings);
  download.CancelAfter(20'000);  // a handshake that never ends fails instead of hanging
  download.downloader.Start(c.mode);

  EXPECT_EQ(download.view.Message(), "Flash File successfully downloaded.");
  EXPECT_EQ(target.Received(), c.requests + Joined(records));
  std::ifstream reported(lineSettings.toStdString());
  std::string line, last;
  while (std::getline(reported, line)) last = line;
  EXPECT_EQ(last, "baud " + std::to_string(rate) + " data 8 parity none stop 1 xonxoff on");
}

const std::string kJump = "$@&$";
const QStringList kGap = {"--reply-byte-gap", "3"};
const QStringList kReset = {"--reset-after-ms", "300"};
const QStringList kJumpTime = {"--jump-ms", "10"};

INSTANTIATE_TEST_SUITE_P(
    Rates, PacedHandshake,
    ::testing::Values(PacedCase{"Jump9600", 3, Mode::kJump, {}, kJump},
                      PacedCase{"Jump9600InPieces", 3, Mode::kJump, kGap, kJump},
                      PacedCase{"Jump19200", 5, Mode::kJump, {}, kJump},
                      PacedCase{"Jump19200InPieces", 5, Mode::kJump, kGap, kJump},
                      PacedCase{"Jump115200", 9, Mode::kJump, {}, kJump},
                      PacedCase{"Jump115200InPieces", 9, Mode::kJump, kGap, kJump},
                      PacedCase{"JumpSwallows9600", 3, Mode::kJump, kJumpTime, kJump + kJump},
                      PacedCase{"JumpSwallows115200InPieces", 9, Mode::kJump, kJumpTime + kGap,
                                kJump + kJump},
                      PacedCase{"Wait9600InPieces", 3, Mode::kWait, kReset + kGap, "@&$"},
                      PacedCase{"Wait115200", 9, Mode::kWait, kReset, "@&$"}),
    [](const ::testing::TestParamInfo<PacedCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarnwick
