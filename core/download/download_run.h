#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <string>

#include "core/download/clock.h"
#include "core/download/download_file.h"
#include "core/download/download_result.h"
#include "core/download/download_state.h"
#include "core/download/download_view.h"
#include "core/download/downloader.h"
#include "core/download/failure_scope.h"
#include "core/download/received_text.h"
#include "core/download/serial_port.h"

namespace tarnwick {

// One download: the values that live for one download and its phases, run in a
// fixed order: selection check, busy, port set-up, handshake, version gate, the stages, the
// outcome and the cleanup. It reaches the world only through the port, the clock and the
// view, and no failure leaves it: each ends in the reaction of the active failure scope.
class DownloadRun {
 public:
  DownloadRun(DownloadState& state, SerialPort& port, Clock& clock, DownloadView& view)
      : state_(state), port_(port), clock_(clock), view_(view) {}

  DownloadResult Run(Mode mode);

 private:
  // How a phase hands on: to the next phase, to the cleanup (no ready answer, cancel, No to
  // a prompt, after the outcome), or nowhere because it has ended the download itself.
  enum class Flow { kGoOn, kCleanup, kEnded };
  // Which files are ticked.
  enum class Selection { kNone, kApplication, kEeprom, kBoth };

  // The five verdict characters, read once per file after its counting pass.
  struct VerdictSettings {
    std::string LineComplete;
    std::string PageError;
    std::string ChecksumError;
    std::string FileErrors;
    std::string FileOk;
  };

  // Selection check, protocol settings check, port set-up and waiting (download_run.cpp).
  bool SelectionPasses();
  bool ProtocolSettingsSendable();
  void SetUpPort();

  // Handshake (handshake.cpp).
  Flow Handshake(Mode mode);
  Flow RequestReady(Mode mode);
  Flow AwaitActiveCharacter();
  Flow TimedWait();
  void AppendPendingInput();
  Flow GatherAnswer(bool (DownloadRun::*complete)());
  std::string ReadyBytes();
  bool HoldsReady();
  bool VersionTextComplete();
  void ReadBootloaderVersion();

  // Version gate, stages and line loop (transfer.cpp).
  Flow SendSelectedFiles();
  void RefuseEeprom();
  Flow SendFile(FileStage stage);
  void OpenDownloadFile(FileStage stage);
  void CountLines();
  Flow SendLines();

  // Line exchange (line_exchange.cpp).
  Flow ExchangeLine(const std::string& line);
  void WaitForVerdictTimed();
  void WaitForVerdictTicks();
  bool HoldsAnyVerdict();
  bool HoldsGoodVerdict();
  std::int64_t LineNumber() const;

  // End of file, outcome and endings (end_of_file.cpp).
  void WaitForFileVerdict();
  void ShowOutcome(bool eeprom_failed);
  // Sets the download's result and shows its message.
  void ShowEnding(DownloadResult result, EndingMessage message, std::string subject = {});
  void Cleanup();
  void StopLineTimer() noexcept;
  void EndWithoutFile() noexcept;

  // Failure reactions (failure_scope.cpp).
  void ReactToFailure(const std::exception* error) noexcept;
  void SetControlsIdleSafely() noexcept;

  DownloadState& state_;
  SerialPort& port_;
  Clock& clock_;
  DownloadView& view_;

  FailureScope scope_ = FailureScope::kPortSetUp;
  DownloadFile file_;
  VerdictSettings verdicts_;

  DownloadResult result_ = DownloadResult::kOtherFailure;
  Selection file_selection_ = Selection::kNone;
  bool flash_pending_ = false;  // the application file is ticked and not begun yet
  ReceivedTextBuffer received_text_;
  std::int16_t handshake_tries_ = 0;
  float bootloader_version_ = 0.0f;
  std::int16_t try_count_ = 0;
  std::int64_t quiet_gap_ms_ = 20;  // twenty character times at the port's rate, at least 20 ms
};

}  // namespace tarnwick
