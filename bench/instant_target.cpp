#include "bench/instant_target.h"

#include <utility>

#include "tools/target-sim/hex_records.h"

namespace tarnwick::bench {

InstantTarget::InstantTarget(Send send, Clock now, sim::ProtocolCharacters characters,
                             std::string version)
    : send_(std::move(send)),
      now_(std::move(now)),
      characters_(std::move(characters)),
      readyReply_(characters_.ready + "V" + version) {
  recordStartNs_.reserve(40'000);
  verdictNs_.reserve(40'000);
}

void InstantTarget::Receive(std::string_view bytes, std::int64_t arrivalNs) {
  if (!ready_) {
    handshakeText_.append(bytes);
    auto found = handshakeText_.find(characters_.startSequence);
    if (found == std::string::npos) return;
    ready_ = true;
    send_(readyReply_);
    // Whatever followed the start sequence in the same read belongs to the records.
    std::string rest = handshakeText_.substr(found + characters_.startSequence.size());
    handshakeText_.clear();
    Receive(rest, arrivalNs);
    return;
  }
  for (char byte : bytes) {
    if (!assembler_.InProgress()) {
      if (byte != ':') continue;  // between records
      assembler_.Begin();
      recordStartNs_.push_back(arrivalNs);
      continue;
    }
    auto step = assembler_.Feed(byte);
    if (step == sim::HexRecordAssembler::Step::kNeedMore) continue;
    bool whole = step == sim::HexRecordAssembler::Step::kComplete &&
                 sim::HexRecordChecksumOk(assembler_.text());
    if (!whole) ++checksumErrors_;
    send_(whole ? characters_.lineComplete : characters_.checksumError);
    verdictNs_.push_back(now_());
    if (whole && assembler_.Type() == sim::kEndOfFileRecord) send_(characters_.fileOk);
  }
}

std::int64_t InstantTarget::TransferNs() const {
  if (recordStartNs_.empty() || verdictNs_.empty()) return 0;
  return verdictNs_.back() - recordStartNs_.front();
}

std::vector<std::int64_t> InstantTarget::TurnaroundsNs() const {
  std::vector<std::int64_t> turnarounds;
  // Every record that started has been answered except, at most, the one in flight.
  for (std::size_t i = 0; i + 1 < recordStartNs_.size() && i < verdictNs_.size(); ++i) {
    turnarounds.push_back(recordStartNs_[i + 1] - verdictNs_[i]);
  }
  return turnarounds;
}

}  // namespace tarnwick::bench
