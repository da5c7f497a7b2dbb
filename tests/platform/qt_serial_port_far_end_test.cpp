#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

#include "platform/qt/qt_serial_port.h"
#include "tests/platform/port_test_support.h"
#include "tests/platform/pty_pair.h"

namespace tarnwick {
namespace {

using namespace std::chrono_literals;

// The far end vanishing mid-transfer (a USB adapter pulled out; here the pty master
// closed) fails the next operation at once, whichever it is, and every one after it: never
// a silent empty read or an endless wait. The port still counts as open until closed.
TEST(QtSerialPortFarEndTest, EveryOperationFailsAtOnceAfterTheFarEndWentAway) {
  using Operation = std::function<void(SerialPort&)>;
  const std::vector<Operation> operations = {[](SerialPort& port) { port.Output(":10000000"); },
                                             [](SerialPort& port) { port.Input(); },
                                             [](SerialPort& port) { port.InBufferCount(); },
                                             [](SerialPort& port) { port.WaitForInput(60s); }};
  for (std::size_t first = 0; first < operations.size(); ++first) {
    testing::PtyPair pty;
    QtSerialPort port([&](int) { return pty.SlavePath(); });
    port.Open();
    pty.Write("partial");
    ASSERT_EQ(testing::ReceiveFromPort(port, 7), "partial");
    pty.Write("lost");
    pty.CloseMaster();

    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_THROW(operations[first](port), PortError) << "first operation " << first;
    for (std::size_t later = 0; later < operations.size(); ++later) {
      EXPECT_THROW(operations[later](port), PortError) << "after " << first << ": " << later;
    }
    EXPECT_LT(elapsed.elapsed(), 30'000);
    EXPECT_TRUE(port.IsOpen());
    port.Close();
    EXPECT_FALSE(port.IsOpen());
  }
}

// A hung-up device stays readable for ever; the event loop must not spin on it, for
// instance while a message box is open during a download.
TEST(QtSerialPortFarEndTest, EventLoopRestsAfterTheFarEndWentAway) {
  testing::PtyPair pty;
  QtSerialPort port([&](int) { return pty.SlavePath(); });
  port.Open();
  pty.CloseMaster();

  bool timerFired = false;
  QTimer::singleShot(500, [&] { timerFired = true; });
  int wakeUps = 0;
  while (!timerFired) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ++wakeUps;
  }
  EXPECT_LT(wakeUps, 100);  // a spinning loop wakes many thousands of times in 500 ms
  EXPECT_THROW(port.Input(), PortError);
}

}  // namespace
}  // namespace tarnwick
