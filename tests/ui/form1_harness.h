#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include "core/settings/download_settings.h"
#include "tests/ui/fake_target_port.h"
#include "tests/ui/scripted_dialogs.h"
#include "ui/form1.h"

// Readable failure messages for Qt's strings.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* out) {
  *out << '{';
  for (const QString& text : texts) *out << '"' << text.toStdString() << "\" ";
  *out << '}';
}

namespace tarnwick::testing {

// A main window on fakes: a scripted target and clock, scripted dialogs, and a program
// folder of its own in a temporary folder.
class Form1Harness {
 public:
  Form1Harness();
  ~Form1Harness();

  // Creates the window and runs its start (without the about window): loads the settings
  // file of the program folder and shows the window, active, with the focus on Command2.
  void Start();
  // Start() with a settings file holding these settings written first, and the messages of
  // the start forgotten.
  void StartWith(const DownloadSettings& settings);

  template <class T>
  T* Find(const char* name) const {
    T* found = form->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  // The enabled and visible state of the named controls, for comparing whole faces.
  QString Face(const std::vector<const char*>& names) const;

  QString ProgramFolder() const { return dir_.filePath(QStringLiteral("program")); }
  QString ConfigFolder() const { return dir_.filePath(QStringLiteral("config")); }
  QString PathIn(const QString& name) const { return dir_.filePath(name); }
  // A small Intel HEX file of `records` data records and the end record; its path.
  QString WriteHexFile(const QString& name, int records) const;
  static void WriteSettingsFile(const QString& path, const DownloadSettings& settings);
  static QByteArray ReadFile(const QString& path);

  FakeTargetPort port;
  SteppingClock clock;
  ScriptedFileChooser files;
  RecordingMessageBoxes messages;
  int endProgramCalls = 0;
  std::unique_ptr<Form1> form;

 private:
  QTemporaryDir dir_;
};

}  // namespace tarnwick::testing
