#include "cli/hex_check.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/hex_lines.h"
#include "core/download/download_file.h"
#include "tools/target-sim/hex_records.h"

namespace tarnwick {

void PrintTo(const HexFault& fault, std::ostream* out) {
  *out << fault.line << ": " << fault.text << (fault.warning ? " (warning)" : "");
}

namespace {

struct HexCase {
  const char* name;
  std::string file;
  std::vector<HexFault> faults;
};
void PrintTo(const HexCase& c, std::ostream* out) {
  *out << c.name;
}

const std::string kData = ":0400000001020304F2\n";
const std::string kEnd = ":00000001FF\n";

class HexCheckTest : public ::testing::TestWithParam<HexCase> {};

TEST_P(HexCheckTest, ReportsEveryFaultWithItsLine) {
  std::istringstream in(GetParam().file);
  const HexReport report = CheckHex(in);
  EXPECT_EQ(report.faults, GetParam().faults);
  const bool only_warnings = std::all_of(GetParam().faults.begin(), GetParam().faults.end(),
                                         [](const HexFault& f) { return f.warning; });
  EXPECT_EQ(report.Passed(), only_warnings);
}

INSTANTIATE_TEST_SUITE_P(
    Files, HexCheckTest,
    ::testing::Values(
        HexCase{"Clean", kData + kData + kEnd, {}},
        HexCase{"CleanWithCrlfAndEmptyLines", ":0400000001020304F2\r\n\r\n:00000001FF\r\n\r\n", {}},
        // Every faulty line of a file is reported with its fault, whichever it is.
        HexCase{"EachLineItsFault",
                "0400000001020304F2\n:04000000010203G4F2\n" + std::string(":0400\x01\n", 7) +
                    ":0400000001020304F\n:0000\n:" + std::string(100000, '0') +
                    "\n:0500000001020304F1\n:0400000001020304F3\n:0400000601020304EC\n"
                    ":03000002001000EB\n:020000050000F9\n" +
                    kData + kEnd,
                {{1, "does not start with ':'"},
                 {2, "'G' at column 16 is not a hex digit"},
                 {3, "byte 0x01 at column 6 is not a hex digit"},
                 {4, "odd number of hex digits (17)"},
                 {5, "too short for a record (2 bytes)"},
                 {6, "100001 characters, longer than any record (521)"},
                 {7, "length field says 5 data bytes, the record holds 4"},
                 {8, "checksum is F3, should be F2"},
                 {9, "record type 06 is none of 00 to 05"},
                 {10, "a type 02 record must hold 2 data bytes, this one holds 3"},
                 {11, "a type 05 record must hold 4 data bytes, this one holds 2"}}},
        HexCase{"LoneCarriageReturnIsPartOfTheLine",
                ":0400000001020304F2\r" + kEnd + kData,
                {{1, "byte 0x0D at column 20 is not a hex digit"}, {0, "no end-of-file record"}}},
        HexCase{"EndOfFileWithData",
                kData + ":01000001AA54\n",
                {{2, "end-of-file record holds 1 data byte"}}},
        HexCase{"EndOfFileWithAnAddressIsAWarning",
                kData + ":00123401B9\n",
                {{2, "end-of-file record has the address 1234", true}}},
        HexCase{"ByteOrderMark",
                "\xEF\xBB\xBF" + kData + kEnd,
                {{1, "starts with a UTF-8 byte-order mark, which a bootloader takes as data"}}},
        HexCase{"NoEnd", kData, {{0, "no end-of-file record"}}},
        HexCase{"NoData", kEnd, {{0, "no data records"}}},
        HexCase{"RecordAfterEnd",
                kData + kEnd + kData + kData,
                {{3, "record after the end-of-file record of line 2"}}},
        HexCase{"Empty", "", {{0, "empty: no records"}}},
        HexCase{"OnlyEmptyLines", "\r\n\n", {{0, "empty: no records"}}}),
    [](const auto& info) { return info.param.name; });

TEST(HexCheck, CountsLinesAsADownloadDoes) {
  std::string file;
  for (int i = 0; i < 32766; ++i) file += kData;
  std::string at_limit = file + kEnd;
  std::istringstream fits(at_limit);
  EXPECT_TRUE(CheckHex(fits).faults.empty());
  std::istringstream over(kData + at_limit);
  EXPECT_EQ(CheckHex(over).faults,
            (std::vector<HexFault>{{0, "32768 lines, more than the 32767 a download can send"}}));
}

// The check must see the very lines that a download sends, so both read the same texts.
TEST(HexLines, SplitsAsTheDownloadFileDoes) {
  const auto path =
      std::filesystem::temp_directory_path() / ("hex_lines_" + std::to_string(getpid()));
  for (const std::string text :
       {"a\nb\n", "a\r\nb", "a\rb\r\n", "a\n\nb\n\n", "a\r\r\n", "a\r", "\n", "\r", "a\n\r", ""}) {
    SCOPED_TRACE(testing::PrintToString(text));
    std::ofstream(path, std::ios::binary) << text;
    DownloadFile download;
    download.Open(path.string());
    std::vector<std::string> sent;
    while (!download.AtEnd()) sent.push_back(download.ReadLine());
    std::istringstream in(text);
    std::vector<std::string> checked;
    ReadHexLines(in, [&](std::int64_t, std::string_view line, std::int64_t length) {
      EXPECT_EQ(static_cast<std::size_t>(length), line.size());
      checked.emplace_back(line);
    });
    EXPECT_EQ(checked, sent);
  }
  std::filesystem::remove(path);
}

TEST(HexLines, HoldsNoMoreOfAHugeLineThanARecordCanReach) {
  std::istringstream in(":" + std::string(4 << 20, '0') + "\n");
  std::int64_t whole = 0;
  ReadHexLines(in, [&](std::int64_t, std::string_view line, std::int64_t length) {
    EXPECT_LT(line.size(), 600u);
    whole = length;
  });
  EXPECT_EQ(whole, (4 << 20) + 1);
}

// Files as toolchains write them: avr-gcc's 16-byte records (type 02 past 64 KiB) and its
// EEPROM image, objcopy's 32-byte records with type 04 and 05.
TEST(HexCheck, PassesToolchainFilesAndSummarisesThem) {
  const std::vector<std::uint8_t> d16(16, 0xAB), d32(32, 0xCD);
  const std::vector<std::uint8_t> seg{0x10, 0x00}, lin{0x08, 0x00}, start{0x08, 0x00, 0x01, 0x31};
  const std::string avr = MakeHexRecord(0, 0x0000, d16) + "\r\n" + MakeHexRecord(0, 0x0010, d16) +
                          "\r\n" + MakeHexRecord(2, 0, seg) + "\r\n" +
                          MakeHexRecord(0, 0x0000, d16) + "\r\n:00000001FF\r\n";
  const std::string eep = MakeHexRecord(0, 0x0000, d16) + "\n:00000001FF\n";
  const std::string objcopy = MakeHexRecord(4, 0, lin) + "\n" + MakeHexRecord(0, 0x0000, d32) +
                              "\n" + MakeHexRecord(0, 0x0020, d32) + "\n" +
                              MakeHexRecord(5, 0, start) + "\n:00000001FF\n";
  struct Expected {
    std::string file;
    std::int64_t records, dataBytes;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;
  };
  for (const Expected& e : std::vector<Expected>{
           {avr, 5, 48, {{0x0000, 0x001F}, {0x10000, 0x1000F}}},
           {eep, 2, 16, {{0x0000, 0x000F}}},
           {objcopy, 5, 64, {{0x08000000, 0x0800003F}}},
       }) {
    std::istringstream in(e.file);
    const HexReport report = CheckHex(in);
    EXPECT_TRUE(report.faults.empty()) << e.file << report.faults.front().text;
    EXPECT_EQ(report.summary.records, e.records);
    EXPECT_EQ(report.summary.dataBytes, e.dataBytes);
    EXPECT_EQ(report.summary.ranges, e.ranges);
  }
}

}  // namespace
}  // namespace tarnwick
