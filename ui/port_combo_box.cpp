#include "ui/port_combo_box.h"

#include "platform/qt/port_device.h"

namespace tarnwick {

PortComboBox::PortComboBox(QWidget* parent) : QComboBox(parent), describe_(DescribePortDevice) {}

void PortComboBox::SetDescriber(Describer describe) {
  describe_ = std::move(describe);
  RefreshToolTips();
}

void PortComboBox::RefreshToolTips() {
  if (!describe_) return;
  for (int i = 0; i < count(); ++i) {
    setItemData(i, QString::fromStdString(describe_(i + 1)), Qt::ToolTipRole);
  }
}

void PortComboBox::showPopup() {
  RefreshToolTips();
  QComboBox::showPopup();
}

}  // namespace tarnwick
