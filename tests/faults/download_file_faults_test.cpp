// Download files that go wrong or look unusual, against the scripted target: each download
// ends with its message, the window idle, the port closed and no file left open, and
// unusual content reaches the target exactly as it stands in the file.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tests/core/download/download_fixture.h"

namespace tarnwick::testing {
namespace {

namespace fs = std::filesystem;

int OpenFileCount() {
  const fs::directory_iterator entries("/proc/self/fd");
  return static_cast<int>(std::distance(entries, fs::directory_iterator()));
}

std::string Lines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "L\r\n";
  return text;
}

const std::string kFirmwareFailure =
    "warning Error encountered while downloading the firmware file.";

struct FileFault {
  const char* name;
  // Selects the application file and arranges the fault; returns the message expected.
  std::function<std::string(Rig&, const TempDir&)> arrange;
};

TEST(DownloadFileFaults, EachEndsWithItsMessageBeforeAnyLineIsSent) {
  const FileFault faults[] = {
      {"deleted after the selection check",
       [](Rig& rig, const TempDir& temp) {
         rig.SelectFlash(temp.Write("app.hex", Lines(3)));
         rig.view.on_status = [&rig](const std::string& text) {
           if (text == "Initializing the com port") fs::remove(rig.view.settings.FlashFile);
         };
         return "warning Error opening " + rig.view.settings.FlashFile + ".";
       }},
      {"unreadable after the selection check (every read fails with an I/O error)",
       [](Rig& rig, const TempDir& temp) {
         rig.SelectFlash(temp.Write("app.hex", Lines(3)));
         rig.view.on_status = [&rig](const std::string& text) {
           if (text != "Initializing the com port") return;
           fs::remove(rig.view.settings.FlashFile);
           fs::create_symlink("/proc/self/mem", rig.view.settings.FlashFile);
         };
         return kFirmwareFailure;
       }},
      {"a folder given as the file",
       [](Rig& rig, const TempDir& temp) {
         rig.SelectFlash(temp.path().string());
         return "warning Error opening " + temp.path().string() + ".";
       }},
      {"32,768 lines overflow the line count",
       [](Rig& rig, const TempDir& temp) {
         rig.SelectFlash(temp.Write("app.hex", Lines(32'768)));
         return kFirmwareFailure;
       }},
  };
  for (const FileFault& fault : faults) {
    SCOPED_TRACE(fault.name);
    TempDir temp;
    Rig rig;
    rig.Bootloader("1.30");
    const std::string expected = fault.arrange(rig, temp);
    const int files_open = OpenFileCount();

    rig.downloader.Command2_Click();

    EXPECT_EQ(rig.Dialogs(), std::vector<std::string>{expected});
    EXPECT_EQ(rig.target.writes, std::vector<std::string>{"$@&$"});
    rig.ExpectClosedAndIdle();
    EXPECT_EQ(OpenFileCount(), files_open);
  }
}

TEST(DownloadFileFaults, ThirtyTwoThousandSevenHundredSixtySevenLinesAreNoOverflow) {
  TempDir temp;
  Rig rig;
  rig.SelectFlash(temp.Write("app.hex", Lines(32'767)));
  rig.Bootloader("1.30");
  rig.view.CancelOnStatus("Sending FLASH File");

  rig.downloader.Command2_Click();

  EXPECT_EQ(rig.Dialogs(), std::vector<std::string>{});
  EXPECT_EQ(rig.target.writes, (std::vector<std::string>{"$@&$", "L"}));
  EXPECT_EQ(rig.state.TotalLines, 32'766);
  rig.ExpectClosedAndIdle();
}

TEST(DownloadFileFaults, UnusualContentIsSentExactlyAsItStands) {
  const struct {
    const char* name;
    std::string content;
    std::vector<std::string> lines;
  } files[] = {
      {"a single line of 1 MiB without a line end",
       std::string(1 << 20, 'A'),
       {std::string(1 << 20, 'A')}},
      {"binary bytes with NUL",
       std::string("\0\x01\xFF:A\r\n\0\0\r\n\r\n\x80Z\r", 16),
       {std::string("\0\x01\xFF:A", 5), std::string("\0\0", 2), "\x80Z"}},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    TempDir temp;
    Rig rig;
    rig.SelectFlash(temp.Write("app.hex", file.content));
    rig.Bootloader("1.30", file.lines.back());

    rig.downloader.Command2_Click();

    std::vector<std::string> expected = {"$@&$"};
    expected.insert(expected.end(), file.lines.begin(), file.lines.end());
    EXPECT_TRUE(rig.target.writes == expected) << rig.target.writes.size() << " writes";
    EXPECT_EQ(rig.Dialogs(),
              std::vector<std::string>{"message Flash File successfully downloaded."});
    rig.ExpectClosedAndIdle();
  }
}

}  // namespace
}  // namespace tarnwick::testing
