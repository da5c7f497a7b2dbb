#pragma once

#include <optional>

#include <QString>

class QWidget;

namespace tarnwick {

enum class FileChooserMode { Open, Save };

// The window's one file dialog, shared by the two Browse buttons and by "&Open" and "&Save".
// Behind an interface so that window tests can script the user's choice.
class FileChooser {
 public:
  virtual ~FileChooser() = default;

  // Shows the dialog with this title and filter ("Description|pattern|..."); the path chosen,
  // or nothing when the user cancelled.
  virtual std::optional<QString> Choose(QWidget* parent, const QString& title,
                                        const QString& filter, FileChooserMode mode) = 0;
};

}  // namespace tarnwick
