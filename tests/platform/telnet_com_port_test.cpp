// The client's side of RFC 2217 without a network: what the server's bytes carry, what the
// client answers, and the forms of a port server's address.
#include <gtest/gtest.h>

#include <string>

#include "platform/net/network_address.h"
#include "platform/net/telnet_com_port.h"

namespace tarnwick {
namespace {

// Telnet's bytes by name, to keep the tables readable.
const std::string IAC = "\xFF", WILL = "\xFB", WONT = "\xFC", DO = "\xFD", DONT = "\xFE",
                  SB = "\xFA", SE = "\xF0", NOP = "\xF1", COM = "\x2C";
const std::string BINARY(1, '\0');

struct ServerCase {
  const char* name;
  std::string fromServer;
  std::string data;     // the serial data it carries
  std::string replies;  // what the client owes the server
  int accepted;         // -1 not said, 0 refused, 1 accepted
};

class TelnetFromServer : public ::testing::TestWithParam<ServerCase> {};

// The same bytes whole and one at a time: a command cut by the network must come out alike.
TEST_P(TelnetFromServer, DataRepliesAndTheComPortAnswerWholeOrInPieces) {
  for (const bool piecewise : {false, true}) {
    SCOPED_TRACE(piecewise ? "byte by byte" : "whole");
    TelnetComPort telnet;
    telnet.Greeting();
    const std::string& bytes = GetParam().fromServer;
    std::string data;
    for (std::size_t at = 0, step = piecewise ? 1 : bytes.size(); at < bytes.size(); at += step) {
      telnet.Receive(bytes.substr(at, step));
      data += telnet.TakeData();
    }
    EXPECT_EQ(data, GetParam().data);
    EXPECT_EQ(telnet.TakeReplies(), GetParam().replies);
    const auto accepted = telnet.ComPortAccepted();
    EXPECT_EQ(accepted ? int(*accepted) : -1, GetParam().accepted);
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Streams, TelnetFromServer, ::testing::Values(
    // ser2net's greeting as it comes: each option it offers answered once, echo refused, the
    // options the client asked for itself not answered again.
    ServerCase{"Ser2netGreeting",
               IAC + WILL + "\x03" + IAC + DO + "\x03" + IAC + WILL + "\x01" + IAC + DONT + "\x01" +
               IAC + DO + BINARY + IAC + WILL + BINARY + IAC + DO + COM,
               "", IAC + DO + "\x03" + IAC + WILL + "\x03" + IAC + DONT + "\x01", 1},
    ServerCase{"Refused", IAC + DONT + COM, "", "", 0},
    ServerCase{"UnknownOptionRefused", IAC + DO + "\x18" + "ab", "ab", IAC + WONT + "\x18", -1},
    ServerCase{"DoubledFFIsData", "a" + IAC + IAC + "b" + IAC + IAC + IAC + IAC, "a\xFF" "b\xFF\xFF", "", -1},
    ServerCase{"CommandsAmidDataLoseNothing",
               "^" + IAC + NOP + "?" + IAC + SB + COM + "\x6B\x30" + IAC + SE + "V1" + IAC +
               SB + COM + "\x6A" + IAC + IAC + IAC + SE + ".30",
               "^?V1.30", "", -1},
    ServerCase{"BinaryTurnedOffAgreedOnce",
               IAC + WILL + BINARY + IAC + WONT + BINARY + IAC + WONT + BINARY,
               "", IAC + DONT + BINARY, -1}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

TEST(TelnetComPort, RequestsAreFramedEscapedAndAnswersKeptByCommand) {
  TelnetComPort telnet;
  EXPECT_EQ(telnet.Greeting(), IAC + WILL + COM + IAC + WILL + BINARY + IAC + DO + BINARY);
  // 255 in a value is doubled too: 0x0001C2FF.
  EXPECT_EQ(TelnetComPort::SetBaudRate(115455),
            IAC + SB + COM + "\x01" + std::string("\x00\x01\xC2", 3) + IAC + IAC + IAC + SE);
  EXPECT_EQ(TelnetComPort::SetControl(TelnetComPort::kRtsOff),
            IAC + SB + COM + "\x05\x0C" + IAC + SE);
  EXPECT_EQ(TelnetComPort::Escape("a" + IAC + "b"), "a" + IAC + IAC + "b");

  telnet.Receive(IAC + SB + COM + "\x65" + std::string("\x00\x01\xC2\x00", 4) + IAC + SE + IAC +
                 SB + COM + "\x69\x02" + IAC + SE);
  EXPECT_EQ(telnet.AnswerTo(TelnetComPort::kSetBaudRate), std::string("\x00\x01\xC2\x00", 4));
  EXPECT_EQ(telnet.AnswerTo(TelnetComPort::kSetControl), "\x02");
  EXPECT_FALSE(telnet.AnswerTo(TelnetComPort::kSetParity));
  telnet.ForgetAnswer(TelnetComPort::kSetControl);
  EXPECT_FALSE(telnet.AnswerTo(TelnetComPort::kSetControl));
}

TEST(NetworkAddress, FormsAndTheirFaults) {
  // A good address is written back as it came; a faulty one is refused, with the reason.
  for (const char* good :
       {"rfc2217://127.0.0.1:4001", "socket://bench-pi.local:65535", "rfc2217://[::1]:7000"}) {
    std::string problem;
    const auto address = ParseNetworkAddress(good, &problem);
    EXPECT_EQ(address ? address->Text() : problem, good);
  }
  for (const char* faulty :
       {"rfc2217://host", "rfc2217://host:", "rfc2217://:4001", "socket://host:0",
        "socket://host:65536", "socket://host:40x", "socket://::1:7000", "telnet://host:23"}) {
    std::string problem;
    EXPECT_FALSE(ParseNetworkAddress(faulty, &problem)) << faulty;
    EXPECT_FALSE(problem.empty()) << faulty;
  }
  EXPECT_TRUE(IsNetworkAddressForm("socket://x"));
  EXPECT_FALSE(IsNetworkAddressForm("/dev/ttyUSB0"));
}

}  // namespace
}  // namespace tarnwick
