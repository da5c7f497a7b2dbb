// The menu bar and the ways out of the program while a download runs.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "tests/ui/form1_harness.h"
#include "ui/frm_splash.h"
#include "ui/settings_location.h"

namespace tarnwick::testing {
namespace {

class DuringDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DownloadSettings settings;
    settings.FlashFile = h.WriteHexFile("app.hex", 6).toStdString();
    h.StartWith(settings);
  }

  // Runs `act` from the download's event pump once the target has seen `records` records.
  void DuringRecord(std::size_t records, std::function<void()> act) {
    h.port.onOutput = [this, records, act](std::string_view) {
      if (h.port.Records().size() == records) QTimer::singleShot(0, h.form.get(), act);
    };
  }

  Form1Harness h;
};

TEST_F(DuringDownloadTest, OpenAndSaveWorkAndTheDownloadGoesOn) {
  const QString mine = h.PathIn("mine.txt");
  DownloadSettings other;
  other.JumpCommand = "J";
  other.FlashFile = h.Find<QLineEdit>("Text1")->text().toStdString();
  Form1Harness::WriteSettingsFile(mine, other);
  const QString copy = h.PathIn("copy.txt");
  h.files.answers = {mine, copy};
  DuringRecord(2, [this] {
    h.form->findChild<QAction*>("OpenMenu")->trigger();
    h.form->findChild<QAction*>("SaveMenu")->trigger();
  });

  h.Find<QPushButton>("Command2")->click();

  EXPECT_EQ(h.messages.Texts(), QStringList({"Flash File successfully downloaded."}));
  EXPECT_EQ(h.port.Records().size(), 7u);
  EXPECT_EQ(h.Find<QLineEdit>("Text4")->text(), "J");
  EXPECT_EQ(Form1Harness::ReadFile(copy), Form1Harness::ReadFile(mine));
}

TEST_F(DuringDownloadTest, DefaultAllSettingsChangesTheControlsAtOnce) {
  h.Find<QLineEdit>("Text12")->setText("XYZ");
  QString duringText12;
  DuringRecord(1, [this, &duringText12] {
    h.form->findChild<QAction*>("DefaultMenu")->trigger();
    duringText12 = h.Find<QLineEdit>("Text12")->text();
  });

  h.Find<QPushButton>("Command2")->click();

  EXPECT_EQ(duringText12, "*");
  // The download's own file is undisturbed although its path box was emptied.
  EXPECT_EQ(h.port.Records().size(), 7u);
  EXPECT_EQ(h.messages.Texts(), QStringList({"Flash File successfully downloaded."}));
}

TEST_F(DuringDownloadTest, InfoHaltsTheDownloadUntilTheAboutWindowCloses) {
  std::size_t recordsWhileOpen = 0;
  DuringRecord(3, [this, &recordsWhileOpen] {
    QTimer::singleShot(0, [this, &recordsWhileOpen] {
      auto* splash = h.form->findChild<frmSplash*>();
      ASSERT_NE(splash, nullptr);
      recordsWhileOpen = h.port.Records().size();
      QTest::keyClick(splash, Qt::Key_Space);
    });
    h.form->findChild<QAction*>("InfoMenu")->trigger();
  });

  h.Find<QPushButton>("Command2")->click();

  EXPECT_EQ(recordsWhileOpen, 3u);
  EXPECT_EQ(h.messages.Texts(), QStringList({"Flash File successfully downloaded."}));
}

class LeavingDuringDownloadTest : public DuringDownloadTest,
                                  public ::testing::WithParamInterface<const char*> {};

TEST_P(LeavingDuringDownloadTest, CancelsClosesThePortSavesAndEnds) {
  const std::string how = GetParam();
  h.port.lineReply = "";  // the target stops answering: questions would follow
  h.Find<QLineEdit>("Text9")->setText("kept");
  DuringRecord(1, [this, how] {
    if (how == "CloseButton") {
      h.form->close();
      EXPECT_TRUE(h.form->isVisible());  // not while the download still unwinds
    } else {
      h.form->findChild<QAction*>(QString::fromStdString(how))->trigger();
    }
  });

  h.Find<QPushButton>("Command2")->click();

  EXPECT_TRUE(h.messages.shown.empty());
  EXPECT_FALSE(h.port.IsOpen());
  EXPECT_LE(h.port.Records().size(), 3u);  // the interrupted record, and no other
  EXPECT_FALSE(h.form->isVisible());
  EXPECT_EQ(h.endProgramCalls, 1);
  EXPECT_TRUE(Form1Harness::ReadFile(SettingsFilePath(h.ProgramFolder())).contains("\"kept\""));
}

INSTANTIATE_TEST_SUITE_P(Form1, LeavingDuringDownloadTest,
                         ::testing::Values("CloseButton", "ExitMenu"));

}  // namespace
}  // namespace tarnwick::testing
