// The end of a download: the file-verdict wait and the outcome, and every failure scope with
// its message, its order of steps and what it closes, second failures included.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/core/download/download_fixture.h"

namespace tarnwick::testing {
namespace {

const char* const kNoAnswer =
    "message Error encountered while downloading file.  No response from bootloader at end of "
    "file.";

TEST_F(DownloadTest, FileVerdictDecidesTheOutcome) {
  const struct {
    Reply last_line;
    const char* message;
    std::int64_t min_ms, max_ms;  // from the last line's send to the message
  } cases[] = {
      {{{5, "~"}, {50, "@"}}, "message Flash File successfully downloaded.", 2000, 3000},
      {{{5, "~"}, {50, "#"}}, "message Error encountered while downloading file.", 50, 100},
      {{{5, "~"}}, kNoAnswer, 2000, 3000},
      {{{5, "~"}, {50, "@#"}}, "message Flash File successfully downloaded.", 50, 100},
      {{{5, "~@"}}, "message Flash File successfully downloaded.", 2000, 3000},
      {{{5, "#"}}, "message Error encountered while downloading file.", 0, 40},
      // Yes to the prompt forgets the line's answer, its "@" included.
      {{{5, "-@"}}, kNoAnswer, 2000, 3000},
  };
  for (const auto& c : cases) {
    Rig rig;
    TempDir files;
    rig.SelectFlash(files.Write("code.hex", "L1\r\nL2\r\n"));
    rig.Bootloader("1.30");
    rig.target.Answer("L2", {c.last_line});
    rig.downloader.Command2_Click();
    EXPECT_EQ(rig.Dialogs().back(), c.message) << c.last_line[0].text;
    const auto elapsed = rig.log.TimesOf("message").back() - rig.log.TimesOf("write L2").back();
    EXPECT_GE(elapsed, c.min_ms) << c.last_line[0].text;
    EXPECT_LE(elapsed, c.max_ms) << c.last_line[0].text;
    rig.ExpectClosedAndIdle();
  }
}

TEST_F(DownloadTest, OnlyTheLastFileVerdictDecides) {
  const struct {
    const char* flash_content;
    const char* eeprom_verdict;
    const char* message;
  } cases[] = {
      {"F1\r\n", "#", "message Flash & EEPROM Files successfully downloaded."},
      {"\r\n", "@", "message Flash & EEPROM Files successfully downloaded."},
      {"\r\n", "#", "message Error encountered while downloading file."},
  };
  for (const auto& c : cases) {
    Rig rig;
    TempDir files;
    rig.SelectEeprom(files.Write("data.eep", "E1\r\n"));
    rig.SelectFlash(files.Write("code.hex", c.flash_content));
    rig.Bootloader("1.30", "F1");
    rig.target.Answer("E1", {{{5, "~"}, {50, c.eeprom_verdict}}});
    rig.downloader.Command2_Click();
    EXPECT_EQ(rig.Dialogs(), std::vector<std::string>{c.message}) << c.flash_content;
  }
}

// Each row arranges one failure and returns the steps expected: messages, port closings,
// idle calls and failures of the window.
struct FailureCase {
  const char* name;
  std::function<std::vector<std::string>(Rig&, const TempDir&)> arrange;
  std::vector<std::string> writes;
};

TEST(DownloadFailure, EachScopeHasItsMessageStepsAndClosings) {
  const std::string firmware = "warning Error encountered while downloading the firmware file.";
  const std::string com_port = "warning Error encountered while accessing the com port.";
  const FailureCase cases[] = {
      {"open fails",
       [&](Rig& rig, const TempDir&) {
         rig.target.Fail("open");
         return std::vector<std::string>{com_port, "idle"};
       },
       {}},
      {"rate refused",
       [&](Rig& rig, const TempDir&) {
         rig.target.Fail("baud");
         return std::vector<std::string>{com_port, "idle"};
       },
       {}},
      {"selection check's control fails",
       [&](Rig& rig, const TempDir&) {
         rig.view.Fail("CurrentSettings");
         return std::vector<std::string>{"CurrentSettings failed", com_port, "idle"};
       },
       {}},
      {"handshake write fails",
       [&](Rig& rig, const TempDir&) {
         rig.target.Fail("write", 1);
         return std::vector<std::string>{firmware, "close", "idle"};
       },
       {}},
      {"write fails mid-file",
       [&](Rig& rig, const TempDir&) {
         rig.target.Fail("write", 3);
         return std::vector<std::string>{firmware, "close", "idle"};
       },
       {"$@&$", "L1"}},
      {"read fails mid-file",
       [&](Rig& rig, const TempDir&) {
         rig.view.on_status = [&](const std::string& text) {
           if (text.starts_with("Sending")) rig.target.Fail("input", 1);
         };
         return std::vector<std::string>{firmware, "close", "idle"};
       },
       {"$@&$", "L1"}},
      {"status refused",
       [&](Rig& rig, const TempDir&) {
         rig.view.on_status = [&](const std::string& text) {
           if (text.starts_with("Sending")) rig.view.Fail("lines");
         };
         return std::vector<std::string>{"lines failed", firmware, "close", "idle"};
       },
       {"$@&$"}},
      {"file missing",
       [&](Rig& rig, const TempDir& files) {
         rig.view.settings.FlashFile = (files.path() / "gone.hex").string();
         return std::vector<std::string>{
             "close", "warning Error opening " + rig.view.settings.FlashFile + ".", "idle"};
       },
       {"$@&$"}},
      {"directory as file",
       [&](Rig& rig, const TempDir& files) {
         rig.view.settings.FlashFile = files.path().string();
         return std::vector<std::string>{
             "close", "warning Error opening " + rig.view.settings.FlashFile + ".", "idle"};
       },
       {"$@&$"}},
      {"path read when the message is built",
       [&](Rig& rig, const TempDir& files) {
         rig.view.settings.FlashFile = (files.path() / "gone.hex").string();
         rig.view.on_status = [&](const std::string& text) {
           if (text.starts_with("Opening")) rig.view.settings.FlashFile = "other.hex";
         };
         return std::vector<std::string>{"close", "warning Error opening other.hex.", "idle"};
       },
       {"$@&$"}},
      {"second file missing",
       [&](Rig& rig, const TempDir& files) {
         rig.SelectEeprom(files.Write("data.eep", "E1\r\n"));
         rig.view.settings.FlashFile = (files.path() / "gone.hex").string();
         return std::vector<std::string>{
             "close", "warning Error opening " + rig.view.settings.FlashFile + ".", "idle"};
       },
       {"$@&$", "*!", "E1"}},
      {"idle refused in the cleanup",
       [&](Rig& rig, const TempDir&) {
         rig.view.Fail("idle");
         return std::vector<std::string>{
             "message Flash File successfully downloaded.", "close", "idle failed",
             "warning Error encountered while closing the com port.", "idle"};
       },
       {"$@&$", "L1", "L2"}},
      {"close fails in the cleanup: ignored",
       [&](Rig& rig, const TempDir&) {
         rig.target.Fail("close");
         return std::vector<std::string>{"message Flash File successfully downloaded.", "idle"};
       },
       {"$@&$", "L1", "L2"}},
      {"message refused in a failure",
       [&](Rig& rig, const TempDir&) {
         rig.target.Fail("write", 2);
         rig.view.Fail("warning");
         return std::vector<std::string>{"warning failed", "close", "idle"};
       },
       {"$@&$"}},
      {"idle refused in a failure",
       [&](Rig& rig, const TempDir&) {
         rig.target.Fail("write", 2);
         rig.view.Fail("idle");
         return std::vector<std::string>{firmware, "close", "idle failed", "idle"};
       },
       {"$@&$"}},
      {"idle refused twice in a failure",
       [&](Rig& rig, const TempDir&) {
         rig.target.Fail("open");
         rig.view.Fail("idle", 5);
         return std::vector<std::string>{com_port, "idle failed", "idle failed"};
       },
       {}},
  };
  for (const auto& c : cases) {
    Rig rig;
    TempDir files;
    rig.SelectFlash(files.Write("code.hex", "L1\r\nL2\r\n"));
    rig.Bootloader("1.30", "L2");
    const std::vector<std::string> expected = c.arrange(rig, files);
    EXPECT_NO_THROW(rig.downloader.Command2_Click()) << c.name;
    EXPECT_EQ(rig.target.writes, c.writes) << c.name;
    auto steps = rig.log.Only(
        {"message", "warning", "close", "idle", "CurrentSettings failed", "lines failed"});
    EXPECT_EQ(steps, expected) << c.name;
  }
}

TEST_F(DownloadTest, NoFileEndingSkipsFailingSteps) {
  view.settings.FlashSelected = 0;
  Bootloader("1.30");
  view.Fail("idle");
  view.Fail("message");
  EXPECT_NO_THROW(downloader.Command2_Click());
  EXPECT_EQ(log.Only({"close", "idle", "message", "focus"}),
            (std::vector<std::string>{"close", "idle failed", "idle", "message failed", "focus"}));
}

}  // namespace
}  // namespace tarnwick::testing
