#include "cli/check_command.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cli/hex_check.h"
#include "cli/input_files.h"
#include "cli/reporters.h"

namespace tarnwick::cli {
namespace {

std::string Address(std::uint32_t address) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", address);
  return text;
}

std::string SummaryText(const HexSummary& summary) {
  std::string text = std::to_string(summary.records) + " records, " +
                     std::to_string(summary.dataBytes) + " data bytes";
  for (std::size_t i = 0; i < summary.ranges.size(); ++i) {
    text += (i == 0 ? ", addresses " : ", ") + Address(summary.ranges[i].first) + "-" +
            Address(summary.ranges[i].second);
  }
  return text;
}

std::string SummaryJson(const HexSummary& summary) {
  std::string ranges;
  for (const auto& [first, last] : summary.ranges) {
    ranges += std::string(ranges.empty() ? "" : ",") + "{\"start\":" + std::to_string(first) +
              ",\"end\":" + std::to_string(last) + "}";
  }
  return ",\"records\":" + std::to_string(summary.records) +
         ",\"data_bytes\":" + std::to_string(summary.dataBytes) + ",\"ranges\":[" + ranges + "]";
}

class CheckPrinter {
 public:
  CheckPrinter(const CheckOptions& options, std::ostream& out, std::ostream& err)
      : options_(options), out_(out), err_(err) {}

  void Fault(const std::string& file, const HexFault& fault) {
    if (options_.json) {
      out_ << "{\"event\":\"check_fault\",\"file\":" << JsonString(file)
           << ",\"line\":" << fault.line << ",\"text\":" << JsonString(fault.text)
           << ",\"warning\":" << (fault.warning ? "true" : "false") << "}\n";
      return;
    }
    err_ << file << ':' << (fault.line > 0 ? std::to_string(fault.line) + ":" : "") << ' '
         << (fault.warning ? "warning: " : "") << fault.text << '\n';
  }
  void File(const std::string& file, const HexReport& report) {
    if (options_.json) {
      out_ << "{\"event\":\"check_file\",\"file\":" << JsonString(file)
           << ",\"passed\":" << (report.Passed() ? "true" : "false") << SummaryJson(report.summary)
           << "}\n";
    } else if (report.Passed()) {
      // Warnings, on standard error, do not fail a file, but then it is not clean either.
      const std::string verdict = report.faults.empty() ? "clean" : "passed with warnings";
      out_ << file << ": " << (options_.summary ? SummaryText(report.summary) : verdict) << '\n';
    }
  }
  void Unreadable(const std::string& file, const std::string& why) {
    Fault(file, HexFault{0, why});
    if (options_.json) File(file, HexReport{{{0, why}}, {}});
  }

 private:
  const CheckOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace

ExitCode CheckFiles(const CheckOptions& options, std::ostream& out, std::ostream& err) {
  CheckPrinter printer(options, out, err);
  ExitCode result = ExitCode::kSuccess;
  for (const std::string& name : options.files) {
    std::ifstream in;
    std::optional<std::string> problem = FileProblem(name);
    if (!problem) in.open(std::filesystem::path(name), std::ios::binary);
    const HexReport report = problem ? HexReport{} : CheckHex(in);
    if (!problem && in.bad()) problem = "not readable to its end";
    if (problem) {
      printer.Unreadable(name, *problem);
      result = ExitCode::kDownloadFile;
      continue;
    }
    for (const HexFault& fault : report.faults) printer.Fault(name, fault);
    printer.File(name, report);
    if (!report.Passed() && result == ExitCode::kSuccess) result = ExitCode::kCheckFailed;
  }
  out << std::flush;
  err << std::flush;
  return result;
}

ExitCode CheckBeforeDownload(const DownloadOptions& options) {
  if (!options.check) return ExitCode::kSuccess;
  // As text, what passes is worth no line of its own in a download's report; with --quiet
  // --json the outcome is the only event, so the faults go to standard error as text.
  const bool json = options.json && !options.quiet;
  std::ostringstream passed;
  const CheckOptions check{FilesOf(options), false, json};
  return CheckFiles(check, json ? std::cout : passed, std::cerr);
}

}  // namespace tarnwick::cli
