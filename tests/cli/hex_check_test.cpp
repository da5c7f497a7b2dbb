#include "cli/hex_check.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tarnwick {
namespace {

struct HexCase {
  const char* name;
  std::string file;
  std::vector<HexFault> faults;
};

const std::string kData = ":0400000001020304F2\n";
const std::string kEnd = ":00000001FF\n";

class HexCheckTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexCheckTest, ReportsEveryFaultWithItsLine) {
  std::istringstream in(GetParam().file);
  EXPECT_EQ(CheckHex(in), GetParam().faults);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HexCheckTest,
    ::testing::Values(
        HexCase{"Clean", kData + kData + kEnd, {}},
        HexCase{"CleanWithCrlfAndEmptyLines", ":00000001FF\r\n\r\n", {}},
        HexCase{"NoColon", "0400000001020304F2\n" + kEnd, {{1, "does not start with ':'"}}},
        HexCase{
            "NotHex", ":04000000010203G4F2\n" + kEnd, {{1, "'G' at column 16 is not a hex digit"}}},
        HexCase{"ControlByte",
                std::string(":0400\x01", 6) + "\n" + kEnd,
                {{1, "byte 0x01 at column 6 is not a hex digit"}}},
        HexCase{"OddDigits", ":0400000001020304F\n" + kEnd, {{1, "odd number of hex digits (17)"}}},
        HexCase{"TooShort", ":0000\n" + kEnd, {{1, "too short for a record (2 bytes)"}}},
        HexCase{"LengthDisagrees",
                ":0500000001020304F1\n" + kEnd,
                {{1, "length field says 5 data bytes, the record holds 4"}}},
        HexCase{"Checksum",
                kData + ":0400000001020304F3\n" + kEnd,
                {{2, "checksum is F3, should be F2"}}},
        HexCase{"NoEnd", kData, {{0, "no end-of-file record"}}},
        HexCase{"RecordAfterEnd",
                kData + kEnd + kData + kData,
                {{3, "record after the end-of-file record of line 2"}}},
        HexCase{"Empty", "", {{0, "no end-of-file record"}}}),
    [](const auto& info) { return info.param.name; });

TEST(HexCheck, CountsLinesAsADownloadDoes) {
  std::string file;
  for (int i = 0; i < 32766; ++i) file += kData;
  std::string at_limit = file + kEnd;
  std::istringstream fits(at_limit);
  EXPECT_TRUE(CheckHex(fits).empty());
  std::istringstream over(kData + at_limit);
  EXPECT_EQ(CheckHex(over),
            (std::vector<HexFault>{{0, "32768 lines, more than the 32767 a download can send"}}));
}

}  // namespace
}  // namespace tarnwick
