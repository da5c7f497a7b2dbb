// The settings file when things go wrong: saves that cannot be made or are cut short, and
// files that are folders, very large, or hold a NUL byte. A failed save leaves the window
// and the previous file as they were; a load either reads every value or brings the
// defaults back with its message.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <chrono>
#include <functional>
#include <sstream>
#include <thread>

#include "core/settings/settings_file.h"
#include "tests/ui/form1_harness.h"
#include "ui/settings_file_io.h"

namespace tarnwick::testing {
namespace {

// Every setting differs from its default, so that a return to the defaults shows.
DownloadSettings Changed() {
  DownloadSettings s;
  s.PortIndex = 3;
  s.BaudIndex = 9;
  s.FlashFile = "/firmware/app, v2.hex";
  s.StartSequence = "ABC";
  s.ReadyCharacter = "R";
  s.JumpCommand = "J";
  s.ActiveCharacter = "A";
  s.LineCompleteCharacter = "L";
  s.PageErrorCharacter = "P";
  s.FileErrorsCharacter = "E";
  s.FileOkCharacter = "K";
  s.ChecksumErrorCharacter = "C";
  s.EepromFile = "/firmware/data.eep";
  s.EepromWriteCommand = "W";
  s.EepromSelected = 2;
  s.FlashSelected = 0;
  return s;
}

QByteArray FileBytes(const DownloadSettings& settings) {
  std::ostringstream out;
  WriteSettings(out, settings);
  return QByteArray::fromStdString(out.str());
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

// The sixteen values as the controls show them.
QStringList ControlValues(const Form1Harness& h) {
  QStringList values;
  for (const char* name : {"Combo1", "Combo2"}) {
    values << QString::number(h.Find<QComboBox>(name)->currentIndex());
  }
  for (int n = 1; n <= 12; ++n) {
    values << h.Find<QLineEdit>(("Text" + std::to_string(n)).c_str())->text();
  }
  for (const char* name : {"EepromCheck", "FlashCheck"}) {
    values << QString::number(h.Find<QCheckBox>(name)->checkState());
  }
  return values;
}

// Writes beyond this many bytes fail as on a full disk, also for an administrator.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_handler_ = ::signal(SIGXFSZ, SIG_IGN);  // the write fails instead of the process
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, previous_handler_);
  }

 private:
  rlimit saved_{};
  sighandler_t previous_handler_;
};

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
    h.StartWith(Changed());
    const QString path = h.PathIn(c.file);
    const QString blocker = h.PathIn(c.blocker);
    if (c.blocker.endsWith('/')) {
      ASSERT_TRUE(QDir().mkpath(blocker));
    } else {
      WriteBytes(blocker, FileBytes(DownloadSettings{}));
    }
    const QStringList before = ControlValues(h);

    if (c.disk_fills) {
      const FileSizeLimit full(16);
      h.form->SaveSettings(path);
    } else {
      h.form->SaveSettings(path);
    }

    EXPECT_EQ(h.messages.Texts(), QStringList({"An error occured while saving file " + path}));
    EXPECT_EQ(ControlValues(h), before);
    if (c.blocker.endsWith('/')) {
      EXPECT_TRUE(QFileInfo(blocker).isDir());
    } else {
      EXPECT_EQ(Form1Harness::ReadFile(blocker), FileBytes(DownloadSettings{}));
    }
  }
}

TEST(SettingsFileFaults, ALoadReadsEveryValueOrBringsTheDefaultsBack) {
  const QByteArray ten_mb(10 << 20, 'x');
  QByteArray with_nul = FileBytes(Changed());
  with_nul.replace("app, v2", QByteArray("app\0v2", 6));
  const struct {
    const char* name;
    QByteArray bytes;  // empty: the path is a folder
    bool loads;
  } cases[] = {
      {"a folder", {}, false},
      {"sixteen good lines, then 10 MB", FileBytes(Changed()) + ten_mb, true},
      {"10 MB on one line", ten_mb, false},
      {"a NUL byte inside a text value", with_nul, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Form1Harness h;
    h.StartWith(Changed());
    const QString path = h.PathIn("settings.txt");
    if (c.bytes.isEmpty()) {
      ASSERT_TRUE(QDir().mkpath(path));
    } else {
      WriteBytes(path, c.bytes);
    }

    h.form->LoadSettings(path);

    // Saving what the window holds shows what it read, byte for byte.
    const QString copy = h.PathIn("copy.txt");
    h.form->SaveSettings(copy);
    if (c.loads) {
      EXPECT_EQ(h.messages.Texts(), QStringList());
      EXPECT_EQ(Form1Harness::ReadFile(copy), c.bytes.left(FileBytes(Changed()).size()));
    } else {
      EXPECT_EQ(h.messages.Texts(),
                QStringList({"An error occured while loading file " + path +
                             ". The default settings will be loaded instead."}));
      EXPECT_EQ(Form1Harness::ReadFile(copy), FileBytes(DownloadSettings{}));
    }
  }
}

// A process killed in the middle of saving, again and again at different moments, as a
// power cut would: the file that is left always reads as the old settings or the new ones,
// never as a part of either.
TEST(SettingsFileFaults, ASaveCutShortLeavesTheOldOrTheNewFileWhole) {
  QTemporaryDir dir;
  const QString path = dir.filePath("tarnwick.txt");
  const DownloadSettings first;
  const DownloadSettings second = Changed();
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
