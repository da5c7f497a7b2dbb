// The main window when things go wrong. The menu commands whose effects differ, and the close
// button, used in the middle of a download, at least once in each phase in which events are
// pumped (the handshake in either mode, the lines of either file): the download goes on
// undisturbed (or ends as the changed settings say), an exit stops it at once, and every way
// out leaves the port closed. The settings file when saves cannot be made, and files that are
// folders, very large, or hold a NUL byte: a failed save leaves the window and the previous
// file as they were; a load either reads every value or brings the defaults back with its
// message.

#include <signal.h>
#include <sys/resource.h>

#include <QFileInfo>
#include <QPushButton>
#include <QTimer>
#include <string>

#include "tests/support/text_checks.h"
#include "tests/ui/form1_harness.h"
#include "ui/frm_splash.h"

namespace tarnwick::testing {
namespace {

const char* const kSuccess = "Flash & EEPROM Files successfully downloaded.";

// What the window holds, as a save shows it byte for byte.
QByteArray WindowBytes(Form1Harness& h) {
  const QString copy = h.PathIn("window.txt");
  h.form->SaveSettings(copy);
  return Form1Harness::ReadFile(copy);
}

TEST(MenusDuringDownload, DownloadEndsSoundlyWithNothingLost) {
  // An EEPROM file of 3 records and the end record, then an application of 6 and the end.
  constexpr std::size_t kAll = 4 + 7;
  const struct {
    const char* phase;  // "wait handshake" starts by Command6, the others by Command2
    std::size_t at;     // records the target has taken when the command is used; 0: first pump
    const char* command;
    const char* message;  // the one message shown, if any
    std::size_t sent;     // records sent in all
  } cases[] = {
      {"jump handshake", 0, "OpenMenu", kSuccess, kAll},
      // Nothing ever sends the active character: the user cancels afterwards.
      {"wait handshake", 0, "SaveMenu", nullptr, 0},
      // The defaults empty both path boxes: the application's file cannot be opened then.
      {"EEPROM lines", 2, "DefaultMenu", "Error opening .", 4},
      {"application lines", 4 + 2, "DefaultMenu", kSuccess, kAll},
      {"application lines", 4 + 2, "InfoMenu", kSuccess, kAll},
      {"jump handshake", 0, "ExitMenu", nullptr, 0},
      {"EEPROM lines", 2, "CloseButton", nullptr, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.phase) + ", " + c.command);
    Form1Harness h;
    const DownloadSettings settings{.FlashFile = h.WriteHexFile("app.hex", 6).toStdString(),
                                    .EepromFile = h.WriteHexFile("data.eep", 3).toStdString(),
                                    .EepromSelected = 1};
    h.StartWith(settings);
    QFile::remove(h.form->SettingsPath());  // so that the save at exit shows
    DownloadSettings other = settings;
    other.JumpCommand = "J";
    Form1Harness::WriteSettingsFile(h.PathIn("other.txt"), other);  // for "&Open"
    const std::string command = c.command;
    h.files.answers = {h.PathIn(command == "OpenMenu" ? "other.txt" : "copy.txt")};
    const bool waitMode = c.phase == std::string_view("wait handshake");
    const auto later = [&](std::function<void()> act) { QTimer::singleShot(0, h.form.get(), act); };
    const auto use = [&] {
      // The about window is modal: the user closes it with a key a moment later.
      if (command == "InfoMenu")
        later([&] { QTest::keyClick(h.form->findChild<frmSplash*>(), Qt::Key_Space); });
      command == "CloseButton" ? (void)h.form->close() : h.Trigger(c.command);
      if (waitMode) later([&] { h.Find<QPushButton>("Command4")->click(); });
    };
    if (c.at == 0) later(use);
    h.port.onOutput = [&](std::string_view) {
      if (c.at != 0 && h.port.records.size() == c.at) later(use);
    };

    h.Find<QPushButton>(waitMode ? "Command6" : "Command2")->click();

    const bool exits = command == "ExitMenu" || command == "CloseButton";
    EXPECT_EQ(h.messages.texts, c.message ? QStringList{c.message} : QStringList());
    EXPECT_EQ(h.port.records.size(), c.sent);
    EXPECT_FALSE(h.port.IsOpen());
    EXPECT_EQ(h.endProgramCalls, exits ? 1 : 0);
    EXPECT_EQ(h.form->isVisible(), !exits);
    const DownloadSettings held = command == "OpenMenu"      ? other
                                  : command == "DefaultMenu" ? DownloadSettings{}
                                                             : settings;
    EXPECT_EQ(WindowBytes(h), SettingsBytes(held));
    EXPECT_EQ(Form1Harness::ReadFile(h.form->SettingsPath()), exits ? SettingsBytes(held) : "");
    EXPECT_EQ(Form1Harness::ReadFile(h.PathIn("copy.txt")),
              command == "SaveMenu" ? SettingsBytes(held) : "");
  }
}

// Every setting differs from its default, so that a return to the defaults shows.
const DownloadSettings kChanged{
    3,   9,   "/firmware/app, v2.hex", "ABC", "R", "J", "A", "L", "P", "E",
    "K", "C", "/firmware/data.eep",    "W",   2,   0};

// Every save here fails, and so does a load of a folder or of a file too large: each says so,
// with the line logged, which names the file and the operation, as the message's details. A
// failed save changes neither the window nor what was there; a failed load brings the
// defaults back, and a load of an unusual file that is whole reads every value.
TEST(SettingsFileFaults, AFailedSaveOrLoadSaysSoAndAWholeFileLoadsEveryValue) {
  const QByteArray defaults = SettingsBytes(DownloadSettings{});
  QByteArray withNul = SettingsBytes(kChanged);
  withNul.replace("app, v2", QByteArray("app\0v2", 6));
  DownloadSettings longPath = kChanged;
  longPath.FlashFile = "/" + std::string(40'000, 'p');  // beyond a line edit's usual limit
  const struct {
    const char* name;
    bool save;  // else a load
    QString file;
    QString made;      // first, below the test's folder: a folder when it ends in "/", else a file
    QByteArray bytes;  // the file's
    qint64 grownTo = 0;      // then made this long, with no data written (a sparse file)
    bool diskFills = false;  // the disk fills while the new file is written
  } cases[] = {
      {"save into a folder whose parent is a plain file", true, "plain/tarnwick.txt", "plain",
       defaults},
      {"save over a folder", true, "folder", "folder/", {}},
      {"save as the disk fills", true, "old.txt", "old.txt", defaults, 0, true},
      {"load a folder", false, "settings.txt", "settings.txt/", {}},
      {"load sixteen good lines, then more than sixteen values can take", false, "s.txt", "s.txt",
       SettingsBytes(kChanged), static_cast<qint64>(kMaxSettingsFileBytes) + 1},
      {"load a NUL byte inside a text value", false, "s.txt", "s.txt", withNul},
      {"load a path of 40,000 characters", false, "s.txt", "s.txt", SettingsBytes(longPath)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Form1Harness h;
    h.StartWith(kChanged);
    const QString path = h.PathIn(c.file);
    const QString made = h.PathIn(c.made);
    const bool folder = c.made.endsWith('/');
    if (folder) {
      ASSERT_TRUE(QDir().mkpath(made));
    } else {
      Form1Harness::WriteFile(made, c.bytes);
      ASSERT_TRUE(c.grownTo == 0 || QFile::resize(made, c.grownTo));
    }
    // Writes beyond 16 bytes fail as on a full disk, also for an administrator; the write
    // fails instead of the process.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit full = saved;
    if (c.diskFills) full.rlim_cur = 16;
    ::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &full);

    ::testing::internal::CaptureStderr();
    c.save ? h.form->SaveSettings(path) : (void)h.form->LoadSettings(path);

    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, SIG_DFL);
    // The file size limit cuts the captured standard error short too.
    const std::string log = ::testing::internal::GetCapturedStderr();
    const bool fails = c.save || folder || c.grownTo > 0;
    const QString failed = c.save ? "An error occured while saving file " + path
                                  : "An error occured while loading file " + path +
                                        ". The default settings will be loaded instead.";
    EXPECT_EQ(h.messages.texts, fails ? QStringList{failed} : QStringList());
    EXPECT_TRUE(c.diskFills ||
                h.messages.details.join('|') == QString::fromStdString(log).trimmed())
        << log;
    EXPECT_TRUE(c.diskFills || !fails ||
                Holds(log, "tarnwick: settings file " + path.toStdString() +
                               (c.save ? " not saved: " : " not loaded: ")));
    EXPECT_EQ(WindowBytes(h), c.save ? SettingsBytes(kChanged) : fails ? defaults : c.bytes);
    EXPECT_EQ(QFileInfo(made).isDir(), folder);
    if (c.grownTo == 0) {
      EXPECT_EQ(Form1Harness::ReadFile(made), c.bytes);
    }
  }
}

}  // namespace
}  // namespace tarnwick::testing
