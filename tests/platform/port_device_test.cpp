#include "platform/qt/port_device.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>

#include "platform/qt/qt_serial_port.h"
#include "tests/platform/pty_pair.h"

namespace tarnwick {
namespace {

struct ChoiceCase {
  int number;
  bool comEntryExists;
  std::vector<std::string> systemPorts;
  std::string expected;
};

TEST(ChoosePortDeviceTest, ComEntryFirstThenUsbAdaptersThenOtherPortsInNameOrder) {
  const std::vector<std::string> ports = {"/dev/ttyS1", "/dev/ttyUSB1", "/dev/ttyS0",
                                          "/dev/ttyACM0", "/dev/ttyUSB0"};
  const std::vector<ChoiceCase> cases = {
      {3, true, ports, "/opt/tarnwick/com3"},
      {1, false, ports, "/dev/ttyACM0"},
      {2, false, ports, "/dev/ttyUSB0"},
      {4, false, ports, "/dev/ttyS0"},
      {6, false, ports, ""},
      {1, false, {}, ""},
      {0, false, ports, ""},
      {1, false, {"/dev/ttyS10", "/dev/ttyS2"}, "/dev/ttyS2"},
      {2, false, {"/dev/ttyUSB10", "/dev/ttyUSB9", "/dev/ttyUSB2"}, "/dev/ttyUSB9"},
      {1,
       false,
       {"/dev/cu.Bluetooth-Incoming-Port", "/dev/cu.usbserial-A1"},
       "/dev/cu.usbserial-A1"},
      {2,
       false,
       {"/dev/tty.usbmodem1", "/dev/cu.usbserial-A1", "/dev/cu.debug"},
       "/dev/tty.usbmodem1"},
  };
  for (const ChoiceCase& c : cases) {
    EXPECT_EQ(ChoosePortDevice(c.number, "/opt/tarnwick", c.comEntryExists, c.systemPorts),
              c.expected)
        << "Com " << c.number << (c.comEntryExists ? " with" : " without") << " com entry";
  }
}

// A com<n> link in the program's folder decides what "Com n" opens, and the tooltip
// names it and its target, or says the target is gone.
TEST(ResolvePortDeviceTest, ComLinkInProgramFolderDecidesAndIsDescribed) {
  testing::PtyPair pty;
  const std::string link = QCoreApplication::applicationDirPath().toStdString() + "/com7";
  ::unlink(link.c_str());
  ASSERT_EQ(::symlink(pty.SlavePath().c_str(), link.c_str()), 0);

  EXPECT_EQ(ResolvePortDevice(7), link);
  EXPECT_EQ(DescribePortDevice(7), "Com 7 opens " + link + " -> " + pty.SlavePath());
  QtSerialPort port;
  port.SetPortNumber(7);
  port.Open();
  port.Output("via link");
  EXPECT_EQ(pty.Read(8, std::chrono::seconds(10)), "via link");
  port.Close();

  ::unlink(link.c_str());
  ASSERT_EQ(::symlink("/dev/tarnwick-unplugged", link.c_str()), 0);
  EXPECT_EQ(ResolvePortDevice(7), link);
  EXPECT_EQ(DescribePortDevice(7),
            "Com 7 opens " + link + " -> /dev/tarnwick-unplugged (not present)");
  EXPECT_THROW(port.Open(), PortError);
  ::unlink(link.c_str());
}

}  // namespace
}  // namespace tarnwick
