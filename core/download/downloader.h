#pragma once

#include <cstdint>

#include "core/download/download_state.h"
#include "core/download/download_view.h"
#include "platform/clock.h"
#include "platform/serial_port.h"

namespace tarnwick {

// The download engine: the main window's download handlers, working on its form-level
// variables and reaching the world only through the port, the clock and the view.
class Downloader {
 public:
  Downloader(DownloadState& state, SerialPort& port, Clock& clock, DownloadView& view)
      : state_(state), port_(port), clock_(clock), view_(view) {}

  void Command2_Click() { DownloadFiles(0); }  // jump mode
  void Command6_Click() { DownloadFiles(1); }  // wait mode
  void Command4_Click();                       // Cancel
  void Timer1_Timer();
  void Timer3_Timer();

  // One whole download; returns when it has ended, whatever the ending.
  void DownloadFiles(std::int16_t WaitForBootloader);

 private:
  DownloadState& state_;
  SerialPort& port_;
  Clock& clock_;
  DownloadView& view_;
};

}  // namespace tarnwick
