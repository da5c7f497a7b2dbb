#pragma once

#include <sstream>

#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "core/download/clock.h"
#include "core/settings/settings_file.h"
#include "tests/support/fake_target_port.h"
#include "tools/target-sim/hex_records.h"
#include "ui/file_chooser.h"
#include "ui/form1.h"
#include "ui/message_boxes.h"
#include "ui/settings_location.h"

// Readable failure messages for Qt's strings (and lists of them).
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace tarnwick::testing {

// The settings file's bytes for `settings`.
inline QByteArray SettingsBytes(const DownloadSettings& settings) {
  std::ostringstream out;
  WriteSettings(out, settings);
  return QByteArray::fromStdString(out.str());
}

// A clock that moves on one second each time it is read, so that a timed wait ends after a
// few passes whatever the machine's speed.
struct SteppingClock final : Clock {
  std::int64_t now = 1'000'000;
  std::int64_t NowSeconds() override { return now++; }
};

// The file dialog, answered from a script: each use takes the next answer, a path or a null
// QString for a cancel; with no answer left it is cancelled.
struct ScriptedFileChooser final : FileChooser {
  QStringList answers;
  QStringList uses;  // "title, filter, open" or "..., save", in order

  std::optional<QString> Choose(QWidget*, const QString& title, const QString& filter,
                                FileChooserMode mode) override {
    uses << title + ", " + filter + (mode == FileChooserMode::Save ? ", save" : ", open");
    const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
    return answer.isNull() ? std::nullopt : std::make_optional(answer);
  }
};

// Message boxes that record the texts they were asked to show, with the details of each
// notice, and answer questions Yes unless told otherwise.
struct RecordingMessageBoxes final : MessageBoxes {
  QStringList texts;
  QStringList details;
  bool answer = true;

  void Show(QWidget*, const QString&, const QString& text, MessageIcon,
            const QString& detail) override {
    texts << text;
    details << detail;
  }
  bool AskYesNo(QWidget*, const QString&, const QString& text) override {
    texts << text;
    return answer;
  }
};

// A main window on these fakes, with a program folder of its own in a temporary folder.
class Form1Harness {
 public:
  Form1Harness() { QDir().mkpath(ProgramFolder()); }

  // Creates the window and runs its start without the about window: loads the settings file
  // of the program folder and shows the window, active, with the focus on Command2.
  void Start() {
    const auto describePort = [](int n) { return "device of Com " + std::to_string(n); };
    form = std::make_unique<Form1>(
        Form1Services{*windowPort, *windowClock, files, messages, ProgramFolder(), ConfigFolder(),
                      /*showSplashAtStart=*/false, describePort, [this] { ++endProgramCalls; }});
    form->Start();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  // Start() on a settings file holding `settings`, with the messages of the start forgotten.
  void StartWith(const DownloadSettings& settings) {
    WriteFile(SettingsFilePath(ProgramFolder()), SettingsBytes(settings));
    Start();
    messages.texts.clear();
  }

  template <class T>
  T* Find(const char* name) const {
    T* found = form->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  void Trigger(const char* action) const { Find<QAction>(action)->trigger(); }
  // What the window holds, as a save shows it byte for byte.
  QByteArray WindowBytes() const {
    form->SaveSettings(PathIn("window.txt"));
    return ReadFile(PathIn("window.txt"));
  }

  QString PathIn(const QString& name) const { return dir_.filePath(name); }
  QString ProgramFolder() const { return PathIn(QStringLiteral("program")); }
  QString ConfigFolder() const { return PathIn(QStringLiteral("config")); }

  // A file of `lines`, each ended by CR LF; returns its path.
  QString WriteLines(const QString& name, const std::vector<std::string>& lines) const {
    QByteArray text;
    for (const std::string& line : lines) text += QByteArray::fromStdString(line) + "\r\n";
    WriteFile(PathIn(name), text);
    return PathIn(name);
  }
  // A small Intel HEX file of `records` data records and the end record; returns its path.
  QString WriteHexFile(const QString& name, int records) const {
    return WriteLines(name, sim::MakeHexRecords(records));
  }
  static void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
  }
  static QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  FakeTargetPort port;
  SteppingClock clock;
  // What the window is given: these fakes, unless a test gives the real port and clock.
  SerialPort* windowPort = &port;
  Clock* windowClock = &clock;
  ScriptedFileChooser files;
  RecordingMessageBoxes messages;
  int endProgramCalls = 0;
  std::unique_ptr<Form1> form;

 private:
  QTemporaryDir dir_;
};

}  // namespace tarnwick::testing
