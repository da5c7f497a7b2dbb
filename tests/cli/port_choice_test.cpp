// --port usb:... over lists of adapters, and the reset pulse through the port interface.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_port.h"
#include "cli/command_line.h"
#include "cli/port_names.h"
#include "tests/support/fake_target_port.h"
#include "tests/support/text_checks.h"

namespace tarnwick::cli {
namespace {

const PortDescription kFtdiA{"/dev/ttyUSB0", "A10K1X", 0x0403, 0x6001};
const PortDescription kFtdiB{"/dev/ttyUSB1", "B20Q7Z", 0x0403, 0x6001};
const PortDescription kCh340{"/dev/ttyUSB2", "", 0x1a86, 0x7523};
const PortDescription kBuiltIn{"/dev/ttyS0", "", std::nullopt, std::nullopt};

struct UsbCase {
  const char* name;
  std::vector<PortDescription> ports;
  const char* device;  // null: a usage error that must name each of `shown`
  std::vector<std::string> shown;
};

TEST(UsbPortName, PicksTheOneAdapterOrListsWhatIsThere) {
  const std::vector<PortDescription> all{kBuiltIn, kFtdiA, kFtdiB, kCh340};
  for (const UsbCase& c : std::vector<UsbCase>{
           {"usb:B20Q7Z", all, "/dev/ttyUSB1", {}},
           {"usb:1a86:7523", all, "/dev/ttyUSB2", {}},
           {"usb:1A86:7523", all, "/dev/ttyUSB2", {}},
           {"usb:b20q7z",
            all,
            nullptr,
            {"no USB adapter has the serial number b20q7z", "usb:B20Q7Z"}},
           {"usb:0403:6001",
            all,
            nullptr,
            {"2 adapters match", "/dev/ttyUSB0 (usb:A10K1X, 0403:6001)",
             "/dev/ttyUSB2 (no serial number, 1a86:7523)"}},
           {"usb:0403:6001", {kBuiltIn, kFtdiB}, "/dev/ttyUSB1", {}},
           {"usb:A10K1X", {kBuiltIn}, nullptr, {"adapters present: none"}},
           {"usb:A10K1X", {}, nullptr, {"adapters present: none"}},
       }) {
    SCOPED_TRACE(c.name);
    if (c.device != nullptr) {
      EXPECT_EQ(MatchUsbPort(c.name, c.ports), c.device);
      continue;
    }
    const std::string text = testing::Thrown<UsageError>([&] { MatchUsbPort(c.name, c.ports); });
    EXPECT_EQ(text.find("ttyS0"), std::string::npos) << text;  // no USB adapter
    for (const std::string& shown : c.shown) EXPECT_NE(text.find(shown), std::string::npos) << text;
  }
  EXPECT_EQ(UsbNameOf(kFtdiA), "usb:A10K1X");
  EXPECT_EQ(UsbNameOf(kCh340), "usb:1a86:7523");
  EXPECT_EQ(UsbNameOf(kBuiltIn), "");
}

TEST(ResetPulse, HeldBetweenOpeningAndTheFirstByteOrTheOpeningFails) {
  struct Case {
    const char* reset;
    std::vector<std::string> steps;
  };
  for (const Case& c : std::vector<Case>{
           {"dtr", {"open", "dtr on", "hold 250", "dtr off", "out $"}},
           {"rts", {"open", "rts on", "hold 250", "rts off", "out $"}},
           {"both", {"open", "dtr on", "rts on", "hold 250", "dtr off", "rts off", "out $"}},
           {"none", {"open", "out $"}},
       }) {
    SCOPED_TRACE(c.reset);
    const Command command = ParseCommandLine({"download", "--port", "com1", "--flash", "a.hex",
                                              "--wait", "--reset", c.reset, "--reset-ms", "250"});
    testing::FakeTargetPort port;
    CliPort cli(port, nullptr);
    cli.ResetAfterOpen(port, command.download.reset, [&](std::chrono::milliseconds hold) {
      port.steps.push_back("hold " + std::to_string(hold.count()));
    });
    cli.Open();
    cli.Output("$");
    EXPECT_EQ(port.steps, c.steps);
  }
  testing::FakeTargetPort failing;
  failing.linesFail = true;
  CliPort cli(failing, nullptr);
  cli.ResetAfterOpen(failing, {.dtr = true}, [](std::chrono::milliseconds) {});
  EXPECT_THROW(cli.Open(), PortError);
  EXPECT_EQ(failing.steps, (std::vector<std::string>{"open", "close"}));
}

}  // namespace
}  // namespace tarnwick::cli
