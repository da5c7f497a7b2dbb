#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace tarnwick {

// One fault of an Intel HEX file: the 1-based line of the file and what is wrong there
// (line 0 for a fault of the whole file, such as a missing end-of-file record).
struct HexFault {
  std::int64_t line = 0;
  std::string text;

  bool operator==(const HexFault&) const = default;
};

// Every fault of an Intel HEX file, as a bootloader would meet it: a line that does not start
// with ':', characters that are not hex digits or an odd count of them, a length field that
// disagrees with the record, a wrong checksum, a missing end-of-file record or one that is not
// the last record, and more lines than a download can count (32,767). Empty lines are allowed
// (a download skips them); a carriage return before the line end is part of the line end.
std::vector<HexFault> CheckHex(std::istream& in);

}  // namespace tarnwick
