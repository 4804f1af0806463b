// The device table: what the ID scan found, what each inverter's bootloader
// reports about itself, the device grid, and which devices an image may be
// programmed into.
#include <QByteArray>

#include <array>
#include <cstring>

#include "link/Modbus.h"
#include "upgrade/BootFrame.h"
#include "upgrade/Upgrade.h"
#include "upgrade/UpgradeViews.h"

namespace {

bool ProcessorInRange(int p) { return p >= 0 && p < kProcessorCount; }

// A reply at the start of the n received bytes: FF FF, byte 2 the device's
// ID, then the length and command, with every byte up to the payload's end
// received.
bool ReplyIs(const std::uint8_t* rx, int n, int id, int length, int command) {
  return n >= 5 + length && rx[0] == 0xFF && rx[1] == 0xFF && rx[2] == id && rx[4] == length && rx[5] == command;
}

// Devices whose product ID differs from the image's but which take it all the
// same: image product ID, then the device product IDs it also fits (0 = none).
struct CompatibleRow {
  std::int32_t image;
  std::array<std::int32_t, 4> devices;
};
constexpr CompatibleRow kCompatiblePids[] = {
    {71823917, {71814437}},
    {71823954, {71815290}},
    {71847260, {71870541}},
    {71868133, {71812748}},
    {71868179, {71812748}},
    {71870541, {71847260, 71812748}},
    {71870586, {71812748}},
    {71875402, {71823954, 71812795, 71813061, 71813026}},
    {71879615, {71816853}},
};

bool CompatiblePid(std::int32_t image, std::int32_t device) {
  if (device == 0) return false;
  for (const CompatibleRow& row : kCompatiblePids)
    if (row.image == image)
      for (std::int32_t d : row.devices)
        if (d == device) return true;
  return false;
}

// "ID" and the bus ID, as the device table's lines begin (no indent).
QString IdName(int id) { return QStringLiteral("ID") + QString::number(id); }

// The five information requests and what a valid reply stores.
enum class InfoItem { ProductId, Serial, Model, Hw, Sw };

}  // namespace

void upgradeTool::ClearSelection() {
  for (int i = 1; i <= kLastId; ++i) Selected[i] = 0;
}

int upgradeTool::InitDevices() {
  for (int i = 1; i <= kLastId; ++i) {
    const bool scanned = Link != nullptr;
    DeviceId[i] = scanned ? static_cast<std::uint8_t>(Link->IdPresent[i] & 0xFF) : 0;
    NormalMode[i] = scanned ? Link->IdNormalMode[i] : 0;
    BaudIndex[i] = scanned ? Link->IdBaudIndex[i] : 0;
    GridRow[i] = 0;
    Selected[i] = 0;
    StepOk[i] = 1;
    BootVersion[i] = 2;
    // Nothing an earlier load read may pass for this load's information.
    InfoRead[i] = 0;
    DevicePid[i] = 0;
    for (int p = 0; p < kProcessorCount; ++p) {
      HwVersion[i][p] = {};
      SwVersion[i][p] = {};
    }
    std::memset(SerialNumber[i], 0, sizeof SerialNumber[i]);
    std::memset(ModelName[i], 0, sizeof ModelName[i]);
  }
  return 0;
}

int upgradeTool::QueryModes() {
  DevGrid.SetRowCount(1);
  if (Views) Views->SetProgress(0);
  ProcessEvents();
  if (!Link) return 1;

  for (int i = 1; i <= kLastId; ++i) {
    if (!Present(i)) continue;
    Link->SetBaudIndex(BaudIndex[i]);
    FrameLength = boot::BuildRequest(Port.TxBuf, Tcomm::kTxSize, static_cast<std::uint16_t>(i), 1,
                                     boot::kReadBootVersion, nullptr, 0);
    Exchange(2, 200);
    // Only a whole reply with its CRC gives the version: a corrupted byte
    // would choose the wrong procedure for the device.
    if (ReplyIs(Port.RxBuf, Port.RxCount, i, 6, boot::kReadBootVersion) && boot::CrcAt(Port.RxBuf, Port.RxCount, 0, 11))
      BootVersion[i] = Port.RxBuf[6];
  }

  for (int i = 1; i <= kLastId; ++i) {
    if (!Present(i)) continue;
    Link->SetBaudIndex(BaudIndex[i]);
    Link->SlaveId = static_cast<std::uint8_t>(i);
    if (Link->Request(802, 1, 3)) return 1;
    NormalMode[i] = (Link->ReplyValid == 1 && Link->Reply[1] == 3) ? 1 : 0;
  }
  return 0;
}

