#pragma once

#include <QTimer>

#include "core/download/downloader.h"

namespace tarnwick::cli {

// Bounds the handshake, which the engine lets run for as long as the target keeps it going
// (an application that answers every request with its active character, or a board in wait
// mode that nobody resets): a build server or a production line must get an answer. Started
// with the download and stopped once the bootloader has answered; when it fires first, it
// cancels the download and remembers that the time, not the user, ended it.
class HandshakeTimeout {
 public:
  // `seconds` 0: no limit.
  HandshakeTimeout(Downloader& downloader, int seconds);

  void Start();
  void Stop() { timer_.stop(); }
  bool Expired() const { return expired_; }

 private:
  QTimer timer_;
  bool expired_ = false;
};

}  // namespace tarnwick::cli
