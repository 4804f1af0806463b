// Temporary: the device check and the bootloader steps before programming,
// kept just whole enough to run the programming and procedure tests until
// the device table and bootloader steps land.
#include <QString>

#include "link/Modbus.h"
#include "upgrade/BootFrame.h"
#include "upgrade/Upgrade.h"
#include "upgrade/UpgradeViews.h"

namespace {

QString IdText(int id) { return QStringLiteral("   ID") + QString::number(id); }

int EnterMode(upgradeTool& t, int id, int mode) {
  const auto& key = mode == 1 ? boot::kEnterBootMode1 : boot::kEnterBootMode2;
  t.FrameLength = boot::BuildRequest(t.Port.TxBuf, Tcomm::kTxSize, t.DeviceId[id], 8,
                                     mode == 1 ? boot::kEnterMode1 : boot::kEnterMode2, key.data(), 7);
  t.Pause(20);
  if (t.Port.Write(t.FrameLength) != 0) return 1;
  t.Pause(120);
  if (t.Port.Read() != 0) return 1;
  t.LogRx(t.Port.RxBuf, t.Port.RxCount);
  bool ok = false;
  if (boot::FindEnterBootReply(t.Port.RxBuf, t.Port.RxCount, id, mode, ok) < 0) return 1;
  const QString text = IdText(id) + QStringLiteral(": Enter bootloader mode%1 - ").arg(mode);
  if (ok) {
    t.Log(text + QStringLiteral("OK"));
    return 0;
  }
  t.LogRed(text + QStringLiteral("ERROR"));
  return 1;
}

int EnterAttempts(upgradeTool& t, int id) {
  for (int a = 0; a < 5; ++a) {
    t.Link->SetBaudIndex(a % 2 == 0 ? t.BaudIndex[id] : 1);
    t.StepOk[id] = 0;
    if (EnterMode(t, id, 1) != 0) continue;
    if (EnterMode(t, id, 2) == 0) {
      t.StepOk[id] = 1;
      return 0;
    }
    t.Pause(2000);
  }
  return 1;
}

int ProcessorTries(upgradeTool& t, int id, int processor, std::uint16_t address) {
  const std::uint8_t payload[1] = {static_cast<std::uint8_t>(processor)};
  t.FrameLength = boot::BuildRequest(t.Port.TxBuf, Tcomm::kTxSize, address, 2, boot::kSelectProcessor, payload, 1);
  const QString text = QStringLiteral("   ID:%1 Select Processor %2").arg(id).arg(processor);
  for (int a = 0; a < 5; ++a) {
    t.Pause(20);
    if (t.Port.Write(t.FrameLength) != 0) return -1;
    t.Pause(200);
    if (t.Port.Read() != 0) return -1;
    t.LogRx(t.Port.RxBuf, t.Port.RxCount);
    if (boot::FindProcessorReply(t.Port.RxBuf, t.Port.RxCount, id) >= 0) {
      t.Log(text + QStringLiteral(" OK"));
      t.StepOk[id] = 1;
      if (t.GridRow[id] >= 1) {
        t.DevGrid.SetCell(DeviceGrid::kSwColumn, t.GridRow[id], QStringLiteral("0.00"));
        t.DevGrid.SetCell(DeviceGrid::kModeColumn, t.GridRow[id], QStringLiteral("Boot"));
      }
      return 0;
    }
    t.LogRed(text + QStringLiteral(" Error"));
    t.StepOk[id] = 0;
    t.Pause(2000);
  }
  return 1;
}

int BankTries(upgradeTool& t, int id, std::uint32_t start, std::uint16_t address, bool pauseFirst) {
  std::uint8_t payload[5] = {0};
  boot::PutLe32(payload + 1, start);
  t.FrameLength = boot::BuildRequest(t.Port.TxBuf, Tcomm::kTxSize, address, 6, boot::kSelectBank, payload, 5);
  for (int a = 0; a < 5; ++a) {
    if (pauseFirst) t.Pause(20);
    if (t.Port.Write(t.FrameLength) != 0) return -1;
    t.Pause(2000);
    if (t.Port.Read() != 0) return -1;
    t.LogRx(t.Port.RxBuf, t.Port.RxCount);
    const int i = boot::FindBankReply(t.Port.RxBuf, t.Port.RxCount, id);
    if (i >= 0) {
      t.Log(QStringLiteral("   Bank select: %1").arg(t.Port.RxBuf[i + 6]));
      t.Log(QStringLiteral("   This Device Starts address: 0x%1")
                .arg(QString::number(boot::Le32(t.Port.RxBuf + i + 7), 16).toUpper().rightJustified(8, u'0')));
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

bool InBroadcastRun(const upgradeTool& t, int id) {
  return t.Selected[id] && t.Present(id) && t.StepOk[id] && t.BootVersion[id] >= 3;
}

}  // namespace

int upgradeTool::CheckDevice(const HexInfo& info, int id) {
  const int p = info.Processor;
  if (HwVersion[id][p].Major != info.HwVersionMajor) {
    LogRed(QStringLiteral("ID%1: HW Version No Match").arg(id));
    return 1;
  }
  if (HwVersion[id][p].Minor != info.HwVersionMinor) {
    LogRed(QStringLiteral("ID%1: HW Version  No Match").arg(id));
    return 1;
  }
  if (HexTextToInt(info.ProductId) == DevicePid[id]) return 0;
  LogRed(QStringLiteral("ID%1: PID No Match ").arg(id));
  return 1;
}

int upgradeTool::EnterBoot(int id) {
  if (Port.Read() != 0) return 1;
  return EnterAttempts(*this, id);
}

int upgradeTool::EnterBootSelected() {
  if (Port.Read() != 0) return 1;
  for (int id = 1; id <= kLastId; ++id)
    if (Selected[id] && Present(id) && BootVersion[id] >= 3) {
      ProcessEvents();
      EnterAttempts(*this, id);
    }
  return 0;
}

int upgradeTool::SelectProcessor(int id, int processor) {
  if (Port.Read() != 0) return 1;
  return ProcessorTries(*this, id, processor, boot::kBroadcastId) == 0 ? 0 : 1;
}

int upgradeTool::SelectProcessorSelected(int processor) {
  if (Port.Read() != 0) return 1;
  for (int id = 1; id <= kLastId; ++id)
    if (InBroadcastRun(*this, id) && ProcessorTries(*this, id, processor, static_cast<std::uint16_t>(id)) < 0) return 1;
  return 0;
}

int upgradeTool::SelectBank(int id, std::uint32_t address) {
  if (Port.Read() != 0) return 1;
  return BankTries(*this, id, address, boot::kBroadcastId, true) == 0 ? 0 : 1;
}

int upgradeTool::SelectBankSelected(std::uint32_t address) {
  if (Port.Read() != 0) return 1;
  for (int id = 1; id <= kLastId; ++id)
    if (InBroadcastRun(*this, id) && BankTries(*this, id, address, static_cast<std::uint16_t>(id), false) < 0) return 1;
  return 0;
}
