#include "tools/target-sim/target_protocol.h"

#include "tools/target-sim/hex_records.h"

namespace tarnwick::sim {
namespace {

constexpr char kXon = 0x11;
constexpr char kXoff = 0x13;

}  // namespace

TargetProtocol::TargetProtocol(TargetBehaviour behaviour)
    : behaviour_(std::move(behaviour)),
      mode_(behaviour_.startInBootloader ? Mode::kBootloaderAwaitingStart : Mode::kApplication),
      jump_(behaviour_.characters.jump),
      start_(behaviour_.characters.startSequence),
      eepromWrite_(behaviour_.characters.eepromWrite) {}

std::vector<Reply> TargetProtocol::Receive(std::string_view bytes, Clock::time_point arrival) {
  std::vector<Reply> replies;
  std::string lost;
  for (char c : bytes) {
    if (jumpEnds_ && arrival < *jumpEnds_) {
      lost += c;
      continue;
    }
    jumpEnds_.reset();
    Consume(c, arrival, replies);
  }
  if (!lost.empty()) Note("lost during jump: " + lost);
  return replies;
}

std::vector<Reply> TargetProtocol::Reset() {
  mode_ = Mode::kBootloaderAwaitingStart;
  record_ = HexRecordAssembler{};
  jump_.Reset();
  start_.Reset();
  eepromWrite_.Reset();
  eepromCommandPending_ = false;
  jumpEnds_.reset();
  StartNewFile();
  Note("reset: bootloader waits for the start sequence");
  if (behaviour_.silent) return {};
  return {Reply{behaviour_.characters.active, std::chrono::milliseconds{0}}};
}

std::vector<Reply> TargetProtocol::AnnounceIfIdle(Clock::time_point now) {
  const bool betweenFiles = !record_.InProgress() && lineNumber_ == 0;
  const bool jumping = jumpEnds_ && now < *jumpEnds_;
  if (mode_ == Mode::kApplication || jumping || !betweenFiles || behaviour_.silent) return {};
  return {Reply{behaviour_.characters.active, std::chrono::milliseconds{0}}};
}

void TargetProtocol::Consume(char c, Clock::time_point arrival, std::vector<Reply>& replies) {
  // The line runs XON/XOFF flow control, and the host's terminal may slip those characters in
  // anywhere, even inside a record; they are never part of the protocol.
  if (c == kXon || c == kXoff) return;
  if (mode_ == Mode::kApplication) {
    if (jump_.Feed(c)) {
      mode_ = Mode::kBootloaderAwaitingStart;
      Answer(replies, behaviour_.characters.active);
      const auto jumpTime = behaviour_.jumpTime;
      if (jumpTime.count() == 0) {
        Note("jump command: now the bootloader");
        return;
      }
      jumpEnds_ = arrival + jumpTime;
      Note("jump command: the bootloader in " + std::to_string(jumpTime.count()) + " ms");
    }
    return;
  }
  if (record_.InProgress()) {
    switch (record_.Feed(c)) {
      case HexRecordAssembler::Step::kNeedMore:
        return;
      case HexRecordAssembler::Step::kComplete:
        FinishRecord(replies);
        return;
      case HexRecordAssembler::Step::kMalformed:
        RejectMalformedRecord(replies);
        break;  // the character that broke the record may begin something new
    }
  }
  ConsumeBetweenRecords(c, replies);
}

void TargetProtocol::ConsumeBetweenRecords(char c, std::vector<Reply>& replies) {
  if (eepromCommandPending_) {
    ConcludeEepromCommand(c == '!');
    if (c == '!') return;
  }
  if (start_.Feed(c)) {
    // A new session: whatever file was under way is forgotten.
    mode_ = Mode::kBootloaderReady;
    eepromWrite_.Reset();
    StartNewFile();
    Note("start sequence");
    const auto& version = behaviour_.version;
    Answer(replies, behaviour_.characters.ready + (version ? "V" + *version : std::string{}));
    return;
  }
  if (mode_ != Mode::kBootloaderReady) return;
  if (c == ':') {
    start_.Reset();
    eepromWrite_.Reset();
    record_.Begin();
    return;
  }
  // Anything else between records (stray bytes, line ends) is ignored.
  if (eepromWrite_.Feed(c)) eepromCommandPending_ = true;
}

void TargetProtocol::FinishRecord(std::vector<Reply>& replies) {
  const std::string& text = record_.text();
  if (text != lastRecord_) {
    ++lineNumber_;
    lastRecord_ = text;
  }
  const Judgement judgement = Judge(text);
  if (!judgement.accepted) fileHadErrors_ = true;

  const bool silentLine = behaviour_.silentLines.contains(lineNumber_);
  Note("line " + std::to_string(lineNumber_) + " " + text + ": " + judgement.reason +
       (silentLine ? " (not answered)" : ""));
  if (!silentLine) Answer(replies, judgement.verdict);

  // An end-of-file record that was not accepted will be sent again, so the file goes on.
  if (!judgement.accepted || record_.Type() != kEndOfFileRecord) return;
  const auto& chars = behaviour_.characters;
  const std::string& fileVerdict = fileHadErrors_ ? chars.fileErrors : chars.fileOk;
  Note(std::string("end of file: ") + (fileHadErrors_ ? "with errors" : "all lines good") +
       (behaviour_.silentAtEndOfFile ? " (not answered)" : ""));
  if (!behaviour_.silentAtEndOfFile) Answer(replies, fileVerdict);
  StartNewFile();
}

TargetProtocol::Judgement TargetProtocol::Judge(const std::string& record) const {
  const auto& chars = behaviour_.characters;
  if (!HexRecordChecksumOk(record)) return {chars.checksumError, "bad checksum", false};
  if (behaviour_.pageErrorLines.contains(lineNumber_)) {
    return {chars.pageError, "page error (injected)", false};
  }
  if (behaviour_.checksumErrorLines.contains(lineNumber_)) {
    return {chars.checksumError, "checksum error (injected)", false};
  }
  return {chars.lineComplete, "ok", true};
}

void TargetProtocol::RejectMalformedRecord(std::vector<Reply>& replies) {
  // A record broken by a character that is no hex digit cannot be trusted any more than one
  // with a wrong checksum, and the host's answer to that verdict is to send the line again.
  fileHadErrors_ = true;
  Note("malformed record " + record_.text());
  Answer(replies, behaviour_.characters.checksumError);
}

void TargetProtocol::ConcludeEepromCommand(bool withFlag) {
  eepromCommandPending_ = false;
  const std::string command = behaviour_.characters.eepromWrite + (withFlag ? "!" : "");
  eepromCommands_.push_back(command);
  Note("EEPROM write command " + command);
}

void TargetProtocol::StartNewFile() {
  lineNumber_ = 0;
  lastRecord_.clear();
  fileHadErrors_ = false;
}

void TargetProtocol::Answer(std::vector<Reply>& replies, const std::string& bytes) {
  if (behaviour_.silent || bytes.empty()) return;
  replies.push_back(Reply{bytes, behaviour_.replyDelay});
}

void TargetProtocol::Note(const std::string& text) {
  if (noteSink_) noteSink_(text);
}

}  // namespace tarnwick::sim
