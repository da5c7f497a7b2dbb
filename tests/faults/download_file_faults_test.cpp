// Download files that go wrong or look unusual, against the scripted target: each download
// ends with its message, the window idle, the port closed and no file left open, and
// unusual content reaches the target exactly as it stands in the file.

#include <filesystem>
#include <string>
#include <vector>

#include "tests/core/download/download_fixture.h"
#include "tests/support/open_files.h"

namespace tarnwick::testing {
namespace {

namespace fs = std::filesystem;

TEST(DownloadFileFaults, EachEndsWithItsMessageBeforeAnyLineIsSent) {
  enum Fault { kDeleted, kUnreadable, kFolder, kOverflow };
  for (const Fault fault : {kDeleted, kUnreadable, kFolder, kOverflow}) {
    SCOPED_TRACE(fault);
    TempDir temp;
    Rig rig;
    rig.Bootloader("1.30");
    std::string lines;
    for (int n = fault == kOverflow ? 32'768 : 3; n > 0; --n) lines += "L\r\n";
    const std::string file = temp.Write("app.hex", lines);
    rig.SelectFlash(fault == kFolder ? temp.path().string() : file);
    // After the selection check the file goes, or becomes one whose every read fails.
    rig.view.on_status = [&](const std::string& text) {
      if (text != "Initializing the com port" || fault > kUnreadable) return;
      fs::remove(file);
      if (fault == kUnreadable) fs::create_symlink("/proc/self/mem", file);
    };
    const int files_open = OpenFileCount();

    rig.downloader.Start(Mode::kJump);

    const std::string expected =
        fault == kDeleted || fault == kFolder
            ? "warning Error opening " + rig.view.settings.FlashFile + "."
            : "warning Error encountered while downloading the firmware file.";
    EXPECT_EQ(rig.Dialogs(), std::vector<std::string>{expected});
    EXPECT_EQ(rig.target.writes, std::vector<std::string>{"$@&$"});
    rig.ExpectClosedAndIdle();
    EXPECT_EQ(OpenFileCount(), files_open);
  }
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

    rig.downloader.Start(Mode::kJump);

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
