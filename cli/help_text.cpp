#include "cli/command_line.h"
#include "cli/download_option_table.h"
#include "core/settings/protocol_settings.h"

namespace tarnwick::cli {
namespace {

// Each protocol setting's option with its default, wrapped to the help's width.
std::string ProtocolOptionsHelp() {
  constexpr std::size_t kWidth = 92;
  const std::string indent(22, ' ');
  std::string help = "  protocol options    ";
  std::size_t column = help.size();
  for (const ProtocolSetting& setting : kProtocolSettings) {
    const std::string item =
        std::string(setting.option) + " (" + DownloadSettings{}.*setting.field + ")";
    if (column + item.size() + 1 > kWidth) {
      help += "\n" + indent;
      column = indent.size();
    } else if (column > indent.size()) {
      help += ' ';
      ++column;
    }
    help += item;
    column += item.size();
  }
  return help + ";\n" + indent + "\\xHH gives any byte: --ready-char '\\x3F' is \"?\"\n";
}
}  // namespace

std::string HelpText() {
  return std::string(R"(Usage:
  tarnwick-cli download --port PORT [--port PORT ...] [--flash FILE] [--eeprom FILE]
                        [--baud RATE] [--wait [--reset dtr|rts|both|none] [--reset-ms MS]]
                        [--timeout SECONDS] [--settings FILE]
                        [protocol options] [--on-error ask|stop|continue] [--no-check]
                        [--log FILE] [--record FILE] [--json] [--quiet]
  tarnwick-cli ports [--json]
  tarnwick-cli check [--summary] [--json] FILE...
  tarnwick-cli --help | --version      (also `download --help`, `check --help`, -h)

Options take their value as `--name VALUE` or `--name=VALUE`; `--` ends the options. An
option that takes one value may be given once.

Downloads firmware into a microcontroller through its serial bootloader, as the Tarnwick
window does: the EEPROM file first, then the application (flash) file, one line at a time.

download
)") + DownloadOptionsHelp() +
         ProtocolOptionsHelp() +
         R"(
ports   lists the serial ports and the com1 to com8 entries of the program's folder, the
        window's "Com n" of each, whether you may open it (or the group to join), and how
        --port names it (usb:SERIAL for a USB adapter); --json: one JSON object per line and
        port: event "port", device, description, usb_id, serial, window (["com1", ...]),
        access (true or false), problem, usb_name
check   checks Intel HEX files as a bootloader meets them (record types 00 to 05, lengths,
        checksums, one end-of-file record last, data records present, at most 32,767 lines)
        --summary   each file's records, data bytes and address ranges
        --json      JSON events instead of text

Exit codes:
  0  success
  1  another failure, such as a board's process that could not start
  2  bad usage; nothing was sent
  3  the target reported an error: a No to its checksum or flash write error, or errors
     in a file
  4  no response from the bootloader: at the handshake (within --timeout), a No after a
     line without an answer, or at a file's end
  5  EEPROM refused by the bootloader's version
  6  port missing, busy, not permitted or failed
  7  download file missing, not a regular file, not readable or (--no-check) too long
  8  stopped by the user (Ctrl+C, SIGTERM or SIGHUP)
  9  a HEX file check failed
 10  with several ports: a board's process was ended by a signal
With several ports: 0 when every board succeeded, else the code of the first failing board
in the order given; a board whose process could not start ends with 1.

Output: phases, progress, prompts and a success go to standard output; every failure, its
reason and each check fault go to standard error (with several ports, a failing board's row
of the table too). With --json standard output carries JSON only, one object per line;
"event" names it and these are its other fields:
  phase        port, text
  repeated     port, text, times (the phase came back this many more times)
  progress     port, file, sent, total, lines_per_second, seconds_left
  prompt       port, text, answer ("yes" or "no")
  outcome      port, text, reason, exit_code, seconds, continued: the failed lines gone on
               past, [{file, line, reason}], reason "checksum error", "flash write error"
               or "no response"; failed_line: the failed line answered No, {file, line,
               reason}, or null; bootloader_version: as the bootloader sent it ("1.30"),
               or null when none was read; files: [{path, lines, sha256}] (sha256 null
               when unreadable); started, ended: ISO 8601 UTC times
  check_fault  file, line (0: the whole file), text, warning (true: does not fail)
  check_file   file, passed, records, data_bytes, ranges ([{start, end}])
  summary      exit_code (several ports, at the end)
)";
}

}  // namespace tarnwick::cli
