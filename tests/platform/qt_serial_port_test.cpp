#include "platform/qt/qt_serial_port.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <thread>
#include <vector>

#include "tests/platform/port_test_support.h"
#include "tests/platform/pty_line_settings.h"
#include "tests/platform/pty_pair.h"

namespace tarnwick {
namespace {

using namespace std::chrono_literals;
using testing::PtyPair;
using testing::ReceiveFromPort;

class QtSerialPortTest : public ::testing::Test {
 protected:
  QtSerialPort MakePort() {
    return QtSerialPort([this](int number) {
      requestedNumbers.push_back(number);
      return pty.SlavePath();
    });
  }

  PtyPair pty;
  std::vector<int> requestedNumbers;
};

TEST_F(QtSerialPortTest, CarriesEveryByteValueBothWays) {
  std::string everyByte;
  for (int value = 0; value < 256; ++value) everyByte += static_cast<char>(value);
  // Without flow control: with XON/XOFF the driver itself acts on 0x11 and 0x13.
  QtSerialPort port = MakePort();
  port.SetPortNumber(3);
  port.Open();
  EXPECT_EQ(requestedNumbers, std::vector<int>{3});

  port.Output(everyByte);
  EXPECT_EQ(pty.Read(everyByte.size(), 10s), everyByte);
  pty.Write(everyByte);
  EXPECT_EQ(ReceiveFromPort(port, everyByte.size()), everyByte);
}

TEST_F(QtSerialPortTest, CountSeesBytesWithoutEventLoopAndLeavesThemQueued) {
  QtSerialPort port = MakePort();
  port.Open();
  EXPECT_EQ(port.InBufferCount(), 0);
  EXPECT_EQ(port.Input(), "");

  pty.Write("abc");
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (port.InBufferCount() < 3 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(1ms);  // the pty hands the bytes over in the background
  }
  EXPECT_EQ(port.InBufferCount(), 3);
  EXPECT_EQ(port.InBufferCount(), 3);
  EXPECT_EQ(port.Input(), "abc");
  EXPECT_EQ(port.InBufferCount(), 0);
  EXPECT_EQ(port.Input(), "");
}

TEST_F(QtSerialPortTest, ClosesAndReopens) {
  QtSerialPort port = MakePort();
  port.Close();  // closing a closed port does nothing
  EXPECT_FALSE(port.IsOpen());
  EXPECT_THROW(port.Output("x"), PortError);
  EXPECT_THROW(port.Input(), PortError);
  EXPECT_THROW(port.InBufferCount(), PortError);
  EXPECT_THROW(port.WaitForInput(0ms), PortError);

  port.Open();
  EXPECT_TRUE(port.IsOpen());
  EXPECT_THROW(port.Open(), PortError);
  port.Close();
  port.Close();
  EXPECT_FALSE(port.IsOpen());
  port.Open();
  port.Output("again");
  EXPECT_EQ(pty.Read(5, 10s), "again");
}

TEST_F(QtSerialPortTest, OpeningFailsCleanlyForMissingOrUnusableDevices) {
  QTemporaryDir dir;
  const std::string danglingLink = (dir.path() + "/com1").toStdString();
  ASSERT_EQ(::symlink("/dev/tarnwick-no-such-device", danglingLink.c_str()), 0);

  for (const std::string& device :
       {std::string(), std::string("/dev/tarnwick-no-such-device"), danglingLink}) {
    QtSerialPort port([&](int) { return device; });
    EXPECT_THROW(port.Open(), PortError) << device;
    EXPECT_FALSE(port.IsOpen()) << device;
  }
  QtSerialPort refusedRate = MakePort();
  refusedRate.SetBaudRate(0);
  EXPECT_THROW(refusedRate.Open(), PortError);
}

TEST_F(QtSerialPortTest, DeviceInUseIsBusyAlsoWhenReachedThroughLink) {
  QTemporaryDir dir;
  const std::string link = (dir.path() + "/com2").toStdString();
  ASSERT_EQ(::symlink(pty.SlavePath().c_str(), link.c_str()), 0);
  QtSerialPort first([&](int) { return link; });
  first.Open();

  for (const std::string& device : {link, pty.SlavePath()}) {
    QtSerialPort second([&](int) { return device; });
    EXPECT_THROW(second.Open(), PortError) << device;
  }
  first.Close();
  QtSerialPort afterClose = MakePort();
  EXPECT_NO_THROW(afterClose.Open());
}

// Every rate of the baud list opens on a pseudo-terminal and reaches the driver exactly,
// 14400 and 56000 as custom rates; always 8 data bits, no parity, 1 stop bit.
TEST_F(QtSerialPortTest, AppliesEveryOfferedRateWithEightNoneOneAndXonXoff) {
  for (std::int32_t rate : {1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200}) {
    QtSerialPort port = MakePort();
    port.SetXonXoffFlowControl();
    port.SetBaudRate(rate);
    ASSERT_NO_THROW(port.Open()) << rate;
    const testing::LineSettings line = testing::ReadSlaveLineSettings(pty.MasterFd());
    EXPECT_EQ(line.baudRate, static_cast<std::uint32_t>(rate));
    EXPECT_TRUE(line.eightDataBits && !line.parity && !line.twoStopBits && line.xonXoff) << rate;
  }
}

TEST_F(QtSerialPortTest, OutputHeldByXoffDoesNotBlockAndLeavesAfterXon) {
  QtSerialPort port = MakePort();
  port.SetXonXoffFlowControl();
  port.Open();
  // "z" then XOFF: the driver keeps the XOFF for itself and hands "z" over only with it.
  pty.Write("z\x13");
  ASSERT_EQ(ReceiveFromPort(port, 1), "z");

  port.Output("held");
  EXPECT_EQ(pty.Read(4, 200ms), "");
  pty.Write("\x11");  // XON; the write notifier sends the rest from the event loop
  std::string arrived;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (arrived.size() < 4 && std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    arrived += pty.Read(4 - arrived.size(), 10ms);
  }
  EXPECT_EQ(arrived, "held");
}

TEST_F(QtSerialPortTest, WaitForInputWakesOnDataAndOtherwiseEndsAfterItsTimeout) {
  QtSerialPort port = MakePort();
  port.Open();
  QElapsedTimer elapsed;
  elapsed.start();
  port.WaitForInput(300ms);
  EXPECT_GE(elapsed.elapsed(), 300);
  EXPECT_EQ(port.InBufferCount(), 0);

  std::jthread farEnd([this] {
    std::this_thread::sleep_for(100ms);
    pty.Write("!");
  });
  elapsed.restart();
  port.WaitForInput(60s);
  EXPECT_LT(elapsed.elapsed(), 30'000);
  EXPECT_EQ(port.InBufferCount(), 1);
  elapsed.restart();
  port.WaitForInput(60s);  // input already pending: returns at once
  EXPECT_LT(elapsed.elapsed(), 30'000);
  EXPECT_EQ(port.Input(), "!");
}

TEST_F(QtSerialPortTest, ArrivingBytesWakeABlockingEventPump) {
  QtSerialPort port = MakePort();
  port.Open();
  bool safetyFired = false;
  QTimer safety;
  safety.setSingleShot(true);
  QObject::connect(&safety, &QTimer::timeout, [&] { safetyFired = true; });
  safety.start(5000);

  std::jthread farEnd([this] {
    std::this_thread::sleep_for(100ms);
    pty.Write("~");
  });
  while (!safetyFired && port.InBufferCount() == 0) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  EXPECT_FALSE(safetyFired);
  EXPECT_EQ(port.Input(), "~");
}

}  // namespace
}  // namespace tarnwick
