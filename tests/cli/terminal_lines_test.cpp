// What the command line draws in place on a terminal: it must fit the width it is given,
// or it wraps and the redrawing leaves stray lines.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cli/reporters.h"
#include "cli/terminal.h"

namespace tarnwick::cli {
namespace {

std::size_t Characters(const std::string& text) {
  std::size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

TEST(TerminalLines, FitBelowTheLastColumnWithoutSplittingACharacter) {
  const struct {
    std::string text;
    int columns;
    std::string fitted;
  } kCases[] = {
      {"abcdef", 4, "abc"}, {"abc", 4, "abc"}, {"\xC3\xA4\xC3\xB6x", 3, "\xC3\xA4\xC3\xB6"},
      {"abc", 1, ""},       {"", 10, ""},      {"com3 FLASH", 8, "com3 FL"}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FitToColumns(c.text, c.columns), c.fitted);
  }
}

TEST(TerminalLines, TheBarNarrowsWithTheTerminalAndNeverReachesItsEdge) {
  for (const int columns : {12, 30, 50, 60, 80, 200}) {
    SCOPED_TRACE(columns);
    const std::string line = BarLine("FLASH", 40, 100, 2.0, columns);
    EXPECT_LT(Characters(line), static_cast<std::size_t>(columns));
    if (columns >= 50) {
      EXPECT_NE(line.find("] 40/100 lines  20 lines/s  0:03 left"), std::string::npos);
    }
  }
  EXPECT_EQ(BarLine("FLASH", 40, 100, 2.0, 200).substr(0, 38),
            "FLASH [############------------------]");
}

TEST(TerminalLines, AQuestionStandsBelowTheBarAndIsNotRepeated) {
  std::ostringstream out;
  std::ostringstream err;
  const auto reporter = MakeReporter(ReportStyle::kTerminal, out, err, "com1");
  reporter->Progress("FLASH", 3, 10, 1.0);
  reporter->Asking();
  out << "Checksum error at line 4. Continue with download? [y/N] y\n";
  reporter->Prompt("Checksum error at line 4. Continue with download?", true);
  reporter->Progress("FLASH", 4, 10, 1.0);
  // The bar at the failed line, its line ended before the question.
  const std::string bar = BarLine("FLASH", 3, 10, 1.0, TerminalColumns());
  EXPECT_EQ(out.str().find(bar + "\x1b[K\n"), 1u) << out.str();
  EXPECT_EQ(out.str().find(" yes\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("[y/N] y\n\rFLASH ["), std::string::npos) << out.str();
}

}  // namespace
}  // namespace tarnwick::cli
