// The main window's settings file when saves cannot be made, and files that are folders, very
// large, or hold a NUL byte: a failed save leaves the window and the previous file as they
// were; a load either reads every value or brings the defaults back with its message.

#include <signal.h>
#include <sys/resource.h>

#include <QFileInfo>
#include <string>

#include "tests/support/text_checks.h"
#include "tests/ui/form1_harness.h"

namespace tarnwick::testing {
namespace {

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
    EXPECT_EQ(h.WindowBytes(), c.save ? SettingsBytes(kChanged) : fails ? defaults : c.bytes);
    EXPECT_EQ(QFileInfo(made).isDir(), folder);
    if (c.grownTo == 0) {
      EXPECT_EQ(Form1Harness::ReadFile(made), c.bytes);
    }
  }
}

}  // namespace
}  // namespace tarnwick::testing
