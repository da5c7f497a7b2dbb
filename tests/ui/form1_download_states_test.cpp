// Busy while a download runs, idle after every kind of ending.
#include <functional>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "tests/ui/form1_harness.h"

namespace tarnwick::testing {
namespace {

const std::vector<const char*> kControls = {
    "Command1", "Command2", "Command3", "Command4",   "Command5",    "Command6",
    "Command7", "Text1",    "Text2",    "Text3",      "Text4",       "Text5",
    "Text6",    "Text7",    "Text8",    "Text9",      "Text10",      "Text11",
    "Text12",   "Combo1",   "Combo2",   "FlashCheck", "EepromCheck", "Label14"};

QString IdleFace(Form1Harness& h) {
  // Cancel hides when idle; whether it is still enabled tells only whether it was clicked.
  QString face = h.Face(kControls);
  return face.replace(QStringLiteral("Command4:hd"), QStringLiteral("Command4:he"));
}

const QString kIdle =
    "Command1:ve Command2:ve Command3:ve Command4:he Command5:ve Command6:ve Command7:ve "
    "Text1:ve Text2:ve Text3:ve Text4:ve Text5:ve Text6:ve Text7:ve Text8:ve Text9:ve "
    "Text10:ve Text11:ve Text12:ve Combo1:ve Combo2:ve FlashCheck:ve EepromCheck:ve Label14:he";

const QString kBusy =
    "Command1:vd Command2:hd Command3:vd Command4:ve Command5:vd Command6:hd Command7:vd "
    "Text1:vd Text2:vd Text3:vd Text4:vd Text5:vd Text6:vd Text7:vd Text8:vd Text9:vd "
    "Text10:vd Text11:vd Text12:vd Combo1:vd Combo2:vd FlashCheck:vd EepromCheck:vd";

struct Ending {
  const char* name;
  std::function<void(Form1Harness&, DownloadSettings&)> arrange;
  const char* message;  // the last message shown; empty for none
  const char* versionLabel;
};

class DownloadEndingTest : public ::testing::TestWithParam<Ending> {};

TEST_P(DownloadEndingTest, LeavesTheWindowIdle) {
  Form1Harness h;
  DownloadSettings settings;
  settings.FlashFile = h.WriteHexFile("app.hex", 3).toStdString();
  settings.EepromFile = h.WriteHexFile("data.eep", 2).toStdString();
  settings.EepromSelected = 1;
  GetParam().arrange(h, settings);
  h.StartWith(settings);

  h.Find<QPushButton>("Command2")->click();

  const QString expected = QString::fromUtf8(GetParam().message);
  EXPECT_EQ(h.messages.shown.empty() ? QString() : h.messages.shown.back().text, expected);
  EXPECT_EQ(IdleFace(h), kIdle);
  EXPECT_EQ(h.Find<QLabel>("Label2")->text(), "Idle");
  EXPECT_EQ(h.Find<QLabel>("Label14")->text(), "");
  EXPECT_EQ(h.Find<QLabel>("Label16")->text(), QString::fromUtf8(GetParam().versionLabel));
  EXPECT_FALSE(h.port.IsOpen());
  for (const auto& shown : h.messages.shown) EXPECT_EQ(shown.title, "Tarnwick - V 2.0");
}

INSTANTIATE_TEST_SUITE_P(
    Form1, DownloadEndingTest,
    ::testing::Values(
        Ending{"Success", [](Form1Harness&, DownloadSettings&) {},
               "Flash & EEPROM Files successfully downloaded.", "BootLoader Version: 1.41"},
        Ending{"PathMissing", [](Form1Harness&, DownloadSettings& s) { s.FlashFile.clear(); },
               "Select Application file to download.", ""},
        Ending{"PortMissing", [](Form1Harness& h, DownloadSettings&) { h.port.failOpen = true; },
               "Error encountered while accessing the com port.", ""},
        Ending{"NoResponse", [](Form1Harness& h, DownloadSettings&) { h.port.readyReply = ""; },
               "No response from target bootloader.", "BootLoader Version: "},
        Ending{"AnsweredNo",
               [](Form1Harness& h, DownloadSettings&) {
                 h.port.lineReply = "-";
                 h.messages.answer = false;
               },
               "Checksum error at line 1. Continue with download?", "BootLoader Version: 1.41"},
        Ending{"EepromRefused",
               [](Form1Harness& h, DownloadSettings&) { h.port.readyReply = "?V1.2"; },
               "Embedded Bootloader Version does not support EEPROM write.",
               "BootLoader Version: "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Form1DownloadStates, BusyFaceWhileTheDownloadRuns) {
  Form1Harness h;
  DownloadSettings settings;
  settings.FlashFile = h.WriteHexFile("app.hex", 2).toStdString();
  h.StartWith(settings);
  QString face;
  bool cancelInFront = false;
  h.port.onOutput = [&](std::string_view) {
    if (!face.isEmpty()) return;
    face = h.Face(kControls);
    auto* cancel = h.Find<QPushButton>("Command4");
    cancelInFront = cancel->parentWidget()->childAt(cancel->geometry().center()) == cancel;
  };

  h.Find<QPushButton>("Command2")->click();

  EXPECT_EQ(face.left(kBusy.size()), kBusy);
  EXPECT_TRUE(cancelInFront);
}

TEST(Form1DownloadStates, CancelEndsTheDownloadOnceAndComesBackEnabled) {
  Form1Harness h;
  DownloadSettings settings;
  settings.FlashFile = h.WriteHexFile("app.hex", 2).toStdString();
  h.StartWith(settings);
  h.port.readyReply = "^";  // the application answers, the bootloader never does
  auto* cancel = h.Find<QPushButton>("Command4");
  h.port.onOutput = [&](std::string_view) {
    if (h.port.writes.size() == 1) QTimer::singleShot(0, cancel, &QPushButton::click);
  };

  h.Find<QPushButton>("Command2")->click();

  EXPECT_TRUE(h.messages.shown.empty());
  EXPECT_EQ(h.Face({"Command4"}), "Command4:hd");
  EXPECT_EQ(IdleFace(h), kIdle);

  bool seen = false;
  h.port.onOutput = [&](std::string_view) {
    if (seen) return;
    seen = true;
    EXPECT_EQ(h.Face({"Command4"}), "Command4:ve");
  };
  h.port.readyReply = "?V1.41";
  h.Find<QPushButton>("Command2")->click();
  EXPECT_TRUE(seen);
  ASSERT_EQ(h.messages.Texts(), QStringList({"Flash File successfully downloaded."}));
}

}  // namespace
}  // namespace tarnwick::testing
