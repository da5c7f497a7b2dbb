// The kernel's termios2 shows the exact line rate, custom rates included; it cannot share a
// file with <termios.h>.
#include <asm/termbits.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <regex>
#include <thread>

#include "platform/qt/any_port.h"
#include "platform/qt/port_device.h"
#include "platform/qt/qt_serial_port.h"
#include "tests/support/far_end.h"
#include "tests/support/text_checks.h"

namespace tarnwick {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using Pty = testing::FarEnd;

QtSerialPort PortOn(const std::string& device) {
  return QtSerialPort([device](int) { return device; });
}

// Every operation that needs an open, working port.
const std::vector<std::function<void(SerialPort&)>> kOperations = {
    [](SerialPort& port) { port.Output(":10000000"); },
    [](SerialPort& port) { port.Input(); },
    [](SerialPort& port) { port.InBufferCount(); },
    [](SerialPort& port) { port.WaitForInput(60s); },
};

class QtSerialPortTest : public ::testing::Test {
 protected:
  Pty pty;
  QtSerialPort port = PortOn(pty.Slave());
};

// A closed port refuses every operation. An open one carries every byte value both ways, its
// count sees arriving bytes with no event loop running and leaves them for Input(), and its
// device counts as busy: for a second opening, for another port on it (also when reached
// through a link: the lock must name the real device), as a missing one (no such port, no
// such device, a link to nothing) is. Closed, it opens again.
TEST_F(QtSerialPortTest, CarriesEveryByteValueBothWaysWhileOpenAndRefusesEveryOperationClosed) {
  port.Close();  // closing a closed port does nothing
  for (const auto& operation : kOperations) EXPECT_THROW(operation(port), PortError);
  std::string everyByte;
  for (int value = 0; value < 256; ++value) everyByte += static_cast<char>(value);
  port.Open();  // without flow control: with XON/XOFF the driver itself acts on 0x11 and 0x13
  EXPECT_THROW(port.Open(), PortError);
  QTemporaryDir dir;
  const std::string dangling = (dir.path() + "/com1").toStdString();
  const std::string link = (dir.path() + "/com2").toStdString();
  ASSERT_EQ(::symlink("/dev/tarnwick-no-such-device", dangling.c_str()), 0);
  ASSERT_EQ(::symlink(pty.Slave().c_str(), link.c_str()), 0);
  for (const std::string& device :
       {std::string(), std::string("/dev/tarnwick-no-such-device"), dangling, link, pty.Slave()}) {
    QtSerialPort other = PortOn(device);
    EXPECT_THROW(other.Open(), PortError) << device;
    EXPECT_FALSE(other.IsOpen()) << device;
  }
  port.Output(everyByte);
  EXPECT_EQ(pty.Read(256), everyByte);
  pty.Write(everyByte);
  // The pty hands the bytes over in the background.
  for (auto end = Clock::now() + 10s; port.InBufferCount() < 256 && Clock::now() < end;) {
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_EQ(port.InBufferCount(), 256);
  EXPECT_EQ(port.Input(), everyByte);
  EXPECT_EQ(port.InBufferCount(), 0);
  port.Close();
  port.Open();
  port.Output("again");
  EXPECT_EQ(pty.Read(5), "again");
}

// Every offered rate reaches the driver exactly, 14400 and 56000 as custom rates; always 8 data
// bits, no parity, 1 stop bit. A rate the driver refuses fails the open.
TEST_F(QtSerialPortTest, AppliesEveryOfferedRateWithEightNoneOneAndXonXoff) {
  port.SetXonXoffFlowControl();
  for (std::int32_t rate : {1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200}) {
    port.SetBaudRate(rate);
    ASSERT_NO_THROW(port.Open()) << rate;
    termios2 line{};
    ASSERT_EQ(::ioctl(pty.Fd(), TCGETS2, &line), 0);  // on a master, acts on its slave
    EXPECT_EQ(line.c_ospeed, static_cast<speed_t>(rate));
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB), tcflag_t{CS8}) << rate;
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), tcflag_t{IXON | IXOFF}) << rate;
    port.Close();
  }
  port.SetBaudRate(0);
  EXPECT_THROW(port.Open(), PortError);
}

