// The main window's port list: the machine's serial ports, with the paths of
// QORVANE_EXTRA_PORTS first.
#include <QComboBox>

#include "app/main.h"
#include "link/Rs232.h"

void TForm_Main::Combo_COMEnter() {
  auto* combo = Ctl<QComboBox>(QStringLiteral("Combo_COM"));
  if (!combo) return;
  combo->clear();
  combo->addItems(SerialPortNames());
  if (combo->count() > 0) combo->setCurrentIndex(0);
}
