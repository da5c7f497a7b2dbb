#include "cli/handshake_timeout.h"

namespace tarnwick::cli {

HandshakeTimeout::HandshakeTimeout(Downloader& downloader, int seconds) {
  timer_.setSingleShot(true);
  timer_.setInterval(seconds * 1000);
  QObject::connect(&timer_, &QTimer::timeout, [this, &downloader] {
    expired_ = true;
    downloader.Cancel();
  });
}

void HandshakeTimeout::Start() {
  if (timer_.interval() > 0) timer_.start();
}

}  // namespace tarnwick::cli
