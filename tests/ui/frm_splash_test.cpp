// The about window: its texts, its three ways of closing, and Timer2's one tick.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "tests/ui/form1_harness.h"
#include "ui/frm_splash.h"

namespace tarnwick::testing {
namespace {

// Shows the about window modally, runs `act` on it once it is up, and tells whether that
// closed it.
bool ClosesWhen(const std::function<void(frmSplash&)>& act) {
  frmSplash splash;
  QTimer::singleShot(0, &splash, [&] {
    act(splash);
    if (splash.isVisible()) splash.done(-1);  // it stayed open
  });
  return splash.exec() != -1;
}

TEST(frmSplash, ShowsTheProductAndItsVersion) {
  frmSplash splash;
  EXPECT_EQ(splash.findChild<QLabel*>("lblVersion")->text(), "Version 2.0.1");
  EXPECT_EQ(splash.findChild<QLabel*>("lblProductName")->text(), "Tarnwick");
  EXPECT_EQ(splash.findChild<QLabel*>("lblPlatform")->text(), "Windows 95, 98, NT, 2000");
  const auto warning = splash.findChild<QLabel*>("lblWarning")->text();
  EXPECT_GT(warning.size(), 700);
  EXPECT_LT(warning.size(), 1000);
  EXPECT_EQ(splash.size(), QSize(543, 364));
  EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
}

TEST(frmSplash, ClosesOnACharacterKey) {
  for (Qt::Key key : {Qt::Key_A, Qt::Key_7, Qt::Key_Period, Qt::Key_Space, Qt::Key_Return,
                      Qt::Key_Escape, Qt::Key_Backspace}) {
    EXPECT_TRUE(ClosesWhen([key](frmSplash& s) { QTest::keyClick(&s, key); })) << key;
  }
}

TEST(frmSplash, StaysOpenOnKeysThatTypeNothing) {
  for (Qt::Key key : {Qt::Key_Left, Qt::Key_Down, Qt::Key_F1, Qt::Key_Shift, Qt::Key_Control}) {
    EXPECT_FALSE(ClosesWhen([key](frmSplash& s) { QTest::keyClick(&s, key); })) << key;
  }
}

TEST(frmSplash, ClosesOnAClickOnTheFrameButNotOnItsTexts) {
  EXPECT_TRUE(ClosesWhen([](frmSplash& s) {
    QTest::mouseClick(s.findChild<QGroupBox*>("Frame1"), Qt::LeftButton, {}, QPoint(500, 150));
  }));
  for (const char* name : {"lblWarning", "imgLogo", "lblProductName"}) {
    EXPECT_FALSE(ClosesWhen([name](frmSplash& s) {
      QTest::mouseClick(s.findChild<QLabel*>(name), Qt::LeftButton);
    })) << name;
  }
}

TEST(Form1Timer2, TicksOnceAndClosesTheAboutWindowThenOpen) {
  Form1Harness h;
  h.StartWith(DownloadSettings{});
  auto* timer2 = h.form->findChild<QTimer*>("Timer2");
  EXPECT_TRUE(timer2->isActive());
  EXPECT_EQ(timer2->interval(), 4000);
  timer2->setInterval(50);  // the tick itself, without the wait

  bool closedByTimer = false;
  QTimer::singleShot(0, [&] {
    QPointer<frmSplash> splash = h.form->findChild<frmSplash*>();
    ASSERT_FALSE(splash.isNull());
    closedByTimer = QTest::qWaitFor([&] { return splash.isNull() || !splash->isVisible(); });
  });
  h.Find<QPushButton>("Command5")->click();  // "Info"; returns when the window has closed
  EXPECT_TRUE(closedByTimer);
  EXPECT_FALSE(timer2->isActive());

  // After the one tick, an about window opened on request stays until the user closes it.
  bool stayed = false;
  QTimer::singleShot(0, [&] {
    auto* splash = h.form->findChild<frmSplash*>();
    ASSERT_NE(splash, nullptr);
    QTest::qWait(200);
    stayed = splash->isVisible();
    QTest::keyClick(splash, Qt::Key_Space);
  });
  h.form->findChild<QAction*>("InfoMenu")->trigger();
  EXPECT_TRUE(stayed);
}

}  // namespace
}  // namespace tarnwick::testing
