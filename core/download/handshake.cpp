// The handshake: brings the target's bootloader to readiness in jump mode or wait mode and
// reads its version from the ready answer. Every setting is read from the window at the
// moment it is used, so a change made through the menus during the handshake takes effect
// at the next pass.

#include <chrono>
#include <string>

#include "core/download/download_run.h"
#include "core/download/three_second_watch.h"
#include "core/download/version_number.h"

namespace tarnwick {

namespace {
// While waiting for the active character everything received is dropped afterwards, so a
// target that chatters for hours need not be kept in memory beyond this much.
constexpr std::size_t kActiveWaitKeep = 64 * 1024;
// Any input ends a wait at once, so a target that chatters without a pause would otherwise
// turn every few bytes into another pass; a short pause after such input keeps the host's
// processor time near zero and lets the bytes gather, at no cost to the three-second limits.
constexpr std::chrono::milliseconds kPauseAfterInput{10};
}  // namespace

DownloadRun::Flow DownloadRun::Handshake(std::int16_t WaitForBootloader) {
  view_.SetVersionText("BootLoader Version: ");
  view_.ShowVersion();
  HandshakeTries = 0;
  ReceivedText.Clear();

  Flow flow = Flow::kGoOn;
  if (WaitForBootloader == 0) {
    flow = RequestReadyInJumpMode();
  } else {
    flow = AwaitActiveCharacter();
    if (flow == Flow::kGoOn) flow = RequestReadyInWaitMode();
  }
  if (flow != Flow::kGoOn) return flow;

  if (!ReceivedText.Contains(view_.CurrentSettings().ReadyCharacter)) {
    view_.ShowMessage("No response from target bootloader.", MessageIcon::None);
    return Flow::kCleanup;
  }
  ReadBootloaderVersion();
  return Flow::kGoOn;
}

// At most three requests, unless the running application has answered with the active
// character: then the requests go on until the bootloader is ready or the user cancels.
DownloadRun::Flow DownloadRun::RequestReadyInJumpMode() {
  while (!ReceivedText.Contains(view_.CurrentSettings().ReadyCharacter) && HandshakeTries < 3) {
    if (state_.CancelRequested) return Flow::kCleanup;
    view_.SetStatusText("Requesting Ack from target bootloader.  Try #" +
                        std::to_string(HandshakeTries + 1));
    // Input that came before the request (even before the download) takes part in the search.
    AppendPendingInput();
    const DownloadSettings settings = view_.CurrentSettings();
    port_.Output(settings.JumpCommand + settings.StartSequence);
    if (TimedWait() == Flow::kCleanup) return Flow::kCleanup;
    if (ReceivedText.Contains(view_.CurrentSettings().ActiveCharacter)) {
      HandshakeTries = 0;
      view_.SetStatusText("Main code responded.  Switching to bootloader.");
    }
    ++HandshakeTries;
    view_.PumpEvents();
  }
  return Flow::kGoOn;
}

// Waits without a time limit while the user resets the target. Every pass gives the window
// a turn and sees Cancel, also while the target streams other characters without a pause.
DownloadRun::Flow DownloadRun::AwaitActiveCharacter() {
  port_.Input();  // whatever came before the reset belongs to the old application
  view_.SetStatusText("Waiting for Bootloader Active Character...Reset target...");
  while (true) {
    const std::string active = view_.CurrentSettings().ActiveCharacter;
    if (ReceivedText.Contains(active)) break;
    if (ReceivedText.Text().size() > kActiveWaitKeep) {
      // Only a match that straddles the end of what is kept can still be found.
      const std::size_t keep = active.empty() ? 0 : active.size() - 1;
      ReceivedText.Replace(ReceivedText.Text().substr(ReceivedText.Text().size() - keep));
    }
    do {
      if (state_.CancelRequested) return Flow::kCleanup;
      view_.PumpEvents();
    } while (port_.InBufferCount() == 0);
    clock_.Pause(kPauseAfterInput);
    AppendPendingInput();
  }
  // The active character and everything with it or before it must not count as an answer.
  HandshakeTries = 0;
  ReceivedText.Clear();
  return Flow::kGoOn;
}

DownloadRun::Flow DownloadRun::RequestReadyInWaitMode() {
  while (!ReceivedText.Contains(view_.CurrentSettings().ReadyCharacter) && HandshakeTries < 3) {
    if (state_.CancelRequested) return Flow::kCleanup;
    view_.SetStatusText("Requesting Bootloader Ready.  Try #" + std::to_string(HandshakeTries + 1));
    AppendPendingInput();
    port_.Output(view_.CurrentSettings().StartSequence);
    if (TimedWait() == Flow::kCleanup) return Flow::kCleanup;
    ++HandshakeTries;
    view_.PumpEvents();
  }
  return Flow::kGoOn;
}

// Waits up to three whole seconds for a request's answer; any input at all ends it at once.
DownloadRun::Flow DownloadRun::TimedWait() {
  ThreeSecondWatch watch(clock_);
  while (watch.Running() && port_.InBufferCount() == 0) {
    if (state_.CancelRequested) return Flow::kCleanup;
    view_.PumpEvents();
  }
  if (port_.InBufferCount() > 0) {
    AppendPendingInput();
    clock_.Pause(kPauseAfterInput);
  }
  return Flow::kGoOn;
}

void DownloadRun::AppendPendingInput() {
  ReceivedText.Append(port_.Input());
}

// The version is the number after the first capital V; what follows the V stays as the
// received text for the transfer.
void DownloadRun::ReadBootloaderVersion() {
  const std::size_t v = ReceivedText.Text().find('V');
  if (v == std::string::npos) {
    BootloaderVersion = 0.0f;
    return;
  }
  ReceivedText.Replace(ReceivedText.Text().substr(v + 1));
  BootloaderVersion = ReadVersionNumber(ReceivedText.Text());
}

}  // namespace tarnwick
