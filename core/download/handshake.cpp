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
// Jump mode keeps what it receives, but a target that chatters after the active character
// must not make that grow for hours. Past the limit the middle is dropped: the start (where
// the application's own words and any first V stand) and the latest bytes stay.
constexpr std::size_t kJumpModeTextLimit = 256 * 1024;
constexpr std::size_t kJumpModeHead = 64 * 1024;
constexpr std::size_t kJumpModeTail = 64 * 1024;
constexpr std::size_t kKeptAfterFirstV = 4 * 1024;
// Any input ends a wait at once, so a target that chatters without a pause would otherwise
// turn every few bytes into another pass; a short pause after such input keeps the host's
// processor time near zero and lets the bytes gather, at no cost to the three-second limits.
constexpr std::chrono::milliseconds kPauseAfterInput{10};
// The longest a bootloader's version may take to follow its ready character.
constexpr std::int64_t kVersionTimeLimitMs = 250;
}  // namespace

DownloadRun::Flow DownloadRun::Handshake(Mode mode) {
  view_.SetVersionText("BootLoader Version: ");
  view_.ShowVersion();
  HandshakeTries = 0;
  ReceivedText.Clear();

  Flow flow = Flow::kGoOn;
  if (mode == Mode::kJump) {
    flow = RequestReadyInJumpMode();
  } else {
    flow = AwaitActiveCharacter();
    if (flow == Flow::kGoOn) flow = RequestReadyInWaitMode();
  }
  if (flow != Flow::kGoOn) return flow;

  if (!ReceivedText.Contains(ReadyBytes())) {
    result_ = DownloadResult::kNoBootloaderResponse;
    view_.ShowMessage("No response from target bootloader.", MessageIcon::None);
    return Flow::kCleanup;
  }
  if (CollectVersionText() == Flow::kCleanup) return Flow::kCleanup;
  ReadBootloaderVersion();
  return Flow::kGoOn;
}

// At most three requests, unless the running application has answered with the active
// character: then the requests go on until the bootloader is ready or the user cancels.
DownloadRun::Flow DownloadRun::RequestReadyInJumpMode() {
  while (!ReceivedText.Contains(ReadyBytes()) && HandshakeTries < 3) {
    if (state_.CancelRequested) return Flow::kCleanup;
    view_.SetStatusText("Requesting Ack from target bootloader.  Try #" +
                        std::to_string(HandshakeTries + 1));
    // Input that came before the request (even before the download) takes part in the search.
    AppendPendingInput();
    const DownloadSettings settings = view_.CurrentSettings();
    port_.Output(LineBytes(settings.JumpCommand) + LineBytes(settings.StartSequence));
    if (TimedWait() == Flow::kCleanup) return Flow::kCleanup;
    KeepJumpModeTextBounded();
    if (ReceivedText.Contains(LineBytes(view_.CurrentSettings().ActiveCharacter))) {
      HandshakeTries = 0;
      view_.SetStatusText("Main code responded.  Switching to bootloader.");
    }
    ++HandshakeTries;
    view_.PumpPendingEvents();
  }
  return Flow::kGoOn;
}

// Waits without a time limit while the user resets the target. Every pass gives the window
// a turn and sees Cancel, also while the target streams other characters without a pause.
DownloadRun::Flow DownloadRun::AwaitActiveCharacter() {
  port_.Input();  // whatever came before the reset belongs to the old application
  view_.SetStatusText("Waiting for Bootloader Active Character...Reset target...");
  while (true) {
    const std::string active = LineBytes(view_.CurrentSettings().ActiveCharacter);
    if (ReceivedText.Contains(active)) break;
    if (ReceivedText.Text().size() > kActiveWaitKeep) {
      // Only a match that straddles the end of what is kept can still be found.
      const std::size_t keep = active.empty() ? 0 : active.size() - 1;
      ReceivedText.Replace(ReceivedText.Text().substr(ReceivedText.Text().size() - keep));
    }
    if (state_.CancelRequested) return Flow::kCleanup;
    AwaitInputOrEvents(kWaitSlice);
    if (port_.InBufferCount() > 0) {
      clock_.Pause(kPauseAfterInput);
      AppendPendingInput();
    }
  }
  // The active character and everything with it or before it must not count as an answer.
  HandshakeTries = 0;
  ReceivedText.Clear();
  return Flow::kGoOn;
}

