#include "cli/many_boards.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <utility>

#ifdef __linux__
#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#endif

#include "cli/board_line.h"
#include "cli/check_command.h"
#include "cli/download_option_table.h"
#include "cli/input_files.h"
#include "cli/json_reporter.h"
#include "cli/run_record.h"
#include "cli/stop_signal.h"
#include "cli/terminal.h"

namespace tarnwick::cli {
namespace {

constexpr int kRedrawIntervalMs = 100;

struct Board {
  std::string port;
  std::unique_ptr<QProcess> process;
  BoardLine state;
  std::unique_ptr<BoardEvents> printer;  // the plain or JSON lines of this board
  std::ostringstream printed;            // what the printer wrote, until its lines are whole
  std::ostringstream printedErrors;      // the same for its failures
  QByteArray unread;                     // the child's output, until its lines are whole
};

// The run of one board's process: the user's, with this board's port only, JSON out, and a
// log file of its own. The files were checked once, before any board started.
QStringList ChildArguments(const DownloadOptions& options, const std::string& port) {
  DownloadOptions board = options;
  board.ports = {port};
  board.json = true;
  board.quiet = false;
  board.check = false;
  if (options.logFile) board.logFile = BoardLogName(*options.logFile, port);
  QStringList child{QStringLiteral("download")};
  for (const std::string& arg : ArgumentsOf(board)) child << QString::fromStdString(arg);
  return child;
}

// The outcome of a board whose process ended without giving one.
BoardOutcome ProcessOutcome(std::string message, std::string reason, ExitCode code) {
  BoardOutcome outcome;
  outcome.message = std::move(message);
  outcome.reason = std::move(reason);
  outcome.exitCode = ToInt(code);
  outcome.ended = UtcNow();
  return outcome;
}

// A board whose parent dies (even by SIGKILL, which the parent cannot pass on) stops as on
// Ctrl+C, with its outcome and record, instead of running on unwatched or being cut off
// mid-file when its output pipe breaks. Set in the child before it runs the program; a
// parent that died before that is noticed by the child's new parent id.
void StopWithParent(QProcess& process) {
#ifdef __linux__
  const pid_t parent = ::getpid();
  process.setChildProcessModifier([parent] {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::raise(SIGTERM);
  });
#else
  (void)process;
#endif
}

class ManyBoards {
 public:
  ManyBoards(const DownloadOptions& options, ReportStyle style)
      : style_(style), record_(options.recordFile) {
    for (const std::string& port : options.ports) {
      auto& board = boards_.emplace_back(std::make_unique<Board>());
      board->port = port;
      if (style == ReportStyle::kPlain || style == ReportStyle::kJson ||
          style == ReportStyle::kJsonOutcome) {
        board->printer = MakeReporter(style, board->printed, board->printedErrors, port);
      }
      board->process = std::make_unique<QProcess>();
      board->process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
      board->process->setProgram(QCoreApplication::applicationFilePath());
      board->process->setArguments(ChildArguments(options, port));
      StopWithParent(*board->process);
      Board* b = board.get();
      QObject::connect(b->process.get(), &QProcess::readyReadStandardOutput,
                       [this, b] { Read(*b); });
      QObject::connect(b->process.get(), &QProcess::finished,
                       [this, b](int code, QProcess::ExitStatus status) {
                         Read(*b);
                         Finished(*b, code, status);
                       });
      // A process that cannot start (no pipes or processes left) never finishes either.
      QObject::connect(
          b->process.get(), &QProcess::errorOccurred, [this, b](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart) return;
            End(*b, ProcessOutcome("The download process could not be started.",
                                   b->process->errorString().toStdString(), ExitCode::kOther));
          });
    }
  }

  ExitCode Run() {
    QTimer redraw;
    QObject::connect(&redraw, &QTimer::timeout, [this] {
      ForwardStop();
      Draw();
    });
    redraw.start(kRedrawIntervalMs);
    for (auto& board : boards_) board->process->start();
    Draw();
    if (finished_ < boards_.size()) QCoreApplication::exec();
    Draw();
    return Summary();
  }

 private:
  void Read(Board& board) {
    board.unread += board.process->readAllStandardOutput();
    for (qsizetype end = board.unread.indexOf('\n'); end >= 0; end = board.unread.indexOf('\n')) {
      const QByteArray line = board.unread.left(end);
      board.unread.remove(0, end + 1);
      const QJsonObject event = QJsonDocument::fromJson(line).object();
      if (event.isEmpty()) continue;
      Deliver(event, board.state);
      if (board.printer) {
        Deliver(event, *board.printer);
        PrintLines(board);
      }
    }
  }

