// Every menu command, and the window's close button, used in the middle of each phase of a
// download in which events are pumped: the handshake in either mode and the lines of either
// file. The download goes on undisturbed (or ends as the changed settings say), nothing
// sent is lost, and every way out leaves the port closed.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <sstream>

#include "core/settings/settings_file.h"
#include "tests/ui/form1_harness.h"
#include "ui/frm_splash.h"
#include "ui/settings_location.h"

namespace tarnwick::testing {
namespace {

enum class Phase { kJumpHandshake, kWaitHandshake, kEepromLines, kFlashLines };
enum class Command { kOpen, kSave, kDefaults, kInfo, kExit, kCloseButton };

const char* Name(Phase phase) {
  switch (phase) {
    case Phase::kJumpHandshake:
      return "jump-mode handshake";
    case Phase::kWaitHandshake:
      return "wait for the active character";
    case Phase::kEepromLines:
      return "EEPROM lines";
    case Phase::kFlashLines:
      return "application lines";
  }
  return "";
}

const char* Name(Command command) {
  switch (command) {
    case Command::kOpen:
      return "&Open";
    case Command::kSave:
      return "&Save";
    case Command::kDefaults:
      return "&Default All Settings";
    case Command::kInfo:
      return "&Info";
    case Command::kExit:
      return "E&xit";
    case Command::kCloseButton:
      return "close button";
  }
  return "";
}

QByteArray FileBytes(const DownloadSettings& settings) {
  std::ostringstream out;
  WriteSettings(out, settings);
  return QByteArray::fromStdString(out.str());
}

constexpr std::size_t kAllRecords = 4 + 7;  // EEPROM: 3 and the end record; application: 6 + 1
const QString kSuccess = QStringLiteral("Flash & EEPROM Files successfully downloaded.");

// What the download ends with when `command` is used during `phase`.
QStringList ExpectedMessages(Phase phase, Command command) {
  if (command == Command::kExit || command == Command::kCloseButton) return {};
  if (phase == Phase::kWaitHandshake) return {};  // the test cancels that wait afterwards
  // The defaults empty both path boxes: a file not yet opened then cannot be opened.
  if (command == Command::kDefaults && phase != Phase::kFlashLines) return {"Error opening ."};
  return {kSuccess};
}

class MenusDuringDownload : public ::testing::TestWithParam<std::tuple<Phase, Command>> {
 protected:
  void SetUp() override {
    settings_.FlashFile = h_.WriteHexFile("app.hex", 6).toStdString();
    settings_.EepromFile = h_.WriteHexFile("data.eep", 3).toStdString();
    settings_.EepromSelected = 1;
    h_.StartWith(settings_);
  }

  void Use(Command command) {
    QAction* menu = nullptr;
    switch (command) {
      case Command::kOpen: {
        DownloadSettings other = settings_;
        other.JumpCommand = "J";
        Form1Harness::WriteSettingsFile(h_.PathIn("other.txt"), other);
        h_.files.answers = {h_.PathIn("other.txt")};
        menu = h_.form->findChild<QAction*>("OpenMenu");
        break;
      }
      case Command::kSave:
        h_.files.answers = {h_.PathIn("copy.txt")};
        menu = h_.form->findChild<QAction*>("SaveMenu");
        break;
      case Command::kDefaults:
        menu = h_.form->findChild<QAction*>("DefaultMenu");
        break;
      case Command::kInfo:
        // The about window is modal: the user closes it with a key a moment later.
        QTimer::singleShot(0, h_.form.get(), [this] {
          auto* about = h_.form->findChild<frmSplash*>();
          ASSERT_NE(about, nullptr);
          QTest::keyClick(about, Qt::Key_Space);
        });
        menu = h_.form->findChild<QAction*>("InfoMenu");
        break;
      case Command::kExit:
        menu = h_.form->findChild<QAction*>("ExitMenu");
        break;
      case Command::kCloseButton:
        h_.form->close();
        return;
    }
    ASSERT_NE(menu, nullptr);
    menu->trigger();
  }

  // Runs `act` from the download's event pump once the target has taken `records` records.
  void DuringRecord(std::size_t records, std::function<void()> act) {
    h_.port.onOutput = [this, records, act](std::string_view) {
      if (h_.port.Records().size() == records) QTimer::singleShot(0, h_.form.get(), act);
    };
  }

  Form1Harness h_;
  DownloadSettings settings_;
};

TEST_P(MenusDuringDownload, DownloadEndsSoundlyWithNothingLost) {
  const auto [phase, command] = GetParam();
  const auto use = [this, command = command] { Use(command); };
  switch (phase) {
    case Phase::kJumpHandshake:
      QTimer::singleShot(0, h_.form.get(), use);  // the first pump comes in the handshake
      break;
    case Phase::kWaitHandshake:
      // Nothing ever sends the active character here: the user gives up afterwards.
      QTimer::singleShot(0, h_.form.get(), [this, use] {
        use();
        QTimer::singleShot(0, h_.form.get(), [this] { h_.Find<QPushButton>("Command4")->click(); });
      });
      break;
    case Phase::kEepromLines:
      DuringRecord(2, use);
      break;
    case Phase::kFlashLines:
      DuringRecord(4 + 2, use);
      break;
  }

  h_.Find<QPushButton>(phase == Phase::kWaitHandshake ? "Command6" : "Command2")->click();

  EXPECT_EQ(h_.messages.Texts(), ExpectedMessages(phase, command));
  EXPECT_FALSE(h_.port.IsOpen());
  if (ExpectedMessages(phase, command) == QStringList{kSuccess}) {
    EXPECT_EQ(h_.port.Records().size(), kAllRecords);
  }
  if (command == Command::kExit || command == Command::kCloseButton) {
    EXPECT_EQ(h_.endProgramCalls, 1);
    EXPECT_FALSE(h_.form->isVisible());
    EXPECT_EQ(Form1Harness::ReadFile(SettingsFilePath(h_.ProgramFolder())), FileBytes(settings_));
    return;
  }
  EXPECT_EQ(h_.endProgramCalls, 0);
  EXPECT_EQ(h_.Find<QLabel>("Label2")->text(), "Idle");
  switch (command) {
    case Command::kOpen:
      EXPECT_EQ(h_.Find<QLineEdit>("Text4")->text(), "J");
      break;
    case Command::kSave:
      EXPECT_EQ(Form1Harness::ReadFile(h_.PathIn("copy.txt")), FileBytes(settings_));
      break;
    case Command::kDefaults:
      EXPECT_EQ(h_.Find<QLineEdit>("Text1")->text(), "");
      EXPECT_EQ(h_.Find<QLineEdit>("Text4")->text(), "$");
      break;
    default:
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, MenusDuringDownload,
    ::testing::Combine(::testing::Values(Phase::kJumpHandshake, Phase::kWaitHandshake,
                                         Phase::kEepromLines, Phase::kFlashLines),
                       ::testing::Values(Command::kOpen, Command::kSave, Command::kDefaults,
                                         Command::kInfo, Command::kExit, Command::kCloseButton)),
    [](const auto& info) {
      std::string name =
          std::string(Name(std::get<0>(info.param))) + "_" + Name(std::get<1>(info.param));
      for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      }
      return name;
    });

}  // namespace
}  // namespace tarnwick::testing
