#include "app/PortListCombo.h"

#include "app/main.h"

PortListCombo::PortListCombo(QWidget* parent) : QComboBox(parent) { setEditable(false); }

void PortListCombo::focusInEvent(QFocusEvent* e) {
  if (Form_Main && Form_Main->Control(objectName()) == this) Form_Main->Combo_COMEnter();
  QComboBox::focusInEvent(e);
}
