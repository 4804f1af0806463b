// The main window's port list: the machine's serial ports, with the paths of
// QORVANE_EXTRA_PORTS first.
#include <QComboBox>
#include <algorithm>

#include "app/main.h"
#include "link/Rs232.h"

void TForm_Main::Combo_COMEnter() {
  auto* combo = Ctl<QComboBox>(QStringLiteral("Combo_COM"));
  if (!combo) return;
  // The port chosen before stays chosen while the machine still has it.
  const QString chosen = combo->currentText();
  combo->clear();
  combo->addItems(SerialPortNames());
  combo->setCurrentIndex(std::max(0, combo->findText(chosen)));
}
