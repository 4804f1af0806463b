#include "app/PortListCombo.h"

#include <QFocusEvent>

#include "app/main.h"

PortListCombo::PortListCombo(QWidget* parent) : QComboBox(parent) { setEditable(false); }

void PortListCombo::focusInEvent(QFocusEvent* e) {
  // Focus also comes back when the box's own list closes, with the clicked
  // port still being taken, and when a menu closes: that is no entering, and
  // a refill then would throw the user's choice away.
  const bool entered = e->reason() != Qt::PopupFocusReason && e->reason() != Qt::MenuBarFocusReason;
  if (entered && Form_Main && Form_Main->Control(objectName()) == this) Form_Main->Combo_COMEnter();
  QComboBox::focusInEvent(e);
}
