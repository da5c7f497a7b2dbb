#include "bench/headless_download_view.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <utility>

namespace tarnwick::bench {

HeadlessDownloadView::HeadlessDownloadView(DownloadState& state, DownloadSettings settings)
    : state_(state), settings_(std::move(settings)) {
  timer1_.setInterval(60);
  timer3_.setInterval(1000);
}

void HeadlessDownloadView::BindTimers(Downloader& downloader) {
  QObject::connect(&timer1_, &QTimer::timeout, [&downloader] { downloader.Timer1_Timer(); });
  QObject::connect(&timer3_, &QTimer::timeout, [&downloader] { downloader.Timer3_Timer(); });
  timer1_.start();
}

void HeadlessDownloadView::SetLineTimerEnabled(bool enabled) {
  if (enabled) {
    timer3_.start();
  } else {
    timer3_.stop();
  }
}

void HeadlessDownloadView::ShowMessage(const std::string& text, MessageIcon) {
  messages_.push_back(text);
}

bool HeadlessDownloadView::AskYesNo(const std::string& text) {
  messages_.push_back(text);
  return true;
}

void HeadlessDownloadView::PumpEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void HeadlessDownloadView::PumpPendingEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace tarnwick::bench
