// The bootloader steps before programming: the exchange of one request and
// its reply, entering the bootloader, selecting the processor and the bank,
// for one device or for every selected one.
#include "link/Modbus.h"
#include "upgrade/BootFrame.h"
#include "upgrade/Upgrade.h"

namespace {

constexpr int kStepTries = 5;

bool IdInRange(int id) { return id >= 1 && id <= upgradeTool::kLastId; }
bool ProcessorInRange(int p) { return p >= 0 && p < kProcessorCount; }


// The enter-bootloader attempts of one device: the scan's speed and 9,600
// bit/s in turn, mode 1 then mode 2.
int EnterBootAttempts(upgradeTool& t, int id) {
  for (int a = 0; a < kStepTries; ++a) {
    t.Link->SetBaudIndex(a % 2 == 0 ? t.BaudIndex[id] : 1);
    t.StepOk[id] = 0;
    if (t.EnterBootMode1(id)) continue;
    if (t.EnterBootMode2(id) == 0) {
      t.StepOk[id] = 1;
      return 0;
    }
    t.Pause(2000);
  }
  return 1;
}

// The select-processor tries of one device, the request already built.
// 0 = acknowledged, 1 = five tries failed, -1 = the port failed.
int ProcessorTries(upgradeTool& t, int id, int processor, bool pauseFirst) {
  const QString head = QStringLiteral("   ID:") + QString::number(id) + QStringLiteral(" Select Processor ") +
                       QString::number(processor);
  for (int k = 0; k < kStepTries; ++k) {
    if (pauseFirst) t.Pause(20);
    if (t.Port.Write(t.FrameLength)) return -1;
    t.Pause(200);
    if (t.Port.Read()) return -1;
    t.LogRx(t.Port.RxBuf, t.Port.RxCount);
    if (boot::FindProcessorReply(t.Port.RxBuf, t.Port.RxCount, id) >= 0) {
      t.Log(head + QStringLiteral(" OK"));
      t.StepOk[id] = 1;
      if (t.GridRow[id] >= 1) {  // row 0 is the header
        t.DevGrid.SetCell(DeviceGrid::kSwColumn, t.GridRow[id], QStringLiteral("0.00"));
        t.DevGrid.SetCell(DeviceGrid::kModeColumn, t.GridRow[id], QStringLiteral("Boot"));
      }
      return 0;
    }
    t.LogRed(head + QStringLiteral(" Error"));
    t.StepOk[id] = 0;
    t.Pause(2000);
  }
  return 1;
}

// The bank acknowledgement of device id in the received bytes, with the
// bank and the device's start address logged. 0 = found.
int FindBankAck(upgradeTool& t, int id) {
  const int i = boot::FindBankReply(t.Port.RxBuf, t.Port.RxCount, id);
  if (i < 0) return 1;
  const std::uint8_t* p = t.Port.RxBuf + i;
  t.Log(QStringLiteral("   Bank select: ") + QString::number(p[6]));
  t.Log(QStringLiteral("   This Device Starts address: 0x") +
        HexDigits(boot::Le32(p + 7), 8));
  return 0;
}

// The select-bank tries of one device, the request already built.
// 0 = acknowledged, 1 = five tries failed, -1 = the port failed.
int BankTries(upgradeTool& t, int id, bool pauseFirst) {
  for (int k = 0; k < kStepTries; ++k) {
    if (pauseFirst) t.Pause(20);
    if (t.Port.Write(t.FrameLength)) return -1;
    t.Pause(2000);
    if (t.Port.Read()) return -1;
    t.LogRx(t.Port.RxBuf, t.Port.RxCount);
    if (FindBankAck(t, id) == 0) {
      t.Log(IdText(id) + QStringLiteral(": Bank select OK"));
      t.StepOk[id] = 1;
      return 0;
    }
    t.LogRed(IdText(id) + QStringLiteral(": Bank select Error"));
    t.StepOk[id] = 0;
    t.Pause(5000);
  }
  return 1;
}

int BuildSelectBank(upgradeTool& t, std::uint16_t address, std::uint32_t start) {
  std::uint8_t payload[5] = {0x00};
  boot::PutLe32(payload + 1, start);
  return boot::BuildRequest(t.Port.TxBuf, Tcomm::kTxSize, address, 6, boot::kSelectBank, payload, 5);
}

}  // namespace

