#pragma once

#include <sstream>

#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "core/download/clock.h"
#include "core/download/serial_port.h"
#include "core/settings/settings_file.h"
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

// A serial port with a bootloader behind it that answers at once: the ready reply to the
// start sequence, the line reply to every record and "@" (file fine) after the end record.
class FakeTargetPort final : public SerialPort {
 public:
  std::string readyReply = "?V1.41";  // empty: a silent target
  std::string lineReply = "~";
  bool failOpen = false;
  // Called after every write, with the bytes written; tests act "during" a download here.
  std::function<void(std::string_view)> onOutput;

  void SetXonXoffFlowControl() override {}
  void SetBaudRate(std::int32_t rate) override { baudRate = rate; }
  void SetPortNumber(int) override {}
  void Open() override {
    if (failOpen) throw PortError("no such port");
    open_ = true;
  }
  bool IsOpen() const override { return open_; }
  void Close() override {
    open_ = false;
    pending_.clear();
  }
  void Output(std::string_view bytes) override {
    if (!open_) throw PortError("port closed");
    if (bytes.find("@&$") != std::string_view::npos) pending_ += readyReply;
    if (bytes.starts_with(':')) {
      records.emplace_back(bytes);
      pending_ += lineReply + (bytes.starts_with(":00000001") ? "@" : "");
    }
    if (onOutput) onOutput(bytes);
  }
  std::string Input() override { return std::exchange(pending_, std::string()); }
  std::int32_t InBufferCount() override { return static_cast<std::int32_t>(pending_.size()); }
  // Counts the plain waits on the port, which handle no window events.
  void WaitForInput(std::chrono::milliseconds) override { ++plainWaits; }
  // The target sends `text` now.
  void Deliver(const std::string& text) { pending_ += text; }

  int plainWaits = 0;

  // The records sent, in order (handshake and EEPROM command left out).
  std::vector<std::string> records;
  std::int32_t baudRate = 0;

 private:
  bool open_ = false;
  std::string pending_;
};

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
    WriteSettingsFile(SettingsFilePath(ProgramFolder()), settings);
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
  static void WriteSettingsFile(const QString& path, const DownloadSettings& settings) {
    WriteFile(path, SettingsBytes(settings));
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
