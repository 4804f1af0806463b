#pragma once
#include <QComboBox>

// The serial port list: a drop-down list that refreshes its entries each time
// it is entered from another control (the main window's Combo_COMEnter).
class PortListCombo : public QComboBox {
  Q_OBJECT
 public:
  explicit PortListCombo(QWidget* parent = nullptr);

 protected:
  void focusInEvent(QFocusEvent* e) override;
};
