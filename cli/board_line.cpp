#include "cli/board_line.h"

#include <QJsonArray>
#include <cstdio>

#include "cli/reporters.h"

namespace tarnwick::cli {
namespace {

std::string Text(const QJsonObject& object, const char* name) {
  return object.value(name).toString().toStdString();
}
std::int64_t Count(const QJsonObject& object, const char* name) {
  return static_cast<std::int64_t>(object.value(name).toDouble());
}

ContinuedLine LineOf(const QJsonObject& line) {
  return {Text(line, "file"), Count(line, "line"), Text(line, "reason")};
}

std::vector<ContinuedLine> ContinuedOf(const QJsonObject& event) {
  std::vector<ContinuedLine> continued;
  for (const QJsonValue& value : event.value("continued").toArray()) {
    continued.push_back(LineOf(value.toObject()));
  }
  return continued;
}

std::optional<ContinuedLine> FailedLineOf(const QJsonObject& event) {
  const QJsonObject line = event.value("failed_line").toObject();
  if (line.isEmpty()) return std::nullopt;
  return LineOf(line);
}

std::vector<FileDigest> FilesOf(const QJsonObject& event) {
  std::vector<FileDigest> files;
  for (const QJsonValue& value : event.value("files").toArray()) {
    const QJsonObject file = value.toObject();
    files.push_back({Text(file, "path"), Count(file, "lines"), Text(file, "sha256")});
  }
  return files;
}

}  // namespace

void BoardLine::Progress(const std::string& file, std::int64_t sent, std::int64_t total,
                         double seconds) {
  const int percent = total > 0 ? static_cast<int>(100 * sent / total) : 100;
  const double rate = seconds > 0 ? sent / seconds : 0.0;
  char text[160];
  std::snprintf(text, sizeof text, "%s %3d %%  %lld/%lld lines  %.0f lines/s  %s left",
                file.c_str(), percent, static_cast<long long>(sent), static_cast<long long>(total),
                rate, rate > 0 ? ClockText((total - sent) / rate).c_str() : "-");
  line_ = text;
}

void BoardLine::Outcome(const BoardOutcome& outcome) {
  outcome_ = outcome.message.empty() ? "Stopped." : outcome.message;
  reason_ = outcome.reason;
  exit_code_ = outcome.exitCode;
  seconds_ = outcome.seconds;
  line_ = outcome_;
}

void Deliver(const QJsonObject& event, BoardEvents& to) {
  const std::string kind = event.value("event").toString().toStdString();
  const auto text = event.value("text").toString().toStdString();
  if (kind == "phase") {
    to.Phase(text);
  } else if (kind == "repeated") {
    to.Repeated(text, static_cast<std::int64_t>(event.value("times").toDouble()));
  } else if (kind == "progress") {
    const double rate = event.value("lines_per_second").toDouble();
    const auto sent = static_cast<std::int64_t>(event.value("sent").toDouble());
    to.Progress(event.value("file").toString().toStdString(), sent,
                static_cast<std::int64_t>(event.value("total").toDouble()),
                rate > 0 ? sent / rate : 0);
  } else if (kind == "prompt") {
    to.Prompt(text, event.value("answer").toString() == "yes");
  } else if (kind == "outcome") {
    to.Outcome({text, Text(event, "reason"), event.value("exit_code").toInt(),
                event.value("seconds").toDouble(), ContinuedOf(event),
                Text(event, "bootloader_version"), FilesOf(event), FailedLineOf(event),
                Text(event, "started"), Text(event, "ended")});
  }
}

}  // namespace tarnwick::cli
