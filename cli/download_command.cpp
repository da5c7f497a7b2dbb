#include "cli/download_command.h"

#include <QFileInfo>
#include <QSocketNotifier>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>

#include "cli/check_command.h"
#include "cli/cli_port.h"
#include "cli/console_view.h"
#include "cli/file_digest.h"
#include "cli/handshake_timeout.h"
#include "cli/headless_download.h"
#include "cli/input_files.h"
#include "cli/line_faults.h"
#include "cli/port_names.h"
#include "cli/run_record.h"
#include "cli/stop_signal.h"
#include "cli/terminal.h"
#include "core/download/download_ending.h"
#include "core/download/line_bytes.h"
#include "platform/qt/any_port.h"
#include "platform/qt/port_device.h"
#include "platform/system_clock.h"

namespace tarnwick::cli {
namespace {

// The window's message for a port that cannot be used, as the outcome of a port refused
// before the download starts.
const std::string kPortFailureText =
    EndingText(DownloadEnding::Of(DownloadResult::kPortFailure, EndingMessage::kPortFailure));

// y or yes answers Yes; anything else, an empty line or the end of input, No.
bool AskOnTerminal(const std::string& question) {
  std::cout << question << " [y/N] " << std::flush;
  const std::optional<std::string> answer = ReadAnswerLine(StopSignalDescriptor());
  if (!answer) std::cout << '\n' << std::flush;  // the prompt's line is ended all the same
  return answer == "y" || answer == "Y" || answer == "yes";
}

ConsoleView::Answerer AnswererFor(const DownloadOptions& options, BoardEvents& events) {
  const OnError mode = options.onError.value_or(StdinIsTerminal() ? OnError::kAsk : OnError::kStop);
  switch (mode) {
    case OnError::kAsk:
      return [&events](const std::string& question) {
        events.Asking();
        return AskOnTerminal(question);
      };
    case OnError::kContinue:
      return [](const std::string&) { return true; };
    case OnError::kStop:
      break;
  }
  return [](const std::string&) { return false; };
}

// A download file that cannot be read is refused before anything goes to the line: the file
// and why.
std::optional<std::pair<std::string, std::string>> UnreadableFile(const DownloadOptions& options) {
  for (const std::string& file : FilesOf(options)) {
    if (const auto problem = FileProblem(file)) return std::pair(file, *problem);
  }
  return std::nullopt;
}

// The exit code and the outcome's message of a download that ran. A stop counts only when the
// user asked for it (Ctrl+C, SIGTERM), also when it came while the last file's verdict was
// awaited; a No to a failed line's question ends on what the target did, which the question
// names.
std::pair<ExitCode, std::string> EndingOf(DownloadResult result, const ConsoleView& view,
                                          const std::optional<std::string>& timedOut) {
  if (StopSignalled() && result != DownloadResult::kSuccess) return {ExitCode::kStopped, ""};
  if (timedOut) return {ExitCode::kNoResponse, *timedOut};
  if (result == DownloadResult::kStopped && view.RefusedFault()) {
    return {*view.RefusedFault() == LineFault::kNoResponse ? ExitCode::kNoResponse
                                                           : ExitCode::kTargetError,
            *view.RefusedStatement()};
  }
  return {ExitCodeFor(result), view.Message()};
}

// Which character never came within --timeout: in wait mode nothing is sent before the active
// character, so a board that sent nothing was never reset; otherwise the bootloader was never
// ready.
std::string TimeoutMessage(const DownloadOptions& options, const DownloadSettings& settings,
                           const CliPort& port) {
  const bool active = options.wait && !port.SentAnything();
  const std::string& character = active ? settings.ActiveCharacter : settings.ReadyCharacter;
  return std::string("No ") + (active ? "active" : "ready") + " character \"" +
         EscapedBytes(LineBytes(character)) + "\" from the target within " +
         std::to_string(options.timeoutSeconds) + " s.";
}

}  // namespace

ExitCode ExitCodeFor(DownloadResult result) {
  switch (result) {
    case DownloadResult::kSuccess:
      return ExitCode::kSuccess;
    case DownloadResult::kFileErrors:
      return ExitCode::kTargetError;
    case DownloadResult::kNoResponseAtEndOfFile:
    case DownloadResult::kNoBootloaderResponse:
      return ExitCode::kNoResponse;
    case DownloadResult::kEepromRefused:
      return ExitCode::kEepromRefused;
    case DownloadResult::kNothingTicked:
    case DownloadResult::kUnsendableSetting:
      return ExitCode::kUsage;
    case DownloadResult::kFileNotChosen:
    case DownloadResult::kFileFailure:
      return ExitCode::kDownloadFile;
    case DownloadResult::kStopped:
      return ExitCode::kStopped;
    case DownloadResult::kPortFailure:
      return ExitCode::kPort;
    case DownloadResult::kOtherFailure:
      break;
  }
  return ExitCode::kOther;
}

std::string DeviceForPort(const std::string& port) {
  if (IsUsbName(port)) return MatchUsbPort(port, SystemPorts());
  const int number = ComNumberOf(port);
  return number > 0 ? ResolvePortDevice(number) : port;
}

void RefuseRepeatedPorts(const DownloadOptions& options) {
  std::vector<std::string> devices;
  for (const std::string& port : options.ports) {
    const std::string device = DeviceForPort(port);
    const QFileInfo info(QString::fromStdString(device));
    const std::string identity = info.exists()    ? info.canonicalFilePath().toStdString()
                                 : device.empty() ? port
                                                  : device;
    const auto same = std::find(devices.begin(), devices.end(), identity);
    if (same != devices.end()) {
      throw UsageError("--port " + options.ports[same - devices.begin()] + " and --port " + port +
                       " are the same port, " + identity + "; give each board's port once");
    }
    devices.push_back(identity);
  }
}

ExitCode DownloadToOneBoard(const DownloadOptions& options, ReportStyle style) {
  const DownloadSettings settings = ResolveSettings(options);
  const std::string& portName = options.ports.front();
  auto events = MakeReporter(style, std::cout, std::cerr, portName);
  const auto started = std::chrono::steady_clock::now();
  const std::string startedAt = UtcNow();
  const std::vector<FileDigest> files = DigestsOf(FilesOf(options));
  const ConsoleView* ran = nullptr;  // the download's view, once it has run
  const auto finish = [&](ExitCode code, const std::string& message, const std::string& reason) {
    BoardOutcome outcome{message, reason, ToInt(code), 0, {}, "", files, {}, startedAt, UtcNow()};
    outcome.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (ran != nullptr) {
      outcome.continued = ran->Continued();
      outcome.bootloaderVersion = ran->BootloaderVersion();
      if (code != ExitCode::kStopped) outcome.failedLine = ran->FailedLine();
    }
    events->Outcome(outcome);
    if (options.recordFile) AppendRecord(*options.recordFile, portName, outcome);
    return code;
  };

  if (const auto file = UnreadableFile(options)) {
    return finish(ExitCode::kDownloadFile,
                  EndingText(DownloadEnding::Of(DownloadResult::kFileFailure,
                                                EndingMessage::kFileOpenFailure, file->first)),
                  file->first + ": " + file->second);
  }
  if (CheckBeforeDownload(options) != ExitCode::kSuccess) {
    return finish(ExitCode::kCheckFailed, kCheckFailedMessage, "");
  }
  const std::string device = DeviceForPort(portName);
  if (device.empty()) {
    return finish(ExitCode::kPort, kPortFailureText, portName + ": no serial port has this number");
  }

  std::ofstream log;
  if (options.logFile) {
    log.open(std::filesystem::path(*options.logFile), std::ios::out | std::ios::trunc);
    if (!log) throw UsageError("--log " + *options.logFile + ": cannot be written");
  }
  // A port that this user may not open: the system's reason and the group to join, which
  // the open's own failure would not name.
  if (const std::string problem = PortAccessProblem(device);
      problem.rfind("cannot be opened: permission denied", 0) == 0) {
    return finish(ExitCode::kPort, kPortFailureText,
                  (device == portName ? portName : portName + " (" + device + ")") + " " + problem);
  }
  HeadlessDownload board(device, settings, *events, AnswererFor(options, *events),
                         options.logFile ? &log : nullptr, options.baudRate);
  board.serial.SetPortName(portName);
  board.serial.SetWakeDescriptor(StopSignalDescriptor());
  CliPort& port = board.port;
  ConsoleView& view = board.view;
  Downloader& downloader = board.downloader;
  if (options.wait) port.ResetAfterOpen(board.serial, options.reset, HoldUnlessStopped);
  view.stopRequested = [&port] {
    if (!StopSignalled()) return false;
    port.Stop();
    return true;
  };
  // A stop wakes the wait it comes in; the view then sees it and cancels the download.
  const auto stopWatch = WatchStopSignals([] {});

  HandshakeTimeout timeout(downloader, options.timeoutSeconds);
  view.handshakeEnded = [&timeout] { timeout.Stop(); };
  timeout.Start();
  const DownloadResult result = downloader.Start(options.wait ? Mode::kWait : Mode::kJump);
  ran = &view;
  const auto [code, message] = EndingOf(
      result, view,
      timeout.Expired() ? std::optional(TimeoutMessage(options, settings, port)) : std::nullopt);
  // A stop ends with "Stopped." alone: what the interrupted download would have said of
  // itself, or why its last wait failed, is not true of it.
  return finish(code, message, code == ExitCode::kStopped ? "" : view.Reason());
}

}  // namespace tarnwick::cli
