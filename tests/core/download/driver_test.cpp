// The start of a download: the selection check, the busy state and the port set-up.

#include <gtest/gtest.h>

#include "tests/core/download/download_fixture.h"

namespace tarnwick::testing {
namespace {

TEST_F(DownloadTest, SelectionCheckReportsTheFirstMissingPath) {
  const struct {
    int flash_ticked;
    const char* flash_path;
    int eeprom_ticked;
    const char* eeprom_path;
    const char* message;
    int file_stage;
  } cases[] = {
      {1, "a", 0, "", "Select Application file to download.", 2},
      {1, "", 1, "", "Select Application file to download.", 1},
      {0, "app.hex", 1, "", "Select EEPROM file to download.", 1},
      {1, "app.hex", 1, "e", "Select EEPROM file to download.", 1},
      {2, "\xC3\xA9", 0, "", "Select Application file to download.", 2},  // one character
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.view.settings.FlashSelected = static_cast<std::int16_t>(c.flash_ticked);
    rig.view.settings.FlashFile = c.flash_path;
    rig.view.settings.EepromSelected = static_cast<std::int16_t>(c.eeprom_ticked);
    rig.view.settings.EepromFile = c.eeprom_path;
    rig.downloader.Command2_Click();
    EXPECT_EQ(rig.log.Only({"message", "focus", "busy", "idle", "open", "xonxoff"}),
              (std::vector<std::string>{std::string("message ") + c.message, "focus"}))
        << c.message;
    EXPECT_EQ(rig.state.FileStage, c.file_stage);
  }
}

TEST_F(DownloadTest, PortIsSetUpFromTheSettingsOfThatMoment) {
  const struct {
    int baud_index;
    int port_index;
    std::optional<std::int32_t> baud;
    int port_number;
  } cases[] = {
      {0, 0, 1200, 1},  {1, 7, 2400, 8},   {2, 3, 4800, 4},  {3, 0, 9600, 1},
      {4, 0, 14400, 1}, {5, 0, 19200, 1},  {6, 0, 38400, 1}, {7, 0, 56000, 1},
      {8, 0, 57600, 1}, {9, 0, 115200, 1}, {10, 1, {}, 2},   {-1, 0, {}, 1},
  };
  for (const auto& c : cases) {
    Rig rig;
    rig.view.settings.FlashFile = "app.hex";
    // The selection check sees other values: the port must use those of its own moment.
    rig.view.on_status = [&](const std::string& text) {
      if (text != "Initializing the com port") return;
      rig.view.settings.BaudIndex = static_cast<std::int16_t>(c.baud_index);
      rig.view.settings.PortIndex = static_cast<std::int16_t>(c.port_index);
    };
    rig.downloader.Command2_Click();
    std::vector<std::string> expected = {"busy", "status Initializing the com port", "xonxoff"};
    if (c.baud) expected.push_back("baud " + std::to_string(*c.baud));
    expected.push_back("port " + std::to_string(c.port_number));
    expected.push_back("open");
    const auto& entries = rig.log.Entries();
    std::vector<std::string> start;
    for (std::size_t i = 0; i < expected.size() && i < entries.size(); ++i) {
      start.push_back(entries[i].what);
    }
    EXPECT_EQ(start, expected) << c.baud_index;
  }
}

TEST_F(DownloadTest, CancelOfAnEarlierDownloadDoesNotCarryOver) {
  SelectFlash(temp.Write("app.hex", ":00000001FF\r\n"));
  Bootloader("1.30", ":00000001FF");
  state.CancelRequested = true;  // left over from a cancelled download
  downloader.Command2_Click();
  EXPECT_EQ(Dialogs(), (std::vector<std::string>{"message Flash File successfully downloaded."}));
  ExpectClosedAndIdle();

  downloader.Command4_Click();
  EXPECT_TRUE(state.CancelRequested);
  EXPECT_EQ(log.With("disable cancel").size(), 1u);
}

}  // namespace
}  // namespace tarnwick::testing
