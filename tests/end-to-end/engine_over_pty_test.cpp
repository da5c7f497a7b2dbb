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

const std::string kDone = "Flash File successfully downloaded.";
const std::vector<std::string> kRecords = sim::MakeHexRecords(3);
const std::string kLines = kRecords[0] + kRecords[1] + kRecords[2] + kRecords[3];

struct Case {
  const char* name;
  int baud_index;  // 0: 1200, 3: 9600, 5: 19200, 9: 115200
  Mode mode;
  QStringList options;  // target-sim's
  // Paced: the target goes no faster than the line, and receives `sent` and the records,
  // nothing more. Not paced: what the target receives first.
  bool paced;
  std::string sent;
  std::function<void(DownloadSettings&)> arrange = nullptr;
  std::string message = kDone;
  std::string version = "1.30";  // as shown after "BootLoader Version: "
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

class EngineOverPty : public ::testing::TestWithParam<Case> {};

// The port is also set up as the download must set it: its rate, 8 data bits, no parity,
// 1 stop bit and XON/XOFF, as the target sees the line.
TEST_P(EngineOverPty, ReadsTheWholeReplyAndSendsARequestOnlyWhenTheLastWentUnanswered) {
  const Case& c = GetParam();
  const int rate = *BaudRateForIndex(c.baud_index);
  QTemporaryDir folder;
  const QString lineSettings = folder.filePath("line-settings");
  const QStringList pace = {"--pace", QString::number(rate)};
  SimulatedTarget target(QStringList{"--report-line-settings", lineSettings} +
                         (c.paced ? pace : QStringList()) + c.options);
  ASSERT_TRUE(target.Started());
  DownloadSettings settings;
  settings.BaudIndex = static_cast<std::int16_t>(c.baud_index);
  settings.FlashFile = folder.filePath("app.hex").toStdString();
  std::ofstream(settings.FlashFile, std::ios::binary)
      << kRecords[0] << "\r\n\r\n"  // an empty line is skipped
      << kRecords[1] << "\r\n"
      << kRecords[2] << "\r\n"
      << kRecords[3] << "\r\n";
  if (c.arrange) c.arrange(settings);
  testing::PtyDownload download(target.Device(), settings);
  download.CancelAfter(20'000);  // a handshake that never ends fails instead of hanging
  download.downloader.Start(c.mode);

  EXPECT_EQ(download.view.Message(), c.message);
  EXPECT_EQ(download.events.version, c.version.empty() ? "" : "BootLoader Version: " + c.version);
  const std::string received = target.Received();
  if (c.paced) {
    EXPECT_EQ(received, c.sent + kLines);
    std::ifstream reported(lineSettings.toStdString());
    std::string line, last;
    while (std::getline(reported, line)) last = line;
    EXPECT_EQ(last, "baud " + std::to_string(rate) + " data 8 parity none stop 1 xonxoff on");
  } else {
    EXPECT_EQ(c.sent.empty() ? received : received.substr(0, c.sent.size()), c.sent);
  }
}

const std::string kJump = "$@&$";
const QStringList kGap = {"--reply-byte-gap", "3"};
const QStringList kReset = {"--reset-after-ms", "300"};
const QStringList kJumpTime = {"--jump-ms", "10"};

// Not paced, the ready answer as adapters hand it over, in one piece or a byte at a time (so
// split after the ready character, after the V and inside the number), in both modes and
// without a version (shown as the bootloader sent it); and protocol characters that go to the
// line as one 8-bit byte each, or not at all. Wait mode sends nothing before the reset. At
// 1200 baud the quiet gap that ends a reply is far above the simulator's byte gap, however
// busy the machine.
// Paced, at real line rates the answers come late and in pieces: the application's active
// character first, the bootloader's ready answer a few character times later. A request goes
// out only when the last one has really gone unanswered: once when the target answers it,
// twice when the application's jump swallows the start sequence that came with the jump
// command.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Handshakes, EngineOverPty, ::testing::Values(
    Case{"Whole", 0, Mode::kJump, {}, false, kJump},
    Case{"ByteByByte", 0, Mode::kJump, {"--reply-byte-gap", "4"}, false, kJump},
    Case{"WaitModeByteByByte", 0, Mode::kWait,
         {"--reply-byte-gap", "4", "--reset-after-ms", "1500"}, false, "@&$" + kLines},
    Case{"NoVersion", 0, Mode::kJump, {"--reply-byte-gap", "4", "--no-version"}, false, kJump,
         nullptr, kDone, ""},
    Case{"EightBitCharacters", 0, Mode::kJump, {"--jump-command", "\\xE9", "--line-complete-char",
         "\\xB5"}, false, "\xE9@&$", [](DownloadSettings& s) {
           s.JumpCommand = "\xC3\xA9";             // é
           s.LineCompleteCharacter = "\xC2\xB5"; }},  // µ
    Case{"CharacterOfNoOneByte", 0, Mode::kJump, {}, false, "",
         [](DownloadSettings& s) { s.ReadyCharacter = "\xE2\x82\xAC"; },  // €
         "The Bootloader Ready setting holds a character that cannot be sent as one byte.", ""},
    Case{"Jump9600", 3, Mode::kJump, {}, true, kJump},
    Case{"Jump9600InPieces", 3, Mode::kJump, kGap, true, kJump},
    Case{"Jump19200", 5, Mode::kJump, {}, true, kJump},
    Case{"Jump19200InPieces", 5, Mode::kJump, kGap, true, kJump},
    Case{"Jump115200", 9, Mode::kJump, {}, true, kJump},
    Case{"Jump115200InPieces", 9, Mode::kJump, kGap, true, kJump},
    Case{"JumpSwallows9600", 3, Mode::kJump, kJumpTime, true, kJump + kJump},
    Case{"JumpSwallows115200InPieces", 9, Mode::kJump, kJumpTime + kGap, true, kJump + kJump},
    Case{"Wait9600InPieces", 3, Mode::kWait, kReset + kGap, true, "@&$"},
    Case{"Wait115200", 9, Mode::kWait, kReset, true, "@&$"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace tarnwick
