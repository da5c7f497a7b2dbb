#include "cli/json_reporter.h"

#include <QJsonArray>
#include <cstdio>
#include <string_view>

#include "cli/reporters.h"
#include "core/download/utf8.h"

namespace tarnwick::cli {
namespace {

std::string Fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string LineJson(const ContinuedLine& line) {
  return "{\"file\":" + JsonString(line.file) + ",\"line\":" + std::to_string(line.line) +
         ",\"reason\":" + JsonString(line.reason) + "}";
}

std::string ContinuedJson(const std::vector<ContinuedLine>& continued) {
  std::string json = "[";
  for (const ContinuedLine& line : continued) {
    json += std::string(json.size() > 1 ? "," : "") + LineJson(line);
  }
  return json + "]";
}

std::string FilesJson(const std::vector<FileDigest>& files) {
  std::string json = "[";
  for (const FileDigest& file : files) {
    json += std::string(json.size() > 1 ? "," : "") + "{\"path\":" + JsonString(file.path) +
            ",\"lines\":" + std::to_string(file.lines) +
            ",\"sha256\":" + (file.sha256.empty() ? "null" : JsonString(file.sha256)) + "}";
  }
  return json + "]";
}

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

std::string StringOrNull(const std::string& text) {
  return text.empty() ? "null" : JsonString(text);
}

class JsonReporter final : public BoardEvents {
 public:
  JsonReporter(std::ostream& out, std::string port, bool outcomeOnly)
      : out_(out), port_(JsonString(port)), outcome_only_(outcomeOnly) {}

  void Phase(const std::string& text) override { Emit("phase", "\"text\":" + JsonString(text)); }
  void Repeated(const std::string& text, std::int64_t times) override {
    Emit("repeated", "\"text\":" + JsonString(text) + ",\"times\":" + std::to_string(times));
  }
  void Progress(const std::string& file, std::int64_t sent, std::int64_t total,
                double seconds) override {
    const double rate = seconds > 0 ? sent / seconds : 0.0;
    Emit("progress",
         "\"file\":" + JsonString(file) + ",\"sent\":" + std::to_string(sent) +
             ",\"total\":" + std::to_string(total) + ",\"lines_per_second\":" + Fixed(rate, 1) +
             ",\"seconds_left\":" + (rate > 0 ? Fixed((total - sent) / rate, 1) : "null"));
  }
  void Prompt(const std::string& text, bool answer) override {
    Emit("prompt",
         "\"text\":" + JsonString(text) + ",\"answer\":" + (answer ? "\"yes\"" : "\"no\""));
  }
  void Outcome(const BoardOutcome& outcome) override {
    Emit("outcome", OutcomeJsonFields(outcome));
  }

 private:
  void Emit(const char* event, const std::string& fields) {
    if (outcome_only_ && std::string_view(event) != "outcome") return;
    out_ << "{\"event\":\"" << event << "\",\"port\":" << port_ << ',' << fields << "}\n"
         << std::flush;
  }

  std::ostream& out_;
  std::string port_;
  bool outcome_only_;
};

}  // namespace

std::string OutcomeJsonFields(const BoardOutcome& outcome) {
  return "\"text\":" + JsonString(outcome.message) + ",\"reason\":" + JsonString(outcome.reason) +
         ",\"exit_code\":" + std::to_string(outcome.exitCode) +
         ",\"seconds\":" + Fixed(outcome.seconds, 3) +
         ",\"continued\":" + ContinuedJson(outcome.continued) + ",\"failed_line\":" +
         (outcome.failedLine ? LineJson(*outcome.failedLine) : std::string("null")) +
         ",\"bootloader_version\":" + StringOrNull(outcome.bootloaderVersion) +
         ",\"files\":" + FilesJson(outcome.files) +
         ",\"started\":" + StringOrNull(outcome.started) +
         ",\"ended\":" + StringOrNull(outcome.ended);
}

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '"' || byte == '\\') {
      json += '\\';
      json += text[i];
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      json += escaped;
    } else if (byte < 0x80) {
      json += text[i];
    } else if (std::size_t end = i; DecodeUtf8(text, end)) {
      // Only well-formed UTF-8 goes out as it is: a JSON reader refuses a line for any other.
      json.append(text, i, end - i);
      i = end - 1;
    } else {
      json += "\\ufffd";
    }
  }
  return json + '"';
}

std::unique_ptr<BoardEvents> MakeJsonReporter(std::ostream& out, const std::string& port,
                                              bool outcomeOnly) {
  return std::make_unique<JsonReporter>(out, port, outcomeOnly);
}

// The reading side of the same events, beside their writing, so that the two keep one format.
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
