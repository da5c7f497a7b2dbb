#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/target-sim/hex_record_assembler.h"
#include "tools/target-sim/sequence_matcher.h"
#include "tools/target-sim/target_behaviour.h"

namespace tarnwick::sim {

// The target's side of the download protocol, free of any device or clock: bytes from the host
// go in, the replies come out with the delay after which they are due. The caller owns time and
// the line, and says when each byte arrived; this class only decides what a real target would
// answer.
//
// The target starts as the running application, which knows only the jump command; after it
// the target may be deaf for a while, as a real one is while it resets. The bootloader first
// waits for the start sequence, answers it with the ready character and its
// version, and then takes Intel HEX records, judging each one by its own length field and
// checksum; after the end-of-file record comes the verdict on the whole file. Nothing of the
// stream's cutting into reads matters.
class TargetProtocol {
 public:
  enum class Mode { kApplication, kBootloaderAwaitingStart, kBootloaderReady };
  using Clock = std::chrono::steady_clock;

  explicit TargetProtocol(TargetBehaviour behaviour);

  // Takes bytes from the host that the target had whole at `arrival` and returns what it
  // answers, in order. Bytes that arrive while the application jumps to the bootloader are lost.
  std::vector<Reply> Receive(std::string_view bytes, Clock::time_point arrival);

  // The user pressed reset: the bootloader starts afresh and announces itself.
  std::vector<Reply> Reset();

  // The bootloader's periodic announcement while it is between files; nothing otherwise, nor
  // while it is still starting after the jump.
  std::vector<Reply> AnnounceIfIdle(Clock::time_point now);

  Mode mode() const { return mode_; }

  // The EEPROM write commands received so far, each "*" or "*!" with the default character.
  const std::vector<std::string>& eepromCommands() const { return eepromCommands_; }

  // Receives a short human-readable note on every protocol event, for the log.
  void SetNoteSink(std::function<void(const std::string&)> sink) { noteSink_ = std::move(sink); }

 private:
  struct Judgement {
    std::string verdict;
    const char* reason;  // for the log
    bool accepted;
  };

  void Consume(char c, Clock::time_point arrival, std::vector<Reply>& replies);
  void ConsumeBetweenRecords(char c, std::vector<Reply>& replies);
  void FinishRecord(std::vector<Reply>& replies);
  Judgement Judge(const std::string& record) const;
  void RejectMalformedRecord(std::vector<Reply>& replies);
  void ConcludeEepromCommand(bool withFlag);
  void StartNewFile();
  void Answer(std::vector<Reply>& replies, const std::string& bytes);
  void Note(const std::string& text);

  TargetBehaviour behaviour_;
  Mode mode_;
  SequenceMatcher jump_;
  SequenceMatcher start_;
  SequenceMatcher eepromWrite_;
  std::optional<Clock::time_point> jumpEnds_;  // the bootloader takes input from then on
  bool eepromCommandPending_ = false;          // waiting to see whether "!" follows the command
  std::vector<std::string> eepromCommands_;

  HexRecordAssembler record_;
  int lineNumber_ = 0;      // of the current file, 1-based; 0 before its first record
  std::string lastRecord_;  // to recognise a record sent again
  bool fileHadErrors_ = false;
  std::function<void(const std::string&)> noteSink_;
};

}  // namespace tarnwick::sim
