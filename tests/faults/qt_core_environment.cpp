#include <gtest/gtest.h>

#include <QCoreApplication>
#include <memory>

namespace {

// The port's socket notifiers and Qt's timers need an application object on the thread
// that runs the tests.
class QtCoreEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QCoreApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "faults";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QCoreApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kQtCore =
    ::testing::AddGlobalTestEnvironment(new QtCoreEnvironment);

}  // namespace