DownloadRun::Flow DownloadRun::RequestReadyInWaitMode() {
  while (!ReceivedText.Contains(ReadyBytes()) && HandshakeTries < 3) {
    if (state_.CancelRequested) return Flow::kCleanup;
    view_.SetStatusText("Requesting Bootloader Ready.  Try #" + std::to_string(HandshakeTries + 1));
    AppendPendingInput();
    port_.Output(LineBytes(view_.CurrentSettings().StartSequence));
    if (TimedWait() == Flow::kCleanup) return Flow::kCleanup;
    ++HandshakeTries;
    view_.PumpPendingEvents();
  }
  return Flow::kGoOn;
}

// Waits up to three whole seconds for a request's answer; any input at all ends it at once,
// and so does the turn of the second that ends the limit.
DownloadRun::Flow DownloadRun::TimedWait() {
  ThreeSecondWatch watch(clock_);
  while (port_.InBufferCount() == 0) {
    if (state_.CancelRequested) return Flow::kCleanup;
    const std::chrono::milliseconds left = watch.TimeLeft();
    if (left.count() == 0) break;
    AwaitInputOrEvents(left);
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

void DownloadRun::KeepJumpModeTextBounded() {
  const std::string& text = ReceivedText.Text();
  if (text.size() <= kJumpModeTextLimit) return;
  // The first V and the number after it may yet be the version, when none follows the ready
  // character.
  const std::size_t v = text.find('V');
  const std::size_t head =
      v == std::string::npos ? kJumpModeHead : std::max(kJumpModeHead, v + 1 + kKeptAfterFirstV);
  ReceivedText.DropMiddle(head, kJumpModeTail);
}

// Adapters hand a reply over in pieces, so the version may still be on its way when the
// ready character has come. Input is taken until the number after the V is followed by a
// character that cannot continue it, or the line has been quiet for twenty character times,
// within a limit that also bounds the delay for a bootloader that sends no version at all.
DownloadRun::Flow DownloadRun::CollectVersionText() {
  const std::int64_t start = clock_.SteadyMilliseconds();
  std::int64_t last_input = start;
  while (!VersionTextComplete()) {
    if (state_.CancelRequested) return Flow::kCleanup;
    const std::int64_t now = clock_.SteadyMilliseconds();
    const std::int64_t left = std::min(last_input + QuietGapMs, start + kVersionTimeLimitMs) - now;
    if (left <= 0) break;
    AwaitInputOrEvents(std::chrono::milliseconds{left});
    if (port_.InBufferCount() > 0) {
      clock_.Pause(kPauseAfterInput);
      AppendPendingInput();
      last_input = clock_.SteadyMilliseconds();
    }
  }
  return Flow::kGoOn;
}

std::string DownloadRun::ReadyBytes() {
  return LineBytes(view_.CurrentSettings().ReadyCharacter);
}

// The bootloader puts its version after its ready character; a V before it may belong to the
// running application's own words.
std::size_t DownloadRun::VersionAfterReady() {
  const std::size_t ready_end = ReceivedText.EndOfFirst(ReadyBytes());
  if (ready_end == std::string::npos) return std::string::npos;
  return ReceivedText.Text().find('V', ready_end);
}

bool DownloadRun::VersionTextComplete() {
  const std::size_t v = VersionAfterReady();
  return v != std::string::npos &&
         VersionNumberComplete(std::string_view(ReceivedText.Text()).substr(v + 1));
}

// The version is the number after the first capital V that follows the ready character, or
// after the first V at all when none follows it (a bootloader that answers with its version
// first). What follows that V stays as the received text for the transfer.
void DownloadRun::ReadBootloaderVersion() {
  std::size_t v = VersionAfterReady();
  if (v == std::string::npos) v = ReceivedText.Text().find('V');
  if (v == std::string::npos) {
    BootloaderVersion = 0.0f;
    return;
  }
  ReceivedText.Replace(ReceivedText.Text().substr(v + 1));
  BootloaderVersion = ReadVersionNumber(ReceivedText.Text());
}

}  // namespace tarnwick
