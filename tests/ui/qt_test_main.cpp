// The window tests' main: one QApplication for the whole binary, on the offscreen
// platform so that no display is needed (also when ctest lists the tests at build time).
#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // Whatever Qt remembers between runs (the file dialog's last folder) goes to a test
  // location, never into the user's own configuration.
  QStandardPaths::setTestModeEnabled(true);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
