// The transfer: the version gate and the stages, the counting pass, the line loop, the
// line exchange with its retries and prompts, and cancel between and during lines.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/core/download/download_fixture.h"

namespace tarnwick::testing {
namespace {

const std::vector<std::string> kEndings = {"disable eeprom", "message", "close", "idle", "focus"};

TEST_F(DownloadTest, VersionGateChoosesTheStages) {
  const std::string eeprom = temp.Write("data.eep", "E1\r\nE2\r\n");
  const std::string flash = temp.Write("code.hex", "F1\r\nF2\r\n");
  const struct {
    bool flash, eeprom;
    const char* version;
    std::vector<std::string> writes;
    std::vector<std::string> endings;  // the log entries that begin with one of kEndings
  } cases[] = {
      {true,
       true,
       "1.30",
       {"$@&$", "*!", "E1", "E2", "F1", "F2"},
       {"message Flash & EEPROM Files successfully downloaded.", "close", "idle"}},
      {false,
       true,
       "1.3",
       {"$@&$", "*", "E1", "E2"},
       {"message EEPROM File successfully downloaded.", "close", "idle"}},
      {true,
       false,
       "1.27",
       {"$@&$", "F1", "F2"},
       {"message Flash File successfully downloaded.", "close", "idle"}},
      {false,
       true,
       "1.29",
       {"$@&$"},
       {"disable eeprom", "message Embedded Bootloader Version does not support EEPROM write.",
        "close", "idle"}},
      {true,
       true,
       "",
       {"$@&$"},
       {"disable eeprom", "message Embedded Bootloader Version does not support EEPROM write.",
        "close", "idle"}},
      {false,
       false,
       "1.30",
       {"$@&$"},
       {"close", "idle", "message Check box to download code.", "focus"}},
      {false,
       false,
       "1.0",
       {"$@&$"},
       {"close", "idle", "message Check box to download code.", "focus"}},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.view.settings.FlashSelected = c.flash;
    rig.view.settings.FlashFile = flash;
    rig.view.settings.EepromSelected = c.eeprom;
    rig.view.settings.EepromFile = eeprom;
    rig.Bootloader(c.version);
    rig.target.Answer("E2", {{{5, "~"}, {50, "@"}}});
    rig.target.Answer("F2", {{{5, "~"}, {50, "@"}}});
    rig.downloader.Command2_Click();
    EXPECT_EQ(rig.target.writes, c.writes) << c.version;
    EXPECT_EQ(rig.log.Only({kEndings.begin(), kEndings.end()}), c.endings) << c.version;
    EXPECT_FALSE(rig.target.open);
  }
}

TEST_F(DownloadTest, StagesNameTheirFilesAndCountTheirLines) {
  const std::string eeprom = temp.Write("data.eep", "E1\n\nE2");
  const std::string flash = temp.Write("code.hex", "\r\nF1\r\n\r\nF2\r\nF3\r\n\r\n");
  SelectEeprom(eeprom);
  SelectFlash(flash);
  Bootloader("1.41", "F3");
  downloader.Command2_Click();
  EXPECT_EQ(log.With("status "),
            (std::vector<std::string>{
                "Initializing the com port", "Requesting Ack from target bootloader.  Try #1",
                "Opening the file " + eeprom + ".", "Sending EEPROM File - lines remaining ",
                "Opening the file " + flash + ".", "Sending FLASH File - lines remaining "}));
  EXPECT_EQ(log.With("lines "), (std::vector<std::string>{"2", "0", "5", "0"}));
  EXPECT_EQ(log.With("timer3 "), (std::vector<std::string>{"on", "off", "on", "off"}));
  EXPECT_EQ(state.FileStage, 2);
  EXPECT_EQ(state.TotalLines, 5);
  EXPECT_EQ(state.LineCount, 2);  // five lines less one, counted down for three non-empty ones
}

TEST_F(DownloadTest, TimerThreeShowsTheLinesRemaining) {
  SelectFlash(temp.Write("code.hex", "A\nB\nC\n"));
  target.Answer("$@&$", {{{10, "?V1.3"}}});
  target.AnswerOthers({{1500, "~"}});  // a slow target: the one-second timer ticks meanwhile
  downloader.Command2_Click();
  const auto labels = log.With("lines ");
  EXPECT_EQ(labels.front(), "2");
  EXPECT_NE(std::find(labels.begin(), labels.end(), "1"), labels.end());
  EXPECT_EQ(labels.back(), "0");
}

TEST_F(DownloadTest, LineExchangeRetriesAndPrompts) {
  const char* kChecksum = "ask Checksum error at line 1. Continue with download?";
  const char* kSilent =
      "ask Did not receive a response after sending line 1. Continue with download?";
  const struct {
    const char* version;
    std::vector<Reply> replies;  // to the sends of L1 in turn
    bool yes;
    std::size_t l1_sends;
    const char* prompt;  // or none
  } cases[] = {
      {"1.30", {{{5, "-"}}}, true, 3, kChecksum},
      {"1.30", {{{5, "-"}}, {{5, "~"}}}, true, 2, nullptr},
      {"1.30",
       {{{5, "%"}}},
       false,
       1,
       "ask Error writing to flash at line 1. Continue with download?"},
      {"1.30", {{{5, "-~"}}}, true, 1, kChecksum},
      {"1.30", {{}}, false, 3, kSilent},
      {"1.30", {{{5, "x"}}}, true, 3, kSilent},
      {"1.28", {{}}, true, 3, kSilent},
      {"1.30", {{{5, "@"}}}, true, 1, nullptr},
      {"1.30", {{{5, "#"}}}, true, 1, nullptr},
      {"1.27", {{}}, true, 1, nullptr},
      {"1.27", {{{5, "-"}}}, false, 1, kChecksum},
  };
  for (const auto& c : cases) {
    Rig rig;
    TempDir files;
    rig.SelectFlash(files.Write("code.hex", "L1\r\nL2\r\n"));
    rig.Bootloader(c.version, "L2");
    rig.target.Answer("L1", c.replies);
    rig.view.answers = {c.yes};
    rig.downloader.Command2_Click();

    const std::string row = std::string(c.version) + " " + (c.prompt ? c.prompt : "accepted");
    EXPECT_EQ(rig.log.With("write L1").size(), c.l1_sends) << row;
    const bool goes_on = c.prompt == nullptr || c.yes;
    EXPECT_EQ(rig.log.With("write L2").size(), goes_on ? 1u : 0u) << row;
    std::vector<std::string> dialogs;
    if (c.prompt) dialogs.push_back(c.prompt);
    if (goes_on) dialogs.push_back("message Flash File successfully downloaded.");
    EXPECT_EQ(rig.Dialogs(), dialogs) << row;
    rig.ExpectClosedAndIdle();
  }
}

TEST_F(DownloadTest, WaitForAVerdictLastsByVersion) {
  const struct {
    const char* version;
    std::int64_t min_ms, max_ms;  // from the first send of L1 to the next write
  } cases[] = {{"1.27", 240, 300 + 20}, {"1.28", 2001, 3000 + 20}};
  for (const auto& c : cases) {
    Rig rig;
    TempDir files;
    rig.SelectFlash(files.Write("code.hex", "L1\r\nL2\r\n"));
    rig.Bootloader(c.version, "L2");
    rig.target.Answer("L1", {{}});
    rig.downloader.Command2_Click();
    const auto times = rig.log.TimesOf("write ");
    ASSERT_GE(times.size(), 3u);
    EXPECT_GE(times[2] - times[1], c.min_ms) << c.version;
    EXPECT_LE(times[2] - times[1], c.max_ms) << c.version;
  }
}

TEST_F(DownloadTest, PromptsNumberNonEmptyLinesOnly) {
  SelectFlash(temp.Write("code.hex", "\r\nA\r\n\r\nB\r\nC\r\n"));
  Bootloader("1.30", "C");
  target.Answer("B", {{{5, "%"}}});
  downloader.Command2_Click();
  EXPECT_EQ(Dialogs(), (std::vector<std::string>{
                           "ask Error writing to flash at line 2. Continue with download?",
                           "message Flash File successfully downloaded."}));
  EXPECT_EQ(target.writes, (std::vector<std::string>{"$@&$", "A", "B", "C"}));
}

TEST_F(DownloadTest, LateVerdictCountsForTheNextLine) {
  SelectFlash(temp.Write("code.hex", "L1\r\nL2\r\n"));
  Bootloader("1.27");
  target.Answer("L1", {{{400, "%"}}});  // after L1's short wait of at most 300 ms
  target.Answer("L2", {{{200, "~"}}});  // after L1's page error has arrived
  downloader.Command2_Click();
  EXPECT_EQ(target.writes, (std::vector<std::string>{"$@&$", "L1", "L2"}));
  EXPECT_EQ(Dialogs().front(), "ask Error writing to flash at line 2. Continue with download?");
}

TEST_F(DownloadTest, EmptyVerdictSettingsNeverMatch) {
  SelectFlash(temp.Write("code.hex", "L1\r\n"));
  Bootloader("1.30");
  view.settings.LineCompleteCharacter = "";
  view.settings.FileOkCharacter = "";
  // "z" comes during the file-verdict wait, so that wait has text to search.
  target.Answer("L1", {{{5, "x"}}, {{5, "x"}}, {{5, "x"}, {3500, "z"}}});
  downloader.Command2_Click();
  EXPECT_EQ(target.writes.size(), 4u);
  EXPECT_EQ(Dialogs(),
            (std::vector<std::string>{
                "ask Did not receive a response after sending line 1. Continue with download?",
                "message Error encountered while downloading file.  No response from bootloader "
                "at end of file."}));
}

TEST_F(DownloadTest, CancelDuringALineStopsAtTheNextBoundary) {
  const struct {
    const char* version;
    bool yes;
    std::size_t l1_sends;
    bool prompt;
  } cases[] = {{"1.30", false, 3, true}, {"1.30", true, 3, true}, {"1.27", true, 1, false}};
  for (const auto& c : cases) {
    Rig rig;
    TempDir files;
    rig.SelectFlash(files.Write("code.hex", "L1\r\nL2\r\n"));
    rig.Bootloader(c.version, "L2");
    rig.target.Answer("L1", {{}});
    rig.view.answers = {c.yes};
    rig.view.CancelOnStatus("Sending FLASH File");
    rig.downloader.Command2_Click();
    const auto times = rig.log.TimesOf("write L1");
    ASSERT_EQ(times.size(), c.l1_sends);
    EXPECT_LE(times.back() - times.front(), rig.view.pump_step_ms) << "sends after a cancel";
    EXPECT_EQ(rig.Dialogs(), c.prompt ? std::vector<std::string>{"ask Did not receive a response "
                                                                 "after sending line 1. Continue "
                                                                 "with download?"}
                                      : std::vector<std::string>{});
    EXPECT_EQ(rig.log.With("write L2").size(), 0u);
    rig.ExpectClosedAndIdle();
  }
}

TEST_F(DownloadTest, CancelReachesTheLoopAfterEmptyLinesToo) {
  SelectFlash(temp.Write("code.hex", "\r\n\r\nL1\r\n"));
  Bootloader("1.30", "L1");
  view.CancelOnStatus("Sending FLASH File");
  downloader.Command2_Click();
  EXPECT_EQ(target.writes, std::vector<std::string>{"$@&$"});
  EXPECT_TRUE(Dialogs().empty());
  ExpectClosedAndIdle();
}

TEST_F(DownloadTest, LineCountLimitIsCheckedBeforeAnyLineIsSent) {
  const struct {
    int lines;
    std::vector<std::string> dialogs;
  } cases[] = {
      {32767, {}},
      {32768, {"warning Error encountered while downloading the firmware file."}},
  };
  for (const auto& c : cases) {
    Rig rig;
    TempDir files;
    std::string content;
    for (int i = 0; i < c.lines; ++i) content += "0\n";
    rig.SelectFlash(files.Write("big.hex", content));
    rig.Bootloader("1.30");
    rig.view.on_status = [&](const std::string& text) {
      if (text.starts_with("Sending")) rig.downloader.Command4_Click();
    };
    rig.downloader.Command2_Click();
    EXPECT_EQ(rig.target.writes, std::vector<std::string>{"$@&$"}) << c.lines;
    EXPECT_EQ(rig.Dialogs(), c.dialogs) << c.lines;
    EXPECT_EQ(rig.log.With("lines "),
              c.dialogs.empty() ? std::vector<std::string>{"32766"} : std::vector<std::string>{});
    rig.ExpectClosedAndIdle();
  }
}

}  // namespace
}  // namespace tarnwick::testing
