#include "link/Executor.h"

#include <QRadioButton>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#include "app/Myfunc.h"
#include "app/main.h"
#include "link/FunctionCodes.h"
#include "link/Modbus.h"
#include "logs/ConfigDump.h"
#include "logs/OnSiteRepair.h"
#include "logs/SettingsUpload.h"
#include "monitor/PollFrame.h"
#include "platform/Dialogs.h"
#include "settings/StatusCommands.h"

std::optional<uint16_t> SavedRelayMode;
std::string PostedSerialNumber;

namespace {

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
  const InverterListRec list = f.CommandTargets();
  const int count = std::clamp(list.Count, 0, static_cast<int>(list.Ids.size()));
  for (int i = 0; i < count; ++i) {
    link.SlaveId = static_cast<uint8_t>(list.Ids[i]);
    link.SetBaudIndex(list.BaudIndex[i]);
    work(list.Ids[i]);
  }
  link.SlaveId = current;
  link.SetBaudIndex(link.IdBaudIndex[current]);
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

// The serial number captured when the command was posted: 13 characters,
// two per register. Used once.
void WriteSerialNumber(Modbus& link) {
  const std::string sn = std::exchange(PostedSerialNumber, std::string());
  if (sn.size() != 13) return;  // not posted by the serial-number editor
  auto at = [&](int i) { return static_cast<uint8_t>(sn[static_cast<size_t>(i)]); };
  for (int k = 0; k < 6; ++k) WriteRegister(link, 0x6100 + k, at(2 * k) << 8 | at(2 * k + 1));
  WriteRegister(link, 0x6106, at(12) << 8);
  WriteRegister(link, 0x6059, 0x5A01);
}

// Maximum power to every listed inverter, each divided by its own power
// factor. The watts come as 32 bits. Every inverter's factor is read before
// the first write, so the watts reach every listed inverter or none: an
// inverter whose scale word cannot be read is reported, and watts that one of
// them cannot take are refused with the range that all of them take. The
// factors are decoded into locals so the main window keeps the current
// inverter's.
void MaxPowerToAll(TForm_Main& f, const Command& c) {
  const auto watts = static_cast<int32_t>(static_cast<uint16_t>(c.value) |
                                          static_cast<uint32_t>(static_cast<uint16_t>(c.value2)) << 16);
  QList<int> unread;
  std::vector<int> factors;
  ForEachListedInverter(f, [&](int id) {
    Modbus& link = f.Link;
    if (link.Request(40987, 9, kReadInput) || !ReplyUsable(&link, kReadInput)) {
      unread << id;
      return;
    }
    const int phaseCount = ReplyWord(&link, 0);
    int dcDiv, powerMul, energyMul, acDiv, voltageDiv;
    DecodeScaleWord(ReplyWord(&link, 8), &phaseCount, &dcDiv, &powerMul, &energyMul, &acDiv, &voltageDiv);
    factors.push_back(std::max(powerMul, 1));
  });
  if (!unread.isEmpty()) {
    for (int id : unread) ShowMessage(QStringLiteral("Error - ID") + QString::number(id));
    return;
  }
  if (factors.empty()) return;
  const int64_t most = MostPowerWatts(*std::min_element(factors.begin(), factors.end()));
  if (watts < 0 || watts > most) {
    ShowPowerRange(most);
    return;
  }
  auto factor = factors.begin();
  ForEachListedInverter(f, [&](int) { WriteRegister(f.Link, c.reg, watts / *factor++); });
}

}  // namespace

bool BroadcastChosen(const TForm_Main& f) {
  auto* r = f.Ctl<QRadioButton>(QStringLiteral("Radio_CmdBroadcast"));
  return r && r->isChecked();
}

void PostCommand(Modbus& link, int code, int reg, int value, int value2) {
  link.CmdRegister = reg;
  link.CmdValue = static_cast<int16_t>(value);
  link.CmdValue2 = static_cast<int16_t>(value2);
  link.CmdCode = code;
}

void SetExecutorSleep(std::function<void(int)> sleep) { g_sleep = std::move(sleep); }

int TForm_Main::ExecutePendingCommand() {
  // Out of the slot before anything is sent: a handler that runs while this
  // command's requests wait may post the next command, which must survive.
  Command c{Link.CmdRegister, Link.CmdValue, Link.CmdValue2, Link.CmdCode.Take()};

  // The ID scan and the clock synchronisation pass the write lock.
  if (c.code == CmdScanIds) return ExeScanIds();
  if (c.code == CmdSyncClock) return ExeSyncClock();

  if (IsSuperUser == 0 && WriteLock == 1) {
    Link.CmdCode.Dropped(c.code);
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
    case CmdConstVoltOn:
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
      WriteSerialNumber(Link);
      break;
    case CmdDryContactOn: {
      // Relay 1's mode as the inverter holds it, for the OFF to restore.
      // Unread, nothing is switched: the test has not begun, and its buttons
      // go back to where they were before the click.
      SavedRelayMode.reset();
      const bool failed = Link.Request(52738, 1, kReadHolding) != 0;
      if (failed || !ReplyUsable(&Link, kReadHolding)) {
        ShowDryContactTestRunning(*this, false);
        ShowMessage(QStringLiteral("Dry Contact Test not started: relay 1's mode could not be read"));
        return failed ? 1 : 0;
      }
      SavedRelayMode = ReplyWord(&Link, 0);
      if (Link.Request(52738, 2, kWriteRegister)) return 1;
      if (Link.Request(52742, 1, kWriteRegister)) return 1;
      break;
    }
    case CmdDryContactOff:
      // Only a mode the ON read goes back; without one the relay keeps the
      // mode it has rather than get one from another run.
      if (SavedRelayMode) {
        if (Link.Request(52738, static_cast<int16_t>(*SavedRelayMode), kWriteRegister)) return 1;
        SavedRelayMode.reset();
      }
      if (Link.Request(52742, 0, kWriteRegister)) return 1;
      if (Link.Request(797, 0, kWriteRegister)) return 1;
      break;
    case CmdConfigDump:
      RunConfigDump(*this);
      break;
    case CmdSettingsUpload:
      RunSettingsUpload(*this);
      break;
    case CmdOnSiteRepair:
      RunOnSiteRepair(*this);
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
