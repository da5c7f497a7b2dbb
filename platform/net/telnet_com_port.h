#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwick {

// The client's side of a Telnet connection with the COM port option (RFC 2217), without any
// I/O: bytes from the server go in, and out come the serial data they carry, the answers the
// client owes the server, and what the server said about the COM port. The connection runs in
// binary mode both ways, so data bytes are passed as they are, a 0xFF doubled.
class TelnetComPort {
 public:
  // The COM port option's commands as the client sends them; the server answers each with
  // the same command plus 100.
  enum Command : std::uint8_t {
    kSetBaudRate = 1,
    kSetDataSize = 2,
    kSetParity = 3,
    kSetStopSize = 4,
    kSetControl = 5,
  };
  // Values of kSetControl.
  enum Control : std::uint8_t {
    kNoFlowControl = 1,
    kXonXoffFlowControl = 2,
    kDtrOn = 8,
    kDtrOff = 9,
    kRtsOn = 11,
    kRtsOff = 12,
  };

  // What the client offers as the connection opens: the COM port option, binary both ways.
  std::string Greeting();

  // Takes bytes from the server, in pieces of any size: a command cut in two is completed
  // by the next call.
  void Receive(std::string_view bytes);
  // The serial data received so far and not taken yet.
  std::string TakeData();
  // The answers to the server's negotiation, to be sent to it as they are.
  std::string TakeReplies();

  // Whether the server took the COM port option (true), refused it (false), or has not said.
  std::optional<bool> ComPortAccepted() const { return comPort_; }
  // The value of the server's last answer to `command`, if it has answered it.
  std::optional<std::string> AnswerTo(Command command) const;
  void ForgetAnswer(Command command) { answers_.erase(command); }

  // A COM port command with its value, framed for sending.
  static std::string Request(Command command, std::string_view value);
  static std::string SetBaudRate(std::uint32_t baud);
  static std::string SetControl(Control control);
  // Serial data as it goes over the connection: each 0xFF doubled.
  static std::string Escape(std::string_view data);

 private:
  enum class State { kData, kCommand, kOption, kSub, kSubCommand };

  void Negotiate(std::uint8_t verb, std::uint8_t option);
  void EndSubnegotiation();
  void Send(std::uint8_t verb, std::uint8_t option);

  State state_ = State::kData;
  std::uint8_t verb_ = 0;
  std::string sub_;
  std::string data_;
  std::string replies_;
  std::optional<bool> comPort_;
  std::map<std::uint8_t, std::string> answers_;
  // Where each option stands, on our side (WILL) and the server's (DO): a request that
  // answers ours is not answered again, so no negotiation loops.
  enum class Option { kOff, kAsked, kOn };
  std::map<std::uint8_t, Option> ours_;
  std::map<std::uint8_t, Option> theirs_;
};

}  // namespace tarnwick
