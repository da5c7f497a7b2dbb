#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/download_option_table.h"
#include "cli/option_values.h"

namespace tarnwick::cli {
namespace {

using Args = std::vector<std::string>;

// A board's own process is given its run as arguments written from the parsed options; read
// again, they must give the very same options, whatever the user wrote and however.
TEST(DownloadArguments, ReadBackAsTheOptionsTheyWereWrittenFrom) {
  const std::vector<Args> runs = {
      {"--port", "com1", "--flash", "a.hex"},
      {"--port=/dev/ttyUSB0", "--port", "rfc2217://lab:2001", "--eeprom", "e.eep", "--flash",
       "a.hex", "--baud", "115200", "--timeout", "0", "--on-error", "continue", "--json"},
      {"--port", "usb:A1B2", "--flash", "a.hex", "--wait", "--reset", "both", "--reset-ms", "250",
       "--no-check", "--log", "run.log", "--record", "runs.jsonl", "--settings", "tarnwick.txt",
       "--quiet", "--on-error", "stop"},
      {"--port", "com2", "--flash", "a.hex", "--wait", "--reset", "rts"},
      // Protocol characters: escapes, a backslash of its own, a control byte, UTF-8, and an
      // escape cut short, which stands as typed.
      {"--port", "com3", "--flash", "a.hex", "--ready-char", "\\x3F", "--line-ok", "\\",
       "--file-ok", "\\x06", "--page-error", "\xC3\xA9", "--jump-command", "\\x4", "--check"},
  };
  for (const Args& run : runs) {
    Args line{"download"};
    line.insert(line.end(), run.begin(), run.end());
    const DownloadOptions given = ParseCommandLine(line).download;

    Args written{"download"};
    const Args arguments = ArgumentsOf(given);
    written.insert(written.end(), arguments.begin(), arguments.end());
    EXPECT_EQ(ParseCommandLine(written).download, given) << ::testing::PrintToString(run);
  }
}

TEST(DownloadArguments, EscapeWhatNoArgumentCanHoldOrWouldReadOtherwise) {
  EXPECT_EQ(EscapedCharacters(std::string("a\\x41\0\n\xC3\xA9", 9)),
            "a\\x5Cx41\\x00\\x0A\xC3\xA9");
}

}  // namespace
}  // namespace tarnwick::cli
