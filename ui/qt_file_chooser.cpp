#include "ui/qt_file_chooser.h"

#include <QDir>
#include <QFileDialog>

#include "ui/file_filter.h"

namespace tarnwick {

QtFileChooser::QtFileChooser() : dialog_(std::make_unique<QFileDialog>()) {
  dialog_->setObjectName(QStringLiteral("BrowseDialog"));
  dialog_->setDefaultSuffix(QStringLiteral("hex"));
}

QtFileChooser::~QtFileChooser() = default;

std::optional<QString> QtFileChooser::Choose(QWidget* parent, const QString& title,
                                             const QString& filter, FileChooserMode mode) {
  // The dialog outlives any one window; it is parented to the asking window only while shown
  // so that it is modal to it and centred over it.
  dialog_->setParent(parent, dialog_->windowFlags());
  dialog_->setWindowTitle(title);
  dialog_->setNameFilters(ToQtNameFilters(filter));
  const bool saving = mode == FileChooserMode::Save;
  dialog_->setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog_->setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!lastChosen_.isEmpty()) dialog_->selectFile(lastChosen_);

  const bool accepted = dialog_->exec() == QDialog::Accepted;
  dialog_->setParent(nullptr, dialog_->windowFlags());
  if (!accepted || dialog_->selectedFiles().isEmpty()) return std::nullopt;
  lastChosen_ = dialog_->selectedFiles().constFirst();
  return QDir::toNativeSeparators(lastChosen_);
}

}  // namespace tarnwick
