#include "tools/target-sim/hex_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarnwick::sim {
namespace {

TEST(HexRecordsTest, MakesTheTextbookRecord) {
  const std::string text = "address gap";
  const std::vector<std::uint8_t> data(text.begin(), text.end());
  EXPECT_EQ(MakeHexRecord(kDataRecord, 0x0010, data), ":0B0010006164647265737320676170A7");
  EXPECT_EQ(MakeHexRecord(kEndOfFileRecord, 0, {}), kEndOfFileLine);
}

TEST(HexRecordsTest, MakesValidConsecutiveRecordsAndTheEndOfFile) {
  const auto records = MakeHexRecords(3, 16, 0xFFE0);
  ASSERT_EQ(records.size(), 4u);
  const std::vector<std::string> addresses = {"FFE0", "FFF0", "0000"};  // wraps at 64 KiB
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(records[i].size(), 1 + 2 + 4 + 2 + 32 + 2u);
    EXPECT_EQ(records[i].substr(0, 3), ":10");
    EXPECT_EQ(records[i].substr(3, 4), addresses[i]);
    EXPECT_EQ(records[i].substr(7, 2), "00");
    EXPECT_TRUE(HexRecordChecksumOk(records[i])) << records[i];
  }
  EXPECT_EQ(records.back(), kEndOfFileLine);
}

TEST(HexRecordsTest, ChecksumCheckRefusesEveryFlaw) {
  struct Case {
    const char* record;
    bool ok;
  };
  for (const auto& [record, ok] : std::vector<Case>{
           {":0B0010006164647265737320676170A7", true},
           {":0b0010006164647265737320676170a7", true},  // lower case is still hex
           {":0B0010006164647265737320676170A8", false},
           {":0B0010006164647265737320676170A", false},  // half a byte
           {":0B001000616464726573732067617XA7", false},
           {"0B0010006164647265737320676170A7", false},
           {":", false},
       }) {
    EXPECT_EQ(HexRecordChecksumOk(record), ok) << record;
  }
}

}  // namespace
}  // namespace tarnwick::sim
