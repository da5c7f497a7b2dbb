// The whole download routine against a target, a user and a machine that the fuzz input
// plays: every run must end in one of the known endings, with nothing left open or busy, and
// on success every line of the files on the wire.
//
// Input layout, read from the front (see the seeds in corpus/download_fuzzer/); past its end
// every byte reads as 0 and every text as empty:
//   flags        bit 0 wait mode; bits 1-2 and 3-4 the application and EEPROM check states
//                (value % 3); bit 5 protocol settings follow; bit 6 the port cannot be
//                opened; bit 7 noise follows
//   paths        low nibble the application path, high nibble the EEPROM path:
//                1 empty, 2 one character, 3 a missing file, 4 a folder, else the file
//   indexes      port index and baud index, one byte each (value % 12 - 1)
//   [settings]   ten protocol settings: length byte (% 4), then that many alphabet bytes
//   [noise]      character, rate byte (bytes a second / 8)
//   files        application then EEPROM content: 16-bit little-endian length, bytes
//   fault        kind byte (% 6: none, the n-th write fails, the n-th read fails, the baud
//                rate is refused, a window method refuses once from pump n, the adapter is
//                pulled at pump n), 16-bit n, window method byte
//   replies      16-bit length, then records: delay byte, length byte (% 32), bytes. The
//                first record arrives on its own before the download; each write to the port
//                takes the next one as its answer
//   user         the rest: records of a pump-count byte (% 64), after which many pumps the
//                action byte (% 16, see Act) takes effect, with its arguments; when they run
//                out, Cancel

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "core/download/downloader.h"
#include "core/settings/protocol_settings.h"
#include "tests/core/download/event_log.h"
#include "tests/core/download/fake_clock.h"
#include "tests/core/download/fake_target.h"
#include "tests/core/download/fake_view.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/open_files.h"

namespace tarnwick {
namespace {

namespace fs = std::filesystem;

struct Reader {
  std::string_view data;

