#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/download/downloader.h"
#include "tests/core/download/event_log.h"
#include "tests/core/download/fake_clock.h"
#include "tests/core/download/fake_target.h"
#include "tests/core/download/fake_view.h"
#include "tests/fuzz/ending_view.h"
#include "tests/fuzz/front_reader.h"
#include "tests/fuzz/replying_port.h"

namespace tarnwick::fuzzing {

// One whole download whose circumstances all come from a fuzz input: the settings, the two
// download files, what the target answers to each write and when, noise on the line, what the
// user does at each event pump (Cancel, the menus, deleting the files, answers to questions),
// and at most one failing operation of the port or the window.
//
// Input layout, read from the front (see the seeds in corpus/download_fuzzer/):
//   flags        bit 0 wait mode; bits 1-2 and 3-4 the application and EEPROM check states
//                (value % 3); bit 5 protocol settings follow; bit 6 the port cannot be
//                opened; bit 7 noise follows
//   paths        low nibble the application path, high nibble the EEPROM path:
//                1 empty, 2 one character, 3 a missing file, 4 a folder, else the file
//   indexes      port index and baud index, one byte each (value % 12 - 1)
//   [settings]   ten protocol settings: length byte (% 4), then that many alphabet bytes
//   [noise]      character, rate byte (bytes a second / 8)
//   files        application then EEPROM content: 16-bit length, bytes
//   fault        kind byte, 16-bit when, window method byte (see FaultKind in the .cpp)
//   replies      16-bit length, then records: delay byte, length byte (% 32), bytes. The
//                first record arrives on its own before the download; each write to the port
//                takes the next one as its answer
//   user         the rest: records of a pump-count byte (% 64), after which many pumps the
//                action byte (% 16, see UserAction in the .cpp) takes effect, with its
//                arguments; when they run out, Cancel
class FuzzedDownload {
 public:
  // `folder` holds the download files; it exists and outlives the download.
  FuzzedDownload(std::string_view input, const std::filesystem::path& folder);

  // Runs the download to its end and checks how it ended; a broken property aborts.
  void RunAndCheck();

 private:
  void ReadSettings();
  void WriteFiles();
  void ReadFault();
  void ApplyTimedFault();
  void OnPump();
  void Act(std::uint8_t action);
  void ClickCancel();
  void CheckEnding(int files_open_before) const;
  void CheckPrompts() const;
  void CheckLinesSent(const std::string& content) const;

  FrontReader input_;
  FrontReader replies_{""};
  FrontReader user_{""};

  testing::FakeClock clock_;
  testing::EventLog log_{clock_};
  testing::FakeTarget target_{clock_, log_};
  ReplyingPort port_{target_, clock_, replies_};
  testing::FakeView window_{clock_, log_};
  EndingView view_{window_};
  DownloadState state_;
  Downloader downloader_{state_, port_, clock_, view_};

  std::filesystem::path folder_;
  std::string flash_content_;
  std::string eeprom_content_;
  bool wait_mode_ = false;
  int file_selection_ = 0;  // 1 application, 2 EEPROM, 3 both
  std::uint8_t fault_kind_ = 0;
  bool fault_armed_ = false;  // due at pump fault_at_pump_
  int fault_at_pump_ = 0;
  const char* refusing_method_ = "";
  int pumps_ = 0;
  int pumps_to_next_action_ = 0;
  std::optional<std::uint8_t> next_action_;
  bool cancel_clicked_ = false;
  int pumps_after_cancel_ = 0;
  bool port_taken_away_ = false;
};

}  // namespace tarnwick::fuzzing
