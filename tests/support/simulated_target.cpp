#include "tests/support/simulated_target.h"

#include "tools/target-sim/sim_log.h"

namespace tarnwick::testing {

SimulatedTarget::SimulatedTarget(const QStringList& options) {
  QStringList arguments = options;
  arguments << "--link" << folder_.filePath("com1") << "--log" << folder_.filePath("sim.log")
            << "--exit-after-seconds"
            << "120";
  process_.start(QStringLiteral(TARNWICK_TARGET_SIM), arguments);
  if (!process_.waitForStarted(10000)) return;
  if (!process_.waitForReadyRead(10000)) return;
  slavePath_ = process_.readLine().trimmed().toStdString();
}

SimulatedTarget::~SimulatedTarget() {
  process_.terminate();
  if (!process_.waitForFinished(5000)) process_.kill();
}

std::string SimulatedTarget::Device() const {
  return folder_.filePath("com1").toStdString();
}

std::string SimulatedTarget::Received() const {
  return sim::ReadReceivedBytes(folder_.filePath("sim.log").toStdString());
}

}  // namespace tarnwick::testing
