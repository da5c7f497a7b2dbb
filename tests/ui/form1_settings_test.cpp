// The settings file at start and exit, "&Open", "&Save" and "&Default All Settings".
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "tests/ui/form1_harness.h"
#include "ui/settings_location.h"

namespace tarnwick::testing {
namespace {

const QByteArray kDefaultsFile =
    "0\r\n5\r\n\"\"\r\n\"@&$\"\r\n\"?\"\r\n\"$\"\r\n\"^\"\r\n\"%\"\r\n\"#\"\r\n\"@\"\r\n\"-\"\r\n"
    "\"~\"\r\n\"\"\r\n\"*\"\r\n0\r\n1\r\n";

DownloadSettings Changed() {
  DownloadSettings s;
  s.PortIndex = 2;
  s.BaudIndex = 9;
  s.FlashFile = "/firmware/app, v2.hex";
  s.StartSequence = "ABC";
  s.ReadyCharacter = "";
  s.LineCompleteCharacter = "OK";
  s.EepromFile = "/firmware/data.eep";
  s.EepromSelected = 2;
  s.FlashSelected = 0;
  return s;
}

QString LoadMessage(const QString& path) {
  return "An error occured while loading file " + path +
         ". The default settings will be loaded instead.";
}

void Trigger(Form1Harness& h, const char* action) {
  h.form->findChild<QAction*>(QString::fromLatin1(action))->trigger();
}

TEST(Form1Settings, FirstStartShowsTheMessageAndTheDefaultsAndExitCreatesTheFile) {
  Form1Harness h;
  h.Start();
  const QString path = SettingsFilePath(h.ProgramFolder());
  ASSERT_EQ(h.messages.shown.size(), 1u);
  EXPECT_EQ(h.messages.shown[0].text, LoadMessage(path));
  EXPECT_EQ(h.messages.shown[0].title, "Tarnwick");
  EXPECT_EQ(h.messages.shown[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(h.Find<QComboBox>("Combo2")->currentText(), "19200");

  h.Find<QLineEdit>("Text4")->setText("J");
  h.Find<QPushButton>("Command3")->click();

  QByteArray expected = kDefaultsFile;
  expected.replace("\"$\"", "\"J\"");
  EXPECT_EQ(Form1Harness::ReadFile(path), expected);
  EXPECT_EQ(h.endProgramCalls, 1);
  EXPECT_FALSE(h.form->isVisible());
}

TEST(Form1Settings, EverySettingSurvivesAnExitAndAStart) {
  Form1Harness first;
  first.StartWith(Changed());
  first.Find<QLineEdit>("Text9")->setText("done");
  first.form->close();

  Form1Harness second;
  QFile::copy(SettingsFilePath(first.ProgramFolder()), SettingsFilePath(second.ProgramFolder()));
  second.Start();
  EXPECT_TRUE(second.messages.shown.empty());
  EXPECT_EQ(second.Find<QComboBox>("Combo1")->currentText(), "Com 3");
  EXPECT_EQ(second.Find<QLineEdit>("Text1")->text(), "/firmware/app, v2.hex");
  EXPECT_EQ(second.Find<QLineEdit>("Text6")->text(), "OK");
  EXPECT_EQ(second.Find<QLineEdit>("Text9")->text(), "done");
  EXPECT_EQ(second.Find<QCheckBox>("EepromCheck")->checkState(), Qt::PartiallyChecked);
  EXPECT_EQ(second.Find<QCheckBox>("FlashCheck")->checkState(), Qt::Unchecked);
}

TEST(Form1Settings, AFileThatDoesNotReadBringsTheDefaultsBack) {
  // Too short, and whole but with a check state out of range.
  for (const QByteArray& content :
       {QByteArray(":10000000FF\r\n:00000001FF\r\n"),
        QByteArray(kDefaultsFile).replace("0\r\n1\r\n", "3\r\n1\r\n")}) {
    Form1Harness h;
    h.StartWith(Changed());
    const QString bad = h.PathIn("bad.txt");
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    h.files.answers = {bad};

    Trigger(h, "OpenMenu");

    EXPECT_EQ(h.messages.Texts(), QStringList({LoadMessage(bad)})) << content.toStdString();
    EXPECT_EQ(h.Find<QLineEdit>("Text2")->text(), "@&$");
    EXPECT_EQ(h.Find<QComboBox>("Combo1")->currentText(), "Com 1");
    EXPECT_EQ(h.Find<QCheckBox>("EepromCheck")->checkState(), Qt::Unchecked);
  }
}

TEST(Form1Settings, OpenAndSaveUseTheDialogAndItsCancelChangesNothing) {
  Form1Harness h;
  h.StartWith(Changed());
  const QString saved = h.PathIn("mine.txt");
  h.files.answers = {saved, QString(), QString(), saved};

  Trigger(h, "SaveMenu");
  Trigger(h, "DefaultMenu");
  Trigger(h, "SaveMenu");  // cancelled
  Trigger(h, "OpenMenu");  // cancelled
  EXPECT_EQ(h.Find<QLineEdit>("Text2")->text(), "@&$");
  Trigger(h, "OpenMenu");

  EXPECT_EQ(h.Find<QLineEdit>("Text2")->text(), "ABC");
  EXPECT_TRUE(h.messages.shown.empty());
  ASSERT_EQ(h.files.uses.size(), 4u);
  EXPECT_EQ(h.files.uses[0].title, "Select File to Save");
  EXPECT_EQ(h.files.uses[0].mode, FileChooserMode::Save);
  EXPECT_EQ(h.files.uses[2].title, "Select File to Open");
  EXPECT_EQ(h.files.uses[2].mode, FileChooserMode::Open);
  for (const auto& use : h.files.uses) EXPECT_EQ(use.filter, "Text Files (*.txt)|*.txt");
}

TEST(Form1Settings, AFailedSaveNamesThePathAndChangesNothing) {
  Form1Harness h;
  h.StartWith(Changed());
  const QString nowhere = h.PathIn("missing-folder/mine.txt");
  h.files.answers = {nowhere};
  Trigger(h, "SaveMenu");
  EXPECT_EQ(h.messages.Texts(), QStringList({"An error occured while saving file " + nowhere}));
  EXPECT_EQ(h.Find<QLineEdit>("Text2")->text(), "ABC");
}

TEST(Form1Settings, AProgramFolderThatCannotBeWrittenKeepsTheFileInTheConfigFolder) {
  Form1Harness h;
  // A "folder" below a plain file can be written by nobody, administrators included.
  QDir().rmdir(h.ProgramFolder());
  QFile plain(h.ProgramFolder());
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();

  h.Start();
  const QString path = SettingsFilePath(h.ConfigFolder());
  EXPECT_EQ(h.form->SettingsPath(), path);
  EXPECT_EQ(h.messages.Texts(), QStringList({LoadMessage(path)}));
  h.form->close();
  EXPECT_EQ(Form1Harness::ReadFile(path), kDefaultsFile);
}

TEST(Form1Settings, DefaultAllSettingsResetsEveryFieldWithoutAsking) {
  Form1Harness h;
  h.StartWith(Changed());
  Trigger(h, "DefaultMenu");
  h.form->close();
  EXPECT_TRUE(h.messages.shown.empty());
  EXPECT_EQ(Form1Harness::ReadFile(SettingsFilePath(h.ProgramFolder())), kDefaultsFile);
}

TEST(Form1Settings, ClicksOnAGreyedBoxOnlyTickAndUntick) {
  Form1Harness h;
  h.StartWith(Changed());
  auto* box = h.Find<QCheckBox>("EepromCheck");
  ASSERT_EQ(box->checkState(), Qt::PartiallyChecked);
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_EQ(box->checkState(), Qt::Checked);
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_EQ(box->checkState(), Qt::Unchecked);
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_EQ(box->checkState(), Qt::Checked);
}

}  // namespace
}  // namespace tarnwick::testing