int upgradeTool::ReadDeviceInfo() {
  DevGrid.SetRowCount(1);
  if (Views) Views->SetProgress(0);
  ProcessEvents();
  const int p = Info.Processor;
  // The version tables hold processors 0 to 9; with any other nothing is
  // read, and so no device can be selected.
  if (!ProcessorInRange(p)) return 1;
  const std::uint8_t processor = static_cast<std::uint8_t>(p);

  static constexpr struct {
    InfoItem item;
    std::uint8_t command;
    bool withProcessor;
    int length;  // of a valid reply
  } kRequests[] = {
      {InfoItem::ProductId, boot::kReadProductId, false, 5}, {InfoItem::Serial, boot::kReadSerial, false, 17},
      {InfoItem::Model, boot::kReadModel, false, 17},        {InfoItem::Hw, boot::kReadHwVersion, true, 4},
      {InfoItem::Sw, boot::kReadSwVersion, true, 4},
  };

  for (int i = 1; i <= kLastId; ++i) {
    if (!Present(i)) continue;
    if (Link) Link->SetBaudIndex(BaudIndex[i]);
    Log(IdName(i) + QStringLiteral(": Getting Information"));
    int understood = 0;
    for (const auto& r : kRequests) {
      if (r.item == InfoItem::Sw) SwVersion[i][p] = {};
      FrameLength = boot::BuildRequest(Port.TxBuf, Tcomm::kTxSize, static_cast<std::uint16_t>(i),
                                       r.withProcessor ? 2 : 1, r.command, &processor, r.withProcessor ? 1 : 0);
      if (Exchange(5, 200)) return 1;

      const std::uint8_t* rx = Port.RxBuf;
      const int n = Port.RxCount;
      const std::uint8_t* payload = rx + 6;
      if (ReplyIs(rx, n, i, r.length, r.command) && (!r.withProcessor || payload[0] == processor)) {
        switch (r.item) {
          case InfoItem::ProductId: DevicePid[i] = static_cast<std::int32_t>(boot::Le32(payload)); break;
          case InfoItem::Serial: std::memcpy(SerialNumber[i], payload, 16); break;
          case InfoItem::Model: std::memcpy(ModelName[i], payload, 10); break;
          case InfoItem::Hw: HwVersion[i][p] = {payload[2], payload[1]}; break;
          case InfoItem::Sw: SwVersion[i][p] = {payload[2], payload[1]}; break;
        }
        ++understood;
      } else if (ReplyIs(rx, n, i, 1, 0x80 | r.command) &&
                 (!r.withProcessor || (n >= 7 && payload[0] == processor))) {
        switch (r.item) {
          case InfoItem::ProductId: DevicePid[i] = 0; break;
          case InfoItem::Serial: std::memset(SerialNumber[i], 'x', 16); break;
          case InfoItem::Model: std::memset(ModelName[i], 'x', 10); break;
          case InfoItem::Hw: HwVersion[i][p] = {120, 120}; break;
          case InfoItem::Sw: SwVersion[i][p] = {0, 0}; break;
        }
        ++understood;
      }
      SerialNumber[i][16] = 0;
      ModelName[i][10] = 0;
    }
    // Only a device that answered all five in this load counts as read.
    InfoRead[i] = understood == 5 ? 1 : 0;
    ProcessEvents();
  }
  return 0;
}

int upgradeTool::ShowDeviceGrid() {
  static constexpr struct {
    int width;
    const char* header;
  } kColumns[DeviceGrid::kColumns] = {{30, ""},    {30, ""},         {30, "ID"},          {30, ""},
                                      {50, "Mode"}, {90, "Model Name"}, {105, "Serial Number"}, {70, "Product ID"},
                                      {45, "Boot SW"}, {40, "HW"},      {40, "SW"}};
  for (int c = 0; c < DeviceGrid::kColumns; ++c) {
    DevGrid.SetColumnWidth(c, kColumns[c].width);
    DevGrid.SetCell(c, 0, QString::fromLatin1(kColumns[c].header));
  }

  const int p = Info.Processor;
  int r = 1;
  for (int i = 1; i <= kLastId; ++i) {
    if (!Present(i)) continue;
    GridRow[i] = r;
    if (DevGrid.RowCount() < r + 1) DevGrid.SetRowCount(r + 1);
    DevGrid.SetCell(0, r, QString::number(r));
    DevGrid.SetCell(2, r, QStringLiteral(" ") + QString::number(i));
    DevGrid.SetCell(4, r, NormalMode[i] ? QStringLiteral("Normal") : QStringLiteral("Boot"));
    DevGrid.SetCell(5, r, QString::fromLatin1(ModelName[i]));
    DevGrid.SetCell(6, r, QString::fromLatin1(SerialNumber[i]));
    DevGrid.SetCell(7, r, QString::number(DevicePid[i]));
    DevGrid.SetCell(8, r, QStringLiteral("V%1").arg(BootVersion[i], 2, 16, QLatin1Char('0')).toUpper());
    const bool known = ProcessorInRange(p);
    DevGrid.SetCell(9, r, known ? VersionText(HwVersion[i][p].Major, HwVersion[i][p].Minor) : QString());
    DevGrid.SetCell(10, r, known ? VersionText(SwVersion[i][p].Major, SwVersion[i][p].Minor) : QString());
    ++r;
  }
  return 0;
}