  std::string_view Take(std::size_t size) {
    const std::string_view taken = data.substr(0, size);
    data.remove_prefix(taken.size());
    return taken;
  }
  std::string Text(std::size_t size) { return std::string(Take(size)); }
  std::uint8_t Byte() { return data.empty() ? 0 : static_cast<std::uint8_t>(Take(1)[0]); }
  std::uint16_t Word() {
    const std::uint16_t low = Byte();
    return static_cast<std::uint16_t>(low | (Byte() << 8));
  }
};

// Protocol settings are drawn from the characters the exchange uses, and never hold a line
// end, so every line end on the wire would have come from a download file.
std::string SettingText(Reader& in) {
  static constexpr std::string_view kAlphabet = "?^$@&~%#-*V!1.x ";
  std::string text;
  for (int n = in.Byte() % 4; n > 0; --n) text += kAlphabet[in.Byte() % kAlphabet.size()];
  return text;
}

std::string& ProtocolText(DownloadSettings& s, std::uint8_t which) {
  return s.*kProtocolSettings[which % kProtocolSettings.size()].field;
}

// The lines that a download sends from a file, as the file reader splits them.
std::vector<std::string> NonEmptyLines(const std::string& content) {
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; start < content.size(); start = end + 1) {
    end = std::min(content.find('\n', start), content.size());
    std::string line = content.substr(start, end - start);
    if (line.ends_with('\r')) line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// Every message a download may end with, with its icon, but for "Error opening <path>.".
const std::set<std::string> kKnown = {
    "message Select Application file to download.",
    "message Select EEPROM file to download.",
    "message No response from target bootloader.",
    "message Embedded Bootloader Version does not support EEPROM write.",
    "message Check box to download code.",
    "message Error encountered while downloading file.",
    "message Error encountered while downloading file.  No response from bootloader at end of "
    "file.",
    "warning Error encountered while accessing the com port.",
    "warning Error encountered while downloading the firmware file.",
    "warning Error encountered while closing the com port."};
const std::string kEepromFailed = "message Error encountered while downloading the EEPROM file. ";
// The success message for each file selection (1 application, 2 EEPROM, 3 both).
const std::string kSuccesses[] = {"", "message Flash File successfully downloaded.",
                                  "message EEPROM File successfully downloaded.",
                                  "message Flash & EEPROM Files successfully downloaded."};

class FuzzedDownload {
 public:
  FuzzedDownload(std::string_view data, const fs::path& folder) : in_{data}, folder_(folder) {
    window_.Attach(downloader_);
    window_.on_pump = [this] { OnPump(); };
    window_.await_port = [this](std::int64_t until_ms) { target_.WaitUntil(until_ms); };
    const std::uint8_t flags = in_.Byte(), paths = in_.Byte();
    DownloadSettings& s = window_.settings;
    wait_mode_ = (flags & 1) != 0;
    s.FlashSelected = static_cast<std::int16_t>(((flags >> 1) & 3) % 3);
    s.EepromSelected = static_cast<std::int16_t>(((flags >> 3) & 3) % 3);
    selection_ = (s.FlashSelected != 0 ? 1 : 0) + (s.EepromSelected != 0 ? 2 : 0);
    s.FlashFile = PathFor(paths & 0x0F, "app.hex");
    s.EepromFile = PathFor(paths >> 4, "data.eep");
    s.PortIndex = static_cast<std::int16_t>(in_.Byte() % 12 - 1);
    s.BaudIndex = static_cast<std::int16_t>(in_.Byte() % 12 - 1);
    for (std::uint8_t which = 0; which < 10 && (flags & 0x20); ++which) {
      ProtocolText(s, which) = SettingText(in_);
    }
    if (flags & 0x40) target_.Fail("open");
    if (flags & 0x80) {
      const char noise = static_cast<char>(in_.Byte());
      target_.StreamNoise(noise, std::max(1, in_.Byte() * 8));
    }
    flash_ = in_.Text(std::min<std::uint16_t>(in_.Word(), 4096));
    eeprom_ = in_.Text(std::min<std::uint16_t>(in_.Word(), 4096));
    std::ofstream(folder_ / "app.hex", std::ios::binary | std::ios::trunc) << flash_;
    std::ofstream(folder_ / "data.eep", std::ios::binary | std::ios::trunc) << eeprom_;

    // Message boxes and the Cancel button's own change are left out of the window's
    // refusals: a refusal there is not a failure that the download could report.
    static constexpr const char* kRefusing[] = {
        "CurrentSettings", "status", "lines", "version", "show",
        "timer3",          "focus",  "busy",  "idle",    "AwaitEvents"};
    fault_ = in_.Byte() % 6;
    const std::uint16_t when = in_.Word();
    refusing_ = kRefusing[in_.Byte() % std::size(kRefusing)];
    if (fault_ == 1) target_.Fail("write", when % 64 + 1);
    if (fault_ == 2) target_.Fail("input", when % 256 + 1);
    if (fault_ == 3) target_.Fail("baud");
    if (fault_ >= 4) fault_at_pump_ = when % 4096;
    if (fault_at_pump_ == 0) ApplyTimedFault();

    replies_.data = in_.Take(in_.Word());
    target_.after_write = [this] { ScheduleNextReply(); };
    target_.ms_per_look = 1;
    ScheduleNextReply();  // what the target sends before the download begins
  }

  void RunAndCheck() {
    const int files_open_before = testing::OpenFileCount();
    wait_mode_ ? downloader_.Start(Mode::kWait) : downloader_.Start(Mode::kJump);
    FUZZ_CHECK(testing::OpenFileCount() == files_open_before, "files left open after the download");
    FUZZ_CHECK(!target_.open, "the port is left open");
    // Busy at most once and idle at the end, and nothing written while idle.
    const std::vector<std::string> states = log_.Only({"busy", "idle", "write "});
    const auto busy = std::count(states.begin(), states.end(), "busy");
    FUZZ_CHECK(busy <= 1, "the window was made busy %ld times", static_cast<long>(busy));
    const auto last_idle = std::find(states.rbegin(), states.rend(), "idle");
    FUZZ_CHECK(busy == 0 || last_idle != states.rend(), "the download ended with the window busy");
    FUZZ_CHECK(busy == 1 || target_.writes.empty(), "the port was written while idle");
    FUZZ_CHECK(
        std::none_of(states.rbegin(), last_idle, [](const std::string& e) { return e != "idle"; }),
        "the window was busy or the port written after the window became idle");
    CheckMessages();
    FUZZ_CHECK(std::ranges::none_of(target_.writes, [](auto& w) { return w.find('\n') != w.npos; }),
               "a line end was sent");
  }

 private:
  // The delay is up to a second in 5 ms steps, or up to five and a half seconds in 100 ms
  // steps, so that answers come both inside and after the three-second waits.
  void ScheduleNextReply() {
    const std::uint8_t code = replies_.Byte();
    std::string text = replies_.Text(replies_.Byte() % 32);
    if (!text.empty()) target_.SendAfter(code < 200 ? code * 5 : (code - 200) * 100, text);
  }

  std::string PathFor(std::uint8_t choice, const char* name) const {
    const std::string unusual[] = {"", "x", (folder_ / "missing.hex").string(), folder_.string()};
    return choice >= 1 && choice <= 4 ? unusual[choice - 1] : (folder_ / name).string();
  }

  void ApplyTimedFault() {
    if (fault_ == 4) window_.Fail(refusing_);
    if (fault_ == 5) PullAdapter();  // every later operation fails
  }
  void PullAdapter(bool closed_by_window = false) {
    if (closed_by_window && target_.open) target_.Close();
    target_.open = false;
    port_taken_away_ = true;
  }

  void OnPump() {
    if (fault_at_pump_ > 0 && --fault_at_pump_ == 0) ApplyTimedFault();
    FUZZ_CHECK(!cancelled_ || ++pumps_after_cancel_ < 10'000,
               "the download goes on waiting after Cancel");
    if (pumps_to_action_ > 0) return void(--pumps_to_action_);
    // A user with nothing more to do ends a download that would wait forever.
    if (action_ < 0 && in_.data.empty()) return Cancel();
    if (action_ < 0) {
      pumps_to_action_ = in_.Byte() % 64;
      action_ = in_.Byte();
      if (pumps_to_action_ > 0) return;
    }
    Act(static_cast<std::uint8_t>(std::exchange(action_, -1)));
  }

  void Act(std::uint8_t action) {
    const int kind = action % 16;  // the kinds past 8 do nothing
    if (kind == 0 || kind == 7) Cancel();
    if (kind == 1) window_.settings = DownloadSettings{};  // Default All Settings
    if (kind == 2) {  // Open of a settings file that differs in one protocol setting
      const std::uint8_t which = in_.Byte();
      ProtocolText(window_.settings, which) = SettingText(in_);
    }
    // The about window, open for a while: the download halts meanwhile.
    if (kind == 3) clock_.now_ms += in_.Byte() * 100;
    for (const char* name : {"app.hex", "data.eep"}) {
      if (kind == 4) fs::remove(folder_ / name);
    }
    if (kind == 5) {  // the wall clock is set forward or back
      const std::uint8_t jump = in_.Byte();
      clock_.now_ms += ((jump & 0x80) ? -60'000 : 60'000) * (jump & 0x7F);
    }
    // The adapter pulled out, or Exit: the window closes the port under the download.
    if (kind == 6 || kind == 7) PullAdapter(kind == 7);
    for (std::uint8_t bits = kind == 8 ? in_.Byte() : 0, n = 0; kind == 8 && n < 4; ++n) {
      answers_.push_back(((bits >> n) & 1) == 0);  // to the next four questions
      window_.answers.push_back(answers_.back());
    }
  }

  void Cancel() {
    if (cancelled_) return;  // the button is disabled after one click
    cancelled_ = true;
    downloader_.Cancel();
  }

  void CheckMessages() const {
    const std::vector<std::string> messages = log_.Only({"message ", "warning "});
    for (std::string text : messages) {
      // An EEPROM file that ended with errors is named before the application file's result,
      // which is then worded as for that file alone.
      int selection = selection_;
      if (selection_ == 3 && text.starts_with(kEepromFailed)) {
        text = "message " + text.substr(kEepromFailed.size());
        selection = 1;
      }
      const auto success = std::find(kSuccesses + 1, std::end(kSuccesses), text);
      FUZZ_CHECK(kKnown.contains(text) || success != std::end(kSuccesses) ||
                     (text.starts_with("warning Error opening ") && text.ends_with(".")),
                 "unknown message: %s", text.c_str());
      if (success == std::end(kSuccesses)) continue;
      FUZZ_CHECK(success - kSuccesses == selection, "%s for selection %d", text.c_str(),
                 selection_);
      // Every line reached the target, in file order; a line may have gone out more than once.
      auto write = target_.writes.begin();
      const std::string sent =
          ((selection & 2) ? eeprom_ + "\n" : "") + ((selection & 1) ? flash_ : "");
      for (const std::string& line : NonEmptyLines(sent)) {
        write = std::find(write, target_.writes.end(), line);
        FUZZ_CHECK(write != target_.writes.end(), "success without the line %s", line.c_str());
        ++write;
      }
    }
    // A failure gives its reason for the log, once, before its message.
    const std::vector<std::string> reasons = log_.Only({"reason "});
    const bool warned = std::ranges::any_of(
        messages, [](const std::string& text) { return text.starts_with("warning "); });
    FUZZ_CHECK(reasons.size() <= 1 && (reasons.size() == 1 || !warned),
               "%zu reasons given; a warning shown: %d", reasons.size(), warned ? 1 : 0);

    // The answers the download took, in the order they were given.
    const std::size_t taken = answers_.size() - window_.answers.size();
    const bool answered_no = std::count(answers_.begin(), answers_.begin() + taken, false) > 0;
    FUZZ_CHECK(!messages.empty() || cancelled_ || answered_no,
               "the download ended silently, though nobody stopped it");
    // A second message is a failure to clean up after a fault.
    FUZZ_CHECK(
        messages.size() <= 1 || (messages.size() == 2 && messages[1].starts_with("warning ") &&
                                 (fault_ != 0 || port_taken_away_)),
        "%zu messages at the end of one download", messages.size());

    // A question names a line by its position among the non-empty lines of its file.
    const std::size_t most = std::max(NonEmptyLines(flash_).size(), NonEmptyLines(eeprom_).size());
    const std::regex question(R"(.* line ([0-9]+)\. Continue with download\?)");
    for (const std::string& text : log_.With("ask ")) {
      std::smatch number;
      FUZZ_CHECK(std::regex_match(text, number, question), "unknown question: %s", text.c_str());
      const unsigned long n = std::strtoul(number[1].str().c_str(), nullptr, 10);
      FUZZ_CHECK(n >= 1 && n <= most, "line %lu of a file of %zu lines", n, most);
    }
  }

  Reader in_;
  fs::path folder_;
  testing::FakeClock clock_;
  testing::EventLog log_{clock_};
  testing::FakeTarget target_{clock_, log_};
  Reader replies_;  // each write is answered by the next of these instead of the target's rules
  testing::FakeView window_{clock_, log_};
  Downloader downloader_{target_, clock_, window_};

  std::string flash_, eeprom_;
  bool wait_mode_ = false;
  int selection_ = 0;  // 1 application, 2 EEPROM, 3 both
  int fault_ = 0;
  int fault_at_pump_ = -1;  // pumps until the timed fault; -1: none due
  const char* refusing_ = "";
  int pumps_to_action_ = 0, action_ = -1, pumps_after_cancel_ = 0;
  std::vector<bool> answers_;
  bool cancelled_ = false, port_taken_away_ = false;
};

}  // namespace
}  // namespace tarnwick

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One folder for the download files of every run, removed when the fuzzer ends.
  static const std::filesystem::path folder = [] {
    std::string name = (std::filesystem::temp_directory_path() / "tarnwick-fuzz-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) std::abort();
    return std::filesystem::path(name);
  }();
  static const struct Remover {
    ~Remover() { std::filesystem::remove_all(folder); }
  } remover;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  tarnwick::FuzzedDownload(input, folder).RunAndCheck();
  return 0;
}
