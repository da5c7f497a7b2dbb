#pragma once

#include <functional>
#include <string>

#include <QComboBox>

namespace tarnwick {

// The port list ("Com 1" to "Com 8"). Each item's tooltip names the device that the item
// opens now; devices come and go (a USB adapter plugged in, a link changed), so the tooltips
// are refreshed every time the list pops up.
class PortComboBox : public QComboBox {
  Q_OBJECT

 public:
  using Describer = std::function<std::string(int portNumber)>;

  explicit PortComboBox(QWidget* parent = nullptr);

  // Where the tooltips come from; the platform's description of "Com n" by default.
  void SetDescriber(Describer describe);
  void RefreshToolTips();

  void showPopup() override;

 private:
  Describer describe_;
};

}  // namespace tarnwick