// With nothing arriving WaitForInput ends after its timeout; a byte arriving wakes it, and a
// blocking event pump too, long before any timeout. Once the far end went away the event loop
// rests: a hung-up device stays readable for ever, and the loop must not spin on it, for
// instance while a message box is open during a download.
TEST_F(QtSerialPortTest, WaitsWakeOnArrivingBytesAndTheEventLoopRestsAfterTheFarEndWentAway) {
  port.Open();
  auto start = Clock::now();
  port.WaitForInput(300ms);
  EXPECT_GE(Clock::now() - start, 300ms);
  QTimer safety;  // ends the wait of a pump that sleeps through the byte
  safety.start(40'000);
  for (bool pumpEvents : {false, true}) {
    std::jthread farEnd([this] {
      std::this_thread::sleep_for(100ms);
      pty.Write("~");
    });
    start = Clock::now();
    while (port.InBufferCount() == 0 && Clock::now() - start < 30s) {
      pumpEvents ? QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents)
                 : port.WaitForInput(60s);
    }
    EXPECT_LT(Clock::now() - start, 30s);
    EXPECT_EQ(port.Input(), "~");
  }
  pty.Close();
  bool timerFired = false;
  QTimer::singleShot(500, [&] { timerFired = true; });
  int wakeUps = 0;
  for (; !timerFired; ++wakeUps) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  EXPECT_LT(wakeUps, 100);  // a spinning loop wakes many thousands of times in 500 ms
}

// The far end vanishing mid-transfer fails the next operation at once, whichever it is, and
// every one after it: never a silent empty read or an endless wait. The port still counts as
// open until closed.
TEST(QtSerialPortFarEndTest, EveryOperationFailsAtOnceAfterTheFarEndWentAway) {
  for (std::size_t first = 0; first < kOperations.size(); ++first) {
    Pty pty;
    QtSerialPort port = PortOn(pty.Slave());
    port.Open();
    port.Output("partial");
    ASSERT_EQ(pty.Read(7), "partial");
    pty.Write("lost");
    pty.Close();
    const auto start = Clock::now();
    const std::string reason = testing::Thrown<PortError>([&] { kOperations[first](port); });
    // Which device, doing what, and the system's words: the reason that goes to the log.
    EXPECT_TRUE(std::regex_match(
        reason, std::regex("Com 1 \\(" + pty.Slave() + "\\) failed while [a-z ]+: .+")))
        << "first operation " << first << ": " << reason;
    for (const auto& later : kOperations) EXPECT_THROW(later(port), PortError) << first;
    EXPECT_LT(Clock::now() - start, 30s);  // far below the 60 s WaitForInput was given
    EXPECT_TRUE(port.IsOpen());
    port.Close();
  }
}

TEST(ChoosePortDeviceTest, ComEntryFirstThenUsbAdaptersThenOtherPortsInNameOrder) {
  EXPECT_EQ(ChoosePortDevice(3, "/opt/tarnwick", true, {"/dev/ttyUSB0"}), "/opt/tarnwick/com3");
  const std::vector<std::string> mixed = {"/dev/ttyS1", "/dev/ttyUSB1", "/dev/ttyS0",
                                          "/dev/ttyACM0", "/dev/ttyUSB0"};
  using Case = std::tuple<int, std::vector<std::string>, std::string>;
  for (const auto& [number, ports, expected] : std::vector<Case>{
           {1, mixed, "/dev/ttyACM0"},
           {2, mixed, "/dev/ttyUSB0"},
           {4, mixed, "/dev/ttyS0"},
           {6, mixed, ""},
           {0, mixed, ""},
           {1, {"/dev/ttyS10", "/dev/ttyS2"}, "/dev/ttyS2"},
           {2, {"/dev/ttyUSB10", "/dev/ttyUSB9", "/dev/ttyUSB2"}, "/dev/ttyUSB9"},
           {1, {"/dev/cu.Bluetooth", "/dev/cu.usbserial1"}, "/dev/cu.usbserial1"},
           {2, {"/dev/tty.usbmodem1", "/dev/cu.usbserial1", "/dev/cu.debug"}, "/dev/tty.usbmodem1"},
       }) {
    EXPECT_EQ(ChoosePortDevice(number, "/opt/tarnwick", false, ports), expected) << number;
  }
}

