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

// A file that goes, or becomes one whose every read fails, after the selection check, a folder
// and a file of more lines than the count takes end before any line is sent.
TEST(DownloadFileFaults, EachEndsWithItsMessageAndUnusualContentIsSentExactlyAsItStands) {
  enum Fault { kDeleted, kUnreadable, kFolder, kNone };
  std::string overflow;
  for (int n = 32'768; n > 0; --n) overflow += "L\r\n";
  const std::string mib(1 << 20, 'A');
  const char* const kFailed = "warning Error encountered while downloading the firmware file.";
  const char* const kDone = "message Flash File successfully downloaded.";
  const struct {
    const char* name;
    const char* dialog;  // nullptr: "Error opening" the selected path
    Fault fault = kNone;
    std::string content = "L\r\nL\r\nL\r\n";
    std::vector<std::string> lines = {};  // sent after the request
  } files[] = {
      {"deleted", nullptr, kDeleted},
      {"unreadable", kFailed, kUnreadable},
      {"a folder", nullptr, kFolder},
      {"more lines than the count takes", kFailed, kNone, overflow},
      {"a single line of 1 MiB without a line end", kDone, kNone, mib, {mib}},
      {"binary bytes with NUL",
       kDone,
       kNone,
       std::string("\0\x01\xFF:A\r\n\0\0\r\n\r\n\x80Z\r", 16),
       {std::string("\0\x01\xFF:A", 5), std::string("\0\0", 2), "\x80Z"}},
  };
  for (const auto& file : files) {
    SCOPED_TRACE(file.name);
    TempDir temp;
    Rig rig;
    const std::string path = temp.Write("app.hex", file.content);
    rig.SelectFlash(file.fault == kFolder ? temp.path().string() : path);
    rig.Bootloader("1.30", file.lines.empty() ? "" : file.lines.back());
    rig.view.on_status = [&](const std::string& text) {
      if (text != "Initializing the com port" || file.fault > kUnreadable) return;
      fs::remove(path);
      if (file.fault == kUnreadable) fs::create_symlink("/proc/self/mem", path);
    };
    const int files_open = OpenFileCount();

    rig.downloader.Start(Mode::kJump);

    std::vector<std::string> expected = {"$@&$"};
    expected.insert(expected.end(), file.lines.begin(), file.lines.end());
    EXPECT_TRUE(rig.target.writes == expected) << rig.target.writes.size() << " writes";
    const std::string opening = "warning Error opening " + rig.view.settings.FlashFile + ".";
    EXPECT_EQ(rig.Dialogs(), std::vector<std::string>{file.dialog ? file.dialog : opening});
    rig.ExpectClosedAndIdle();
    EXPECT_EQ(OpenFileCount(), files_open);
  }
}

}  // namespace
}  // namespace tarnwick::testing
