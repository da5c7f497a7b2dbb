#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

namespace tarnwick::testing {

// A target-sim process on its own pseudo-terminal, linked as `com1` in a temporary folder and
// logging what it receives there. Stopped when the object goes.
class SimulatedTarget {
 public:
  explicit SimulatedTarget(const QStringList& options);
  ~SimulatedTarget();

  // False when the simulator did not start or did not report its terminal.
  bool Started() const { return !slavePath_.empty(); }
  // The link that "Com 1" should open.
  std::string Device() const;
  // Every byte the simulator has received so far, in order.
  std::string Received() const;
  QString Folder() const { return folder_.path(); }

 private:
  QTemporaryDir folder_;
  QProcess process_;
  std::string slavePath_;
};

}  // namespace tarnwick::testing
