#include "link/Executor.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "app/Myfunc.h"
#include "app/main.h"
#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "platform/Dialogs.h"
#include "platform/ValueLabel.h"

int SavedRelayMode = 0;

namespace {

constexpr uint8_t kReadInput = 4;
constexpr uint8_t kWriteCoil = 5;
constexpr uint8_t kWriteRegister = 6;
constexpr int16_t kCoilOn = static_cast<int16_t>(0xFF00);

std::function<void(int)> g_sleep;

void Pause(int ms) {
  if (g_sleep) g_sleep(ms);
  else std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

struct Command {
  int reg;
  int16_t value;
  int16_t value2;
  int code;
};

// For each listed inverter: make it current at its own speed and do the
// work; then the inverter that was current before, at its scanned speed.
template <class Work>
void ForEachListedInverter(TForm_Main& f, Work work) {
  Modbus& link = f.Link;
  const uint8_t current = link.SlaveId;
  const int count = std::clamp(f.InverterList.Count, 0, static_cast<int>(f.InverterList.Ids.size()));
  for (int i = 0; i < count; ++i) {
    link.SlaveId = static_cast<uint8_t>(f.InverterList.Ids[i]);
    link.SetBaudIndex(f.InverterList.BaudIndex[i]);
    work(f.InverterList.Ids[i]);
  }
  link.SlaveId = current;
  link.SetBaudIndex(link.IdBaudIndex[current]);
}

bool BroadcastChosen(const TForm_Main& f) {
  auto* r = f.Ctl<QRadioButton>(QStringLiteral("Radio_CmdBroadcast"));
  return r && r->isChecked();
}

void WriteRegister(Modbus& link, int reg, int value) {
  link.Request(static_cast<uint16_t>(reg), static_cast<int16_t>(value), kWriteRegister);
}

void WriteCoil(Modbus& link, int coil, int16_t value) {
  link.Request(static_cast<uint16_t>(coil), value, kWriteCoil);
}

void SetCoil(Modbus& link, int coil) { WriteCoil(link, coil, kCoilOn); }

// Return to Default: the resets, the module registers and the forty slot
// clears of the cloud register table.
void ReturnToDefault(Modbus& link) {
  for (int coil : {24628, 24629, 24624, 24597, 24643}) {
    SetCoil(link, coil);
    Pause(500);
  }
  WriteRegister(link, 0xEC00, 0x0200);
  WriteRegister(link, 0xEC00, 0x0400);
  WriteRegister(link, 0xEC96, 0xFF00);
  WriteRegister(link, 0xEC97, 0x55AA);
  for (int j = 0; j < 20; ++j) {
    WriteRegister(link, 0xEC96, j);
    WriteRegister(link, 0xEC97, 0);
  }
}

void PowerLimit2500(Modbus& link) {
  WriteRegister(link, 33595, 2500);
  Pause(200);
  static constexpr char kModel[] = "R6.2_318";
  for (int i = 0; i < 4; ++i) {
    WriteRegister(link, 0xAC00 + i, static_cast<uint8_t>(kModel[2 * i]) << 8 | static_cast<uint8_t>(kModel[2 * i + 1]));
    Pause(200);
  }
  for (int reg = 0xAC04; reg <= 0xAC07; ++reg) WriteRegister(link, reg, 0);
}

// The serial number typed into Edit_KeySN: 13 characters, two per register.
void WriteSerialNumber(TForm_Main& f) {
  auto* edit = f.Ctl<QLineEdit>(QStringLiteral("Edit_KeySN"));
  const QByteArray sn = edit ? edit->text().toLatin1() : QByteArray();
  if (sn.size() < 13) return;  // shortened since it was posted: nothing to send
  auto at = [&](int i) { return static_cast<uint8_t>(sn[i]); };
  for (int k = 0; k < 6; ++k) WriteRegister(f.Link, 0x6100 + k, at(2 * k) << 8 | at(2 * k + 1));
  WriteRegister(f.Link, 0x6106, at(12) << 8);
  WriteRegister(f.Link, 0x6059, 0x5A01);
}

// Maximum power to every listed inverter, each divided by its own power
// factor. The factors are decoded into locals so the main window keeps the
// current inverter's; an inverter whose scale word cannot be read is skipped
// and reported.
void MaxPowerToAll(TForm_Main& f, const Command& c) {
  QList<int> unread;
  ForEachListedInverter(f, [&](int id) {
    Modbus& link = f.Link;
    if (link.Request(40987, 9, kReadInput) || !ReplyUsable(&link, kReadInput)) {
      unread << id;
      return;
    }
    const int phaseCount = ReplyWord(&link, 0);
    int dcDiv, powerMul, energyMul, acDiv, voltageDiv;
    DecodeScaleWord(ReplyWord(&link, 8), &phaseCount, &dcDiv, &powerMul, &energyMul, &acDiv, &voltageDiv);
    WriteRegister(link, c.reg, static_cast<uint16_t>(c.value) / powerMul);
  });
  for (int id : unread) ShowMessage(QStringLiteral("Error - ID") + QString::number(id));
}

}  // namespace

void PostCommand(Modbus& link, int code, int reg, int value, int value2) {
  link.CmdRegister = reg;
  link.CmdValue = static_cast<int16_t>(value);
  link.CmdValue2 = static_cast<int16_t>(value2);
  link.CmdCode = code;
}

int PostLifeEnergy(Modbus& link, double typed) {
  const double tenths = std::trunc(typed * 10);
  if (!(tenths >= 0 && tenths <= 4294967295.0)) return 1;
  const auto v = static_cast<uint32_t>(tenths);
  PostCommand(link, CmdLifeEnergy, 44224, static_cast<int16_t>(v & 0xFFFF), static_cast<int16_t>(v >> 16));
  return 0;
}

void SetExecutorSleep(std::function<void(int)> sleep) { g_sleep = std::move(sleep); }

int TForm_Main::ExecutePendingCommand() {
  // Out of the slot before anything is sent: a handler that runs while this
  // command's requests wait may post the next command, which must survive.
  Command c{Link.CmdRegister, Link.CmdValue, Link.CmdValue2, Link.CmdCode};
  Link.CmdCode = CmdNone;

  // The ID scan and the clock synchronisation pass the write lock.
  if (c.code == CmdScanIds) return ExeScanIds();
  if (c.code == CmdSyncClock) return ExeSyncClock();

  if (IsSuperUser == 0 && WriteLock == 1) {
    ShowMessage(QStringLiteral("Lock: Permission denied"));
    return 0;
  }

  switch (c.code) {
    case CmdWriteCoil:
      if (c.value == 1) c.value = kCoilOn;
      if (BroadcastChosen(*this)) ForEachListedInverter(*this, [&](int) { WriteCoil(Link, c.reg, c.value); });
      else WriteCoil(Link, c.reg, c.value);
      break;
    case CmdWriteRegister:
      if (BroadcastChosen(*this)) ForEachListedInverter(*this, [&](int) { WriteRegister(Link, c.reg, c.value); });
      else WriteRegister(Link, c.reg, c.value);
      break;
    case CmdWriteRegisterCurrent:
      WriteRegister(Link, c.reg, c.value);
      break;
    case CmdBroadcastCoil:
      ForEachListedInverter(*this, [&](int) { WriteCoil(Link, c.reg, c.value); });
      break;
    case CmdBroadcastRegister:
      ForEachListedInverter(*this, [&](int) { WriteRegister(Link, c.reg, c.value); });
      break;
    case CmdConstVoltOff:
      WriteRegister(Link, 824, 0);
      WriteRegister(Link, 825, 1024);
      break;
    case CmdBatteryWindow:
      WriteRegister(Link, c.reg, c.value);
      WriteRegister(Link, c.reg + 1, c.value2);
      break;
    case CmdEnergyReset:
      SetCoil(Link, 24628);
      Pause(500);
      SetCoil(Link, 24629);
      break;
    case CmdReturnToDefault:
      ReturnToDefault(Link);
      break;
    case CmdPowerLimit2500:
      PowerLimit2500(Link);
      break;
    case CmdGridUnlock:
      WriteRegister(Link, 25411, 1);
      Pause(200);
      WriteRegister(Link, 48384, 1);
      break;
    case CmdLifeEnergy:
      WriteRegister(Link, 44224, c.value);
      WriteRegister(Link, 44225, c.value2);
      break;
    case CmdSerialNumber:
      WriteSerialNumber(*this);
      break;
    case CmdDryContactOn: {
      const ValueLabel* relay = Ctl<ValueLabel>(QStringLiteral("Label_MultiRelay1"));
      const QString caption = relay ? relay->text() : QString();
      SavedRelayMode = SafeStrToInt(caption.left(1));
      if (Link.Request(52738, 2, kWriteRegister)) return 1;
      if (Link.Request(52742, 1, kWriteRegister)) return 1;
      break;
    }
    case CmdDryContactOff:
      if (Link.Request(52738, static_cast<int16_t>(SavedRelayMode), kWriteRegister)) return 1;
      if (Link.Request(52742, 0, kWriteRegister)) return 1;
      if (Link.Request(797, 0, kWriteRegister)) return 1;
      break;
    case CmdMaxPowerAll:
      MaxPowerToAll(*this, c);
      break;
    case CmdReadEnergy:
      return ExeReadEnergy();
    case CmdWriteEnergy:
      return ExeWriteEnergy();
    case CmdSunSpecMap:
      return ExeMapSwitch(5);
    case CmdNativeMap:
      return ExeMapSwitch(0);
    default:
      break;  // no work of its own (yet): dropped without a request
  }
  return 0;
}
