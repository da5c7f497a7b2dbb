#include "ui/two_state_click_check_box.h"

namespace tarnwick {

void TwoStateClickCheckBox::nextCheckState() {
  setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

}  // namespace tarnwick
