#include "tests/fuzz/fuzzed_download.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>

#include "tests/fuzz/fuzz_check.h"

namespace tarnwick::fuzzing {

namespace {

namespace fs = std::filesystem;

// Protocol settings are drawn from the characters the exchange uses, and never hold a line
// end, so every line end on the wire would have come from a download file.
constexpr std::string_view kSettingAlphabet = "?^$@&~%#-*V!1.x ";

constexpr std::uint16_t kMaxFileBytes = 4096;

std::string SettingText(FrontReader& in) {
  std::string text;
  for (int n = in.Byte() % 4; n > 0; --n) {
    text += kSettingAlphabet[in.Byte() % kSettingAlphabet.size()];
  }
  return text;
}

std::string& ProtocolSetting(DownloadSettings& s, std::uint8_t which) {
  const std::array<std::string*, 10> fields = {&s.JumpCommand,         &s.ActiveCharacter,
                                               &s.StartSequence,       &s.ReadyCharacter,
                                               &s.EepromWriteCommand,  &s.LineCompleteCharacter,
                                               &s.PageErrorCharacter,  &s.ChecksumErrorCharacter,
                                               &s.FileErrorsCharacter, &s.FileOkCharacter};
  return *fields[which % fields.size()];
}

std::string PathFor(std::uint8_t choice, const fs::path& folder, const char* name) {
  switch (choice) {
    case 1:
      return "";
    case 2:
      return "x";
    case 3:
      return (folder / "missing.hex").string();
    case 4:
      return folder.string();
    default:
      return (folder / name).string();
  }
}

// The window methods that may refuse once. Message boxes and the Cancel button's own change
// are left out: a refusal there is not a failure that the download could report.
constexpr std::array<const char*, 10> kRefusingMethods = {
    "CurrentSettings", "status", "lines", "version", "show",
    "timer3",          "focus",  "busy",  "idle",    "PumpEvents"};

enum FaultKind : std::uint8_t {
  kNoFault,
  kWriteFails,     // the n-th write fails
  kReadFails,      // the n-th read fails
  kRateRefused,    // the port refuses the baud rate
  kWindowRefuses,  // a window method refuses once, from pump n on (0: from the start)
  kDeviceGone,     // the adapter is pulled out at pump n
  kFaultKinds
};

enum UserAction : std::uint8_t {
  kCancel,
  kDefaultAllSettings,
  kEditSetting,  // "&Open" of a settings file that differs in one protocol setting
  kInfo,         // the about window, open for a while; the download halts meanwhile
  kDeleteFiles,
  kClockJump,  // the wall clock is set forward or back
  kPullAdapter,
  kExit,  // the window closes: the download is cancelled and the port closed under it
  kAnswers,
  // the other values of the action byte do nothing
};

}  // namespace

FuzzedDownload::FuzzedDownload(std::string_view input, const fs::path& folder)
    : input_(input), folder_(folder) {
  window_.Attach(downloader_);
  window_.on_pump = [this] { OnPump(); };
  ReadSettings();
  WriteFiles();
  ReadFault();
  replies_ = input_.Section(input_.Word());
  port_.ScheduleNextReply();  // what the target sends before the download begins
  user_ = input_;
}

void FuzzedDownload::ReadSettings() {
  const std::uint8_t flags = input_.Byte();
  const std::uint8_t paths = input_.Byte();
  DownloadSettings& s = window_.settings;
  wait_mode_ = (flags & 1) != 0;
  s.FlashSelected = static_cast<std::int16_t>(((flags >> 1) & 3) % 3);
  s.EepromSelected = static_cast<std::int16_t>(((flags >> 3) & 3) % 3);
  file_selection_ = (s.FlashSelected != 0 ? 1 : 0) + (s.EepromSelected != 0 ? 2 : 0);
  s.FlashFile = PathFor(paths & 0x0F, folder_, "app.hex");
  s.EepromFile = PathFor(paths >> 4, folder_, "data.eep");
  s.PortIndex = static_cast<std::int16_t>(input_.Byte() % 12 - 1);
  s.BaudIndex = static_cast<std::int16_t>(input_.Byte() % 12 - 1);
  if (flags & 0x20) {
    for (std::uint8_t which = 0; which < 10; ++which) {
      ProtocolSetting(s, which) = SettingText(input_);
    }
  }
  if (flags & 0x40) target_.Fail("open");
  if (flags & 0x80) {
    const char noise = static_cast<char>(input_.Byte());
    target_.StreamNoise(noise, std::max(1, input_.Byte() * 8));
  }
}

void FuzzedDownload::WriteFiles() {
  flash_content_ = input_.Text(std::min(input_.Word(), kMaxFileBytes));
  eeprom_content_ = input_.Text(std::min(input_.Word(), kMaxFileBytes));
  std::ofstream(folder_ / "app.hex", std::ios::binary | std::ios::trunc) << flash_content_;
  std::ofstream(folder_ / "data.eep", std::ios::binary | std::ios::trunc) << eeprom_content_;
}

void FuzzedDownload::ReadFault() {
  fault_kind_ = input_.Byte() % kFaultKinds;
  const std::uint16_t when = input_.Word();
  refusing_method_ = kRefusingMethods[input_.Byte() % kRefusingMethods.size()];
  switch (fault_kind_) {
    case kWriteFails:
      target_.Fail("write", when % 64 + 1);
      break;
    case kReadFails:
      target_.Fail("input", when % 256 + 1);
      break;
    case kRateRefused:
      target_.Fail("baud");
      break;
    case kWindowRefuses:
    case kDeviceGone:
      fault_armed_ = true;
      fault_at_pump_ = when % 4096;
      if (fault_at_pump_ == 0) ApplyTimedFault();
      break;
  }
}

void FuzzedDownload::ApplyTimedFault() {
  fault_armed_ = false;
  if (fault_kind_ == kWindowRefuses) {
    window_.Fail(refusing_method_);
  } else {
    target_.open = false;  // every later operation fails, as on a vanished adapter
    port_taken_away_ = true;
  }
}

void FuzzedDownload::OnPump() {
  ++pumps_;
  if (fault_armed_ && pumps_ >= fault_at_pump_) ApplyTimedFault();
  if (cancel_clicked_) {
    FUZZ_CHECK(++pumps_after_cancel_ < 10'000, "the download goes on waiting after Cancel");
  }
  if (pumps_to_next_action_ > 0) {
    --pumps_to_next_action_;
    return;
  }
  if (next_action_) {
    Act(*std::exchange(next_action_, std::nullopt));
  } else if (user_.Empty()) {
    ClickCancel();  // a user with nothing more to do ends a download that would wait forever
  } else {
    pumps_to_next_action_ = user_.Byte() % 64;
    next_action_ = user_.Byte();
    if (pumps_to_next_action_ == 0) Act(*std::exchange(next_action_, std::nullopt));
  }
}

void FuzzedDownload::Act(std::uint8_t action) {
  switch (static_cast<UserAction>(action % 16)) {
    case kCancel:
      ClickCancel();
      break;
    case kDefaultAllSettings:
      window_.settings = DownloadSettings{};
      break;
    case kEditSetting: {
      const std::uint8_t which = user_.Byte();
      ProtocolSetting(window_.settings, which) = SettingText(user_);
      break;
    }
    case kInfo:
      clock_.now_ms += user_.Byte() * 100;
      break;
    case kDeleteFiles:
      fs::remove(folder_ / "app.hex");
      fs::remove(folder_ / "data.eep");
      break;
    case kClockJump: {
      const std::uint8_t jump = user_.Byte();
      clock_.now_ms += ((jump & 0x80) ? -60'000 : 60'000) * (jump & 0x7F);
      break;
    }
    case kPullAdapter:
      target_.open = false;
      port_taken_away_ = true;
      break;
    case kExit:
      ClickCancel();
      if (target_.open) target_.Close();
      port_taken_away_ = true;
      break;
    case kAnswers:
      for (std::uint8_t bits = user_.Byte(), n = 0; n < 4; ++n) {
        window_.answers.push_back(((bits >> n) & 1) == 0);
      }
      break;
    default:
      break;
  }
}

void FuzzedDownload::ClickCancel() {
  if (cancel_clicked_) return;  // the button is disabled after one click
  cancel_clicked_ = true;
  downloader_.Command4_Click();
}

void FuzzedDownload::RunAndCheck() {
  const int files_open_before = OpenFileCount();
  if (wait_mode_) {
    downloader_.Command6_Click();
  } else {
    downloader_.Command2_Click();
  }
  // To see what an input does: TARNWICK_FUZZ_TRACE=1 download_fuzzer <input file>
  if (std::getenv("TARNWICK_FUZZ_TRACE") != nullptr) {
    for (const auto& entry : log_.Entries()) {
      std::fprintf(stderr, "%8lld %s\n", static_cast<long long>(entry.ms), entry.what.c_str());
    }
  }
  CheckEnding(files_open_before);
}

}  // namespace tarnwick::fuzzing
