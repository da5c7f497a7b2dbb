#include "cli/line_faults.h"

namespace tarnwick::cli {
namespace {

constexpr const char* kGoOnQuestion = " Continue with download?";

}  // namespace

LineFault LineFaultOf(const std::string& question) {
  if (question.rfind("Checksum error", 0) == 0) return LineFault::kChecksum;
  if (question.rfind("Error writing to flash", 0) == 0) return LineFault::kFlashWrite;
  return LineFault::kNoResponse;
}

std::string ReasonOf(LineFault fault) {
  switch (fault) {
    case LineFault::kChecksum:
      return "checksum error";
    case LineFault::kFlashWrite:
      return "flash write error";
    case LineFault::kNoResponse:
      break;
  }
  return "no response";
}

std::string StatementOf(const std::string& question) {
  const std::string ending = kGoOnQuestion;
  if (question.size() > ending.size() &&
      question.compare(question.size() - ending.size(), ending.size(), ending) == 0) {
    return question.substr(0, question.size() - ending.size());
  }
  return question;
}

}  // namespace tarnwick::cli
