#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/measure.h"
#include "tools/target-sim/hex_record_assembler.h"
#include "tools/target-sim/target_behaviour.h"

namespace tarnwick::bench {

// A bootloader that answers without delay: the ready reply as soon as the start sequence
// has arrived, the line-complete verdict as soon as a whole record has arrived (a
// checksum-error verdict for a broken one), and after the end-of-file record its verdict
// followed by the file-complete character. It timestamps every record's first byte and
// every verdict on the monotonic clock, which gives the host's turnaround per line.
class InstantTarget {
 public:
  using Send = std::function<void(std::string_view)>;
  using Clock = std::function<std::int64_t()>;  // nanoseconds

  // `version` follows the ready character and a "V" in the ready reply. `now` stamps the
  // verdicts, right after each is sent.
  explicit InstantTarget(Send send, Clock now = MonotonicNanoseconds,
                         sim::ProtocolCharacters characters = {}, std::string version = "1.30");

  // Bytes read from the line, stamped with the time at which the read returned.
  void Receive(std::string_view bytes, std::int64_t arrivalNs);

  std::int64_t RecordsAnswered() const { return std::int64_t(verdictNs_.size()); }
  std::int64_t ChecksumErrors() const { return checksumErrors_; }
  // From the first byte of the first record to the verdict on the last one; 0 before any.
  std::int64_t TransferNs() const;
  std::int64_t LastVerdictNs() const { return verdictNs_.empty() ? 0 : verdictNs_.back(); }
  // Per line, from the verdict on it to the first byte of the next record.
  std::vector<std::int64_t> TurnaroundsNs() const;

 private:
  Send send_;
  Clock now_;
  sim::ProtocolCharacters characters_;
  std::string readyReply_;
  bool ready_ = false;
  std::string handshakeText_;
  sim::HexRecordAssembler assembler_;
  std::int64_t checksumErrors_ = 0;
  std::vector<std::int64_t> recordStartNs_;
  std::vector<std::int64_t> verdictNs_;
};

}  // namespace tarnwick::bench
