// The main window and its about window, driven as a user would, on a fake target.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <regex>

#include "tests/ui/form1_harness.h"
#include "ui/frm_splash.h"
#include "ui/qt_message_boxes.h"

namespace tarnwick::testing {
namespace {

using namespace Qt::Literals::StringLiterals;

// The start of a line that the program writes to standard error.
const std::string kLogLine = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} tarnwick: )";

// A started window on the default settings.
class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override { h.StartWith({}); }
  Form1Harness h;
};

// A fact about the window as a user meets it, as text: a property of the named object, the
// texts inside it in the order laid out (captions, box contents, tooltips, list items), or the
// controls that the focus visits from where it is while Tab is pressed.
QString Fact(const Form1Harness& h, const char* name, std::string_view what) {
  QObject* object = h.form->objectName() == name ? h.form.get() : h.Find<QObject>(name);
  QStringList parts;
  for (const QWidget* w : what == "texts" ? object->findChildren<QWidget*>() : QList<QWidget*>()) {
    parts << w->property(w->inherits("QGroupBox") ? "title" : "text").toString();
    parts << w->toolTip();
    for (int i = 0; i < w->property("count").toInt(); ++i)
      parts << qobject_cast<const QComboBox*>(w)->itemText(i);
  }
  for (int i = 0; what == "tab" && i < 23; ++i) {
    parts << QApplication::focusWidget()->objectName();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  parts.removeAll(QString());
  return parts.isEmpty() ? object->property(what.data()).toString() : parts.join(", ");
}

// Captions, what is hidden at start, the default button, the timers and the tab order.
TEST_F(Form1Test, ShowsItsCaptionsAndTabOrder) {
  const std::tuple<const char*, const char*, const char*> facts[] = {
      {"Form1", "windowTitle", "Tarnwick - V 2.0"},
      {"centralwidget", "texts",
       "Connection, Com Port Selection:, Com 1, Com 2, Com 3, Com 4, Com 5, Com 6, Com 7, Com 8, "
       "Baud Rate Selection:, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, "
       "Start Bootloader Characters, Jump to Bootloader Command:, $, "
       "Bootloader Active Character:, ^, Start Download Sequence:, @&$, Bootloader Ready:, ?, "
       "EEPROM Write:, *, Download File Characters, Line Complete Character:, ~, "
       "Page Error Character:, %, Checksum Error Character:, -, "
       "File Complete with Errors Character:, #, File Complete, No Errors Character:, @, "
       "Application Code, &Browse, EEPROM Code, B&rowse, &Wait for Bootloader then Download, "
       "Wait for the Bootloader Active Character before continuing with the download., "
       "Jump to Bootloader then &Download, Send the Jump to Bootloader Command to the target and "
       "wait for Bootloader Active Character before continuing., Cancel, Status:, Idle, Info, "
       "E&xit"},
      {"Command2", "default", "true"},
      {"Command4", "visible", "false"},
      {"Label14", "visible", "false"},
      {"Label16", "visible", "false"},
      {"Timer1", "interval", "60"},
      {"Timer2", "interval", "4000"},
      {"Timer3", "interval", "1000"},
      {"Form1", "tab",
       "Command2, Combo1, Combo2, Text4, Text5, Text2, Text3, Text6, Text7, Text10, Text8, "
       "Text9, Command1, Command6, Command5, Command3, Text1, FlashCheck, EepromCheck, Text11, "
       "Command7, Text12, Command2"}};
  for (const auto& [name, what, fact] : facts)
    EXPECT_EQ(Fact(h, name, what), QString(fact)) << name;
}

TEST_F(Form1Test, EnterPressesTheFocusedButtonElseTheDownloadButtonAsAltDDoesEscDoesNot) {
  h.Find<QLineEdit>("Text4")->setText("J");
  // With the application file ticked and no path, a press of download says so at once.
  const auto presses = [&](const char* name, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    h.messages.texts.clear();
    if (name) h.Find<QWidget>(name)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    return h.messages.texts == QStringList{"Select Application file to download."};
  };
  EXPECT_TRUE(presses(nullptr, Qt::Key_Enter));  // as started, with the focus on Command2
  for (const char* name : {"Command6", "Text5", "Text1", "FlashCheck", "EepromCheck", "Combo2"})
    EXPECT_TRUE(presses(name, Qt::Key_Return)) << name;
  EXPECT_TRUE(presses("Text4", Qt::Key_D, Qt::AltModifier));  // not "&Default All Settings"
  EXPECT_FALSE(presses("Command1", Qt::Key_Return) || presses("Command7", Qt::Key_Return) ||
               presses("Text4", Qt::Key_Escape));
  EXPECT_EQ(h.files.uses,  // Enter on "&Browse", then on "B&rowse"
            QStringList({"Select File to Download, Hex Files (*.hex)|*.hex|Binary Files "
                         "(*.bin)|*.bin, open",
                         "Select File to Download, EEPROM Files (*.eep)|*.eep|Hex Files "
                         "(*.hex)|*.hex|Binary Files (*.bin)|*.bin, open"}));
  EXPECT_EQ(h.Find<QLineEdit>("Text4")->text(), "J");  // neither typed into nor reset
}

// The line runs at the rate that the list shows: each rate is picked with the keys, from the
// first down, and the download started with the mouse.
TEST(Form1, EveryRateOfTheListReachesThePort) {
  Form1Harness h;
  h.StartWith({.FlashFile = h.WriteHexFile("app.hex", 1).toStdString(), .EepromFile = {}});
  auto* rates = h.Find<QComboBox>("Combo2");
  rates->setFocus();
  QTest::keyClick(rates, Qt::Key_Home);
  for (int i = 0; i < rates->count(); ++i) {
    if (i > 0) QTest::keyClick(rates, Qt::Key_Down);
    QTest::mouseClick(h.Find<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_EQ(QString::number(h.port.baudRate), rates->currentText()) << i;
  }
  EXPECT_EQ(rates->currentIndex(), rates->count() - 1);  // every rate was reached
}

// While the window waits for the target it stays in the event loop. An event posted as a
// wait begins is handled inside that wait (its handler sees the wait's status and lets the
// target answer only then) and before the port is ever asked for a plain wait, which would
// hold every click, repaint and screen reader's question back until it ends.
TEST(Form1, AnEventPostedAsAWaitBeginsIsHandledInThatWait) {
  const struct {
    const char* button;
    const char* posted_at;  // the write that begins the wait; nullptr: the click itself
    std::function<void(FakeTargetPort&)> silence;
    const char* answer;
    const char* status;
  } waits[] = {
      {"Command2", "$@&$", [](FakeTargetPort& p) { p.readyReply = ""; }, "?V1.41",
       "Requesting Ack from target bootloader.  Try #1"},
      {"Command6", nullptr, [](FakeTargetPort&) {}, "^",
       "Waiting for Bootloader Active Character...Reset target..."},
      {"Command2", ":10000000", [](FakeTargetPort& p) { p.lineReply = ""; }, "~",
       "Sending FLASH File - lines remaining "},
  };
  for (const auto& w : waits) {
    SCOPED_TRACE(w.status);
    Form1Harness h;
    h.StartWith({.FlashFile = h.WriteHexFile("app.hex", 1).toStdString(), .EepromFile = {}});
    w.silence(h.port);
    QStringList handled;  // the status, and the plain waits made before the event's turn
    const auto post = [&] {
      QTimer::singleShot(0, h.form.get(), [&] {
        handled << h.Find<QLabel>("Label2")->text() << QString::number(h.port.plainWaits);
        h.port.Deliver(w.answer);
      });
    };
    h.port.onOutput = [&](std::string_view bytes) {
      if (w.posted_at && handled.isEmpty() && bytes.starts_with(w.posted_at)) post();
    };
    if (!w.posted_at) post();
    h.Find<QPushButton>(w.button)->click();
    EXPECT_EQ(handled, (QStringList{w.status, "0"}));
    EXPECT_EQ(h.messages.texts, QStringList{"Flash File successfully downloaded."});
  }
}

// Every box selects its whole text when it gets the focus. The ten protocol boxes take no
// character beyond U+00FF, typed or pasted, yet keep one that a settings file gave them, and
// take no drop at all. The two path boxes take any character, and of a dropped list of files
// the last, as a copy, also when Shift makes the file manager propose a move (after a move the
// source deletes the file); a drop of a text, of a file elsewhere or as a move only they refuse.
TEST_F(Form1Test, BoxesSelectAllOnFocusAndTakeTheirCharactersAndOnlyPathBoxesTakeAFile) {
  // As from a file manager: the drop follows only if the box takes the drag.
  const auto drop = [&](QLineEdit* box, const QList<QUrl>& urls,
                        Qt::DropActions offered = Qt::CopyAction, Qt::KeyboardModifiers keys = {}) {
    QMimeData data;
    urls.isEmpty() ? data.setText("/a/one.hex") : data.setUrls(urls);
    QDragEnterEvent enter({}, offered, &data, Qt::LeftButton, keys);
    QDropEvent drop({}, offered, &data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(box, &enter);
    if (enter.isAccepted()) QCoreApplication::sendEvent(box, &drop);
    EXPECT_TRUE(!drop.isAccepted() || drop.dropAction() == Qt::CopyAction);
    return box->text();
  };
  const QList<QUrl> files = {QUrl::fromLocalFile("/a/one.hex"), QUrl::fromLocalFile("/a/two.hex")};
  for (QLineEdit* box : h.form->findChildren<QLineEdit*>()) {
    SCOPED_TRACE(box->objectName().toStdString());
    const bool path = box->objectName() == "Text1" || box->objectName() == "Text11";
    box->setText(u"\u20AC"_s);            // the euro sign
    box->setFocus(Qt::OtherFocusReason);  // a reason on which Qt itself selects nothing
    EXPECT_EQ(box->selectedText(), u"\u20AC"_s);
    QTest::keyClick(box, Qt::Key_End);
    for (const QString& typed : {u"a"_s, u"\u20AC"_s, u"\u00E9"_s}) {
      QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
      QApplication::sendEvent(box, &key);
    }
    QApplication::clipboard()->setText(u"x\u0100"_s);
    box->paste();
    const QString held = box->text();
    EXPECT_EQ(held, path ? u"\u20ACa\u20AC\u00E9x\u0100"_s : u"\u20ACa\u00E9"_s);
    EXPECT_EQ(drop(box, files), path ? "/a/two.hex" : held);
    EXPECT_EQ(drop(box, {}), path ? "/a/two.hex" : held);  // a text
    EXPECT_EQ(drop(box, {QUrl("https://example.com/app.hex")}), path ? "/a/two.hex" : held);
    const auto shifted = Qt::CopyAction | Qt::MoveAction;
    EXPECT_EQ(drop(box, {files[0]}, shifted, Qt::ShiftModifier), path ? "/a/one.hex" : held);
    EXPECT_EQ(drop(box, {files[1]}, Qt::MoveAction), path ? "/a/one.hex" : held);
  }
}

// Text that looks like markup (a path holding "<b>") shows as typed, in every label of both
// windows and in the message boxes: as markup it would be a single bold "<".
TEST_F(Form1Test, TextThatLooksLikeMarkupShowsAsTyped) {
  const QString typed = "<b>&lt;</b>";
  const auto asTyped = [&](QLabel* label) {
    return label->sizeHint().width() > label->fontMetrics().horizontalAdvance(typed) / 2;
  };
  frmSplash about(h.form.get());
  for (QLabel* label : h.form->findChildren<QLabel*>() + about.findChildren<QLabel*>()) {
    label->setText(typed);
    EXPECT_TRUE(asTyped(label)) << label->objectName().toStdString();
  }
  QtMessageBoxes boxes;
  for (const bool question : {false, true}) {
    QTimer::singleShot(0, h.form.get(), [&] {
      auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      EXPECT_TRUE(asTyped(box->findChild<QLabel*>("qt_msgbox_label"))) << question;
      box->done(0);
    });
    question ? (void)boxes.AskYesNo(h.form.get(), "Tarnwick", typed)
             : boxes.Show(h.form.get(), "Tarnwick", typed, MessageIcon::None);
  }
}

// Opens the about window by the Info button, does `act` once it is up, and tells whether
// that closed it.
bool Closes(const Form1Harness& h, const std::function<void(frmSplash&)>& act) {
  bool closed = false;
  QTimer::singleShot(0, h.form.get(), [&] {
    auto* about = h.form->findChild<frmSplash*>();
    act(*about);
    closed = !about->isVisible();
    about->reject();
  });
  h.Find<QPushButton>("Command5")->click();
  return closed;
}

TEST_F(Form1Test, TheAboutWindowClosesOnTimer2sOneTickACharacterKeyOrAClickOnItsFrame) {
  auto* timer2 = h.Find<QTimer>("Timer2");
  EXPECT_TRUE(Closes(h, [&](frmSplash& s) {
    timer2->start(1);  // the tick now, without the four seconds' wait (nor a race with them)
    std::ignore = QTest::qWaitFor([&] { return !s.isVisible(); });
  }));
  EXPECT_FALSE(timer2->isActive());  // no second tick
  for (Qt::Key key : {Qt::Key_A, Qt::Key_7, Qt::Key_Space, Qt::Key_Return, Qt::Key_Escape,
                      Qt::Key_Backspace, Qt::Key_Left, Qt::Key_F1, Qt::Key_Shift}) {
    const bool typesCharacter = key != Qt::Key_Left && key != Qt::Key_F1 && key != Qt::Key_Shift;
    EXPECT_EQ(Closes(h, [key](frmSplash& s) { QTest::keyClick(&s, key); }), typesCharacter) << key;
  }
  // Of clicks, only one on the frame's free area, not one on a text or the picture.
  for (const char* name : {"Frame1", "lblWarning", "imgLogo"}) {
    const QPoint at = name == std::string_view("Frame1") ? QPoint(500, 150) : QPoint();
    const auto click = [&](frmSplash& s) {
      QTest::mouseClick(s.findChild<QWidget*>(name), Qt::LeftButton, {}, at);
    };
    EXPECT_EQ(Closes(h, click), !at.isNull()) << name;
  }
}

// The controls (what takes the focus) that the user can use, and those hidden.
QString Face(const Form1Harness& h) {
  QStringList usable, hidden;
  for (const QWidget* w : h.form->centralWidget()->findChildren<QWidget*>()) {
    if (w->focusPolicy() == Qt::NoFocus) continue;
    if (!w->isVisibleTo(h.form.get())) hidden << w->objectName();
    if (w->isVisibleTo(h.form.get()) && w->isEnabled()) usable << w->objectName();
  }
  return "usable: " + usable.join(' ') + "; hidden: " + hidden.join(' ');
}

// A download pressed in the window, what the user does during it, and how it ends: with its
// one message (a failure's with the line logged as its details), the window idle with its
// controls as they were at the start and its settings as they were or as the command used
// made them, the port closed, and every record that should have gone sent. Each menu command
// whose effects differ, and the close button, is used in a phase in which events are pumped
// (the handshake in either mode, the lines of either file): the download goes on undisturbed
// or ends as the changed settings say, and an exit stops it at once.
TEST(Form1, EveryDownloadEndsWithTheWindowIdleAndNothingLost) {
  // An EEPROM file of 3 records and the end record, then an application of 6 and the end.
  constexpr std::size_t kAll = 4 + 7;
  const char* const kSuccess = "Flash & EEPROM Files successfully downloaded.";
  const char* const kVersion = "BootLoader Version: 1.41";
  const struct {
    const char* name;
    std::function<void(Form1Harness&)> arrange;  // after the start
    const char* message;                         // the one message shown, if any
    std::size_t sent;                            // records sent in all
    const char* version;                         // Label16 afterwards
    bool written = true;                         // the target was written to, the window busy then
    const char* command = "";  // used during the download: an action, "CloseButton" or "Esc"
    std::size_t at = 0;        // records the target has taken when it is used; 0: the first write
    const char* reason = nullptr;  // written to standard error
    bool waitMode = false;         // by Command6, cancelled after the command (at once, as nothing
                                   // sends the active character)
  } downloads[] = {
      {"success", nullptr, kSuccess, kAll, kVersion},
      {"no path", [](Form1Harness& h) { h.Find<QLineEdit>("Text1")->clear(); },
       "Select Application file to download.", 0, "", false},
      {"a ready character of no one byte",
       [](Form1Harness& h) { h.Find<QLineEdit>("Text3")->setText(u"\u20AC"_s); },
       "The Bootloader Ready setting holds a character that cannot be sent as one byte.", 0, "",
       false},
      {"no port", [](Form1Harness& h) { h.port.failOpen = true; },
       "Error encountered while accessing the com port.", 0, "", false, "", 0, "no such port"},
      {"no response", [](Form1Harness& h) { h.port.readyReply = ""; },
       "No response from target bootloader.", 0, "BootLoader Version: "},
      {"a checksum error answered No", [](Form1Harness& h) { h.port.lineReply = "-"; },
       "Checksum error at line 1. Continue with download?", 3, kVersion},
      {"EEPROM refused", [](Form1Harness& h) { h.port.readyReply = "?V1.2"; },
       "Embedded Bootloader Version does not support EEPROM write.", 0, "BootLoader Version: "},
      // The application answers, the bootloader never does: the user gives up.
      {"Esc", [](Form1Harness& h) { h.port.readyReply = "^"; }, nullptr, 0,
       "BootLoader Version: ", true, "Esc"},
      {"open in the jump handshake", nullptr, kSuccess, kAll, kVersion, true, "OpenMenu"},
      {"save in the wait handshake", nullptr, nullptr, 0, "BootLoader Version: ", false, "SaveMenu",
       0, nullptr, true},
      // The defaults empty both path boxes: the application's file cannot be opened then.
      {"defaults in the EEPROM lines", nullptr, "Error opening .", 4, kVersion, true, "DefaultMenu",
       2, " cannot be opened: .+"},
      {"defaults in the application lines", nullptr, kSuccess, kAll, kVersion, true, "DefaultMenu",
       4 + 2},
      {"info in the application lines", nullptr, kSuccess, kAll, kVersion, true, "InfoMenu", 4 + 2},
      {"exit in the jump handshake", nullptr, nullptr, 0, "BootLoader Version: ", true, "ExitMenu"},
      {"close in the EEPROM lines", nullptr, nullptr, 2, kVersion, true, "CloseButton", 2},
  };
  for (const auto& d : downloads) {
    Form1Harness h;
    const DownloadSettings settings{.FlashFile = h.WriteHexFile("app.hex", 6).toStdString(),
                                    .EepromFile = h.WriteHexFile("data.eep", 3).toStdString(),
                                    .EepromSelected = 1};
    h.StartWith(settings);
    QFile::remove(h.form->SettingsPath());  // so that the save at exit shows
    DownloadSettings other = settings;
    other.JumpCommand = "J";
    Form1Harness::WriteFile(h.PathIn("other.txt"), SettingsBytes(other));  // for "&Open"
    const std::string command = d.command;
    h.files.answers = {h.PathIn(command == "OpenMenu" ? "other.txt" : "copy.txt")};
    h.messages.answer = false;     // to the one question, of the checksum error
    const QString idle = Face(h);  // as it starts
    for (int run = 1; run <= (command == "Esc" ? 2 : 1); ++run) {  // Cancel works again
      SCOPED_TRACE(std::string(d.name) + ", run " + std::to_string(run));
      if (d.arrange) d.arrange(h);
      const QByteArray before = h.WindowBytes();
      h.messages.texts.clear();
      h.messages.details.clear();
      const auto later = [&](std::function<void()> act) {
        QTimer::singleShot(0, h.form.get(), act);
      };
      const auto use = [&] {
        // The about window is modal: the user closes it with a key a moment later.
        if (command == "InfoMenu")
          later([&] { QTest::keyClick(h.form->findChild<frmSplash*>(), Qt::Key_Space); });
        if (command == "Esc") QTest::keyClick(h.form->focusWidget(), Qt::Key_Escape);
        if (command == "CloseButton") h.form->close();
        if (command != "Esc" && command != "CloseButton") h.Trigger(d.command);
        if (d.waitMode) later([&] { h.Find<QPushButton>("Command4")->click(); });
      };
      if (d.waitMode) later(use);
      QString busy;  // when the target is first written to
      h.port.onOutput = [&](std::string_view) {
        // A cancel that failed: the bootloader answers, so that the download comes to an end.
        if (command == "Esc" && !busy.isEmpty()) h.port.readyReply = "?V1.41";
        if (!command.empty() && h.port.records.size() == d.at && (d.at > 0 || busy.isEmpty()))
          later(use);
        if (busy.isEmpty()) busy = Face(h);
      };

      ::testing::internal::CaptureStderr();
      h.Find<QPushButton>(d.waitMode ? "Command6" : "Command2")->click();

      const std::string log = ::testing::internal::GetCapturedStderr();
      EXPECT_TRUE(d.reason ? std::regex_search(log, std::regex(kLogLine + d.reason + "\n"))
                           : log.find("tarnwick: ") == std::string::npos)
          << log;
      EXPECT_EQ(busy, d.written ? "usable: Command4; hidden: Command6 Command2" : QString());
      EXPECT_EQ(h.messages.texts, d.message ? QStringList{d.message} : QStringList());
      // A failure's message keeps its text and shows the logged line as its details.
      EXPECT_EQ(h.messages.details.join(QString()).toStdString() + (d.reason ? "\n" : ""),
                d.reason ? log : "");
      EXPECT_EQ(Face(h), idle);
      EXPECT_EQ(h.Find<QLabel>("Label2")->text(), "Idle");
      EXPECT_FALSE(h.Find<QLabel>("Label14")->isVisible());
      EXPECT_EQ(h.Find<QLabel>("Label16")->text(), d.version);
      EXPECT_FALSE(h.port.IsOpen());
      EXPECT_EQ(h.port.records.size(), d.sent);
      const bool exits = command == "ExitMenu" || command == "CloseButton";
      EXPECT_EQ(h.endProgramCalls, exits ? 1 : 0);
      EXPECT_EQ(h.form->isVisible(), !exits);
      const QByteArray held = command == "OpenMenu"      ? SettingsBytes(other)
                              : command == "DefaultMenu" ? SettingsBytes({})
                                                         : before;
      if (!command.empty()) {
        EXPECT_EQ(h.WindowBytes(), held);
      }
      EXPECT_EQ(Form1Harness::ReadFile(h.form->SettingsPath()), exits ? held : "");
      EXPECT_EQ(Form1Harness::ReadFile(h.PathIn("copy.txt")), command == "SaveMenu" ? held : "");
    }
  }
}

// No file, a file that is no settings file, a program folder that cannot be written (a
// plain file there), and an installed program whose folder can be written: a message, then
// the defaults, which the exit writes to the file, in the configuration folder in the last two
// cases. A file that was there is first kept beside it.
TEST(Form1Settings, WithoutAGoodFileAtStartTheDefaultsComeAndTheExitWritesThem) {
  for (int start = 0; start < 4; ++start) {
    SCOPED_TRACE(start);
    Form1Harness h;
    const QString path = SettingsFilePath(start >= 2 ? h.ConfigFolder() : h.ProgramFolder());
    if (start == 1) h.WriteHexFile("program/tarnwick.txt", 2);
    if (start == 2) QDir(h.ProgramFolder()).removeRecursively();
    if (start == 2) Form1Harness::WriteFile(h.ProgramFolder(), {});
    if (start == 3) QDir().mkpath(h.PathIn("share/applications"));
    if (start == 3) Form1Harness::WriteFile(h.PathIn("share/applications/tarnwick.desktop"), {});
    const QByteArray before = Form1Harness::ReadFile(path);
    ::testing::internal::CaptureStderr();
    h.Start();
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(std::regex_search(log, std::regex(kLogLine + "settings file .+ not loaded: .+\n")))
        << log;
    EXPECT_NE(log.find(path.toStdString()), std::string::npos);
    EXPECT_EQ(h.messages.texts, QStringList{"An error occured while loading file " + path +
                                            ". The default settings will be loaded instead."});
    h.Find<QPushButton>("Command3")->click();
    EXPECT_EQ(Form1Harness::ReadFile(path), SettingsBytes({}));
    EXPECT_EQ(QFile::exists(path + ".bak"), !before.isEmpty());
    EXPECT_EQ(Form1Harness::ReadFile(path + ".bak"), before);
    EXPECT_EQ(h.endProgramCalls, 1);
  }
}

TEST(Form1Settings, OpenAndSaveCarryEverySettingAndTheirCancelChangesNothing) {
  Form1Harness h;
  // The sixteen settings in the file's order, each unlike its default.
  h.StartWith({2, 9, "/fw/app, v2.hex", "S", "", "J", "A", "OK", "P", "E", "K", "C", "/fw/data.eep",
               "W", 2, 0});
  h.files.answers = {
      h.PathIn("saved.txt"), QString(), QString(), h.PathIn("reset.txt"), h.PathIn("saved.txt"),
      h.PathIn("opened.txt")};
  for (const char* menu :
       {"SaveMenu", "DefaultMenu", "SaveMenu", "OpenMenu", "SaveMenu", "OpenMenu", "SaveMenu"})
    h.Trigger(menu);
  const auto read = [&](const char* name) { return Form1Harness::ReadFile(h.PathIn(name)); };
  EXPECT_EQ(read("saved.txt"), Form1Harness::ReadFile(h.form->SettingsPath()));
  EXPECT_EQ(read("reset.txt"), SettingsBytes({}));  // the cancels changed nothing
  EXPECT_EQ(read("opened.txt"), read("saved.txt"));
  EXPECT_TRUE(h.messages.texts.isEmpty());
  EXPECT_EQ(h.files.uses.value(0), "Select File to Save, Text Files (*.txt)|*.txt, save");
  EXPECT_EQ(h.files.uses.value(2), "Select File to Open, Text Files (*.txt)|*.txt, open");
}

}  // namespace
}  // namespace tarnwick::testing
