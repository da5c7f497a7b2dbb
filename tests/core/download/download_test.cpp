// The download engine against the scripted target and window: how each download ends, the
// handshake, the version, the stages, the line exchange and the wait for the file's verdict.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/core/download/download_fixture.h"
#include "tests/core/download/largest_allocation.h"

namespace tarnwick::testing {
namespace {

using Texts = std::vector<std::string>;

const std::string kReq = "$@&$";
const std::string kOk = "message Flash File successfully downloaded.";
const std::string kErrors = "message Error encountered while downloading file.";
const std::string kNoEnd = kErrors + "  No response from bootloader at end of file.";
const std::string kNoAnswer = "message No response from target bootloader.";
const std::string kFirmware = "warning Error encountered while downloading the firmware file.";
const std::string kEepromErrors = "message Error encountered while downloading the EEPROM file.";
const Texts kNoFile = {"busy", "close", "idle", "message Check box to download code.", "focus"};
const Texts kSent = {kReq, "L1", "L2"};

// The steps of a download that opened the port and ended with `dialogs`.
Texts Closed(Texts dialogs) {
  dialogs.insert(dialogs.begin(), "busy");
  dialogs.insert(dialogs.end(), {"close", "idle"});
  return dialogs;
}

std::string Ask(const std::string& what, int line) {
  const std::string n = std::to_string(line);
  if (what == "-") return "ask Checksum error at line " + n + ". Continue with download?";
  if (what == "%") return "ask Error writing to flash at line " + n + ". Continue with download?";
  return "ask Did not receive a response after sending line " + n + ". Continue with download?";
}

// A download of the application file "L1", "L2" (with `ticks` 2 or 3 also the EEPROM file
// "E1", "E2") from a bootloader that answers the request with "?V" + `version` and every line
// with "~", the last ones also with "@" 50 ms later.
struct FileRig : Rig {
  explicit FileRig(const std::string& version, int ticks = 1) {
    view.settings.FlashSelected = static_cast<std::int16_t>(ticks & 1);
    view.settings.EepromSelected = static_cast<std::int16_t>(ticks >> 1);
    view.settings.FlashFile = temp.Write("code.hex", "L1\r\nL2\r\n");
    view.settings.EepromFile = temp.Write("data.eep", "E1\r\nE2\r\n");
    Bootloader(version, "L2");
    target.replies["E2"] = target.replies["L2"];
  }
  TempDir temp;
};

using Arrange = std::function<void(FileRig&)>;
const Arrange kNo = [](FileRig& r) { r.view.answers = {false}; };

// An application file of `count` lines, the first "0" and the others empty; Cancel is
// clicked as the first line's verdict arrives.
Arrange Lines(int count) {
  return [=](FileRig& r) {
    r.view.settings.FlashFile = r.temp.Write("big.hex", "0" + std::string(count, '\n'));
    r.target.after_write = [&r] {
      if (r.target.writes.back() == "0") r.view.CancelAt(r.clock.now_ms + 5);
    };
  };
}

// The active character `times` over, 200 ms after each request, then `then`.
std::vector<Reply> Active(int times, Reply then) {
  std::vector<Reply> replies(times, {{200, "^"}});
  replies.push_back(std::move(then));
  return replies;
}

struct Case {
  const char* name;
  const char* version;                                // nullptr: the request gets no answer
  int ticks;                                          // 1 application, 2 EEPROM, 3 both
  std::map<std::string, std::vector<Reply>> replies;  // instead of the bootloader's
  Texts writes;
  Texts steps;  // dialogs, closing and window states, in order
  Arrange arrange = nullptr;
  std::int64_t min_ms = 0, max_ms = 10'000;  // how long the download lasts
  std::int16_t wait_mode = 0;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

// The file selection, the stages by version and the line count.
const Case kSelectionCases[] = {
    // clang-format off
    // The first missing path is named; one character is too short, whatever its bytes.
    {"NoApplicationPath",
     "1.30", 3, {}, {}, {"message Select Application file to download.", "focus"},
     [](FileRig& r) { r.view.settings.FlashFile = "\xC3\xA9"; }},
    {"NoEepromPath", "1.30", 3, {}, {}, {"message Select EEPROM file to download.", "focus"},
     [](FileRig& r) { r.view.settings.EepromFile = "e"; }},
    // A file named beyond ASCII, as a settings file may name it, is found and sent: on Windows
    // its UTF-8 name has to reach the system as UTF-16, not through the code page.
    {"FileNamedBeyondAscii", "1.30", 1, {}, kSent, Closed({kOk}), [](FileRig& r) {
       r.view.settings.FlashFile = r.temp.Write(
           "J\xC3\xBCrgen \xD0\xBF\xD1\x80\xD0\xBE \xE2\x82\xAC.hex", "L1\r\nL2\r\n"); }},
    // The stages by version and selection; "!" announces the application file. An EEPROM
    // file that ended with errors is named, and the application file is still sent.
    {"EepromFileErrorsThenApplication",
     "1.30", 3, {{"E2", {{{5, "~"}, {50, "#"}}}}}, {kReq, "*!", "E1", "E2", "L1", "L2"},
     Closed({kEepromErrors + " Flash File successfully downloaded."})},
    {"EepromFileErrorsApplicationUnanswered",
     "1.30", 3, {{"E2", {{{5, "#"}}}}, {"L2", {{{5, "~"}}}}},
     {kReq, "*!", "E1", "E2", "L1", "L2"}, Closed({kEepromErrors + " " + kNoEnd.substr(8)})},
    {"EepromAloneFromVersion1_3", "1.3", 2, {}, {kReq, "*", "E1", "E2"},
     Closed({"message EEPROM File successfully downloaded."})},
    {"EepromRefusedBelow1_30",
     "1.29", 3, {}, {kReq}, Closed({"disable eeprom", "message Embedded Bootloader Version does "
                                                      "not support EEPROM write."})},
    {"NothingTicked", "1.30", 0, {}, {kReq}, kNoFile},
    // A Cancel left over from an earlier download does not end this one.
    {"EarlierCancelForgotten",
     "1.30", 1, {}, kSent, Closed({kOk}), [](FileRig& r) { r.downloader.Cancel(); }},
    // The line count is 16-bit: 32,768 lines fail before any line is sent.
    {"LinesUpTo32767", "1.30", 1, {}, {kReq, "0"}, Closed({}), Lines(32'767)},
    {"Lines32768Fail", "1.30", 1, {}, {kReq}, Closed({kFirmware}), Lines(32'768)},
    // clang-format on
};

// The handshake: requests, protocol characters, wait mode.
const Case kHandshakeCases[] = {
    // clang-format off
    // Jump mode: three requests about three seconds apart; the active character makes them
    // go on until the bootloader is ready or Cancel is clicked. An empty ready setting is
    // never found.
    {"SilentTargetThreeRequests",
     nullptr, 1, {}, Texts(3, kReq), Closed({kNoAnswer}), nullptr, 6'000, 9'060},
    {"ActiveCharacterKeepsRequesting",
     "1.3", 0, {{kReq, Active(3, {{10, "?V1.3"}})}}, Texts(4, kReq), kNoFile},
    {"ActiveCharacterThenCancel", nullptr, 1, {{kReq, Active(4, {})}}, Texts(5, kReq), Closed({}),
     [](FileRig& r) { r.view.CancelAt(r.clock.now_ms + 2'500); }, 2'500, 2'520},
    {"EmptyReadySettingNeverFound", "1.30", 1, {}, Texts(3, kReq), Closed({kNoAnswer}),
     [](FileRig& r) { r.view.settings.ReadyCharacter = ""; }},
    // Any input ends a wait, and the next request follows as soon as the answer has been
    // quiet for twenty character times (20 ms at the least).
    {"AnyInputEndsAWait",
     nullptr, 1, {{kReq, {{{100, "x"}}}}}, Texts(3, kReq), Closed({kNoAnswer}), nullptr, 360,
     360},
    // Protocol characters go to the line one byte each, and are compared as such; one that
    // has no such byte refuses the download before the port is opened, or fails it when it
    // is chosen during the download.
    {"OneBytePerCharacter", "1.30", 1, {{"\xE9@&$", {{{10, "?V1.30"}}}}, {"", {{{5, "\xB5"}}}},
                 {"L2", {{{5, "\xB5"}, {50, "@"}}}}},
     {"\xE9@&$", "L1", "L2"}, Closed({kOk}), [](FileRig& r) {
       r.view.settings.JumpCommand = "\xC3\xA9";
       r.view.settings.LineCompleteCharacter = "\xC2\xB5"; }},
    {"UnsendableSettingRefused",
     "1.30", 1, {}, {}, {"message The File Complete, No Errors Character setting holds a "
                         "character that cannot be sent as one byte."},
     [](FileRig& r) { r.view.settings.FileOkCharacter = "\xE2\x82\xAC"; }},
    {"UnsendableSettingDuringDownload", "1.30", 1, {}, {kReq}, Closed({kFirmware}), [](FileRig& r) {
       r.view.on_status = [&r](const std::string& text) {
         if (text.starts_with("Sending")) r.view.settings.FileOkCharacter = "\xF0\x9F\x98\x80";
       }; }},
    // Wait mode: what came before the reset and with the active character is no answer.
    {"WaitModeDropsWhatCameBefore",
     "1.41", 0, {{"@&$", {{{10, "?V1.41"}}}}}, {"@&$"}, kNoFile, [](FileRig& r) {
       r.target.SendAfter(0, "^?V9.9");
       r.target.SendAfter(1'000, "?V5^"); }, 1'000, 1'100, 1},
    {"WaitModeNoiseThenCancel", nullptr, 1, {}, {}, Closed({}), [](FileRig& r) {
       r.target.StreamNoise('x', 11'520);
       r.view.CancelAt(r.clock.now_ms + 5'000); }, 5'000, 5'020, 1},
    // clang-format on
};

// The lines: verdicts, retries, prompts.
const Case kLinesCases[] = {
    // clang-format off
    // Retries from 1.28 on, at most three sends, and the three prompts.
    {"ChecksumErrorThreeSends", "1.30", 1, {{"L1", {{{5, "-"}}}}}, {kReq, "L1", "L1", "L1", "L2"},
     Closed({Ask("-", 1), kOk})},
    {"ChecksumErrorThenAccepted",
     "1.30", 1, {{"L1", {{{5, "-"}}, {{5, "~"}}}}}, {kReq, "L1", "L1", "L2"}, Closed({kOk})},
    // Answered at once: what is received by the time a line has been sent counts for it.
    {"PageErrorAnsweredAtOnce",
     "1.30", 1, {{"L1", {{{0, "%"}}}}}, {kReq, "L1"}, Closed({Ask("%", 1)}), kNo},
    {"NoAnswerFrom1_28",
     "1.28", 1, {{"L1", {{}}}}, {kReq, "L1", "L1", "L1"}, Closed({Ask("", 1)}), kNo},
    // Below 1.28 a line's verdict is awaited five 60 ms ticks; one that comes later counts
    // for the next line.
    {"TicksBelow1_28",
     "1.27", 1, {{"L1", {{{230, "-"}, {310, "%"}}}}, {"L2", {{{200, "~"}, {250, "@"}}}}},
     {kReq, "L1", "L2"}, Closed({Ask("-", 1), Ask("%", 2), kOk})},
    // Empty verdict settings never match, also not during the file's wait ("z").
    {"EmptyVerdictsNeverMatch", "1.30", 1, {{"", {{{5, "x"}, {3'500, "z"}}}}, {"L2", {{{5, "x"}}}}},
     {kReq, "L1", "L1", "L1", "L2", "L2", "L2"}, Closed({Ask("", 1), Ask("", 2), kNoEnd}),
     [](FileRig& r) {
       r.view.settings.LineCompleteCharacter = "";
       r.view.settings.FileOkCharacter = ""; }, 14'000, 21'200},
    // Cancel in a line's wait: the two more sends go at once, then the prompt, and the
    // download ends at the line's end.
    {"CancelInALinesWait",
     "1.28", 1, {{"L1", {{{2'500, "~"}}}}}, {kReq, "L1", "L1", "L1"}, Closed({Ask("", 1)}),
     [](FileRig& r) { r.view.CancelOnStatus("Sending"); }, 0, 100},
    // clang-format on
};

// The wait for the file's verdict.
const Case kEndOfFileCases[] = {
    // clang-format off
    // The file's verdict is awaited more than two and at most three seconds; only the
    // file-errors character ends the wait early. Yes to a prompt forgets the answer.
    {"FileOkWaitsFullTime", "1.30", 1, {}, kSent, Closed({kOk}), nullptr, 2'000, 3'200},
    {"NoFileVerdict",
     "1.30", 1, {{"L2", {{{5, "~"}}}}}, kSent, Closed({kNoEnd}), nullptr, 2'000, 3'200},
    {"FileErrorsEndTheWait",
     "1.30", 1, {{"L2", {{{5, "~"}, {50, "#"}}}}}, kSent, Closed({kErrors}), nullptr, 0, 200},
    {"FileOkBeforeErrors",
     "1.30", 1, {{"L2", {{{5, "~"}, {50, "@#"}}}}}, kSent, Closed({kOk}), nullptr, 0, 200},
    {"FileErrorsAsLineVerdict",
     "1.30", 1, {{"L2", {{{5, "#"}}}}}, kSent, Closed({kErrors}), nullptr, 0, 200},
    {"YesForgetsTheAnswer",
     "1.30", 1, {{"L2", {{{5, "-@"}}}}}, kSent, Closed({Ask("-", 2), kNoEnd}), nullptr,
     2'000, 3'200},
    // clang-format on
};

// The failure scopes, and second failures inside their reactions.
const Case kFailuresCases[] = {
    // clang-format off
    // The failure scopes, and second failures inside their reactions.
    {"PortDoesNotOpen",
     "1.30", 1, {}, {}, {"busy", "warning Error encountered while accessing the com port.",
                         "idle failed", "idle"}, [](FileRig& r) {
       r.target.Fail("open");
       r.view.Fail("idle"); }},
    {"WriteFails", "1.30", 1, {}, {kReq, "L1"}, Closed({kFirmware}),
     [](FileRig& r) { r.target.Fail("write", 3); }},
    {"ApplicationFileMissing", "1.30", 3, {}, {kReq, "*!", "E1", "E2"},
     {"busy", "close", "warning Error opening gone.hex.", "idle"},
     [](FileRig& r) { r.view.settings.FlashFile = "gone.hex"; }},
    {"IdleFailsAfterSuccess", "1.30", 1, {}, kSent, {"busy", kOk, "close", "idle failed",
                            "warning Error encountered while closing the com port.", "idle"},
     [](FileRig& r) { r.view.Fail("idle"); }},
    {"CloseFails",
     "1.30", 1, {}, kSent, {"busy", kOk, "idle"}, [](FileRig& r) { r.target.Fail("close"); }},
    {"WarningFails", "1.30", 1, {}, {kReq}, Closed({"warning failed"}), [](FileRig& r) {
       r.target.Fail("write", 2);
       r.view.Fail("warning"); }},
    // clang-format on
};

// Each download sends its lines, shows its messages and closes what it opened.
class Downloads : public ::testing::TestWithParam<Case> {};

TEST_P(Downloads, SendShowAndCloseWhatTheyShould) {
  const Case& c = GetParam();
  FileRig rig(c.version ? c.version : "", c.ticks);
  if (!c.version) rig.target.replies[kReq] = {};
  for (const auto& [written, replies] : c.replies) rig.target.replies[written] = replies;
  if (c.arrange) c.arrange(rig);
  const std::int64_t start = rig.clock.now_ms;
  EXPECT_NO_THROW(rig.downloader.Start(c.wait_mode ? Mode::kWait : Mode::kJump));
  EXPECT_EQ(rig.target.writes, c.writes);
  EXPECT_EQ(rig.log.Only(
                {"busy", "disable eeprom", "message", "warning", "ask", "close", "idle", "focus"}),
            c.steps);
  // Each failure gives its reason, once; a file that did not open is named with the cause.
  const Texts reasons = rig.log.With("reason ");
  EXPECT_EQ(reasons.size(), rig.log.Only({"warning"}).size());
  for (std::string file : rig.log.With("warning Error opening ")) {
    file.pop_back();  // the full stop
    EXPECT_TRUE(!reasons.empty() && reasons.back().starts_with(file + " cannot be opened: "))
        << ::testing::PrintToString(reasons);
  }
  EXPECT_FALSE(rig.target.open);
  const Texts timer3 = rig.log.Only({"timer3"});
  EXPECT_TRUE(timer3.empty() || timer3.back() == "timer3 off");  // no count into a hidden label
  EXPECT_GE(rig.clock.now_ms - start, c.min_ms);
  EXPECT_LE(rig.clock.now_ms - start, c.max_ms);
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  return info.param.name;
}
INSTANTIATE_TEST_SUITE_P(Selection, Downloads, ::testing::ValuesIn(kSelectionCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Handshake, Downloads, ::testing::ValuesIn(kHandshakeCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Lines, Downloads, ::testing::ValuesIn(kLinesCases), CaseName);
INSTANTIATE_TEST_SUITE_P(EndOfFile, Downloads, ::testing::ValuesIn(kEndOfFileCases), CaseName);
INSTANTIATE_TEST_SUITE_P(Failures, Downloads, ::testing::ValuesIn(kFailuresCases), CaseName);

// Three requests about three seconds apart, each named in the status, and the message about
// three seconds later: each wait ends the moment the second turns.
TEST(Download, SilentTargetGetsRequestsThreeSecondsApart) {
  Rig rig;
  rig.view.settings.FlashSelected = 0;
  rig.downloader.Start(Mode::kJump);
  std::vector<std::int64_t> times;
  for (const auto& e : rig.log.Entries()) {
    if (e.what.starts_with("write") || e.what.starts_with("message")) times.push_back(e.ms);
  }
  ASSERT_EQ(times.size(), 4u);
  for (std::size_t i = 1; i < times.size(); ++i) {
    EXPECT_GT(times[i] - times[i - 1], 2'000);
    EXPECT_LE(times[i] - times[i - 1], 3'000);
    EXPECT_EQ(times[i] % 1000, 0);
  }
  EXPECT_EQ(rig.log.Only({"status Requesting"}),
            (std::vector<std::string>{"status Requesting Ack from target bootloader.  Try #1",
                                      "status Requesting Ack from target bootloader.  Try #2",
                                      "status Requesting Ack from target bootloader.  Try #3"}));
}

// The version is the number after the first capital V that follows the ready character, or
// after the first V at all when none follows it. It shows in the label from 1.30 on, and a
// line without an answer is sent three times and then prompted for from 1.28 on, else once
// and without a prompt.
TEST(Download, VersionFromTheReadyAnswer) {
  const struct {
    const char* answer;
    const char* label;
    std::size_t sends;
  } versions[] = {
      // clang-format off
      {"?", "", 1},        {"?V1.27", "", 1},    {"?V1.28", "", 3},
      {"?V1.3", "1.3", 3}, {"?V1.30", "1.3", 3}, {"?V 1.4x", "1.4", 3},
      {"?v1.4", "", 1},    {"?1.4V", "", 1},     {"V2?V1.3", "1.3", 3},
      {"V2?", "2", 3},     {"App Version 2.7^?V1.30", "1.3", 3},
      // clang-format on
  };
  for (const auto& v : versions) {
    SCOPED_TRACE(v.answer);
    FileRig rig("");
    rig.target.replies = {{kReq, {{{10, v.answer}}}}};
    rig.view.answers = {false};
    rig.downloader.Start(Mode::kJump);
    EXPECT_EQ(rig.log.With("version ").back(), std::string("BootLoader Version: ") + v.label);
    EXPECT_EQ(rig.log.Only({"write L1"}).size(), v.sends);
    EXPECT_EQ(rig.Dialogs(), Texts{v.sends == 1 ? kNoEnd : Ask("", 1)});
  }
}

// An application that chatters without end after its active character: what is kept of it
// stays small, yet the requests go on and a ready character chosen only now is found in what
// came long ago. With no V after the ready character the application's own version counts,
// and chatter after it delays the download by no more than about a quarter of a second.
TEST(Download, ChatterAfterTheActiveCharacterIsNotKeptWhole) {
  FileRig rig("");
  rig.target.replies = {{kReq, {{{10, "App V2.7^"}}, {}}}};
  rig.target.StreamNoise('x', 100'000);
  rig.target.SendAfter(5'000, "!");
  const std::int64_t ready_ms = rig.clock.now_ms + 20'000;
  // The user opens a settings file with another ready character.
  rig.view.on_pump = [&rig, ready_ms] {
    if (rig.clock.now_ms >= ready_ms) rig.view.settings.ReadyCharacter = "!";
  };
  rig.view.CancelAt(ready_ms + 5'000);
  rig.view.answers = {false};
  largest_allocation = 0;
  rig.downloader.Start(Mode::kJump);
  EXPECT_LT(largest_allocation, std::size_t{1} << 20);
  const auto label = std::ranges::find_if(rig.log.Entries(), [](const EventLog::Entry& e) {
    return e.what == "version BootLoader Version: 2.7";
  });
  ASSERT_NE(label, rig.log.Entries().end());
  EXPECT_LE(label->ms - ready_ms, 300);
}

// Every line counts towards the lines remaining, empty ones too; only the others are sent,
// counted down (Timer3 shows the count each second) and numbered in prompts.
TEST(Download, LinesAreCountedSentAndNumbered) {
  FileRig rig("1.41", 3);
  rig.view.settings.EepromFile = rig.temp.Write("data.eep", "E1\n\nE2");
  rig.view.settings.FlashFile = rig.temp.Write("code.hex", "\r\nF1\r\n\r\nF2\r\nF3\r\n\r\n");
  rig.target.replies["F2"] = {{{1'100, "%"}}};
  rig.downloader.Start(Mode::kJump);
  EXPECT_EQ(rig.target.writes, (Texts{kReq, "*!", "E1", "E2", "F1", "F2", "F3"}));
  EXPECT_EQ(rig.log.Only({"status Sending"}),
            (Texts{"status Sending EEPROM File - lines remaining ",
                   "status Sending FLASH File - lines remaining "}));
  EXPECT_EQ(rig.log.With("lines "), (Texts{"2", "0", "5", "4", "0"}));
  EXPECT_EQ(rig.Dialogs(), (Texts{Ask("%", 2), kNoEnd}));
}

}  // namespace
}  // namespace tarnwick::testing
