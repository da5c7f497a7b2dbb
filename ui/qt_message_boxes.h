#pragma once

#include "ui/message_boxes.h"

namespace tarnwick {

class QtMessageBoxes final : public MessageBoxes {
 public:
  void Show(QWidget* parent, const QString& title, const QString& text, MessageIcon icon,
            const QString& details = {}) override;
  bool AskYesNo(QWidget* parent, const QString& title, const QString& text) override;
};

}  // namespace tarnwick
