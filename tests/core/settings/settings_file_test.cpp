#include "core/settings/settings_file.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <utility>
#include <vector>

namespace tarnwick {
namespace {

// The file written with the defaults, line by line, in file order.
const std::vector<std::string> kDefaultLines = {
    "0",      "5",      R"("")",  R"("@&$")", R"("?")", R"("$")", R"("^")", R"("%")",
    R"("#")", R"("@")", R"("-")", R"("~")",   R"("")",  R"("*")", "0",      "1"};

using Changes = std::vector<std::pair<int, std::optional<std::string>>>;

// The default file with 1-based lines replaced, or dropped where the text is nullopt.
std::string File(const Changes& changes = {}, const std::string& line_end = "\r\n") {
  std::vector<std::optional<std::string>> lines(kDefaultLines.begin(), kDefaultLines.end());
  for (const auto& [number, text] : changes) lines[number - 1] = text;
  std::string file;
  for (const auto& line : lines) file += line ? *line + line_end : "";
  return file;
}

std::optional<DownloadSettings> Read(const std::string& file) {
  std::istringstream in(file);
  return ReadSettings(in);
}

std::string Write(const DownloadSettings& settings) {
  std::ostringstream out;
  WriteSettings(out, settings);
  return out.str();
}

TEST(SettingsFileWrite, DefaultsGiveThe72ByteFile) {
  EXPECT_EQ(Write({}), File());
  EXPECT_EQ(Write({}).size(), 72u);
  DownloadSettings quoted;
  quoted.FlashFile = R"(a"b)";
  EXPECT_EQ(Write(quoted), File({{3, R"("a""b")"}}));
}

TEST(SettingsFileRoundTrip, EveryFieldSurvives) {
  const std::vector<DownloadSettings> cases = {
      {},
      {7, 9, R"(C:\fw, v2\app.hex)", R"(a"b)", "\"", "\"\"", "", ",", " x ", "\"x", "x\"",
       std::string("\0é", 3), "/home/jürgen/прошивка, копия/e.eep", "*!*", 2, 0},
      {-1, -1, "", "", "", "", "", "", "", "", "", "", "", "", 1, 2},
  };
  for (const DownloadSettings& settings : cases) EXPECT_EQ(Read(Write(settings)), settings);
}

// Each file reads as the settings that write the second file; without a quote inside a value,
// a file that reads writes back byte for byte.
TEST(SettingsFileRead, AcceptedFiles) {
  const std::string plain = File({{1, "-1"}, {2, "-1"}, {3, R"("D:\a,b\ü.hex")"}, {15, "2"}});
  const std::vector<std::pair<std::string, std::string>> cases = {
      {plain, plain},
      {File() + "junk,\"open\r\n" + std::string(10 << 20, '\x80'), File()},
      {File({}, "\n"), File()},
      {File({}, "\r"), File()},
      {File().substr(0, 70), File()},
      {File({{1, "7,9"}, {2, std::nullopt}}), File({{1, "7"}, {2, "9"}})},
      {File({{15, "0.5"}, {16, "1.5"}}), File({{15, "0"}, {16, "2"}})},
      {File({{1, "-0.5"}, {2, "8.5"}, {15, "2.5"}, {16, "0.50001"}}),
       File({{1, "0"}, {2, "8"}, {15, "2"}, {16, "1"}})},
      {File({{1, "   3  "}, {3, R"(   "a b"  tail)"}, {4, "  plain text  "}, {15, R"(" 1 ")"}}),
       File({{1, "3"}, {3, R"("a b")"}, {4, R"("plain text")"}, {15, "1"}})},
      {File({{3, R"("C:\unclosed)"}, {4, std::string("\"\0\"", 3)}}),
       File({{3, R"("C:\unclosed")"}, {4, std::string("\"\0\"", 3)}})},
  };
  for (const auto& [file, written] : cases) {
    const std::optional<DownloadSettings> read = Read(file);
    ASSERT_TRUE(read) << file.substr(0, 80);
    EXPECT_EQ(Write(*read), written);
  }
}

TEST(SettingsFileRead, RejectedFiles) {
  // Each a default file with one line changed.
  Changes changes = {
      {12, std::nullopt}, {1, "8"},           {2, "10"},   {1, "-2"}, {15, "3"},  {16, "abc"},
      {16, R"("abc")"},   {16, ""},           {1, "abc"},  {1, "1x"}, {1, "1 2"}, {15, "65537"},
      {2, "-65531"},      {16, "4294967297"}, {16, "1e0"}, {16, "."}, {16, "-"}};
  changes.emplace_back(3, std::string(10 << 20, 'x'));  // longer than the field limit
  changes.emplace_back(4, '"' + std::string(10 << 20, 'x'));
  for (const auto& change : changes) {
    EXPECT_EQ(Read(File({change})), std::nullopt) << "line " << change.first;
  }
  std::string hex;
  for (int i = 0; i < 20; ++i) hex += ":100000000C945C000C946E000C946E000C946E00CA\r\n";
  for (const std::string& file : {std::string(), std::string("   "), hex + ":00000001FF\r\n"}) {
    EXPECT_EQ(Read(file), std::nullopt) << file.substr(0, 80);
  }
}

TEST(SettingsFileRead, StopsAfterTheSixteenthField) {
  for (const char* last : {"1", R"("1" junk)"}) {
    std::istringstream in(File({{16, last}}) + "rest");
    EXPECT_EQ(ReadSettings(in), DownloadSettings{});
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "rest");
  }
}

}  // namespace
}  // namespace tarnwick
