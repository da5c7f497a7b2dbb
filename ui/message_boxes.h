#pragma once

#include <QString>

#include "core/download/download_view.h"

class QWidget;

namespace tarnwick {

// The program's modal message boxes, behind an interface so that window tests can answer them.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;

  // A notice with an OK button; `icon` adds the exclamation (warning) picture. A failure's
  // `details` (why it failed) are shown behind the box's "Show Details..." button.
  virtual void Show(QWidget* parent, const QString& title, const QString& text, MessageIcon icon,
                    const QString& details = {}) = 0;
  // A question with Yes and No, Yes being the default button; true for Yes.
  virtual bool AskYesNo(QWidget* parent, const QString& title, const QString& text) = 0;
};

}  // namespace tarnwick
