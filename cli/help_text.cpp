#include "cli/command_line.h"
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
// A device path as this system writes one, so that every example of the help works here.
#ifdef _WIN32
constexpr const char* kDeviceExample = "COM12";
#else
constexpr const char* kDeviceExample = "/dev/ttyUSB0";
#endif

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
  --port PORT         a device path ()") +
         kDeviceExample + R"() or com1 to com8 (COM3, Com3) as in the window;
                      rfc2217://HOST:PORT, a port server's port whose line settings are
                      set over the network (Telnet, RFC 2217); socket://HOST:PORT, plain
                      TCP with the server's own line settings; usb:SERIAL, the USB adapter
                      with that serial number (usb:VID:PID when only one such adapter is
                      plugged in; `ports` shows each adapter's);
                      give it several times to download to several boards at once, each
                      port once
  --flash FILE        send this application file
  --eeprom FILE       send this EEPROM file (at least one of the two is needed)
  --baud RATE         any rate the port accepts, such as 115200 or 1000000 (19200)
  --wait              wait for the bootloader (reset the target) instead of jumping to it
  --reset LINES       with --wait: pulse dtr, rts or both right after the port opens, so
                      the board resets into its bootloader by itself (default none); a port
                      without modem lines fails with exit code 6 before anything is sent
  --reset-ms MS       how long the reset lines are held, 1 to 10000 (default 100)
  --timeout SECONDS   give up when the bootloader is not ready within this time, with
                      exit code 4 (default 30; 0 waits for ever)
  --settings FILE     start from a settings file of the window (tarnwick.txt); the options
                      given here override it; its file names and ticks are not used
  --on-error MODE     what to answer when a line fails: ask (y/N on the terminal; the default
                      with a terminal), stop (the default without one) or continue
  --no-check          send the files as they stand; by default each is checked as `check`
                      does before the port opens, and nothing is sent when one fails
                      (--check, the default, is still accepted)
  --log FILE          write every byte sent and received, with time stamps, to FILE (with
                      several ports, FILE.PORT for each); it may not name an input file
  --record FILE       append one JSON line per board and run to FILE: host, port,
                      usb_serial (the adapter's serial number, or null) and the outcome's
                      fields below; each line is written whole, so many boards and runs may
                      share FILE; it may not name an input file
  --json              one JSON object per line and event, for build servers
  --quiet             print the outcome only (with --json: the outcome event only)
)" + ProtocolOptionsHelp() +
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
  8  stopped by the user (Ctrl+C or SIGTERM)
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
