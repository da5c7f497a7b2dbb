#pragma once

#include <chrono>
#include <optional>
#include <set>
#include <string>

namespace tarnwick::sim {

// The characters and commands of the bootloader protocol, with the host's defaults. Each can be
// changed so that the simulator can follow a host whose settings were changed.
struct ProtocolCharacters {
  std::string jump = "$";             // application: enter the bootloader
  std::string active = "^";           // target: the bootloader is running
  std::string startSequence = "@&$";  // host: begin a bootloader session
  std::string ready = "?";            // bootloader: ready, followed by "V" and its version
  std::string eepromWrite = "*";      // host: the next file is EEPROM data ("!" may follow)
  std::string lineComplete = "~";
  std::string pageError = "%";
  std::string checksumError = "-";
  std::string fileErrors = "#";
  std::string fileOk = "@";
};

// How the simulated target behaves, faults included. Line numbers count the records of one file
// from 1; a record sent again unchanged (the host's retry) keeps its number, so a fault on line
// K hits every send of that record.
struct TargetBehaviour {
  ProtocolCharacters characters;
  bool startInBootloader = false;
  std::optional<std::string> version = "1.30";  // sent after "V"; nullopt sends no "V" at all
  std::set<int> checksumErrorLines;             // answered with the checksum-error character
  std::set<int> pageErrorLines;                 // answered with the page-error character
  std::set<int> silentLines;                    // never answered
  bool silentAtEndOfFile = false;               // no file verdict
  bool silent = false;                          // a dead target: nothing is ever sent
  std::chrono::milliseconds replyDelay{0};      // every answer goes out this much later
  // How long the application takes to become the bootloader after answering the jump command.
  // A real target resets to get there, so whatever the host sends meanwhile is lost.
  std::chrono::milliseconds jumpTime{0};
};

// Bytes for the target to send, `delay` after the moment the bytes that caused them arrived.
struct Reply {
  std::string bytes;
  std::chrono::milliseconds delay{0};

  bool operator==(const Reply&) const = default;
};

}  // namespace tarnwick::sim