  void PrintLines(Board& board) {
    PrintLines(board, board.printed, std::cout);
    PrintLines(board, board.printedErrors, std::cerr);
  }
  // A board's process that ended without its outcome gets one here: by the signal that
  // ended it, or by its exit code.
  void Finished(Board& board, int code, QProcess::ExitStatus status) {
    if (board.state.Ended()) return Count();
    if (status == QProcess::CrashExit) {
      // After a crash Qt gives the signal's number as the exit code.
      return End(board, ProcessOutcome("The download process was ended by signal " +
                                           std::to_string(code) + ".",
                                       "", ExitCode::kBoardKilled));
    }
    End(board, ProcessOutcome("The download process ended without an outcome.", "",
                              code == 0 ? ExitCode::kOther : static_cast<ExitCode>(code)));
  }

  // The end of a board whose process gave no outcome, and so wrote no record line either.
  void End(Board& board, const BoardOutcome& outcome) {
    if (record_) AppendRecord(*record_, board.port, outcome);
    board.state.Outcome(outcome);
    if (board.printer) {
      board.printer->Outcome(outcome);
      PrintLines(board);
    }
    Count();
  }

  void Count() {
    if (++finished_ == boards_.size()) QCoreApplication::quit();
  }

  // Plain lines get their board's port in front; JSON lines carry it already.
  void PrintLines(const Board& board, std::ostringstream& printed, std::ostream& to) {
    std::istringstream lines(printed.str());
    printed.str({});
    for (std::string line; std::getline(lines, line);) {
      if (style_ == ReportStyle::kPlain) to << '[' << board.port << "] ";
      to << line << '\n';
    }
    to << std::flush;
  }

  // Ctrl+C reaches every process of the terminal; SIGTERM only this one, so it is passed on.
  void ForwardStop() {
    if (stop_forwarded_ || !StopSignalled()) return;
    stop_forwarded_ = true;
    for (auto& board : boards_) {
      if (board->process->state() != QProcess::NotRunning) board->process->terminate();
    }
  }

  // A line a board, redrawn in place: each fits the terminal, so that none wraps and the
  // cursor goes back up exactly over them.
  void Draw() {
    if (style_ != ReportStyle::kTerminal) return;
    const int columns = TerminalColumns();
    if (drawn_) std::cout << "\x1b[" << boards_.size() << 'A';
    for (const auto& board : boards_) {
      std::cout << "\r\x1b[2K"
                << FitToColumns(Padded(board->port) + ' ' + board->state.Line(), columns) << '\n';
    }
    std::cout << std::flush;
    drawn_ = true;
  }

  // The port, padded to the longest port's name: the column of the lines and the table.
  std::string Padded(const std::string& text) const {
    std::size_t width = 4;  // "PORT"
    for (const auto& board : boards_) width = std::max(width, board->port.size());
    return text + std::string(width - std::min(width, text.size()), ' ');
  }

  ExitCode Summary() {
    int code = 0;
    for (const auto& board : boards_) {
      if (code == 0) code = board->state.ExitCodeValue();
    }
    if (style_ == ReportStyle::kJson || style_ == ReportStyle::kJsonOutcome) {
      std::cout << "{\"event\":\"summary\",\"exit_code\":" << code << "}\n" << std::flush;
      return static_cast<ExitCode>(code);
    }
    // A failing board's row and reason go to standard error, as every failure does; on a
    // terminal the table reads as one.
    std::cout << '\n' << Padded("PORT") << " EXIT       TIME  OUTCOME\n" << std::flush;
    for (const auto& board : boards_) {
      std::ostream& to = board->state.ExitCodeValue() == 0 ? std::cout : std::cerr;
      char figures[32];
      std::snprintf(figures, sizeof figures, " %-6d %6.1f s  ", board->state.ExitCodeValue(),
                    board->state.Seconds());
      to << Padded(board->port) << figures << board->state.OutcomeText() << '\n';
      if (!board->state.Reason().empty()) {
        to << Padded("") << std::string(18, ' ') << "Reason: " << board->state.Reason() << '\n';
      }
      to << std::flush;
    }
    return static_cast<ExitCode>(code);
  }

  ReportStyle style_;
  std::optional<std::string> record_;
  std::vector<std::unique_ptr<Board>> boards_;
  std::size_t finished_ = 0;
  bool drawn_ = false;
  bool stop_forwarded_ = false;
};

}  // namespace

ExitCode DownloadToManyBoards(const DownloadOptions& options, ReportStyle style) {
  ResolveSettings(options);  // a bad settings file or character stops here, nothing sent
  if (const ExitCode checked = CheckBeforeDownload(options); checked != ExitCode::kSuccess) {
    std::cerr << kCheckFailedMessage << '\n';
    if (options.json)
      std::cout << "{\"event\":\"summary\",\"exit_code\":" << ToInt(checked) << "}\n";
    // Each board's run ended here, and the record says so as one board's would.
    if (options.recordFile) {
      BoardOutcome outcome = ProcessOutcome(kCheckFailedMessage, "", checked);
      outcome.files = DigestsOf(FilesOf(options));
      outcome.started = outcome.ended;
      for (const std::string& port : options.ports)
        AppendRecord(*options.recordFile, port, outcome);
    }
    return checked;
  }
  return ManyBoards(options, style).Run();
}

}  // namespace tarnwick::cli
