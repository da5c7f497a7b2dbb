// How a fuzzed download may end: one of the known endings, with the window idle, the port
// closed, the download file closed, and on success every line of the files on the wire.

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/fuzzed_download.h"

namespace tarnwick::fuzzing {

namespace {

const std::set<std::string> kNotices = {
    "Select Application file to download.",
    "Select EEPROM file to download.",
    "No response from target bootloader.",
    "Embedded Bootloader Version does not support EEPROM write.",
    "Check box to download code.",
    "Error encountered while downloading file.",
    "Error encountered while downloading file.  No response from bootloader at end of file.",
};

// The success message for each file selection (1 application, 2 EEPROM, 3 both).
const std::vector<std::string> kSuccesses = {
    "",
    "Flash File successfully downloaded.",
    "EEPROM File successfully downloaded.",
    "Flash & EEPROM Files successfully downloaded.",
};

const std::set<std::string> kFailures = {
    "Error encountered while accessing the com port.",
    "Error encountered while downloading the firmware file.",
    "Error encountered while closing the com port.",
};

bool IsFailure(const std::string& text) {
  return kFailures.count(text) != 0 || (text.starts_with("Error opening ") && text.ends_with("."));
}

// The lines that a download sends from a file, as the file reader splits them.
std::vector<std::string> NonEmptyLines(const std::string& content) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t end = std::min(content.find('\n', start), content.size());
    std::string line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> Exactly(const std::vector<std::string>& entries,
                                 std::initializer_list<std::string_view> names) {
  std::vector<std::string> found;
  for (const std::string& entry : entries) {
    if (std::find(names.begin(), names.end(), entry) != names.end()) found.push_back(entry);
  }
  return found;
}

}  // namespace

int OpenFileCount() {
  std::error_code error;
  const auto entries = std::filesystem::directory_iterator("/proc/self/fd", error);
  FUZZ_CHECK(!error, "cannot list /proc/self/fd");
  return static_cast<int>(std::distance(entries, std::filesystem::directory_iterator()));
}

void FuzzedDownload::CheckEnding(int files_open_before) const {
  FUZZ_CHECK(OpenFileCount() == files_open_before, "files left open after the download");
  FUZZ_CHECK(!target_.open, "the port is left open");

  std::vector<std::string> entries;
  for (const auto& entry : log_.Entries()) entries.push_back(entry.what);
  const std::vector<std::string> states = Exactly(entries, {"busy", "idle"});
  const auto busy = std::count(states.begin(), states.end(), "busy");
  FUZZ_CHECK(busy <= 1, "the window was made busy %ld times", static_cast<long>(busy));
  if (busy == 1) {
    FUZZ_CHECK(states.back() == "idle", "the download ended with the window busy");
    FUZZ_CHECK(view_.files_open_when_idle == files_open_before,
               "the download file was still open when the window became idle");
    const auto last_idle = std::find(entries.rbegin(), entries.rend(), "idle");
    FUZZ_CHECK(std::none_of(entries.rbegin(), last_idle,
                            [](const std::string& e) { return e.starts_with("write "); }),
               "the port was written after the window became idle");
  } else {
    FUZZ_CHECK(target_.writes.empty(), "the port was written while the window was idle");
  }

  std::vector<std::string> messages;
  for (const std::string& entry : entries) {
    if (entry.starts_with("message ")) {
      messages.push_back(entry.substr(8));
      const std::string& text = messages.back();
      const bool known =
          kNotices.count(text) != 0 ||
          std::find(kSuccesses.begin() + 1, kSuccesses.end(), text) != kSuccesses.end();
      FUZZ_CHECK(known, "unknown message without icon: %s", text.c_str());
    } else if (entry.starts_with("warning ")) {
      messages.push_back(entry.substr(8));
      FUZZ_CHECK(IsFailure(messages.back()), "unknown warning: %s", messages.back().c_str());
    }
  }

  const bool faults = fault_kind_ != 0 || port_taken_away_;
  if (messages.empty()) {
    FUZZ_CHECK(cancel_clicked_ || view_.answered_no,
               "the download ended without a message, though nobody stopped it");
  } else if (messages.size() == 2) {
    FUZZ_CHECK(faults && IsFailure(messages[1]), "two messages: %s / %s", messages[0].c_str(),
               messages[1].c_str());
  } else {
    FUZZ_CHECK(messages.size() == 1, "%zu messages at the end of one download", messages.size());
  }

  for (const std::string& text : messages) {
    const auto success = std::find(kSuccesses.begin() + 1, kSuccesses.end(), text);
    if (success == kSuccesses.end()) continue;
    FUZZ_CHECK(success - kSuccesses.begin() == file_selection_, "%s for selection %d", text.c_str(),
               file_selection_);
    std::string sent;
    if (file_selection_ & 2) sent += eeprom_content_ + "\n";
    if (file_selection_ & 1) sent += flash_content_;
    CheckLinesSent(sent);
  }
  CheckPrompts();

  for (const std::string& written : target_.writes) {
    FUZZ_CHECK(written.find('\n') == std::string::npos, "a line end was sent");
  }
}

// Every line reached the target, in file order; a line may have gone out more than once.
void FuzzedDownload::CheckLinesSent(const std::string& content) const {
  auto write = target_.writes.begin();
  for (const std::string& line : NonEmptyLines(content)) {
    write = std::find(write, target_.writes.end(), line);
    FUZZ_CHECK(write != target_.writes.end(), "a success without sending the line \"%s\"",
               line.c_str());
    ++write;
  }
}

// A line is named by its position among the non-empty lines of its file.
void FuzzedDownload::CheckPrompts() const {
  const std::size_t most_lines =
      std::max(NonEmptyLines(flash_content_).size(), NonEmptyLines(eeprom_content_).size());
  for (const auto& entry : log_.Entries()) {
    if (!entry.what.starts_with("ask ")) continue;
    const std::string question = entry.what.substr(4);
    const std::size_t at = question.find(" line ");
    const std::size_t end = question.rfind(". Continue with download?");
    FUZZ_CHECK(at != std::string::npos && end != std::string::npos && end > at + 6,
               "unknown question: %s", question.c_str());
    const std::string number = question.substr(at + 6, end - at - 6);
    FUZZ_CHECK(number.find_first_not_of("0123456789") == std::string::npos, "line number %s",
               number.c_str());
    const unsigned long n = std::strtoul(number.c_str(), nullptr, 10);
    FUZZ_CHECK(n >= 1 && n <= most_lines, "line %lu of a file of %zu lines", n, most_lines);
  }
}

}  // namespace tarnwick::fuzzing
