// The main window when things go wrong. Every menu command, and the close button, used in the
// middle of each phase of a download in which events are pumped (the handshake in either mode,
// the lines of either file): the download goes on undisturbed (or ends as the changed settings
// say), nothing sent is lost, and every way out leaves the port closed. The settings file when
// saves cannot be made or are cut short, and files that are folders, very large, or hold a NUL
// byte: a failed save leaves the window and the previous file as they were; a load either
// reads every value or brings the defaults back with its message.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <string>
#include <thread>

#include "tests/ui/form1_harness.h"
#include "ui/frm_splash.h"
#include "ui/settings_file_io.h"

namespace tarnwick::testing {
namespace {

enum class Phase { kJumpHandshake, kWaitHandshake, kEepromLines, kFlashLines };
constexpr const char* kPhaseNames[] = {"JumpHandshake", "WaitHandshake", "EepromLines",
                                       "FlashLines"};
// When each phase is under way: the first pump, or the number of records the target has taken.
constexpr std::size_t kRecordsBefore[] = {0, 0, 2, 4 + 2};
constexpr std::size_t kAllRecords = 4 + 7;  // EEPROM: 3 and the end record; application: 6 + 1
const QString kSuccess = QStringLiteral("Flash & EEPROM Files successfully downloaded.");

QByteArray FileBytes(const DownloadSettings& settings) {
  std::ostringstream out;
  WriteSettings(out, settings);
  return QByteArray::fromStdString(out.str());
}

// What the window holds, as a save shows it byte for byte.
QByteArray WindowBytes(Form1Harness& h) {
  const QString copy = h.PathIn("window.txt");
  h.form->SaveSettings(copy);
  return Form1Harness::ReadFile(copy);
}

// Uses a menu command, named by its action, or the close button as the user would; "&Open"
// opens a file holding `other`.
void Use(Form1Harness& h, const DownloadSettings& other, const std::string& command) {
  if (command == "OpenMenu") Form1Harness::WriteSettingsFile(h.PathIn("other.txt"), other);
  if (command == "OpenMenu") h.files.answers = {h.PathIn("other.txt")};
  if (command == "SaveMenu") h.files.answers = {h.PathIn("copy.txt")};
  if (command == "InfoMenu") {
    // The about window is modal: the user closes it with a key a moment later.
    QTimer::singleShot(0, h.form.get(), [&h] {
      auto* about = h.form->findChild<frmSplash*>();
      ASSERT_NE(about, nullptr);
      QTest::keyClick(about, Qt::Key_Space);
    });
  }
  if (command != "CloseButton") return h.Trigger(command.c_str());
  h.form->close();
}

class MenusDuringDownload : public ::testing::TestWithParam<std::tuple<Phase, std::string>> {};

TEST_P(MenusDuringDownload, DownloadEndsSoundlyWithNothingLost) {
  const auto [phase, command] = GetParam();
  Form1Harness h;
  DownloadSettings settings;
  settings.FlashFile = h.WriteHexFile("app.hex", 6).toStdString();
  settings.EepromFile = h.WriteHexFile("data.eep", 3).toStdString();
  settings.EepromSelected = 1;
  h.StartWith(settings);
  DownloadSettings other = settings;
  other.JumpCommand = "J";
  const bool wait_mode = phase == Phase::kWaitHandshake;
  const auto use = [&, command = command] {
    Use(h, other, command);
    // Nothing ever sends the active character: the user gives up afterwards.
    if (wait_mode)
      QTimer::singleShot(0, h.form.get(), [&] { h.Find<QPushButton>("Command4")->click(); });
  };
  const std::size_t records = kRecordsBefore[static_cast<int>(phase)];
  if (records == 0) QTimer::singleShot(0, h.form.get(), use);  // the first pump comes early
  h.port.onOutput = [&, records](std::string_view) {
    if (records != 0 && h.port.Records().size() == records) {
      QTimer::singleShot(0, h.form.get(), use);
    }
  };

  h.Find<QPushButton>(wait_mode ? "Command6" : "Command2")->click();

  const bool exits = command == "ExitMenu" || command == "CloseButton";
  QStringList expected = {kSuccess};
  if (exits || wait_mode) expected = {};
  // The defaults empty both path boxes: a file not yet opened then cannot be opened.
  else if (command == "DefaultMenu" && phase != Phase::kFlashLines)
    expected = {"Error opening ."};
  EXPECT_EQ(h.messages.Texts(), expected);
  EXPECT_FALSE(h.port.IsOpen());
  if (expected == QStringList{kSuccess}) {
    EXPECT_EQ(h.port.Records().size(), kAllRecords);
  }
  EXPECT_EQ(h.endProgramCalls, exits ? 1 : 0);
  if (exits) {
    EXPECT_FALSE(h.form->isVisible());
    EXPECT_EQ(Form1Harness::ReadFile(SettingsFilePath(h.ProgramFolder())), FileBytes(settings));
    return;
  }
  EXPECT_EQ(h.Find<QLabel>("Label2")->text(), "Idle");
  const DownloadSettings held = command == "OpenMenu"      ? other
                                : command == "DefaultMenu" ? DownloadSettings{}
                                                           : settings;
  EXPECT_EQ(WindowBytes(h), FileBytes(held));
  if (command == "SaveMenu") {
    EXPECT_EQ(Form1Harness::ReadFile(h.PathIn("copy.txt")), FileBytes(settings));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MenusDuringDownload,
    ::testing::Combine(::testing::Values(Phase::kJumpHandshake, Phase::kWaitHandshake,
                                         Phase::kEepromLines, Phase::kFlashLines),
                       ::testing::Values("OpenMenu", "SaveMenu", "DefaultMenu", "InfoMenu",
                                         "ExitMenu", "CloseButton")),
    [](const auto& info) {
      return kPhaseNames[static_cast<int>(std::get<0>(info.param))] +
             ("_" + std::get<1>(info.param));
    });

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
    EXPECT_EQ(h.messages.Texts(), QStringList({"An error occured while saving file " + path}));
    EXPECT_EQ(WindowBytes(h), FileBytes(kChanged));
    EXPECT_EQ(QFileInfo(blocker).isDir(), is_folder);
    EXPECT_EQ(Form1Harness::ReadFile(blocker),
              is_folder ? QByteArray() : FileBytes(DownloadSettings{}));
  }
}

TEST(SettingsFileFaults, ALoadReadsEveryValueOrBringsTheDefaultsBack) {
  const QByteArray ten_mb(10 << 20, 'x');
  QByteArray with_nul = FileBytes(kChanged);
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
      {"sixteen good lines, then 10 MB", FileBytes(kChanged) + ten_mb, true},
      {"sixteen good lines, then more than sixteen values can take", FileBytes(kChanged), false,
       static_cast<qint64>(kMaxSettingsFileBytes) + 1},
      {"10 MB on one line", ten_mb, false},
      {"a NUL byte inside a text value", with_nul, true},
      {"a path of 40,000 characters", FileBytes(long_path), true},
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
    EXPECT_EQ(h.messages.Texts(), c.loads ? QStringList() : failed);
    qsizetype sixteen_lines = 0;
    for (int line = 0; line < 16; ++line)
      sixteen_lines = c.bytes.indexOf("\r\n", sixteen_lines) + 2;
    EXPECT_EQ(WindowBytes(h),
              c.loads ? c.bytes.left(sixteen_lines) : FileBytes(DownloadSettings{}));
  }
}

