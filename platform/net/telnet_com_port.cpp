#include "platform/net/telnet_com_port.h"

namespace tarnwick {
namespace {

constexpr std::uint8_t kIac = 255;
constexpr std::uint8_t kDont = 254;
constexpr std::uint8_t kDo = 253;
constexpr std::uint8_t kWont = 252;
constexpr std::uint8_t kWill = 251;
constexpr std::uint8_t kSb = 250;
constexpr std::uint8_t kSe = 240;

constexpr std::uint8_t kBinary = 0;
constexpr std::uint8_t kSuppressGoAhead = 3;
constexpr std::uint8_t kComPortOption = 44;
// The server's answers are the client's command plus this.
constexpr std::uint8_t kAnswerOffset = 100;

bool Wanted(std::uint8_t option) {
  return option == kBinary || option == kSuppressGoAhead || option == kComPortOption;
}

char Byte(std::uint8_t value) {
  return static_cast<char>(value);
}

}  // namespace

std::string TelnetComPort::Greeting() {
  ours_[kComPortOption] = ours_[kBinary] = theirs_[kBinary] = Option::kAsked;
  return {Byte(kIac), Byte(kWill), Byte(kComPortOption), Byte(kIac), Byte(kWill), Byte(kBinary),
          Byte(kIac), Byte(kDo),   Byte(kBinary)};
}

void TelnetComPort::Receive(std::string_view bytes) {
  for (const char c : bytes) {
    const auto byte = static_cast<std::uint8_t>(c);
    switch (state_) {
      case State::kData:
        if (byte == kIac) {
          state_ = State::kCommand;
        } else {
          data_ += c;
        }
        break;
      case State::kCommand:
        state_ = State::kData;
        if (byte == kIac) {
          data_ += c;  // a doubled 0xFF is one data byte
        } else if (byte >= kWill) {
          verb_ = byte;
          state_ = State::kOption;
        } else if (byte == kSb) {
          sub_.clear();
          state_ = State::kSub;
        }
        // Any other command (NOP, go ahead, break, data mark...) carries nothing for us.
        break;
      case State::kOption:
        Negotiate(verb_, byte);
        state_ = State::kData;
        break;
      case State::kSub:
        if (byte == kIac) {
          state_ = State::kSubCommand;
        } else {
          sub_ += c;
        }
        break;
      case State::kSubCommand:
        if (byte == kIac) {
          sub_ += c;
          state_ = State::kSub;
        } else {
          // SE, or anything else that ends the subnegotiation against the rules.
          EndSubnegotiation();
          state_ = State::kData;
        }
        break;
    }
  }
}

void TelnetComPort::Negotiate(std::uint8_t verb, std::uint8_t option) {
  const bool forUs = verb == kDo || verb == kDont;
  const bool enable = verb == kDo || verb == kWill;
  if (option == kComPortOption && forUs) comPort_ = enable;
  Option& state = (forUs ? ours_ : theirs_)[option];
  const bool wanted = Wanted(option) && !(option == kComPortOption && !forUs);
  if (enable && wanted) {
    if (state == Option::kOff) Send(forUs ? kWill : kDo, option);
    state = Option::kOn;
  } else if (enable) {
    Send(forUs ? kWont : kDont, option);
  } else {
    // The server turns an option off, or refuses ours: only the former is answered.
    if (state == Option::kOn) Send(forUs ? kWont : kDont, option);
    state = Option::kOff;
  }
}

void TelnetComPort::EndSubnegotiation() {
  if (sub_.size() < 2 || static_cast<std::uint8_t>(sub_[0]) != kComPortOption) return;
  const auto command = static_cast<std::uint8_t>(sub_[1]);
  // Answers only; the server's notifications of line and modem state (106, 107) and anything
  // else it volunteers are not needed by a download.
  if (command > kAnswerOffset && command <= kAnswerOffset + kSetControl) {
    answers_[static_cast<std::uint8_t>(command - kAnswerOffset)] = sub_.substr(2);
  }
}

void TelnetComPort::Send(std::uint8_t verb, std::uint8_t option) {
  replies_ += {Byte(kIac), Byte(verb), Byte(option)};
}

std::string TelnetComPort::TakeData() {
  std::string data;
  data.swap(data_);
  return data;
}

std::string TelnetComPort::TakeReplies() {
  std::string replies;
  replies.swap(replies_);
  return replies;
}

std::optional<std::string> TelnetComPort::AnswerTo(Command command) const {
  const auto answer = answers_.find(command);
  if (answer == answers_.end()) return std::nullopt;
  return answer->second;
}

std::string TelnetComPort::Request(Command command, std::string_view value) {
  std::string framed{Byte(kIac), Byte(kSb), Byte(kComPortOption), Byte(command)};
  framed += Escape(value);
  framed += {Byte(kIac), Byte(kSe)};
  return framed;
}

std::string TelnetComPort::SetBaudRate(std::uint32_t baud) {
  const std::string value{
      Byte(static_cast<std::uint8_t>(baud >> 24)), Byte(static_cast<std::uint8_t>(baud >> 16)),
      Byte(static_cast<std::uint8_t>(baud >> 8)), Byte(static_cast<std::uint8_t>(baud))};
  return Request(kSetBaudRate, value);
}

std::string TelnetComPort::SetControl(Control control) {
  return Request(kSetControl, std::string(1, Byte(control)));
}

std::string TelnetComPort::Escape(std::string_view data) {
  std::string escaped;
  escaped.reserve(data.size());
  for (const char c : data) {
    escaped += c;
    if (static_cast<std::uint8_t>(c) == kIac) escaped += c;
  }
  return escaped;
}

}  // namespace tarnwick
