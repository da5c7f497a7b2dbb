// The real file dialog, answered from inside its own modal loop.
#include <QApplication>
#include <QFileDialog>
#include <QTest>
#include <QTimer>

#include "tests/ui/form1_harness.h"
#include "ui/qt_file_chooser.h"

namespace tarnwick::testing {
namespace {

// Runs `answer` on the modal dialog of type T as soon as it is up.
template <class T>
void WhenShown(std::function<void(T&)> answer) {
  QTimer::singleShot(0, [answer] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    answer(*dialog);
  });
}

TEST(QtFileChooser, OneDialogRemembersTheLastNameAcrossItsUses) {
  QTemporaryDir dir;
  const QString chosen = dir.filePath("first.hex");
  QtFileChooser chooser;

  QString suffix;
  WhenShown<QFileDialog>([&](QFileDialog& d) {
    suffix = d.defaultSuffix();
    d.selectFile(chosen);
    QMetaObject::invokeMethod(&d, "accept");
  });
  EXPECT_EQ(chooser.Choose(nullptr, "Select File to Save", "Text Files (*.txt)|*.txt",
                           FileChooserMode::Save),
            std::make_optional(chosen));
  EXPECT_EQ(suffix, "hex");

  QString title;
  QStringList filters;
  QStringList preset;
  WhenShown<QFileDialog>([&](QFileDialog& d) {
    title = d.windowTitle();
    filters = d.nameFilters();
    preset = d.selectedFiles();
    d.reject();
  });
  EXPECT_EQ(
      chooser.Choose(nullptr, "Select File to Download",
                     "EEPROM Files (*.eep)|*.eep|Hex Files (*.hex)|*.hex", FileChooserMode::Open),
      std::nullopt);
  EXPECT_EQ(title, "Select File to Download");
  EXPECT_EQ(filters, QStringList({"EEPROM Files (*.eep)", "Hex Files (*.hex)"}));
  EXPECT_EQ(preset, QStringList({chosen}));
}

}  // namespace
}  // namespace tarnwick::testing
