// The small readers of the engine: the contains rule over a growing text, the version
// number, and the lines of a download file.

#include <gtest/gtest.h>

#include <cfloat>
#include <string>

#include "core/download/download_file.h"
#include "core/download/received_text.h"
#include "core/download/version_number.h"
#include "tests/core/download/download_fixture.h"

namespace tarnwick::testing {
namespace {

TEST(ReceivedTextBuffer, FindsSettingsAcrossPiecesAndForgetsOnReplace) {
  ReceivedTextBuffer text;
  text.Append("ab@");
  EXPECT_FALSE(text.Contains("@&$"));
  text.Append("&");
  EXPECT_FALSE(text.Contains("@&$"));
  text.Append("$x");  // the match straddles three appends
  EXPECT_TRUE(text.Contains("@&$"));
  EXPECT_FALSE(text.Contains("@$"));
  EXPECT_FALSE(text.Contains(""));  // an empty setting is never contained

  text.Replace("~");  // what was searched before must not hide a match in the new text
  EXPECT_FALSE(text.Contains("@&$"));
  EXPECT_TRUE(text.Contains("~"));
  text.Clear();
  EXPECT_FALSE(text.Contains("~"));
}

TEST(ReceivedTextBuffer, LooksOnlyAtWhatIsNew) {
  ReceivedTextBuffer text;
  const std::string chunk(1000, 'x');
  for (int i = 0; i < 1000; ++i) {
    text.Append(chunk);
    ASSERT_FALSE(text.Contains("?V"));
  }
  text.Append("?V");
  EXPECT_TRUE(text.Contains("?V"));
  // Each byte once, plus one byte of overlap per search; rescanning would be ~500 million.
  EXPECT_LE(text.ExaminedBytes(), text.Text().size() + 1001);
}

TEST(ReadVersionNumber, ReadsTheLeadingNumber) {
  const struct {
    const char* text;
    float value;
  } cases[] = {
      {"1.30", 1.3f},
      {"1.3", 1.3f},
      {" 1.4x", 1.4f},
      {"\t\n1.28?", 1.28f},
      {"1 . 4 1", 1.41f},
      {"+2", 2.0f},
      {"- 1.5", -1.5f},
      {"1e2", 100.0f},
      {"1D-1", 0.1f},
      {"2E", 2.0f},
      {"1.2.3", 1.2f},
      {".5", 0.5f},
      {"1,5", 1.0f},
      {"", 0.0f},
      {"abc", 0.0f},
      {".", 0.0f},
      {"--1", 0.0f},
      {"\r1.3", 0.0f},
      {"e5", 0.0f},
      {"1e39", 0.0f},
      {"1e-50", 0.0f},
      {"3.4028234e38", FLT_MAX},
      {"1e99999999999999999999", 0.0f},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadVersionNumber(c.text), c.value) << c.text;
  EXPECT_EQ(ReadVersionNumber(std::string(100000, '9')), 0.0f);  // far beyond single precision
}

TEST(DownloadFile, ReadsLinesWithoutTheirEnds) {
  TempDir temp;
  const std::string content = std::string("a\r\nb\n\r\nc\rd\n") + std::string(1, '\0') + "e\r";
  DownloadFile file;
  file.Open(temp.Write("lines.hex", content));
  std::vector<std::string> lines;
  for (int pass = 0; pass < 2; ++pass) {
    lines.clear();
    while (!file.AtEnd()) lines.push_back(file.ReadLine());
    file.Rewind();
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "", "c\rd", std::string(1, '\0') + "e"}));
}

TEST(DownloadFile, ReadsAVeryLongLineWhole) {
  TempDir temp;
  const std::string long_line(1 << 20, '7');
  DownloadFile file;
  file.Open(temp.Write("long.hex", long_line + "\r\nx"));
  EXPECT_EQ(file.ReadLine(), long_line);
  EXPECT_EQ(file.ReadLine(), "x");
  EXPECT_TRUE(file.AtEnd());
}

TEST(DownloadFile, RefusesWhatIsNotAFile) {
  TempDir temp;
  DownloadFile file;
  for (const std::string& path : {temp.path().string(), (temp.path() / "gone.hex").string(),
                                  std::string(), temp.Write("x", "1") + std::string(1, '\0')}) {
    EXPECT_THROW(file.Open(path), DownloadFileError) << path;
    EXPECT_FALSE(file.IsOpen());
  }
}

}  // namespace
}  // namespace tarnwick::testing
