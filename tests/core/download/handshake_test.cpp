// The handshake in jump mode and wait mode: requests, timed waits, cancel, the ready test and
// the version read from the ready answer. Nothing is ticked in these downloads, so a ready
// bootloader leads to the no-file ending, which shows what the handshake found.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/core/download/download_fixture.h"

namespace tarnwick::testing {
namespace {

class HandshakeTest : public DownloadTest {
 protected:
  HandshakeTest() { view.settings.FlashSelected = 0; }
  std::vector<std::int64_t> Gaps(const std::string& prefix) const {
    const auto times = log.TimesOf(prefix);
    std::vector<std::int64_t> gaps;
    for (std::size_t i = 1; i < times.size(); ++i) gaps.push_back(times[i] - times[i - 1]);
    return gaps;
  }
};

TEST_F(HandshakeTest, SilentTargetGetsThreeRequestsAboutThreeSecondsApart) {
  downloader.Command2_Click();
  EXPECT_EQ(target.writes, (std::vector<std::string>{"$@&$", "$@&$", "$@&$"}));
  EXPECT_EQ(log.With("status Requesting Ack"),
            (std::vector<std::string>{" from target bootloader.  Try #1",
                                      " from target bootloader.  Try #2",
                                      " from target bootloader.  Try #3"}));
  const auto request_times = log.TimesOf("write");
  const auto message_time = log.TimesOf("message No response from target bootloader.");
  ASSERT_EQ(message_time.size(), 1u);
  auto gaps = Gaps("write");
  gaps.push_back(message_time[0] - request_times.back());
  for (const auto gap : gaps) {
    EXPECT_GT(gap, 2000);
    EXPECT_LE(gap, 3000 + view.pump_step_ms);
  }
  // The status is left as it was for the message; the cleanup makes it "Idle".
  EXPECT_EQ(log.With("status ").back(), "Requesting Ack from target bootloader.  Try #3");
  EXPECT_EQ(
      log.Only({"message", "close", "idle"}),
      (std::vector<std::string>{"message No response from target bootloader.", "close", "idle"}));
  EXPECT_EQ(log.With("version "), (std::vector<std::string>{"BootLoader Version: "}));
  ExpectClosedAndIdle();
}

TEST_F(HandshakeTest, AnyInputEndsATimedWaitAtOnce) {
  target.Answer("$@&$", {{{100, "x"}}, {}});  // only the first request gets an answer
  downloader.Command2_Click();
  ASSERT_EQ(target.writes.size(), 3u);
  EXPECT_LT(Gaps("write")[0], 100 + 2 * view.pump_step_ms);
  EXPECT_GT(Gaps("write")[1], 2000);
}

TEST_F(HandshakeTest, ActiveCharacterMakesRequestsGoOnUntilCancel) {
  target.Answer("$@&$", {{{200, "^"}}});
  view.CancelAt(clock.now_ms + 20000);
  downloader.Command2_Click();
  EXPECT_GE(target.writes.size(), 60u);  // one per answered wait of ~200 ms, far beyond three
  EXPECT_TRUE(Dialogs().empty());
  EXPECT_EQ(log.With("status Requesting Ack from target bootloader.  Try #3").size(), 0u);
  EXPECT_GE(log.With("status Main code responded.  Switching to bootloader.").size() + 1,
            target.writes.size());
  ExpectClosedAndIdle();
}

TEST_F(HandshakeTest, CancelEndsTheHandshakeAtItsTestPoints) {
  const struct {
    std::int16_t mode;
    std::int64_t cancel_after_ms;
    std::size_t writes;
  } cases[] = {{0, 1500, 1}, {0, 4000, 2}, {1, 60000, 0}};
  for (const auto& c : cases) {
    Rig rig;
    rig.view.settings.FlashSelected = 0;
    rig.view.CancelAt(rig.clock.now_ms + c.cancel_after_ms);
    const std::int64_t start = rig.clock.now_ms;
    rig.downloader.DownloadFiles(c.mode);
    EXPECT_EQ(rig.target.writes.size(), c.writes);
    EXPECT_LE(rig.clock.now_ms - start, c.cancel_after_ms + rig.view.pump_step_ms);
    EXPECT_TRUE(rig.Dialogs().empty());
    rig.ExpectClosedAndIdle();
  }
}

TEST_F(HandshakeTest, WaitModeDropsWhatCameBeforeAndWithTheActiveCharacter) {
  const std::int64_t start = clock.now_ms;
  target.SendAfter(0, "^?V9.9");  // pending before the download: the old application's
  target.SendAfter(1000, "?V5^");
  target.Answer("@&$", {{{10, "?V1.41"}}});
  downloader.Command6_Click();
  EXPECT_EQ(target.writes, (std::vector<std::string>{"@&$"}));
  EXPECT_GE(log.TimesOf("write").front(), start + 1000);
  EXPECT_EQ(log.With("status "),
            (std::vector<std::string>{"Initializing the com port",
                                      "Waiting for Bootloader Active Character...Reset target...",
                                      "Requesting Bootloader Ready.  Try #1"}));
  EXPECT_EQ(log.With("version ").back(), "BootLoader Version: 1.41");
  EXPECT_EQ(
      log.Only({"close", "idle", "message", "focus"}),
      (std::vector<std::string>{"close", "idle", "message Check box to download code.", "focus"}));
}

TEST_F(HandshakeTest, WaitModeStreamingTargetStillSeesCancel) {
  target.StreamNoise('x', 11520);
  view.CancelAt(clock.now_ms + 5000);
  downloader.Command6_Click();
  EXPECT_TRUE(target.writes.empty());
  EXPECT_TRUE(Dialogs().empty());
  EXPECT_LE(clock.now_ms, 1'000'400 + 5000 + view.pump_step_ms);
  ExpectClosedAndIdle();
}

TEST_F(HandshakeTest, WaitModeFindsTheActiveCharacterAfterLongChatter) {
  view.settings.ActiveCharacter = "AB";
  target.SendAfter(100, std::string(200000, 'x') + "A");  // the setting straddles two reads
  target.SendAfter(200, "B");
  target.Answer("@&$", {{{10, "?V1.3"}}});
  view.CancelAt(clock.now_ms + 10000);
  downloader.Command6_Click();
  EXPECT_EQ(target.writes, std::vector<std::string>{"@&$"});
  EXPECT_EQ(Dialogs(), std::vector<std::string>{"message Check box to download code."});
}

TEST_F(HandshakeTest, SettingsAreReadAnewInEveryPass) {
  target.AnswerOthers({{10, "!V1.30"}});
  view.on_status = [&](const std::string& text) {
    if (!text.ends_with("Try #2")) return;
    view.settings.ReadyCharacter = "!";
    view.settings.JumpCommand = "J";
  };
  downloader.Command2_Click();
  EXPECT_EQ(target.writes, (std::vector<std::string>{"$@&$", "J@&$"}));
  EXPECT_EQ(log.With("version ").back(), "BootLoader Version: 1.3");
}

TEST_F(HandshakeTest, EmptyReadySettingIsNeverFound) {
  view.settings.ReadyCharacter = "";
  target.AnswerOthers({{10, "?V1.30"}});
  downloader.Command2_Click();
  EXPECT_EQ(target.writes.size(), 3u);
  EXPECT_EQ(Dialogs(), (std::vector<std::string>{"message No response from target bootloader."}));
}

TEST_F(HandshakeTest, ClockSetBackDoesNotStretchAWait) {
  const std::int64_t start = clock.now_ms;
  view.on_pump = [&] {
    if (view.blocking_pumps == 50) clock.now_ms -= 3'600'000;  // one second into the first wait
  };
  downloader.Command2_Click();
  EXPECT_EQ(target.writes.size(), 3u);
  // One second before the jump, then three waits of at most three seconds each.
  EXPECT_LE(view.blocking_pumps * view.pump_step_ms, 10000 + 4 * view.pump_step_ms);
  EXPECT_LT(clock.now_ms, start);
}

TEST_F(HandshakeTest, VersionIsTheNumberAfterTheFirstCapitalV) {
  const struct {
    Reply reply;
    const char* pending_before;
    const char* label;
  } cases[] = {
      {{{10, "?V1.3"}}, "", "BootLoader Version: 1.3"},
      {{{10, "?V1.30"}}, "", "BootLoader Version: 1.3"},
      {{{10, "?V 1.4x"}}, "", "BootLoader Version: 1.4"},
      {{{10, "?V1.41V2"}}, "", "BootLoader Version: 1.41"},
      {{{10, "V2?V1.3"}}, "", "BootLoader Version: 2"},
      {{{10, "?"}}, "V1.5 running\r\n", "BootLoader Version: 1.5"},  // jump mode keeps it
      {{{10, "?v1.4"}}, "", "BootLoader Version: "},
      {{{10, "?V"}}, "", "BootLoader Version: "},
      {{{10, "?V1.29"}}, "", "BootLoader Version: "},
      {{{10, "?"}, {500, "V1.5"}}, "", "BootLoader Version: "},  // too late to be read
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.view.settings.FlashSelected = 0;
    rig.target.SendAfter(0, c.pending_before);
    rig.target.Answer("$@&$", {c.reply});
    rig.downloader.Command2_Click();
    EXPECT_EQ(rig.log.With("version ").back(), c.label) << c.reply[0].text;
    EXPECT_EQ(rig.Dialogs(), (std::vector<std::string>{"message Check box to download code."}));
  }
}

}  // namespace
}  // namespace tarnwick::testing
