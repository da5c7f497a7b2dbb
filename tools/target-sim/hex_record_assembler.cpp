#include "tools/target-sim/hex_record_assembler.h"

#include "tools/target-sim/hex_records.h"

namespace tarnwick::sim {
namespace {

// ':' LL: the length field ends here.
constexpr std::size_t kLengthFieldEnd = 3;

std::uint8_t HexByteAt(const std::string& text, std::size_t pos) {
  return static_cast<std::uint8_t>((*HexDigitValue(text[pos]) << 4) |
                                   *HexDigitValue(text[pos + 1]));
}

}  // namespace

void HexRecordAssembler::Begin() {
  text_.clear();
  text_.push_back(':');
  expectedLength_ = 0;
  inProgress_ = true;
}

HexRecordAssembler::Step HexRecordAssembler::Feed(char c) {
  if (!HexDigitValue(c)) {
    inProgress_ = false;
    return Step::kMalformed;
  }
  text_ += c;
  if (text_.size() == kLengthFieldEnd) {
    expectedLength_ = kRecordOverhead + 2 * std::size_t{HexByteAt(text_, 1)};
  }
  if (expectedLength_ != 0 && text_.size() == expectedLength_) {
    inProgress_ = false;
    return Step::kComplete;
  }
  return Step::kNeedMore;
}

std::uint8_t HexRecordAssembler::Type() const {
  return HexByteAt(text_, 7);
}

}  // namespace tarnwick::sim
