#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "core/download/downloader.h"
#include "tests/core/download/event_log.h"
#include "tests/core/download/fake_clock.h"
#include "tests/core/download/fake_target.h"
#include "tests/core/download/fake_view.h"

namespace tarnwick::testing {

// A folder of its own under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    const auto name = "tarnwick-download-" + std::to_string(std::random_device{}()) + "-" +
                      std::to_string(counter++);
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

  // Writes `content` byte for byte to a new file and returns its path.
  std::string Write(const std::string& name, const std::string& content) const {
    const auto file = path_ / name;
    std::ofstream(file, std::ios::binary) << content;
    return file.string();
  }

 private:
  std::filesystem::path path_;
};

// A download wired to the scripted target, the fake window and the fake clock. With the
// default settings it runs in jump mode against "Com 1" at 19200 baud.
struct Rig {
  Rig() { view.Attach(downloader); }

  // A bootloader that answers the default request with "?V" + version, accepts every line
  // with "~", and answers `last_line` with "~" and then `file_verdict` 50 ms later.
  void Bootloader(const std::string& version, const std::string& last_line = "",
                  const std::string& file_verdict = "@") {
    target.Answer("$@&$", {{{10, "?V" + version}}});
    target.AnswerOthers({{5, "~"}});
    if (!last_line.empty()) target.Answer(last_line, {{{5, "~"}, {50, file_verdict}}});
  }
  void SelectFlash(const std::string& path) {
    view.settings.FlashSelected = 1;
    view.settings.FlashFile = path;
  }
  void SelectEeprom(const std::string& path) {
    view.settings.EepromSelected = 1;
    view.settings.EepromFile = path;
  }
  // Messages of every kind, in order: "message ...", "warning ...", "ask ...".
  std::vector<std::string> Dialogs() const { return log.Only({"message ", "warning ", "ask "}); }
  // The download ended with the port closed and the window returned to idle once.
  void ExpectClosedAndIdle() const {
    EXPECT_FALSE(target.open);
    EXPECT_EQ(log.Only({"busy", "idle"}), (std::vector<std::string>{"busy", "idle"}));
  }

  FakeClock clock;
  EventLog log{clock};
  FakeTarget target{clock, log};
  FakeView view{clock, log};
  DownloadState state;
  Downloader downloader{state, target, clock, view};
};

class DownloadTest : public ::testing::Test, public Rig {
 protected:
  TempDir temp;
};

}  // namespace tarnwick::testing
