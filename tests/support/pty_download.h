#pragma once

#include <string>
#include <utility>

#include "core/download/downloader.h"
#include "platform/qt/qt_serial_port.h"
#include "platform/system_clock.h"
#include "tests/support/headless_download_view.h"

namespace tarnwick::testing {

// The engine with the real Qt port, opening `device` for every port number, the system clock
// and the headless window, wired as the main window wires them.
struct PtyDownload {
  PtyDownload(const std::string& device, DownloadSettings settings)
      : port([device](int) { return device; }),
        view(std::move(settings)),
        downloader(port, clock, view) {
    view.BindTimers(downloader);
  }

  QtSerialPort port;
  SystemClock clock;
  HeadlessDownloadView view;
  Downloader downloader;
};

}  // namespace tarnwick::testing