// A process killed in the middle of saving, again and again at different moments, as a
// power cut would: the file that is left always reads as the old settings or the new ones,
// never as a part of either.
TEST(SettingsFileFaults, ASaveCutShortLeavesTheOldOrTheNewFileWhole) {
  QTemporaryDir dir;
  const QString path = dir.filePath("tarnwick.txt");
  const DownloadSettings first, second = kChanged;
  ASSERT_TRUE(SaveSettingsFile(path, first));

  for (int cut = 0; cut < 20; ++cut) {
    int started[2];
    ASSERT_EQ(::pipe(started), 0);
    const pid_t saver = ::fork();
    ASSERT_GE(saver, 0);
    if (saver == 0) {
      ::close(started[0]);
      for (long n = 0;; ++n) {
        SaveSettingsFile(path, n % 2 == 0 ? second : first);
        if (n == 0 && ::write(started[1], "s", 1) != 1) ::_exit(1);
      }
    }
    ::close(started[1]);
    char byte = 0;
    ASSERT_EQ(::read(started[0], &byte, 1), 1);
    ::close(started[0]);
    std::this_thread::sleep_for(std::chrono::microseconds(97 * cut));
    ::kill(saver, SIGKILL);
    int status = 0;
    ::waitpid(saver, &status, 0);

    const QByteArray left = Form1Harness::ReadFile(path);
    EXPECT_TRUE(left == FileBytes(first) || left == FileBytes(second))
        << "cut " << cut << ": " << left.size() << " bytes";
  }
}

}  // namespace
}  // namespace tarnwick::testing