int upgradeTool::ToggleDevice(int row) {
  if (row < 1) return 0;  // row 0 is the header, and GridRow 0 means "not shown"
  const int p = Info.Processor;
  if (!ProcessorInRange(p)) return 0;
  for (int i = 1; i <= kLastId; ++i) {
    if (GridRow[i] != row) continue;
    if (SwVersion[i][p].Major == 255) return 0;
    // A device can always be taken out of the run, but only put into it when
    // this load read its information.
    if (Selected[i])
      Selected[i] = 0;
    else if (InfoRead[i])
      Selected[i] = 1;
    return 0;
  }
  return 0;
}

int upgradeTool::CheckDevice(const HexInfo& info, int id) {
  const int p = info.Processor;
  if (id < 1 || id > kLastId || !ProcessorInRange(p)) return 1;
  if (HwVersion[id][p].Major != info.HwVersionMajor) {
    LogRed(IdName(id) + QStringLiteral(": HW Version No Match"));
    return 1;
  }
  if (HwVersion[id][p].Minor != info.HwVersionMinor) {
    LogRed(IdName(id) + QStringLiteral(": HW Version  No Match"));
    return 1;
  }
  const std::int32_t image = HexTextToInt(info.ProductId);
  if (image == DevicePid[id] || CompatiblePid(image, DevicePid[id])) return 0;
  LogRed(IdName(id) + QStringLiteral(": PID No Match "));
  return 1;
}

int upgradeTool::SelectDevices() {
  const int p = Info.Processor;
  for (int i = 1; i <= kLastId; ++i) {
    if (!Present(i)) continue;
    if (!ProcessorInRange(p) || !InfoRead[i]) {
      Selected[i] = 0;
      continue;
    }
    if (SwVersion[i][p].Major == 255) continue;
    const int d = SwVersion[i][p].Value();
    const int v = Info.SwVersionMajor * 100 + Info.SwVersionMinor;
    const int c = CheckDevice(Info, i);
    if (d < v && c == 0) {
      Selected[i] = 1;
      if (d == 0) NormalMode[i] = 0;  // no software: the one-by-one boot procedure takes it
    } else {
      Selected[i] = (NormalMode[i] == 0 && c == 0) ? 1 : 0;
    }
  }
  return 0;
}

int upgradeTool::CheckSoftwareVersion(int id, int expected, int processor) {
  const QString failed = IdText(id) + QStringLiteral(": Check SV Error");
  if (id < 1 || id > kLastId || !ProcessorInRange(processor)) {
    LogRed(failed);
    return 1;
  }
  const std::uint8_t payload = static_cast<std::uint8_t>(processor);
  FrameLength = boot::BuildRequest(Port.TxBuf, Tcomm::kTxSize, static_cast<std::uint16_t>(id), 2,
                                   boot::kReadSwVersion, &payload, 1);
  for (int t = 0; t < 20; ++t) {
    if (Link) Link->SetBaudIndex(t % 4);
    Pause(50);
    if (Port.Write(FrameLength)) return 1;
    Pause(200);
    if (Port.Read()) return 1;
    LogRx(Port.RxBuf, Port.RxCount);
    const std::uint8_t* rx = Port.RxBuf;
    if (boot::IsSwVersionReply(rx, Port.RxCount, processor) && rx[7] + 100 * rx[8] == expected) {
      SwVersion[id][processor] = {rx[8], rx[7]};
      return 0;
    }
    Pause(300);
    ProcessEvents();
  }
  LogRed(failed);
  return 1;
}
