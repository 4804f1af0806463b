#pragma once
// What the programming and procedure tests share: a small HEX image (16 rows
// of 32 bytes at address 0, row 9 an erased unit without a number), devices
// put into the tool's table as a scan and information read would, and the
// requests the tool must send, as hex text.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstring>
#include <vector>

#include "sim/SimBootloader.h"
#include "support/FirmwareImage.h"
#include "support/UpgradeFixture.h"
#include "upgrade/BootFrame.h"
#include "upgrade/Upgrade.h"

namespace serialrun {

constexpr int kRows = 16;
constexpr int kBlock = 32;

// Meta block at 0x10, bytes 0x100-0x17F all FF, 0x200 image bytes.
inline std::vector<std::uint8_t> ImageBytes(const fw::Meta& meta) {
  std::vector<std::uint8_t> img(0x200);
  for (size_t a = 0; a < img.size(); ++a) img[a] = static_cast<std::uint8_t>(a * 7 + 3);
  const auto m = fw::MetaBytes(meta);
  std::copy(m.begin(), m.end(), img.begin() + 0x10);
  std::fill(img.begin() + 0x100, img.begin() + 0x180, 0xFF);
  return img;
}

// The image at 38,400 bit/s; delay is the image's per-block delay in ms.
inline fw::Meta ImageMeta(int delay) {
  fw::Meta meta;
  meta.baudRate = 38400;
  meta.delay = static_cast<std::uint8_t>(delay);
  meta.stop = 0x200;
  return meta;
}

inline QByteArray ImageHex(const fw::Meta& meta) {
  return fw::DataLines(0, ImageBytes(meta), 16, "\n") + fw::HexLine(1, 0, {}) + "\n";
}

inline std::uint32_t RowAddress(int row) { return static_cast<std::uint32_t>((row - 1) * kBlock); }

// Enters a device into the table as the scan and the information read leave
// it when it fits the image (meta's hardware version and product ID).
inline void AddDevice(upgradeTool& t, int id, int bootVersion, int normalMode = 1, int gridRow = 0) {
  const fw::Meta m;
  t.DeviceId[id] = static_cast<std::uint8_t>(id);
  t.Selected[id] = 1;
  t.StepOk[id] = 1;
  t.BootVersion[id] = bootVersion;
  t.NormalMode[id] = normalMode;
  t.BaudIndex[id] = 1;
  t.GridRow[id] = gridRow;
  t.HwVersion[id][m.processor] = {m.hwMajor, m.hwMinor};
  t.DevicePid[id] = static_cast<std::int32_t>(m.productId);
  t.InfoRead[id] = 1;
}

inline QString Req(int address, int command, const QByteArray& payload) { return upgtest::Request(address, command, payload); }
inline QByteArray Key(const std::array<std::uint8_t, 7>& k) { return QByteArray(reinterpret_cast<const char*>(k.data()), 7); }
inline QByteArray Row(const std::vector<std::uint8_t>& img, int row) {
  return QByteArray(reinterpret_cast<const char*>(img.data()) + RowAddress(row), kBlock);
}

// The enter-bootloader pair of one device.
inline QStringList EnterBootFrames(int id) {
  return {Req(id, 0x05, Key(boot::kEnterBootMode1)), Req(id, 0x06, Key(boot::kEnterBootMode2))};
}
inline QString SelectProcessorFrame(int address, int processor) { return Req(address, 0x11, sim::Bytes({processor})); }
inline QString SelectBankFrame(int address, std::uint32_t start) { return Req(address, 0x12, sim::Bytes({0}) + sim::Le32Bytes(start)); }
inline QString CloseBankFrame(int address, std::uint32_t count) { return Req(address, 0x13, sim::Bytes({0}) + sim::Le32Bytes(count)); }
inline QString DoneFrame(int address) { return Req(address, 0x14, sim::Bytes({0})); }

inline QString Block10(const std::vector<std::uint8_t>& img, int row) {
  return Req(sim::kBootBroadcastId, 0x10, sim::Le32Bytes(RowAddress(row)) + Row(img, row));
}
// next: the address of the next row sent (the stop address after the last).
inline QString Block20(const std::vector<std::uint8_t>& img, int row, std::uint32_t next) {
  return Req(sim::kBootBroadcastId, 0x20, sim::Le32Bytes(RowAddress(row)) + sim::Le32Bytes(next) + Row(img, row));
}

// Block addresses as the device received them, as rows.
inline std::vector<int> RowsOf(const std::vector<std::uint32_t>& addresses) {
  std::vector<int> rows;
  for (std::uint32_t a : addresses) rows.push_back(static_cast<int>(a / kBlock) + 1);
  return rows;
}
inline std::vector<int> Span(int from, int to, std::vector<int> out = {}) {
  for (int r = from; r <= to; ++r) out.push_back(r);
  return out;
}
// Rows from..to without the erased row 9 (what the streaming variant sends).
inline std::vector<int> Numbered(int from, int to, std::vector<int> out = {}) {
  for (int r = from; r <= to; ++r)
    if (r != 9) out.push_back(r);
  return out;
}

// Puts bytes into the tool's receive buffer as a read would; count < 0 takes them all.
inline void Receive(upgradeTool& t, const QByteArray& bytes, int count = -1) {
  std::memset(t.Port.RxBuf, 0, sizeof t.Port.RxBuf);
  std::memcpy(t.Port.RxBuf, bytes.constData(), static_cast<size_t>(bytes.size()));
  t.Port.RxCount = count < 0 ? static_cast<int>(bytes.size()) : count;
}

}  // namespace serialrun
