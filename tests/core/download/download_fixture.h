#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "tests/core/download/fake_target.h"
#include "tests/core/download/fake_view.h"

namespace tarnwick::testing {

// A folder of its own under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir() { std::filesystem::create_directories(path_); }
  ~TempDir() { std::filesystem::remove_all(path_, ignored_); }
  const std::filesystem::path& path() const { return path_; }

  // Writes `content` byte for byte to a new file named `name` and returns its path, both in
  // UTF-8 as the engine takes paths. path::string() would give the system's code page on
  // Windows with some standard libraries.
  std::string Write(const std::string& name, const std::string& content) const {
    const std::filesystem::path file = path_ / std::u8string(name.begin(), name.end());
    std::ofstream(file, std::ios::binary) << content;
    const std::u8string utf8 = file.u8string();
    return std::string(utf8.begin(), utf8.end());
  }

 private:
  std::error_code ignored_;
  std::filesystem::path path_ = std::filesystem::temp_directory_path() /
                                ("tarnwick-download-" + std::to_string(std::random_device{}()));
};

// A download wired to the scripted target, the fake window and the fake clock.
struct Rig {
  Rig() {
    view.Attach(downloader);
    view.await_port = [this](std::int64_t until_ms) { target.WaitUntil(until_ms); };
  }

  // A bootloader that answers the default request with "?V" + version, accepts every line
  // with "~", and answers `last_line` with "~" and then the file-ok character 50 ms later.
  void Bootloader(const std::string& version, const std::string& last_line = "") {
    target.replies["$@&$"] = {{{10, "?V" + version}}};
    target.replies[""] = {{{5, "~"}}};
    if (!last_line.empty()) target.replies[last_line] = {{{5, "~"}, {50, "@"}}};
  }
  void SelectFlash(const std::string& path) {
    view.settings.FlashSelected = 1;
    view.settings.FlashFile = path;
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
  Downloader downloader{target, clock, view};
};

}  // namespace tarnwick::testing
