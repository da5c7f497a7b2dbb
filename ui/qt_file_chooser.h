#pragma once

#include <memory>

#include "ui/file_chooser.h"

class QFileDialog;

namespace tarnwick {

// One QFileDialog kept for the life of the window, so that the name chosen in its last use,
// by any of its four users, is preset the next time; a name typed without an extension gets
// ".hex".
class QtFileChooser final : public FileChooser {
 public:
  QtFileChooser();
  ~QtFileChooser() override;

  std::optional<QString> Choose(QWidget* parent, const QString& title, const QString& filter,
                                FileChooserMode mode) override;

 private:
  std::unique_ptr<QFileDialog> dialog_;  // BrowseDialog
  QString lastChosen_;
};

}  // namespace tarnwick
