// tarnwick-cli: downloads firmware through a target's serial bootloader from a terminal, a
// script or a build server, with the same engine as the window.
#include <QCoreApplication>
#include <iostream>
#include <string>
#include <vector>

#include "cli/check_command.h"
#include "cli/command_line.h"
#include "cli/download_command.h"
#include "cli/input_files.h"
#include "cli/many_boards.h"
#include "cli/port_list.h"
#include "cli/port_names.h"
#include "cli/run_record.h"
#include "cli/stop_signal.h"
#include "cli/terminal.h"

namespace tarnwick::cli {
namespace {

ReportStyle StyleFor(const DownloadOptions& options) {
  if (options.json) return options.quiet ? ReportStyle::kJsonOutcome : ReportStyle::kJson;
  if (options.quiet) return ReportStyle::kQuiet;
  return StdoutIsTerminal() ? ReportStyle::kTerminal : ReportStyle::kPlain;
}

ExitCode Run(const std::vector<std::string>& args) {
  const Command command = ParseCommandLine(args);
  switch (command.kind) {
    case Command::Kind::kHelp:
      std::cout << HelpText();
      return ExitCode::kSuccess;
    case Command::Kind::kVersion:
      std::cout << "tarnwick-cli " << TARNWICK_VERSION << '\n';
      return ExitCode::kSuccess;
    case Command::Kind::kPorts:
      ListPorts(std::cout, command.portsJson);
      return ExitCode::kSuccess;
    case Command::Kind::kCheck:
      return CheckFiles(command.check, std::cout, std::cerr);
    case Command::Kind::kDownload:
      break;
  }
  CheckPortChoices(command.download);
  RefuseRepeatedPorts(command.download);
  RefuseLogsOverInputs(command.download);
  if (command.download.recordFile) CheckRecordWritable(*command.download.recordFile);
  CatchStopSignals();
  if (command.download.ports.size() > 1) {
    return DownloadToManyBoards(command.download, StyleFor(command.download));
  }
  return DownloadToOneBoard(command.download, StyleFor(command.download));
}

}  // namespace
}  // namespace tarnwick::cli

int main(int argc, char* argv[]) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  QCoreApplication application(argc, argv);
  try {
    return tarnwick::cli::ToInt(tarnwick::cli::Run(args));
  } catch (const tarnwick::cli::UsageError& error) {
    std::cerr << "tarnwick-cli: " << error.what() << '\n';
    return tarnwick::cli::ToInt(tarnwick::cli::ExitCode::kUsage);
  }
}
