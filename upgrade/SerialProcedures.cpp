// The serial upgrade procedures: the seven steps strung together for one
// device at a time (bootloader version 2), for the selected devices together
// (version 3 and on) and for a BIN image; and the done step that ends them.
#include <QString>

#include <algorithm>
#include <cstdint>

#include "link/Modbus.h"
#include "upgrade/BootFrame.h"
#include "upgrade/Upgrade.h"
#include "upgrade/UpgradeViews.h"

namespace {

constexpr int kDoneTries = 5;


std::uint32_t StartAddress(const HexInfo& info) { return static_cast<std::uint32_t>(HexTextToInt(info.StartAddress)); }

}  // namespace

void upgradeTool::SetBootSpeed() {
  const auto it = std::find(kBootBauds.begin(), kBootBauds.end(), Info.BaudRate);
  if (it != kBootBauds.end() && Link) Link->SetBaudIndex(static_cast<int>(it - kBootBauds.begin()));
}

int upgradeTool::FindDoneAck(int id) {
  const int i = boot::FindDoneReply(Port.RxBuf, Port.RxCount, id);
  if (i < 0) return 1;
  Log(IdText(id) + QStringLiteral(": Done - Bank = ") + QString::number(Port.RxBuf[i + 6]));
  return 0;
}

namespace {

// The done request (payload 0x00), addressed as given.
int BuildDone(upgradeTool& t, std::uint16_t address) {
  const std::uint8_t payload[1] = {0x00};
  return boot::BuildRequest(t.Port.TxBuf, Tcomm::kTxSize, address, 2, boot::kDone, payload, 1);
}

// The run state of a device in its Grid_Dev row; a device the grid does not
// show has no row to write.
void ShowRunState(upgradeTool& t, int id, const QString& mode, const QString& state) {
  const int row = t.GridRow[id];
  if (row < 1) return;
  t.DevGrid.SetCell(DeviceGrid::kSwColumn, row, state);
  t.DevGrid.SetCell(DeviceGrid::kModeColumn, row, mode);
  if (t.Views) t.Views->RepaintDeviceGrid();
}

// Up to 5 done requests as built in Port.TxBuf: 0 = the device acknowledged,
// 1 = it did not, -1 = the port failed.
int DoneTries(upgradeTool& t, int id) {
  for (int a = 0; a < kDoneTries; ++a) {
    t.Pause(20);
    if (t.Port.Write(t.FrameLength) != 0) return -1;
    t.Pause(200);
    if (t.Port.Read() != 0) return -1;
    t.LogRx(t.Port.RxBuf, t.Port.RxCount);
    if (t.FindDoneAck(id) == 0) {
      t.StepOk[id] = 1;
      ShowRunState(t, id, QStringLiteral("Normal"), QStringLiteral("Done"));
      t.Selected[id] = 0;
      return 0;
    }
    t.Log(IdText(id) + QStringLiteral(": Done - ERROR"));
    t.StepOk[id] = 0;
  }
  return 1;
}

}  // namespace

int upgradeTool::FinishDevice(int id, HexInfo /*info*/) {
  if (Port.Read() != 0) return 1;
  FrameLength = BuildDone(*this, boot::kBroadcastId);
  return DoneTries(*this, id) == 0 ? 0 : 1;
}

int upgradeTool::FinishSelected(HexInfo /*info*/) {
  if (Port.Read() != 0) return 1;
  for (int id = 1; id <= kLastId; ++id) {
    if (!InBroadcastRun(id, true)) continue;
    FrameLength = BuildDone(*this, static_cast<std::uint16_t>(id));
    if (DoneTries(*this, id) < 0) return 1;
  }
  return 0;
}

namespace {

// A run with no image rows would send no block and might still end well:
// refused before the first bootloader command.
bool RefuseEmptyImage(upgradeTool& t) {
  if (t.Grid.ImageRows() > 0) return false;
  t.LogRed(QStringLiteral("No Image Data to Program"));
  return true;
}

}  // namespace

int upgradeTool::UpgradeDevice(int id) {
  CurrentId = id;
  if (RefuseEmptyImage(*this)) return 1;
  Log(QStringLiteral("Step1 - Check Device"));
  if (CheckDevice(Info, id) != 0) return 1;
  Log(QStringLiteral("Step2 - Enter bootloader mode"));
  if (EnterBoot(id) != 0) return 1;
  Pause(5000);
  SetBootSpeed();
  Log(QStringLiteral("Step3 - Select Processor"));
  if (SelectProcessor(id, Info.Processor) != 0) return 1;
  Pause(5000);
  Log(QStringLiteral("Step4 - Select Bank"));
  if (SelectBank(id, StartAddress(Info)) != 0) return 1;
  Pause(5000);
  Log(QStringLiteral("Step5 - Programming"));
  if (ProgramBlocks(1) != 0) return 1;
  Pause(5000);
  Log(QStringLiteral("Step6 - Bank Close"));
  if (CloseBank(id, Info) != 0) return 1;
  Pause(2000);
  Log(QStringLiteral("Step7 - Done"));
  return FinishDevice(id, Info);
}

