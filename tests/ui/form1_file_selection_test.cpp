// Choosing the download files: Browse, drops, and the whole text selected on focus.
#include <QCheckBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "tests/ui/form1_harness.h"
#include "ui/file_filter.h"

namespace tarnwick::testing {
namespace {

TEST(FileFilter, PairsBecomeQtNameFilters) {
  struct Case {
    const char* filter;
    QStringList expected;
  };
  for (const Case& c : std::vector<Case>{
           {"Hex Files (*.hex)|*.hex|Binary Files (*.bin)|*.bin",
            {"Hex Files (*.hex)", "Binary Files (*.bin)"}},
           {"EEPROM Files (*.eep)|*.eep|Hex Files (*.hex)|*.hex|Binary Files (*.bin)|*.bin",
            {"EEPROM Files (*.eep)", "Hex Files (*.hex)", "Binary Files (*.bin)"}},
           {"Text Files (*.txt)|*.txt", {"Text Files (*.txt)"}},
           {"Records|*.hex;*.ihx", {"Records (*.hex *.ihx)"}},
           {"All|*", {"All (*)"}},
       }) {
    EXPECT_EQ(ToQtNameFilters(QString::fromUtf8(c.filter)), c.expected) << c.filter;
  }
}

class FileSelectionTest : public ::testing::Test {
 protected:
  void SetUp() override { h.StartWith(DownloadSettings{}); }

  // Drags `data` over `box` and drops it there, as a file manager would.
  static void Drop(QLineEdit* box, QMimeData* data) {
    const QPointF at = box->rect().center();
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &enter);
    if (!enter.isAccepted()) return;
    QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &drop);
  }

  Form1Harness h;
};

TEST_F(FileSelectionTest, BrowseButtonsFillTheirBoxAndCancelLeavesIt) {
  struct Case {
    const char* button;
    const char* box;
    const char* filter;
  };
  for (const Case& c : std::vector<Case>{
           {"Command1", "Text1", "Hex Files (*.hex)|*.hex|Binary Files (*.bin)|*.bin"},
           {"Command7", "Text11",
            "EEPROM Files (*.eep)|*.eep|Hex Files (*.hex)|*.hex|Binary Files (*.bin)|*.bin"},
       }) {
    h.files.uses.clear();
    h.files.answers = {QStringLiteral("/data/first.hex"), QString()};
    h.Find<QPushButton>(c.button)->click();
    h.Find<QPushButton>(c.button)->click();  // cancelled
    EXPECT_EQ(h.Find<QLineEdit>(c.box)->text(), "/data/first.hex") << c.button;
    ASSERT_EQ(h.files.uses.size(), 2u);
    EXPECT_EQ(h.files.uses[0].title, "Select File to Download");
    EXPECT_EQ(h.files.uses[0].filter, QString::fromUtf8(c.filter));
    EXPECT_EQ(h.files.uses[0].mode, FileChooserMode::Open);
  }
  EXPECT_TRUE(h.Find<QCheckBox>("FlashCheck")->isChecked());
  EXPECT_FALSE(h.Find<QCheckBox>("EepromCheck")->isChecked());
}

TEST_F(FileSelectionTest, ADroppedFileListLeavesTheLastPath) {
  for (const char* name : {"Text1", "Text11"}) {
    auto* box = h.Find<QLineEdit>(name);
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/a/one.hex"), QUrl::fromLocalFile("/a/two.hex"),
                   QUrl::fromLocalFile("/a/three.hex")});
    Drop(box, &files);
    EXPECT_EQ(box->text(), "/a/three.hex") << name;
  }
  EXPECT_FALSE(h.Find<QCheckBox>("EepromCheck")->isChecked());
}

TEST_F(FileSelectionTest, DroppedTextOrWebAddressesAreNotTaken) {
  auto* box = h.Find<QLineEdit>("Text1");
  box->setText("/keep.hex");
  QMimeData text;
  text.setText("some words");
  Drop(box, &text);
  QMimeData web;
  web.setUrls({QUrl("https://example.com/app.hex")});
  Drop(box, &web);
  EXPECT_EQ(box->text(), "/keep.hex");
}

TEST_F(FileSelectionTest, EveryBoxSelectsItsWholeTextWhenItGetsTheFocus) {
  for (int n = 1; n <= 12; ++n) {
    auto* box = h.Find<QLineEdit>(("Text" + std::to_string(n)).c_str());
    box->setText(n == 11 ? "" : "value");
    box->setCursorPosition(2);
    box->setFocus(Qt::OtherFocusReason);  // a reason on which Qt itself selects nothing
    EXPECT_EQ(box->selectedText(), box->text()) << "Text" << n;
    EXPECT_EQ(box->cursorPosition(), box->text().size()) << "Text" << n;
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_X);
  EXPECT_EQ(h.Find<QLineEdit>("Text12")->text(), "x");
}

}  // namespace
}  // namespace tarnwick::testing
