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
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <string>

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

TEST(SettingsFileFaults, AFailedSaveShowsItsMessageAndChangesNeitherWindowNorFile) {
  const struct {
    const char* name;
    QString file;     // below the test's folder
    QString blocker;  // made first: a plain file, or a folder when it ends in "/"
    bool disk_fills;  // the disk fills while the new file is written
  } cases[] = {
      {"folder that cannot be written: its parent is a plain file", "plain/tarnwick.txt", "plain",
       false},
      {"the settings file is a folder", "folder", "folder/", false},
      {"the disk fills during the save", "old.txt", "old.txt", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Form1Harness h;
    h.StartWith(kChanged);
    const QString path = h.PathIn(c.file);
    const QString blocker = h.PathIn(c.blocker);
    const bool is_folder = c.blocker.endsWith('/');
    if (is_folder) {
      ASSERT_TRUE(QDir().mkpath(blocker));
    } else {
      Form1Harness::WriteSettingsFile(blocker, DownloadSettings{});
    }
    // Writes beyond 16 bytes fail as on a full disk, also for an administrator; the write
    // fails instead of the process.
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit full = saved;
    if (c.disk_fills) full.rlim_cur = 16;
    ::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &full);

    ::testing::internal::CaptureStderr();
    h.form->SaveSettings(path);

    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, SIG_DFL);
    // The file size limit cuts the captured standard error short too.
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(c.disk_fills || log.find("tarnwick: settings file " + path.toStdString() +
                                         " not saved: ") != std::string::npos)
        << log;
    EXPECT_EQ(h.messages.texts, QStringList({"An error occured while saving file " + path}));
    EXPECT_TRUE(c.disk_fills ||
                h.messages.details == QStringList{QString::fromStdString(log).trimmed()});
    EXPECT_EQ(WindowBytes(h), SettingsBytes(kChanged));
    EXPECT_EQ(QFileInfo(blocker).isDir(), is_folder);
    EXPECT_EQ(Form1Harness::ReadFile(blocker),
              is_folder ? QByteArray() : SettingsBytes(DownloadSettings{}));
  }
}

TEST(SettingsFileFaults, ALoadReadsEveryValueOrBringsTheDefaultsBack) {
  QByteArray with_nul = SettingsBytes(kChanged);
  with_nul.replace("app, v2", QByteArray("app\0v2", 6));
  DownloadSettings long_path = kChanged;
  long_path.FlashFile = "/" + std::string(40'000, 'p');  // beyond a line edit's usual limit
  const struct {
    const char* name;
    QByteArray bytes;  // empty: the path is a folder
    bool loads;
    qint64 grown_to = 0;  // then made this long, with no data written (a sparse file)
  } cases[] = {
      {"a folder", {}, false},
      {"sixteen good lines, then more than sixteen values can take", SettingsBytes(kChanged), false,
       static_cast<qint64>(kMaxSettingsFileBytes) + 1},
      {"a NUL byte inside a text value", with_nul, true},
      {"a path of 40,000 characters", SettingsBytes(long_path), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Form1Harness h;
    h.StartWith(kChanged);
    const QString path = h.PathIn("settings.txt");
    if (c.bytes.isEmpty()) {
      ASSERT_TRUE(QDir().mkpath(path));
    } else {
      Form1Harness::WriteFile(path, c.bytes);
      ASSERT_TRUE(c.grown_to == 0 || QFile::resize(path, c.grown_to));
    }

    h.form->LoadSettings(path);

    const QStringList failed = {"An error occured while loading file " + path +
                                ". The default settings will be loaded instead."};
    EXPECT_EQ(h.messages.texts, c.loads ? QStringList() : failed);
    EXPECT_EQ(h.messages.details.size(), h.messages.texts.size());
    EXPECT_TRUE(c.loads || h.messages.details.front().contains(" tarnwick: settings file " + path +
                                                               " not loaded: "));
    qsizetype sixteen_lines = 0;
    for (int line = 0; line < 16; ++line)
      sixteen_lines = c.bytes.indexOf("\r\n", sixteen_lines) + 2;
    EXPECT_EQ(WindowBytes(h),
              c.loads ? c.bytes.left(sixteen_lines) : SettingsBytes(DownloadSettings{}));
  }
}

}  // namespace
}  // namespace tarnwick::testing
