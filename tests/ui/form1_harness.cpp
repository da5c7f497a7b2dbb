#include "tests/ui/form1_harness.h"

#include <sstream>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>

#include "core/settings/settings_file.h"
#include "ui/settings_location.h"

namespace tarnwick::testing {

Form1Harness::Form1Harness() {
  QDir().mkpath(ProgramFolder());
}

Form1Harness::~Form1Harness() {
  if (form) form->hide();
}

void Form1Harness::Start() {
  form = std::make_unique<Form1>(Form1Services{
      .port = port,
      .clock = clock,
      .files = files,
      .messages = messages,
      .programFolder = ProgramFolder(),
      .configFolder = ConfigFolder(),
      .showSplashAtStart = false,
      .describePort = [](int n) { return "device of Com " + std::to_string(n); },
      .endProgram = [this] { ++endProgramCalls; },
  });
  form->Start();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
}

void Form1Harness::StartWith(const DownloadSettings& settings) {
  WriteSettingsFile(SettingsFilePath(ProgramFolder()), settings);
  Start();
  messages.shown.clear();
}

QString Form1Harness::Face(const std::vector<const char*>& names) const {
  QStringList parts;
  for (const char* name : names) {
    const auto* widget = form->findChild<QWidget*>(QString::fromLatin1(name));
    if (widget == nullptr) return QStringLiteral("missing ") + QString::fromLatin1(name);
    parts << QString::fromLatin1(name) + u':' + (widget->isVisibleTo(form.get()) ? u'v' : u'h') +
                 (widget->isEnabled() ? u'e' : u'd');
  }
  return parts.join(u' ');
}

QString Form1Harness::WriteHexFile(const QString& name, int records) const {
  QString text;
  for (int i = 0; i < records; ++i) {
    text += QStringLiteral(":10%1000102030405060708090A0B0C0D0E0F00\r\n")
                .arg(i * 16, 4, 16, QLatin1Char('0'))
                .toUpper();
  }
  text += QStringLiteral(":00000001FF\r\n");
  const QString path = dir_.filePath(name);
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text.toLatin1());
  return path;
}

void Form1Harness::WriteSettingsFile(const QString& path, const DownloadSettings& settings) {
  std::ostringstream out;
  WriteSettings(out, settings);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(QByteArray::fromStdString(out.str()));
}

QByteArray Form1Harness::ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

}  // namespace tarnwick::testing
