#include "cli/board_line.h"

#include <QJsonArray>
#include <cstdio>

#include "cli/reporters.h"

namespace tarnwick::cli {
namespace {

std::vector<ContinuedLine> ContinuedOf(const QJsonObject& event) {
  std::vector<ContinuedLine> continued;
  for (const QJsonValue& value : event.value("continued").toArray()) {
    const QJsonObject line = value.toObject();
    continued.push_back({line.value("file").toString().toStdString(),
                         static_cast<std::int64_t>(line.value("line").toDouble()),
                         line.value("reason").toString().toStdString()});
  }
  return continued;
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
    to.Outcome({text, event.value("reason").toString().toStdString(),
                event.value("exit_code").toInt(), event.value("seconds").toDouble(),
                ContinuedOf(event)});
  }
}

}  // namespace tarnwick::cli
