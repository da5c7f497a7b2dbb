#include "tools/target-sim/target_protocol.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tools/target-sim/hex_records.h"

namespace tarnwick::sim {
namespace {

using std::chrono::milliseconds;

std::string Joined(const std::vector<Reply>& replies) {
  std::string bytes;
  for (const auto& reply : replies) bytes += reply.bytes;
  return bytes;
}

// Sends `text` in pieces of `chunk` bytes (0: all at once), as a scripted host whose writes the
// line may cut anywhere, and collects every answer.
std::string Send(TargetProtocol& target, std::string_view text, std::size_t chunk = 0) {
  if (chunk == 0) return Joined(target.Receive(text));
  std::string answers;
  for (std::size_t pos = 0; pos < text.size(); pos += chunk) {
    answers += Joined(target.Receive(text.substr(pos, chunk)));
  }
  return answers;
}

// A bootloader that has answered the start sequence and waits for records.
TargetProtocol ReadyTarget(TargetBehaviour behaviour = {}) {
  behaviour.startInBootloader = true;
  TargetProtocol target(std::move(behaviour));
  target.Receive("@&$");
  return target;
}

std::string Concatenated(const std::vector<std::string>& records) {
  std::string all;
  for (const auto& record : records) all += record;
  return all;
}

struct HandshakeCase {
  const char* name;
  std::function<void(TargetBehaviour&)> configure;
  std::vector<std::string> chunks;
  std::string expected;
};

void PrintTo(const HandshakeCase& c, std::ostream* os) {
  *os << c.name;
}

class HandshakeTest : public testing::TestWithParam<HandshakeCase> {};

TEST_P(HandshakeTest, AnswersAsTheTargetWould) {
  TargetBehaviour behaviour;
  if (GetParam().configure) GetParam().configure(behaviour);
  TargetProtocol target(behaviour);
  std::string answers;
  for (const auto& chunk : GetParam().chunks) answers += Send(target, chunk);
  EXPECT_EQ(answers, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HandshakeTest,
    testing::Values(
        HandshakeCase{"JumpAndStartInOneWrite", {}, {"$@&$"}, "^?V1.30"},
        HandshakeCase{"JumpAndStartByteByByte", {}, {"$", "@", "&", "$"}, "^?V1.30"},
        HandshakeCase{"ApplicationIgnoresAllButJump", {}, {"@&?*:00000001FF"}, ""},
        HandshakeCase{"RequestRepeatedAfterJump", {}, {"$@&$", "$@&$"}, "^?V1.30?V1.30"},
        HandshakeCase{"StartSequenceNeedsItsWholeText", {}, {"$@&", "x$"}, "^"},
        HandshakeCase{"NoVersion", [](TargetBehaviour& b) { b.version.reset(); }, {"$@&$"}, "^?"},
        HandshakeCase{"StartInBootloader",
                      [](TargetBehaviour& b) { b.startInBootloader = true; },
                      {"$@&$"},
                      "?V1.30"},
        HandshakeCase{"DeadTarget", [](TargetBehaviour& b) { b.silent = true; }, {"$@&$"}, ""},
        HandshakeCase{"OtherCharacters",
                      [](TargetBehaviour& b) {
                        b.characters.jump = "J";
                        b.characters.active = "A";
                        b.characters.startSequence = "SS";
                        b.characters.ready = "R";
                      },
                      {"$@&$JSS"},
                      "ARV1.30"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TargetProtocolTest, ResetMakesTheApplicationABootloaderThatAnnouncesItself) {
  TargetProtocol target(TargetBehaviour{});
  EXPECT_EQ(Send(target, "@&"), "");
  EXPECT_EQ(Joined(target.Reset()), "^");
  EXPECT_EQ(Send(target, "@&$"), "?V1.30");
  EXPECT_EQ(target.mode(), TargetProtocol::Mode::kBootloaderReady);
}

TEST(TargetProtocolTest, AnnouncesItselfOnlyAsABootloaderBetweenFiles) {
  TargetProtocol target(TargetBehaviour{});
  EXPECT_EQ(Joined(target.AnnounceIfIdle()), "") << "the application never announces";
  Send(target, "$@&$");
  EXPECT_EQ(Joined(target.AnnounceIfIdle()), "^");
  Send(target, MakeHexRecords(1)[0]);
  EXPECT_EQ(Joined(target.AnnounceIfIdle()), "") << "a file is under way";
  Send(target, kEndOfFileLine);
  EXPECT_EQ(Joined(target.AnnounceIfIdle()), "^");
}

TEST(TargetProtocolTest, AnswersEveryRecordHoweverTheStreamIsCut) {
  const std::string file = Concatenated(MakeHexRecords(3, 16, 0x0200));
  for (std::size_t chunk : {0, 1, 7, 43}) {
    TargetProtocol target = ReadyTarget();
    EXPECT_EQ(Send(target, file, chunk), "~~~~@") << "pieces of " << chunk;
  }
}

TEST(TargetProtocolTest, IgnoresBytesBetweenRecordsAndRecordsBeforeTheStartSequence) {
  TargetBehaviour behaviour;
  behaviour.startInBootloader = true;
  TargetProtocol target(behaviour);
  const auto records = MakeHexRecords(1);
  EXPECT_EQ(Send(target, records[0]), "") << "not yet started";
  Send(target, "@&$");
  // XON/XOFF from the host's terminal may land anywhere, even inside a record.
  const std::string withFlowControl = records[0].substr(0, 5) + "\x11\x13" + records[0].substr(5);
  EXPECT_EQ(Send(target, "\r\n  zz" + withFlowControl + "\r\n" + records[1]), "~~@");
}

struct FaultCase {
  const char* name;
  std::set<int> checksumErrorLines, pageErrorLines, silentLines;
  bool silentAtEndOfFile;
  std::string expected;  // answers to three data records and the end-of-file record
};

void PrintTo(const FaultCase& c, std::ostream* os) {
  *os << c.name;
}

class FaultTest : public testing::TestWithParam<FaultCase> {};

TEST_P(FaultTest, AnswersTheFileAsConfigured) {
  TargetBehaviour behaviour;
  behaviour.checksumErrorLines = GetParam().checksumErrorLines;
  behaviour.pageErrorLines = GetParam().pageErrorLines;
  behaviour.silentLines = GetParam().silentLines;
  behaviour.silentAtEndOfFile = GetParam().silentAtEndOfFile;
  TargetProtocol target = ReadyTarget(behaviour);
  EXPECT_EQ(Send(target, Concatenated(MakeHexRecords(3))), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FaultTest,
    testing::Values(FaultCase{"ChecksumErrorOnLine2", {2}, {}, {}, false, "~-~~#"},
                    FaultCase{"PageErrorOnLine3", {}, {3}, {}, false, "~~%~#"},
                    FaultCase{"SilentOnLines1And3", {}, {}, {1, 3}, false, "~~@"},
                    FaultCase{"SilentAtEndOfFile", {}, {}, {}, true, "~~~~"},
                    FaultCase{"SilentOnTheEndOfFileLine", {}, {}, {4}, false, "~~~@"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TargetProtocolTest, JudgesTheChecksumOfEachRecord) {
  TargetProtocol target = ReadyTarget();
  auto records = MakeHexRecords(2);
  records[1].back() = records[1].back() == '0' ? '1' : '0';  // spoil the checksum
  EXPECT_EQ(Send(target, Concatenated(records)), "~-~#");
  EXPECT_EQ(Send(target, Concatenated(MakeHexRecords(2))), "~~~@")
      << "the next file starts without errors";
  EXPECT_EQ(Send(target, ":00000001FE"), "-") << "a bad end-of-file record ends nothing";
  EXPECT_EQ(Send(target, ":00000001FF"), "~#");
}

TEST(TargetProtocolTest, AResentRecordKeepsItsLineNumber) {
  TargetBehaviour behaviour;
  behaviour.checksumErrorLines = {2};
  behaviour.silentLines = {3};
  TargetProtocol target = ReadyTarget(behaviour);
  const auto records = MakeHexRecords(3);
  EXPECT_EQ(Send(target, records[0]), "~");
  for (int send = 0; send < 3; ++send) EXPECT_EQ(Send(target, records[1]), "-");
  for (int send = 0; send < 3; ++send) EXPECT_EQ(Send(target, records[2]), "");
  EXPECT_EQ(Send(target, records[3]), "~#");
  // Line numbers count per file: the next file meets the same faults.
  EXPECT_EQ(Send(target, Concatenated(MakeHexRecords(3))), "~-~#");
}

TEST(TargetProtocolTest, AMalformedRecordIsRejectedAndTheNextOneJudged) {
  TargetProtocol target = ReadyTarget();
  const auto records = MakeHexRecords(1);
  EXPECT_EQ(Send(target, ":1000G"), "-");
  EXPECT_EQ(Send(target, ":10000" + records[0]), "-~") << "a ':' inside a record starts anew";
  EXPECT_EQ(Send(target, records[1]), "~#");
}

TEST(TargetProtocolTest, AcceptsEepromWriteCommandsWithoutAnswering) {
  TargetProtocol target = ReadyTarget();
  const std::string file = Concatenated(MakeHexRecords(1));
  EXPECT_EQ(Send(target, "*!" + file), "~~@");
  EXPECT_EQ(Send(target, "*"), "");
  EXPECT_EQ(Send(target, "!"), "") << "the flag may arrive in a later read";
  EXPECT_EQ(Send(target, file), "~~@");
  EXPECT_EQ(Send(target, "*" + file), "~~@");
  EXPECT_EQ(target.eepromCommands(), (std::vector<std::string>{"*!", "*!", "*"}));
}

TEST(TargetProtocolTest, ANewStartSequenceAbandonsAFileUnderWay) {
  TargetBehaviour behaviour;
  behaviour.checksumErrorLines = {1};
  TargetProtocol target = ReadyTarget(behaviour);
  const auto records = MakeHexRecords(2);
  EXPECT_EQ(Send(target, records[0] + records[1]), "-~") << "lines 1 and 2 of the file";
  EXPECT_EQ(Send(target, "$@&$" + records[1] + records[2]), "?V1.30-~#")
      << "a new session: line numbers restart";
}

TEST(TargetProtocolTest, EveryAnswerCarriesTheConfiguredDelay) {
  TargetBehaviour behaviour;
  behaviour.replyDelay = milliseconds{250};
  TargetProtocol target(behaviour);
  const std::vector<Reply> expected = {{"^", milliseconds{250}},
                                       {"?V1.30", milliseconds{250}},
                                       {"~", milliseconds{250}},
                                       {"@", milliseconds{250}}};
  EXPECT_EQ(target.Receive("$@&$" + std::string(kEndOfFileLine)), expected);
  EXPECT_EQ(target.Reset(), (std::vector<Reply>{{"^", milliseconds{0}}}))
      << "the reset is no answer to anything";
}

}  // namespace
}  // namespace tarnwick::sim