// A com<n> entry in the program's folder decides what "Com n" opens. A link: the tooltip names
// it and its target, or says the target is gone.
TEST(ResolvePortDeviceTest, ComEntryInProgramFolderDecidesAndIsDescribed) {
  Pty pty;
  const std::string link = QCoreApplication::applicationDirPath().toStdString() + "/com7";
  ::unlink(link.c_str());
  ASSERT_EQ(::symlink(pty.Slave().c_str(), link.c_str()), 0);
  EXPECT_EQ(DescribePortDevice(7), "Com 7 opens " + link + " -> " + pty.Slave());
  QtSerialPort port;
  port.SetPortNumber(7);
  port.Open();
  port.Output("via link");
  EXPECT_EQ(pty.Read(8), "via link");

  ::unlink(link.c_str());
  ASSERT_EQ(::symlink("/dev/tarnwick-unplugged", link.c_str()), 0);
  EXPECT_EQ(DescribePortDevice(7),
            "Com 7 opens " + link + " -> /dev/tarnwick-unplugged (not present)");
  ::unlink(link.c_str());

  // A com<n> entry that is a small text file holds a port server's address: the tooltip names
  // it, the port reaches the server through it and a plain wait on the port blocks on the
  // socket, wakes on its bytes and fails when the server goes. A file without one is no port.
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  const std::string address = "socket://127.0.0.1:" + std::to_string(server.serverPort());
  const std::string entry = QCoreApplication::applicationDirPath().toStdString() + "/com6";
  std::ofstream(entry) << "# the bench's board B\n" << address << "\n";
  EXPECT_EQ(DescribePortDevice(6), "Com 6 opens " + address + " (written in " + entry + ")");
  AnyPort network;
  network.SetPortNumber(6);
  network.Open();
  // Opening runs the event loop, in which the server may have taken the connection already.
  ASSERT_TRUE(server.hasPendingConnections() || server.waitForNewConnection(5000));
  QTcpSocket* far = server.nextPendingConnection();
  network.Output("via file");
  std::string got;
  while (got.size() < 8 && far->waitForReadyRead(5000)) got += far->readAll().toStdString();
  EXPECT_EQ(got, "via file");
  far->write("^");
  far->flush();
  network.WaitForInput(60s);
  EXPECT_EQ(network.Input(), "^");
  far->abort();
  const std::string gone = testing::Thrown<PortError>([&] {
    network.WaitForInput(60s);
    network.Input();
  });
  EXPECT_TRUE(
      testing::Holds(gone, "Com 6 (" + entry + " -> " + address + ") failed: 127.0.0.1 port "));
  network.Close();

  std::ofstream(entry) << "/dev/ttyUSB0\n";
  const std::string none = "it is a file, not a device, and holds no network address";
  EXPECT_TRUE(testing::Holds(DescribePortDevice(6), none));
  const std::string refused = testing::Thrown<PortError>([&] { network.Open(); });
  EXPECT_EQ(refused.find("Com 6 (" + entry + ") cannot be opened: " + none), 0u) << refused;
  ::unlink(entry.c_str());
}

}  // namespace
}  // namespace tarnwick
