#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "cli/board_events.h"
#include "cli/cli_port.h"
#include "cli/console_view.h"
#include "core/download/downloader.h"
#include "platform/qt/any_port.h"
#include "platform/system_clock.h"

namespace tarnwick::cli {

// The engine without a window, wired once: the port that `device` names (a serial device or a
// port server's address) behind the command line's port (its log and its rate), the system
// clock, and the command line's view with `events` and `answer`. tarnwick-cli, the tests and
// the bench all download through it.
struct HeadlessDownload {
  HeadlessDownload(const std::string& device, DownloadSettings settings, BoardEvents& events,
                   ConsoleView::Answerer answer, std::ostream* log = nullptr,
                   std::optional<std::int32_t> baud = std::nullopt)
      : serial([device](int) { return device; }),
        port(serial, log, baud),
        view(std::move(settings), events, std::move(answer)),
        downloader(port, clock, view) {
    view.Attach(downloader);
  }

  AnyPort serial;
  CliPort port;
  SystemClock clock;
  ConsoleView view;
  Downloader downloader;
};

}  // namespace tarnwick::cli
