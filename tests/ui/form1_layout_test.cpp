// The main window as laid out: what the user sees before touching anything.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "tests/ui/form1_harness.h"

namespace tarnwick::testing {
namespace {

class Form1LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override { h.StartWith(DownloadSettings{}); }
  Form1Harness h;
};

TEST_F(Form1LayoutTest, CaptionsAreTheWindowsOwnTexts) {
  const std::vector<std::pair<const char*, const char*>> captions = {
      {"Label4", "Com Port Selection:"},
      {"Label5", "Baud Rate Selection:"},
      {"Label8", "Jump to Bootloader Command:"},
      {"Label9", "Bootloader Active Character:"},
      {"Label6", "Start Download Sequence:"},
      {"Label7", "Bootloader Ready:"},
      {"Label1", "EEPROM Write:"},
      {"Label10", "Line Complete Character:"},
      {"Label11", "Page Error Character:"},
      {"Label15", "Checksum Error Character:"},
      {"Label12", "File Complete with Errors Character:"},
      {"Label13", "File Complete, No Errors Character:"},
      {"Label3", "Status:"},
      {"Label2", "Idle"},
      {"Command1", "&Browse"},
      {"Command7", "B&rowse"},
      {"Command6", "&Wait for Bootloader then Download"},
      {"Command4", "Cancel"},
      {"Command2", "Jump to Bootloader then &Download"},
      {"Command5", "Info"},
      {"Command3", "E&xit"},
      {"FlashCheck", "Application Code"},
      {"EepromCheck", "EEPROM Code"},
      {"Frame1", "Connection"},
      {"Frame2", "Start Bootloader Characters"},
      {"Frame3", "Download File Characters"},
      {"Frame4", ""},
      {"Frame5", ""}};
  for (const auto& [name, text] : captions) {
    const QWidget* w = h.Find<QWidget>(name);
    const QVariant caption = w->property(qobject_cast<const QGroupBox*>(w) ? "title" : "text");
    EXPECT_EQ(caption.toString(), QString::fromUtf8(text)) << name;
  }
  EXPECT_EQ(h.form->windowTitle(), "Tarnwick - V 2.0");
}

TEST_F(Form1LayoutTest, DownloadButtonsExplainThemselves) {
  EXPECT_EQ(h.Find<QPushButton>("Command6")->toolTip(),
            "Wait for the Bootloader Active Character before continuing with the download.");
  EXPECT_EQ(h.Find<QPushButton>("Command2")->toolTip(),
            "Send the Jump to Bootloader Command to the target and wait for Bootloader Active "
            "Character before continuing.");
}

TEST_F(Form1LayoutTest, ListsHoldExactlyTheirItems) {
  auto items = [](QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
    return texts;
  };
  EXPECT_EQ(items(h.Find<QComboBox>("Combo1")),
            QStringList({"Com 1", "Com 2", "Com 3", "Com 4", "Com 5", "Com 6", "Com 7", "Com 8"}));
  EXPECT_EQ(items(h.Find<QComboBox>("Combo2")),
            QStringList({"1200", "2400", "4800", "9600", "14400", "19200", "38400", "56000",
                         "57600", "115200"}));
  EXPECT_FALSE(h.Find<QComboBox>("Combo1")->isEditable());
  EXPECT_FALSE(h.Find<QComboBox>("Combo2")->isEditable());
}

TEST_F(Form1LayoutTest, PortItemsNameTheirDeviceEachTimeTheListOpens) {
  auto* combo = h.Find<QComboBox>("Combo1");
  EXPECT_EQ(combo->itemData(2, Qt::ToolTipRole).toString(), "device of Com 3");
  combo->setItemData(2, QString(), Qt::ToolTipRole);
  combo->showPopup();
  EXPECT_EQ(combo->itemData(2, Qt::ToolTipRole).toString(), "device of Com 3");
  combo->hidePopup();
}

TEST_F(Form1LayoutTest, ControlsStandWhereLaidOut) {
  struct Place {
    const char* name;
    QRect rect;  // twips / 15
  };
  for (const Place& p : std::vector<Place>{
           {"Frame1", {24, 8, 129, 225}},
           {"Frame4", {24, 240, 529, 137}},
           {"Combo1", {8, 40, 97, 21}},
           {"Text6", {16, 32, 41, 19}},
           {"Text1", {128, 24, 321, 19}},
           {"Command2", {272, 88, 193, 33}},
           {"Command4", {208, 88, 121, 33}},
           {"Label16", {360, 11, 153, 17}},
           {"Command3", {336, 432, 129, 33}},
       }) {
    EXPECT_EQ(h.Find<QWidget>(p.name)->geometry(), p.rect) << p.name;
  }
  EXPECT_EQ(h.form->centralWidget()->size(), QSize(579, 474));
}

TEST_F(Form1LayoutTest, TabMovesThroughTheControlsInTheirOrder) {
  const std::vector<const char*> order = {
      "Command2",    "Combo1",   "Combo2",   "Text4",    "Text5",   "Text2",
      "Text3",       "Text6",    "Text7",    "Text10",   "Text8",   "Text9",
      "Command1",    "Command6", "Command5", "Command3", "Text1",   "FlashCheck",
      "EepromCheck", "Text11",   "Command7", "Text12",   "Command2"};
  ASSERT_EQ(QApplication::focusWidget(), h.Find<QWidget>("Command2"));
  for (std::size_t i = 1; i < order.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget()->objectName(), order[i]) << "after " << order[i - 1];
  }
}

TEST_F(Form1LayoutTest, StartsIdleWithTheBusyPartsHidden) {
  EXPECT_EQ(h.Face({"Command2", "Command6", "Command4", "Label14", "Label16"}),
            "Command2:ve Command6:ve Command4:he Label14:he Label16:he");
  EXPECT_FALSE(h.form->findChild<QTimer*>("Timer3")->isActive());
  EXPECT_TRUE(h.form->findChild<QTimer*>("Timer1")->isActive());
  EXPECT_EQ(h.form->findChild<QTimer*>("Timer1")->interval(), 60);
  EXPECT_EQ(h.form->findChild<QTimer*>("Timer3")->interval(), 1000);
  EXPECT_TRUE(h.Find<QCheckBox>("FlashCheck")->isChecked());
  EXPECT_FALSE(h.Find<QCheckBox>("EepromCheck")->isChecked());
  EXPECT_FALSE(h.form->windowIcon().isNull());
}

TEST_F(Form1LayoutTest, MenuBarHoldsFileMenuAndTwoCommands) {
  QStringList bar;
  for (QAction* a : h.form->menuBar()->actions()) bar << a->text() + (a->menu() ? ">" : "");
  EXPECT_EQ(bar, QStringList({"&File>", "&Default All Settings", "&Info"}));
  QStringList file;
  for (QAction* a : h.Find<QMenu>("FileMenu")->actions()) {
    file << a->objectName() + " " + a->text() + " " + a->shortcut().toString();
  }
  EXPECT_EQ(file,
            QStringList({"OpenMenu &Open Ctrl+O", "SaveMenu &Save Ctrl+S", "ExitMenu E&xit "}));
}

}  // namespace
}  // namespace tarnwick::testing
