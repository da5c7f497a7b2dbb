// The handshake: brings the target's bootloader to readiness in jump mode or wait mode and
// reads its version from the ready answer. Every setting is read from the window at the
// moment it is used, so a change made through the menus during the handshake takes effect
// at the next pass.

#include <algorithm>
#include <chrono>
#include <string>
#include <string_view>

#include "core/download/download_run.h"
#include "core/download/line_bytes.h"
#include "core/download/three_second_watch.h"
#include "core/download/version_number.h"

namespace tarnwick {

namespace {
// While waiting for the active character everything received is dropped afterwards, so a
// target that chatters for hours need not be kept in memory beyond this much.
constexpr std::size_t kActiveWaitKeep = 64 * 1024;
// The requests keep what they receive, but a target that chatters after the active character
// (which starts jump mode's requests again) must not make that grow for hours.
constexpr std::size_t kRequestTextLimit = 256 * 1024;
// The longest an answer may go on arriving in pieces before it is judged: the rest of a
// request's answer, or the version after the ready character. A target that never falls
// quiet is still asked again, or its version read, within this.
constexpr std::int64_t kAnswerTimeLimitMs = 250;
}  // namespace

DownloadRun::Flow DownloadRun::Handshake(Mode mode) {
  view_.HandshakeStarted();
  handshake_tries_ = 0;
  received_text_.Clear();

  // Wait mode first waits for the bootloader's active character after a reset.
  Flow flow = mode == Mode::kWait ? AwaitActiveCharacter() : Flow::kGoOn;
  if (flow == Flow::kGoOn) flow = RequestReady(mode);
  if (flow != Flow::kGoOn) return flow;

  if (!received_text_.Contains(ReadyBytes())) {
    ShowEnding(DownloadResult::kNoBootloaderResponse, EndingMessage::kNoBootloaderResponse);
    return Flow::kCleanup;
  }
  // A V before the ready character may belong to the running application's own words, so
  // the version after the ready character is awaited while it is still on its way.
  if (GatherAnswer(&DownloadRun::VersionTextComplete) == Flow::kCleanup) return Flow::kCleanup;
  ReadBootloaderVersion();
  return Flow::kGoOn;
}

// At most three requests. In jump mode the request asks the running application to jump to
// its bootloader; when the application answers with the active character, the requests go on
// until the bootloader is ready or the user cancels.
DownloadRun::Flow DownloadRun::RequestReady(Mode mode) {
  const bool jump = mode == Mode::kJump;
  bool requested = false;
  while (!received_text_.Contains(ReadyBytes()) && handshake_tries_ < 3) {
    if (state_.CancelRequested) return Flow::kCleanup;
    // Input that came before the request (even before the download) takes part in the search,
    // and an answer that came after the last one was gathered means no request is needed.
    AppendPendingInput();
    if (requested && received_text_.Contains(ReadyBytes())) break;
    view_.PhaseEntered(DownloadStatus::Request(
        jump ? DownloadPhase::kRequestingAck : DownloadPhase::kRequestingReady,
        handshake_tries_ + 1));
    const DownloadSettings settings = view_.CurrentSettings();
    port_.Output((jump ? LineBytes(settings.JumpCommand) : std::string()) +
                 LineBytes(settings.StartSequence));
    requested = true;
    if (TimedWait() == Flow::kCleanup) return Flow::kCleanup;
    received_text_.KeepWithin(kRequestTextLimit, ReadyBytes());
    if (jump && received_text_.Contains(LineBytes(view_.CurrentSettings().ActiveCharacter))) {
      handshake_tries_ = 0;
      view_.PhaseEntered(DownloadStatus::Of(DownloadPhase::kSwitchingToBootloader));
    }
    ++handshake_tries_;
    view_.PumpPendingEvents();
  }
  return Flow::kGoOn;
}

// Waits without a time limit while the user resets the target. Every pass gives the window
// a turn and sees Cancel, also while the target streams other characters without a pause.
DownloadRun::Flow DownloadRun::AwaitActiveCharacter() {
  port_.Input();  // whatever came before the reset belongs to the old application
  view_.PhaseEntered(DownloadStatus::Of(DownloadPhase::kWaitingForActiveCharacter));
  while (true) {
    const std::string active = LineBytes(view_.CurrentSettings().ActiveCharacter);
    if (received_text_.Contains(active)) break;
    if (received_text_.Text().size() > kActiveWaitKeep) {
      // Only a match that straddles the end of what is kept can still be found.
      const std::size_t keep = active.empty() ? 0 : active.size() - 1;
      received_text_.Replace(received_text_.Text().substr(received_text_.Text().size() - keep));
    }
    if (state_.CancelRequested) return Flow::kCleanup;
    view_.AwaitEvents(kNoDeadline);
    AppendPendingInput();
  }
  // The active character and everything with it or before it must not count as an answer.
  handshake_tries_ = 0;
  received_text_.Clear();
  return Flow::kGoOn;
}

// Waits up to three whole seconds for a request's answer; any input at all ends it at once,
// and so does the turn of the second that ends the limit. An answer that has begun is then
// taken in whole before it is judged, so that no request goes out while the ready character
// is already on its way: real lines hand "^" and "?V1.30" over milliseconds apart.
DownloadRun::Flow DownloadRun::TimedWait() {
  ThreeSecondWatch watch(clock_);
  while (port_.InBufferCount() == 0) {
    if (state_.CancelRequested) return Flow::kCleanup;
    const std::chrono::milliseconds left = watch.TimeLeft();
    if (left.count() == 0) return Flow::kGoOn;
    view_.AwaitEvents(left);
  }
  AppendPendingInput();
  return GatherAnswer(&DownloadRun::HoldsReady);
}

void DownloadRun::AppendPendingInput() {
  received_text_.Append(port_.Input());
}

// Adapters hand a reply over in pieces. Input is taken until `complete` holds or the line has
// been quiet for twenty character times, within a limit that also bounds the delay for a
// target that never falls quiet or never completes its answer.
DownloadRun::Flow DownloadRun::GatherAnswer(bool (DownloadRun::*complete)()) {
  const std::int64_t start = clock_.SteadyMilliseconds();
  std::int64_t last_input = start;
  while (!(this->*complete)()) {
    if (state_.CancelRequested) return Flow::kCleanup;
    const std::int64_t now = clock_.SteadyMilliseconds();
    const std::int64_t left =
        std::min(last_input + quiet_gap_ms_, start + kAnswerTimeLimitMs) - now;
    if (left <= 0) break;
    view_.AwaitEvents(std::chrono::milliseconds{left});
    if (port_.InBufferCount() > 0) {
      AppendPendingInput();
      last_input = clock_.SteadyMilliseconds();
    }
  }
  return Flow::kGoOn;
}

std::string DownloadRun::ReadyBytes() {
  return LineBytes(view_.CurrentSettings().ReadyCharacter);
}

bool DownloadRun::HoldsReady() {
  return received_text_.Contains(ReadyBytes());
}

// The bootloader puts its version after its ready character; the number is complete once a
// character follows it that cannot continue it.
bool DownloadRun::VersionTextComplete() {
  const std::size_t v = received_text_.VersionAfter(ReadyBytes());
  return v != std::string::npos &&
         VersionNumberComplete(std::string_view(received_text_.Text()).substr(v + 1));
}

// The version is the number after the first capital V that follows the ready character, or
// after the first V at all when none follows it. What follows that V stays as the received
// text for the transfer.
void DownloadRun::ReadBootloaderVersion() {
  const std::size_t v = received_text_.VersionStart(ReadyBytes());
  if (v == std::string::npos) {
    bootloader_version_ = 0.0f;
    view_.VersionRead("", bootloader_version_);
    return;
  }
  received_text_.Replace(received_text_.Text().substr(v + 1));
  bootloader_version_ = ReadVersionNumber(received_text_.Text());
  view_.VersionRead(std::string(VersionNumberText(received_text_.Text())), bootloader_version_);
}

}  // namespace tarnwick
