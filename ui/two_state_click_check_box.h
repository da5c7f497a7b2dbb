#pragma once

#include <QCheckBox>

namespace tarnwick {

// A check box that can show the greyed third state (a settings file may set it), while the
// user's clicks only switch between ticked and unticked; a click on a greyed box ticks it.
class TwoStateClickCheckBox : public QCheckBox {
  Q_OBJECT

 public:
  using QCheckBox::QCheckBox;

 protected:
  void nextCheckState() override;
};

}  // namespace tarnwick
