#include "monitor/PollFrame.h"

#include "app/GroupPanel.h"
#include "app/main.h"
#include "link/Modbus.h"
#include "platform/ValueLabel.h"

bool PollPrologue(Modbus* link, uint8_t stop, const char* gatePanel, const QString& statusText, int& result) {
  result = 0;
  if (stop == 1) {
    result = 1;
    return false;
  }
  if (link->CmdCode != 0) return false;
  GroupPanel* gate = Form_Main ? Form_Main->Panel(QLatin1String(gatePanel)) : nullptr;
  if (!gate || gate->isHidden()) return false;
  Form_Main->SetStatus(2, statusText);
  return true;
}

bool ReplyUsable(const Modbus* link, uint8_t function) {
  return link->ReplyValid == 1 && link->Reply[1] == function;
}

uint16_t ReplyWord(const Modbus* link, int k) {
  return static_cast<uint16_t>(link->Reply[3 + 2 * k] << 8 | link->Reply[4 + 2 * k]);
}

int TestSpecBit(int selector, int value) {
  int n = 14;
  while (n >= 0 && !(selector & (1 << n))) --n;
  if (n < 0) return 0;
  const bool set = (value >> n) & 1;
  return (selector & 0x8000) ? set : !set;
}

QString VersionText(uint16_t word) {
  const int high = word >> 8;
  const int low = word & 0xFF;
  return QStringLiteral("V") + QString::number(high) + QLatin1Char('.') + QString::number(low / 10) +
         QString::number(low % 10);
}

int DecodeScaleWord(int word, const int* phaseCount, int* dcCurrentDiv, int* powerMul, int* energyMul,
                    int* acCurrentDiv, int* voltageDiv) {
  const int energyDefault = *phaseCount == 1 ? 1 : 10;
  if (word == 0 || (word & 1)) {
    *dcCurrentDiv = 100;
    *powerMul = 1;
    *energyMul = energyDefault;
    *acCurrentDiv = 100;
    *voltageDiv = 10;
    return 0;
  }
  static constexpr int kCurrentDiv[4] = {100, 100, 10, 1};
  static constexpr int kPowerMul[8] = {1, 1, 1, 10, 100, kLargestPowerMul, 1, 1};
  static constexpr int kEnergyMul[16] = {0, 1, 1, 1, 1, 10, 100, 1000, 10, 10, 10, 10, 10, 10, 10, 10};
  static constexpr int kVoltageDiv[4] = {10, 100, 10, 1};
  *dcCurrentDiv = kCurrentDiv[(word >> 1) & 3];
  *powerMul = kPowerMul[(word >> 3) & 7];
  const int energyCode = (word >> 6) & 15;
  *energyMul = energyCode == 0 ? energyDefault : kEnergyMul[energyCode];
  *acCurrentDiv = kCurrentDiv[(word >> 10) & 3];
  *voltageDiv = kVoltageDiv[(word >> 12) & 3];
  return 0;
}

ValueLabel* ViewLabel(const char* name) {
  return Form_Main ? Form_Main->Ctl<ValueLabel>(QLatin1String(name)) : nullptr;
}

void SetText(const QString& name, const QString& text) {
  if (auto* l = Form_Main ? Form_Main->Ctl<ValueLabel>(name) : nullptr) l->setText(text);
}
