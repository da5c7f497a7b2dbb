// Enter, Esc and Alt+D on the main window, and the menu bar by keyboard.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "tests/ui/form1_harness.h"

namespace tarnwick::testing {
namespace {

// With the application file ticked and no path, pressing a download button shows this at
// once, without touching the port: a cheap sign that the button was pressed.
const QString kPressed = QStringLiteral("Select Application file to download.");

class Form1KeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DownloadSettings settings;
    settings.JumpCommand = "J";
    h.StartWith(settings);
  }
  Form1Harness h;
};

TEST_F(Form1KeyboardTest, EnterOnATextBoxCheckBoxOrListPressesTheDownloadButton) {
  for (const char* name : {"Text5", "Text1", "FlashCheck", "EepromCheck", "Combo2"}) {
    h.messages.shown.clear();
    QWidget* control = h.Find<QWidget>(name);
    control->setFocus();
    QTest::keyClick(control, Qt::Key_Return);
    EXPECT_EQ(h.messages.Texts(), QStringList({kPressed})) << name;
  }
}

TEST_F(Form1KeyboardTest, EnterOnAButtonAndEscWhileIdleDoNothing) {
  auto* browse = h.Find<QPushButton>("Command1");
  browse->setFocus();
  QTest::keyClick(browse, Qt::Key_Return);
  auto* box = h.Find<QLineEdit>("Text4");
  box->setFocus();
  QTest::keyClick(box, Qt::Key_Escape);
  EXPECT_TRUE(h.messages.shown.empty());
  EXPECT_EQ(box->text(), "J");
}

TEST_F(Form1KeyboardTest, EscCancelsARunningDownload) {
  DownloadSettings settings;
  settings.FlashFile = h.WriteHexFile("app.hex", 2).toStdString();
  h.form.reset();
  h.StartWith(settings);
  h.port.readyReply = "^";  // keeps the handshake going until cancelled
  h.port.onOutput = [&](std::string_view) {
    if (h.port.writes.size() != 2) return;
    QTimer::singleShot(0, [&] {
      QWidget* focus = QApplication::focusWidget();
      QTest::keyClick(focus ? focus : h.form.get(), Qt::Key_Escape);
    });
  };

  h.Find<QPushButton>("Command2")->click();

  EXPECT_TRUE(h.messages.shown.empty());
  EXPECT_EQ(h.port.opens, 1);
  EXPECT_EQ(h.Face({"Command2", "Command4"}), "Command2:ve Command4:hd");
}

TEST_F(Form1KeyboardTest, AltDPressesTheDownloadButtonNotDefaultAllSettings) {
  auto* box = h.Find<QLineEdit>("Text4");
  box->setFocus();
  QTest::keyClick(box, Qt::Key_D, Qt::AltModifier);
  EXPECT_EQ(h.messages.Texts(), QStringList({kPressed}));
  EXPECT_EQ(box->text(), "J");  // neither reset nor typed into
}

TEST_F(Form1KeyboardTest, DefaultAllSettingsIsReachedThroughTheActiveMenuBar) {
  auto* box = h.Find<QLineEdit>("Text4");
  box->setFocus();
  QTest::keyClick(box, Qt::Key_F10);
  ASSERT_EQ(QApplication::focusWidget(), h.form->menuBar());
  QTest::keyClick(h.form->menuBar(), Qt::Key_D);
  EXPECT_EQ(box->text(), "J");  // D only picks the command
  QTest::keyClick(h.form->menuBar(), Qt::Key_Return);
  EXPECT_EQ(box->text(), "$");
  EXPECT_TRUE(h.messages.shown.empty());
}

TEST_F(Form1KeyboardTest, AccessKeysPressTheirButtons) {
  h.files.answers = {QStringLiteral("/tmp/chosen.hex"), QStringLiteral("/tmp/chosen.eep")};
  // A button's access key shows the press before the click comes.
  QTest::keyClick(h.form.get(), Qt::Key_B, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return h.files.uses.size() == 1; }));
  QTest::keyClick(h.form.get(), Qt::Key_R, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return h.files.uses.size() == 2; }));
  EXPECT_EQ(h.Find<QLineEdit>("Text1")->text(), "/tmp/chosen.hex");
  EXPECT_EQ(h.Find<QLineEdit>("Text11")->text(), "/tmp/chosen.eep");
}

}  // namespace
}  // namespace tarnwick::testing
