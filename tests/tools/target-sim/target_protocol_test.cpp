#include "tools/target-sim/target_protocol.h"

#include <gtest/gtest.h>

#include "tools/target-sim/command_line.h"
#include "tools/target-sim/hex_records.h"

namespace tarnwick::sim {
namespace {

// Steps that are no bytes from the host.
const std::string kReset = "<reset>";  // the user presses reset
const std::string kIdle = "<idle>";    // the moment for the announcement between files
const std::string kWait = "<wait ";    // time passes: Wait(ms)

std::string Wait(int ms) {
  return kWait + std::to_string(ms) + ">";
}

const std::string kStart = "$@&$";                           // jump, then the start sequence
const std::string kHello = "^?V1.30";                        // the answer to both
const std::vector<std::string> kRecord = MakeHexRecords(3);  // three data records, end of file
const std::string kFile = kRecord[0] + kRecord[1] + kRecord[2] + kRecord[3];
// Independently known records (their data is "address gap"): good, in lower case, spoiled.
const std::string kTextbook = ":0B0010006164647265737320676170A7";
const std::string kLowerCase = ":0b0010006164647265737320676170a7";
const std::string kSpoiled = ":0B0010006164647265737320676170A8";
// The good one with XON and XOFF slipped in by the host's terminal.
const std::string kFlowControlled =
    ":0B00\x11\x13"
    "10006164647265737320676170A7";

std::vector<std::string> Pieces(const std::string& text, std::size_t size) {
  std::vector<std::string> pieces;
  for (std::size_t at = 0; at < text.size(); at += size) pieces.push_back(text.substr(at, size));
  return pieces;
}

struct Case {
  const char* name;
  std::vector<std::string_view> options;  // the target-sim command line for the behaviour
  std::vector<std::string> steps;        // the host's writes, however the line cut them, and events
  std::string answers;                   // everything the target sends, in order
  std::vector<std::string> eeprom = {};  // the EEPROM write commands it took
  friend void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
};

class TargetProtocolTest : public testing::TestWithParam<Case> {};

TEST_P(TargetProtocolTest, AnswersAsTheTargetWould) {
  const CommandLine commandLine = ParseCommandLine(GetParam().options);
  ASSERT_TRUE(commandLine.config) << commandLine.error;
  const TargetBehaviour& behaviour = commandLine.config->behaviour;
  TargetProtocol target(behaviour);
  TargetProtocol::Clock::time_point now{};
  std::string answers;
  for (const std::string& step : GetParam().steps) {
    if (step.starts_with(kWait)) {
      now += std::chrono::milliseconds{std::stoi(step.substr(kWait.size()))};
      continue;
    }
    const bool event = step == kReset || step == kIdle;
    const std::vector<Reply> replies = step == kReset  ? target.Reset()
                                       : step == kIdle ? target.AnnounceIfIdle(now)
                                                       : target.Receive(step, now);
    for (const Reply& reply : replies) {
      answers += reply.bytes;
      // Answers to the host's bytes come after the configured delay; announcements at once.
      EXPECT_EQ(reply.delay, event ? std::chrono::milliseconds{0} : behaviour.replyDelay);
    }
  }
  EXPECT_EQ(answers, GetParam().answers);
  EXPECT_EQ(target.eepromCommands(), GetParam().eeprom);
}

// One case a line, as far as the width allows.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, TargetProtocolTest, testing::Values(
    // The application answers only the jump command; the bootloader the start sequence, and
    // ignores records before it.
    Case{"JumpAndStart", {}, {kStart}, kHello},
    Case{"ApplicationIgnoresAllButJump", {}, {"@&?*" + kFile}, ""},
    Case{"StartNeedsItsWholeText", {}, {"$@&x$"}, "^"},
    Case{"StartAnsweredAgain", {}, {kStart, kStart}, kHello + "?V1.30"},
    Case{"NoVersion", {"--no-version"}, {kStart}, "^?"},
    // Whatever comes while the application jumps is lost, the rest of the jump's own write
    // too, and no command is completed from bytes on both sides of the jump's end.
    Case{"JumpTime", {"--jump-ms=40"}, {kStart, Wait(39), "@&$", Wait(1), "@&$"}, "^?V1.30"},
    Case{"JumpTimeSplitsNoCommand", {"--jump-ms=40"}, {"$@&", Wait(40), "$@&$"}, "^?V1.30"},
    Case{"JumpTimeAnnouncesNothing", {"--jump-ms=40", "--send-active-every-ms=10"},
         {"$", kIdle, Wait(40), kIdle}, "^^"},
    Case{"ResetEndsTheJump", {"--jump-ms=40"}, {"$", kReset, "@&$"}, "^^?V1.30"},
    Case{"StartInBootloader", {"--start-in-bootloader"}, {kRecord[0], kStart}, "?V1.30"},
    Case{"DeadTarget", {"--silent"}, {kStart, kFile, kReset, kIdle}, ""},
    Case{"DelayedAnswers", {"--delay-ms=250"}, {kStart, kReset}, kHello + "^"},
    Case{"OtherCharacters", {"--jump-command=J", "--active-char=A", "--start-sequence=SS",
                             "--ready-char=R"}, {kStart + "JSS"}, "ARV1.30"},
    // A host in wait mode: the user's reset, and the announcement only between files.
    Case{"WaitMode", {}, {kIdle, "@&", kReset, "@&$", kIdle, kRecord[0], kIdle, kRecord[3], kIdle},
         "^?V1.30^~~@^"},
    // Records are read by their length field, however the stream is cut; line ends, stray
    // bytes and XON/XOFF (even inside a record) are ignored.
    Case{"RecordsWhole", {}, {kStart + "\r\n zz" + kFlowControlled + "\r\n" + kFile},
         kHello + "~~~~~@"},
    Case{"RecordsByteByByte", {}, Pieces(kStart + kFile, 1), kHello + "~~~~@"},
    Case{"RecordsInPiecesOf7", {}, Pieces(kStart + kFile, 7), kHello + "~~~~@"},
    // Injected faults hit the same line of every file, however often it is sent.
    Case{"LineErrors", {"--checksum-error-on-line=2", "--page-error-on-line=3"}, {kStart + kFile},
         kHello + "~-%~#"},
    Case{"SilentLines", {"--silent-on-line=1", "--silent-on-line=3", "--silent-on-line=4"},
         {kStart + kFile}, kHello + "~@"},
    Case{"SilentAtEndOfFile", {"--silent-at-eof"}, {kStart + kFile}, kHello + "~~~~"},
    Case{"ResentLineKeepsItsNumber", {"--checksum-error-on-line=2", "--silent-on-line=3"},
         {kStart, kRecord[0], kRecord[1], kRecord[1], kRecord[2], kRecord[2], kRecord[3], kFile},
         kHello + "~--~#~-~#"},
    // Each record is judged by its checksum; a file with a bad line gets the error verdict,
    // the next file starts afresh, and a bad end-of-file record ends nothing.
    Case{"FileVerdicts", {}, {kStart + kTextbook + kLowerCase + kSpoiled + ":00000001FE" +
                              kRecord[3], kFile}, kHello + "~~--~#~~~~@"},
    Case{"MalformedRecords", {}, {kStart + ":1000G" + ":10000" + kRecord[0] + kRecord[3]},
         kHello + "--~~#"},
    Case{"NewStartAbandonsTheFile", {"--checksum-error-on-line=1"},
         {kStart + kRecord[0] + kRecord[1], kStart + kRecord[1] + kRecord[3]},
         kHello + "-~?V1.30-~#"},
    // EEPROM write commands between files are taken without an answer.
    Case{"EepromCommands", {}, {kStart + "*!" + kFile, "*", "!", kFile, "*" + kFile},
         kHello + "~~~~@~~~~@~~~~@", {"*!", "*!", "*"}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace tarnwick::sim
