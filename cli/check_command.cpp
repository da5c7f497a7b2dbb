#include "cli/check_command.h"

#include <filesystem>
#include <fstream>
#include <iostream>

#include "cli/hex_check.h"
#include "cli/input_files.h"

namespace tarnwick::cli {

ExitCode CheckFiles(const std::vector<std::string>& files, std::ostream& out) {
  ExitCode result = ExitCode::kSuccess;
  for (const std::string& name : files) {
    if (const auto problem = FileProblem(name)) {
      out << name << ": " << *problem << '\n';
      result = ExitCode::kDownloadFile;
      continue;
    }
    std::ifstream in(std::filesystem::path(name), std::ios::binary);
    const std::vector<HexFault> faults = CheckHex(in);
    if (in.bad()) {
      out << name << ": cannot be read to its end\n";
      result = ExitCode::kDownloadFile;
      continue;
    }
    for (const HexFault& fault : faults) {
      out << name << ':' << (fault.line > 0 ? std::to_string(fault.line) + ":" : "") << ' '
          << fault.text << '\n';
    }
    if (faults.empty()) {
      out << name << ": clean\n";
    } else if (result == ExitCode::kSuccess) {
      result = ExitCode::kCheckFailed;
    }
  }
  return result;
}

bool FilesPassCheck(const DownloadOptions& options) {
  return CheckFiles(FilesOf(options), std::cerr) == ExitCode::kSuccess;
}

}  // namespace tarnwick::cli
