#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <utility>
#include <vector>

namespace tarnwick {

// One fault of an Intel HEX file: the 1-based line of the file and what is wrong there
// (line 0 for a fault of the whole file, such as a missing end-of-file record). A warning is
// worth a look but does not fail the check.
struct HexFault {
  std::int64_t line = 0;
  std::string text;
  bool warning = false;

  bool operator==(const HexFault&) const = default;
};

// What a file holds: its records, its data bytes and the addresses they fill, as inclusive
// ranges in address order, with neighbouring ranges joined.
struct HexSummary {
  std::int64_t records = 0;
  std::int64_t dataBytes = 0;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;
};

struct HexReport {
  std::vector<HexFault> faults;
  HexSummary summary;

  // No fault other than warnings.
  bool Passed() const;
};

// Every fault of an Intel HEX file, as a bootloader would meet it: a line that does not start
// with ':' (a byte-order mark included), characters that are not hex digits or an odd count of
// them, a length field that disagrees with the record or the record's type, a record type
// above 05, a wrong checksum, an end-of-file record with data, missing or not the last, no data
// records at all, and more lines than a download can count (32,767). Lines are split as a
// download splits them: at each line feed, a carriage return before it or at the file's end
// dropped; empty lines are allowed (a download skips them). A line is held only as far as a
// record can reach, so a huge file of one line costs no memory.
HexReport CheckHex(std::istream& in);

}  // namespace tarnwick
