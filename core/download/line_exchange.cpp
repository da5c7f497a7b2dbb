// The exchange of one line: send it, wait for the target's one-character verdict, send it
// again while the verdict is missing or a checksum error (bootloaders from 1.28 only, at most
// three sends), and ask the user whether to go on when the line still failed.

#include <string>

#include "core/download/download_run.h"
#include "core/download/three_second_watch.h"

namespace tarnwick {

DownloadRun::Flow DownloadRun::ExchangeLine(const std::string& line) {
  const bool answers_in_time = !(bootloader_version_ < 1.28f);
  try_count_ = 0;
  while (try_count_ < 3) {
    port_.Output(line);
    // A verdict that came after the previous line's wait counts for this line.
    received_text_.Replace(port_.Input());
    if (answers_in_time) {
      WaitForVerdictTimed();
    } else {
      WaitForVerdictTicks();
    }
    if (received_text_.Contains(verdicts_.PageError) || HoldsGoodVerdict() || !answers_in_time) {
      try_count_ = 3;  // a page error is never helped by sending the line again
    } else {
      ++try_count_;
    }
  }

  LineFault fault = LineFault::kNoResponse;
  if (received_text_.Contains(verdicts_.ChecksumError)) {
    fault = LineFault::kChecksum;
  } else if (received_text_.Contains(verdicts_.PageError)) {
    fault = LineFault::kFlashWrite;
  } else if (HoldsGoodVerdict() || !answers_in_time) {
    return Flow::kGoOn;
  }
  if (!view_.AskToContinue(fault, LineNumber())) return Flow::kCleanup;
  received_text_.Clear();
  return Flow::kGoOn;
}

// Bootloaders from 1.28 on: up to three whole seconds on the wall clock. Each pass sleeps
// until a byte arrives, a window event comes or the limit is up, and then takes in what has
// arrived, so a verdict ends the wait as soon as it is read.
void DownloadRun::WaitForVerdictTimed() {
  ThreeSecondWatch watch(clock_);
  while (!HoldsAnyVerdict() && !state_.CancelRequested && watch.Running()) {
    view_.AwaitEvents(watch.TimeLeft());
    AppendPendingInput();
  }
}

// Older bootloaders: five ticks of the 60 ms timer, which advance only while events are
// pumped, so about 240 to 300 ms. The wait wakes for a received byte and for each tick,
// which is all this wait ends on.
void DownloadRun::WaitForVerdictTicks() {
  state_.TickCount = 0;
  while (!HoldsAnyVerdict() && !state_.CancelRequested && state_.TickCount < 5) {
    view_.AwaitEvents(kNoDeadline);
    AppendPendingInput();
  }
}

bool DownloadRun::HoldsAnyVerdict() {
  return HoldsGoodVerdict() || received_text_.Contains(verdicts_.PageError) ||
         received_text_.Contains(verdicts_.ChecksumError);
}

// Line complete, or either file-complete character, which also ends a line well.
bool DownloadRun::HoldsGoodVerdict() {
  return received_text_.Contains(verdicts_.LineComplete) ||
         received_text_.Contains(verdicts_.FileErrors) || received_text_.Contains(verdicts_.FileOk);
}

// The 1-based position of the current line among the non-empty lines of the file.
std::int64_t DownloadRun::LineNumber() const {
  return state_.TotalLines - state_.LineCount + 1;
}

}  // namespace tarnwick
