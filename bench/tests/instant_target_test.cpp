#include "bench/instant_target.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/target-sim/hex_records.h"

namespace tarnwick::bench {
namespace {

class InstantTargetTest : public ::testing::Test {
 protected:
  // Brings the target past the handshake and forgets its ready reply.
  void MakeReady() {
    target.Receive("$@&$", 0);
    sent.clear();
  }

  std::string sent;
  std::int64_t clockNs = 0;
  InstantTarget target{[this](std::string_view bytes) { sent += bytes; },
                       [this] { return clockNs; }};
  std::vector<std::string> records = sim::MakeHexRecords(2);  // two data records, end of file
};

TEST_F(InstantTargetTest, AnswersTheStartSequenceOnlyWhenItIsWhole) {
  target.Receive("$@&", 0);
  EXPECT_EQ(sent, "");
  target.Receive("$", 0);
  EXPECT_EQ(sent, "?V1.30");
}

TEST_F(InstantTargetTest, TakesRecordBytesThatFollowTheStartSequenceInOneRead) {
  target.Receive("$@&$" + records[0], 0);
  EXPECT_EQ(sent, "?V1.30~");
}

TEST_F(InstantTargetTest, JudgesARecordOnceItsLastByteHasArrived) {
  MakeReady();
  const std::string& record = records[0];
  target.Receive(record.substr(0, 2), 0);
  target.Receive(record.substr(2, 30), 0);
  EXPECT_EQ(sent, "");
  target.Receive(record.substr(32), 0);
  EXPECT_EQ(sent, "~");
  EXPECT_EQ(target.RecordsAnswered(), 1);
}

TEST_F(InstantTargetTest, AnswersBrokenRecordsWithTheChecksumError) {
  MakeReady();
  std::string badSum = records[0];
  badSum.back() = badSum.back() == '0' ? '1' : '0';
  std::string notHex = records[1];
  notHex[5] = 'x';
  target.Receive(badSum, 0);
  target.Receive(notHex, 0);
  EXPECT_EQ(sent, "--");
  EXPECT_EQ(target.ChecksumErrors(), 2);
}

TEST_F(InstantTargetTest, FollowsTheEndOfFileRecordsVerdictWithFileComplete) {
  MakeReady();
  target.Receive(records[2], 0);
  EXPECT_EQ(sent, "~@");
}

TEST_F(InstantTargetTest, IgnoresRequestsBetweenRecords) {
  MakeReady();
  target.Receive("$@&$", 0);
  EXPECT_EQ(sent, "");
  EXPECT_EQ(target.RecordsAnswered(), 0);
}

TEST_F(InstantTargetTest, MeasuresFromEachVerdictToTheNextRecordsFirstByte) {
  MakeReady();
  clockNs = 150;
  target.Receive(records[0], 100);
  // The second record comes in two reads; its first byte's read counts.
  target.Receive(records[1].substr(0, 10), 400);
  clockNs = 520;
  target.Receive(records[1].substr(10), 500);
  clockNs = 1100;
  target.Receive(records[2], 1000);

  EXPECT_EQ(target.TurnaroundsNs(), (std::vector<std::int64_t>{400 - 150, 1000 - 520}));
  EXPECT_EQ(target.TransferNs(), 1100 - 100);
  EXPECT_EQ(target.LastVerdictNs(), 1100);
}

TEST_F(InstantTargetTest, LeavesARecordStillInFlightOutOfTheTurnarounds) {
  MakeReady();
  target.Receive(records[0], 100);
  target.Receive(records[1].substr(0, 5), 200);
  EXPECT_EQ(target.TurnaroundsNs().size(), 1u);
}

}  // namespace
}  // namespace tarnwick::bench
