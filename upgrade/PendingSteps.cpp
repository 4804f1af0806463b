// Stand-ins for the device table and the procedures until their own units
// are in: enough for the page to build its device grid from the scan tables
// and to refuse every procedure.
#include "link/Modbus.h"
#include "upgrade/Upgrade.h"

int upgradeTool::InitDevices() {
  if (!Link) return 0;
  for (int i = 1; i <= kLastId; ++i) {
    DeviceId[i] = static_cast<std::uint8_t>(Link->IdPresent[i] & 0xFF);
    NormalMode[i] = Link->IdNormalMode[i];
    BaudIndex[i] = Link->IdBaudIndex[i];
    GridRow[i] = 0;
    Selected[i] = 0;
    StepOk[i] = 1;
    BootVersion[i] = 2;
    InfoRead[i] = 0;
  }
  return 0;
}

int upgradeTool::QueryModes() { return 0; }
int upgradeTool::ReadDeviceInfo() { return 1; }

int upgradeTool::ShowDeviceGrid() {
  DevGrid.SetCell(2, 0, QStringLiteral("ID"));
  DevGrid.SetCell(4, 0, QStringLiteral("Mode"));
  DevGrid.SetCell(10, 0, QStringLiteral("SW"));
  int r = 1;
  for (int i = 1; i <= kLastId; ++i) {
    if (!Present(i)) continue;
    GridRow[i] = r;
    if (DevGrid.RowCount() < r + 1) DevGrid.SetRowCount(r + 1);
    DevGrid.SetCell(0, r, QString::number(r));
    DevGrid.SetCell(2, r, QStringLiteral(" ") + QString::number(i));
    DevGrid.SetCell(4, r, NormalMode[i] ? QStringLiteral("Normal") : QStringLiteral("Boot"));
    const VersionPair& sw = SwVersion[i][Info.Processor];
    DevGrid.SetCell(10, r, VersionText(sw.Major, sw.Minor));
    ++r;
  }
  return 0;
}

int upgradeTool::ToggleDevice(int row) {
  for (int i = 1; i <= kLastId; ++i) {
    if (GridRow[i] != row) continue;
    if (SwVersion[i][Info.Processor].Major != 255) Selected[i] = Selected[i] ? 0 : 1;
    return 0;
  }
  return 0;
}

int upgradeTool::SelectDevices() { return 0; }
int upgradeTool::CheckSoftwareVersion(int, int, int) { return 1; }
int upgradeTool::RunBootProcedure() { return 1; }
int upgradeTool::RunV02Procedure() { return 1; }
int upgradeTool::RunV03Procedure() { return 1; }
int upgradeTool::RunBinProcedure() { return 1; }
int upgradeTool::RunTcpProcedure() { return 1; }