int upgradeTool::Exchange(int tries, int gapMs) {
  for (int t = 0; t < tries; ++t) {
    Pause(30);
    if (Port.Write(FrameLength)) return 1;
    if (t > 0) Pause(t * 50);
    Pause(120);
    if (Port.Read()) return 1;
    LogRx(Port.RxBuf, Port.RxCount);
    if (Port.RxCount < 6) continue;
    ProcessEvents();
    if (boot::EndsWithCrc(Port.RxBuf, Port.RxCount)) return 0;
    Pause(gapMs);
  }
  return 1;
}

namespace {

int EnterBootMode(upgradeTool& t, int id, int mode) {
  if (!IdInRange(id)) return 1;
  const auto& key = mode == 1 ? boot::kEnterBootMode1 : boot::kEnterBootMode2;
  t.FrameLength = boot::BuildRequest(t.Port.TxBuf, Tcomm::kTxSize, t.DeviceId[id], 8,
                                     mode == 1 ? boot::kEnterMode1 : boot::kEnterMode2, key.data(),
                                     static_cast<int>(key.size()));
  t.Pause(20);
  if (t.Port.Write(t.FrameLength)) return 1;
  t.Pause(120);
  if (t.Port.Read()) return 1;
  t.LogRx(t.Port.RxBuf, t.Port.RxCount);
  bool ok = false;
  if (boot::FindEnterBootReply(t.Port.RxBuf, t.Port.RxCount, id, mode, ok) < 0) return 1;
  const QString line = IdText(id) + QStringLiteral(": Enter bootloader mode") + QString::number(mode);
  if (ok) {
    t.Log(line + QStringLiteral(" - OK"));
    return 0;
  }
  t.LogRed(line + QStringLiteral(" - ERROR"));
  return 1;
}

}  // namespace

int upgradeTool::EnterBootMode1(int id) { return EnterBootMode(*this, id, 1); }
int upgradeTool::EnterBootMode2(int id) { return EnterBootMode(*this, id, 2); }

int upgradeTool::EnterBoot(int id) {
  if (!Link || !IdInRange(id)) return 1;
  if (Port.Read()) return 1;
  return EnterBootAttempts(*this, id);
}

int upgradeTool::EnterBootSelected() {
  if (!Link) return 1;
  if (Port.Read()) return 1;
  for (int i = 1; i <= kLastId; ++i) {
    if (!InBroadcastRun(i, false)) continue;
    ProcessEvents();
    EnterBootAttempts(*this, i);
  }
  return 0;
}

int upgradeTool::SelectProcessor(int id, int processor) {
  if (!IdInRange(id) || !ProcessorInRange(processor)) return 1;
  if (Port.Read()) return 1;
  const std::uint8_t payload = static_cast<std::uint8_t>(processor);
  FrameLength = boot::BuildRequest(Port.TxBuf, Tcomm::kTxSize, boot::kBroadcastId, 2, boot::kSelectProcessor,
                                   &payload, 1);
  return ProcessorTries(*this, id, processor, true) == 0 ? 0 : 1;
}

int upgradeTool::SelectProcessorSelected(int processor) {
  if (!ProcessorInRange(processor)) return 1;
  if (Port.Read()) return 1;
  const std::uint8_t payload = static_cast<std::uint8_t>(processor);
  for (int i = 1; i <= kLastId; ++i) {
    if (!InBroadcastRun(i, true)) continue;
    FrameLength = boot::BuildRequest(Port.TxBuf, Tcomm::kTxSize, static_cast<std::uint16_t>(i), 2,
                                     boot::kSelectProcessor, &payload, 1);
    if (ProcessorTries(*this, i, processor, true) < 0) return 1;
  }
  return 0;
}

int upgradeTool::SelectBank(int id, std::uint32_t address) {
  if (!IdInRange(id)) return 1;
  if (Port.Read()) return 1;
  FrameLength = BuildSelectBank(*this, boot::kBroadcastId, address);
  return BankTries(*this, id, true) == 0 ? 0 : 1;
}

int upgradeTool::SelectBankSelected(std::uint32_t address) {
  if (Port.Read()) return 1;
  for (int i = 1; i <= kLastId; ++i) {
    if (!InBroadcastRun(i, true)) continue;
    FrameLength = BuildSelectBank(*this, static_cast<std::uint16_t>(i), address);
    if (BankTries(*this, i, false) < 0) return 1;
  }
  return 0;
}
