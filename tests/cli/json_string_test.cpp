#include <gtest/gtest.h>

#include <string>

#include "cli/reporters.h"

namespace tarnwick::cli {
namespace {

struct Utf8Case {
  const char* name;
  std::string text;
  std::string json;
};

void PrintTo(const Utf8Case& c, std::ostream* out) {
  *out << c.name;
}

class JsonStringTest : public ::testing::TestWithParam<Utf8Case> {};

// A JSON reader refuses a whole line for one invalid byte, so every byte that is not part of
// a valid UTF-8 sequence must leave as U+FFFD, and every valid one as it is.
TEST_P(JsonStringTest, KeepsValidUtf8AndReplacesEveryInvalidByte) {
  EXPECT_EQ(JsonString(GetParam().text), GetParam().json);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Bytes, JsonStringTest, ::testing::Values(
    Utf8Case{"Ascii", "a\"b\\c", R"("a\"b\\c")"},
    Utf8Case{"ControlCharacters", "\t\x7f", R"("\u0009\u007f")"},
    Utf8Case{"TwoBytes", "\xC3\xA9", "\"\xC3\xA9\""},
    Utf8Case{"ThreeBytes", "\xE2\x82\xAC", "\"\xE2\x82\xAC\""},
    Utf8Case{"LastBeforeSurrogates", "\xED\x9F\xBF", "\"\xED\x9F\xBF\""},
    Utf8Case{"HighestCodePoint", "\xF4\x8F\xBF\xBF", "\"\xF4\x8F\xBF\xBF\""},
    Utf8Case{"FourBytes", "\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},
    Utf8Case{"OverlongTwoBytes", "\xC0\xAF", R"("\ufffd\ufffd")"},
    Utf8Case{"OverlongThreeBytes", "\xE0\x80\x80", R"("\ufffd\ufffd\ufffd")"},
    Utf8Case{"OverlongFourBytes", "\xF0\x8F\xBF\xBF", R"("\ufffd\ufffd\ufffd\ufffd")"},
    Utf8Case{"Surrogate", "\xED\xA0\x80", R"("\ufffd\ufffd\ufffd")"},
    Utf8Case{"AboveU10FFFF", "\xF4\x90\x80\x80", R"("\ufffd\ufffd\ufffd\ufffd")"},
    Utf8Case{"LeadF5", "\xF5\x80\x80\x80", R"("\ufffd\ufffd\ufffd\ufffd")"},
    Utf8Case{"LeadFF", "a\xFF", R"("a\ufffd")"},
    Utf8Case{"Truncated", "\xE2\x82", R"("\ufffd\ufffd")"},
    Utf8Case{"LoneContinuation", "\x80z", R"("\ufffdz")"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

}  // namespace
}  // namespace tarnwick::cli
