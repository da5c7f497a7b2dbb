#include "tests/support/headless_download_view.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <utility>

namespace tarnwick::testing {

HeadlessDownloadView::HeadlessDownloadView(DownloadSettings settings)
    : settings_(std::move(settings)) {
  timer1_.setInterval(60);
  timer3_.setInterval(1000);
  cancel_.setSingleShot(true);
}

void HeadlessDownloadView::BindTimers(Downloader& downloader) {
  downloader_ = &downloader;
  QObject::connect(&timer1_, &QTimer::timeout, [this] { downloader_->OnTick(); });
  QObject::connect(&timer3_, &QTimer::timeout, [this] { downloader_->OnSecond(); });
  QObject::connect(&cancel_, &QTimer::timeout, [this] { downloader_->Cancel(); });
  timer1_.start();
}

void HeadlessDownloadView::CancelAfter(int milliseconds) {
  cancel_.start(milliseconds);
}

void HeadlessDownloadView::SetLineTimerEnabled(bool enabled) {
  if (onLineTimer) onLineTimer(enabled);
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

void HeadlessDownloadView::SetControlsIdle() {
  busy_ = false;
  statusTexts_.push_back("Idle");
}

void HeadlessDownloadView::PumpEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void HeadlessDownloadView::PumpPendingEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace tarnwick::testing