int upgradeTool::RunBootProcedure() {
  for (int id = 1; id <= kLastId; ++id) {
    if (!Selected[id] || !Present(id) || BootVersion[id] != 2 || NormalMode[id] != 0) continue;
    Log(QStringLiteral("In Boot Procedure"));
    if (UpgradeDevice(id) != 0) return 1;
  }
  return 0;
}

int upgradeTool::RunV02Procedure() {
  for (int id = 1; id <= kLastId; ++id) {
    if (!Selected[id] || !Present(id) || BootVersion[id] != 2) continue;
    Log(QStringLiteral("In V02 Procedure"));
    if (UpgradeDevice(id) != 0) return 1;
  }
  return 0;
}

namespace {

bool AnyInBroadcastRun(const upgradeTool& t, bool needStepOk) {
  for (int id = 1; id <= upgradeTool::kLastId; ++id)
    if (t.InBroadcastRun(id, needStepOk)) return true;
  return false;
}

// Steps 3 to 7 of the broadcast run, shared by the V03 and BIN procedures.
// A device that fails a step only leaves the run; when none is left after
// the bank close, there is nobody to send the done step to, and the run
// must not look as if it got there.
int BroadcastSteps(upgradeTool& t) {
  t.Log(QStringLiteral("Step3 - Select Processor"));
  if (t.SelectProcessorSelected(t.Info.Processor) != 0) return 1;
  t.Pause(5000);
  t.Log(QStringLiteral("Step4 - Select Bank"));
  if (t.SelectBankSelected(StartAddress(t.Info)) != 0) return 1;
  t.Pause(5000);
  t.Log(QStringLiteral("Step5 - Programming"));
  if (t.ProgramBlocks(0) != 0) return 1;
  t.Pause(5000);
  t.Log(QStringLiteral("Step6 - Bank Close"));
  if (t.CloseBankSelected(t.Info) != 0) return 1;
  if (!AnyInBroadcastRun(t, true)) return 0;
  t.Pause(2000);
  t.Log(QStringLiteral("Step7 - Done"));
  return t.FinishSelected(t.Info);
}

}  // namespace

int upgradeTool::RunV03Procedure() {
  if (!AnyInBroadcastRun(*this, false)) return 0;
  if (RefuseEmptyImage(*this)) return 1;
  Log(QStringLiteral("In V03 Procedure"));
  Log(QStringLiteral("Step1 - Check Device"));
  // Every selected device must fit, whatever its bootloader.
  for (int id = 1; id <= kLastId; ++id)
    if (Selected[id] && CheckDevice(Info, id) != 0) return 1;
  Log(QStringLiteral("Step2 - Enter bootloader mode"));
  if (EnterBootSelected() != 0) return 1;
  Pause(5000);
  SetBootSpeed();
  return BroadcastSteps(*this);
}

int upgradeTool::RunBinProcedure() {
  // Bootloader frames belong on the RS-485 bus, never to a radio dongle or
  // the Wi-Fi module.
  if (!Link || Link->LinkMode != LinkSerial) {
    LogRed(QStringLiteral("BIN Upgrade Needs The Serial Link"));
    return 1;
  }
  if (RefuseEmptyImage(*this)) return 1;
  // The image is for bus ID 1 alone: a device another image's load selected
  // must not take part in any step.
  ClearSelection();
  Selected[1] = 1;
  DeviceId[1] = 1;
  BootVersion[1] = 3;
  Info.ProgramSize = 128;
  Info.StopAddress = QStringLiteral("0xF0000000");
  Info.BaudRate = 19200;
  Info.StartAddress = QStringLiteral("0x80000000");
  Info.Processor = 9;
  Info.AttemptDelay = 200;
  Link->SetBaudIndex(2);
  BaudIndex[1] = 2;
  Log(QStringLiteral("In BIN Procedure"));
  Log(QStringLiteral("Step2 - Enter bootloader mode"));
  if (EnterBootSelected() != 0) return 1;
  Pause(5000);
  Link->SetBaudIndex(2);
  if (BroadcastSteps(*this) != 0) return 1;
  // The done step deselects the device: still selected, it left the run at
  // some step and holds no complete image.
  return Selected[1] ? 1 : 0;
}
