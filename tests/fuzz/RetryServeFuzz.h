#pragma once
// Rules the programming stream's reply handling keeps, whatever was received:
// a retry request that is served gets the row that holds the requested
// address, with the image's bytes of that row; an address below the image
// gets no row and one past its last row's start is an error; the bank-close
// search answers found or not. The image's rows lie on both sides of
// 0x80000000, so that the address search is tested across the sign bit.
#include <algorithm>
#include <cstring>
#include <vector>

#include "fuzz/LoaderFuzz.h"
#include "support/FirmwareImage.h"

inline constexpr std::uint32_t kRetryImageStart = 0x7FFFFF00;
inline constexpr int kRetryImageBytes = 0x200;
inline constexpr int kRetryBlock = 32;

// The image's bytes, from its start address on.
inline const std::vector<std::uint8_t>& RetryImage() {
  static const std::vector<std::uint8_t> img = [] {
    fw::Meta meta;
    meta.start = kRetryImageStart;
    meta.stop = kRetryImageStart + kRetryImageBytes;
    std::vector<std::uint8_t> b(kRetryImageBytes);
    for (size_t a = 0; a < b.size(); ++a) b[a] = static_cast<std::uint8_t>(a * 7 + 3);
    const auto m = fw::MetaBytes(meta);
    std::copy(m.begin(), m.end(), b.begin() + 0x10);
    std::fill(b.begin() + 0x100, b.begin() + 0x180, 0xFF);
    return b;
  }();
  return img;
}

// A tool with the image (16 rows of 32 bytes from 0x7FFFFF00) and five
// devices in the run: IDs 1, 3, 200 and 253 with bootloader version 3, ID 2
// with version 2 and programmed alone. False when the image does not load.
inline bool PrepareRetryTool(upgradeTool& tool, UpgradeViews* views) {
  tool.Views = views;
  const std::vector<std::uint8_t>& img = RetryImage();
  const QByteArray hex = fw::HexLine(4, 0, {0x7F, 0xFF}) + "\n" + fw::DataLines(0xFF00, {img.begin(), img.begin() + 0x100}, 16, "\n") +
                         fw::HexLine(4, 0, {0x80, 0x00}) + "\n" + fw::DataLines(0, {img.begin() + 0x100, img.end()}, 16, "\n") +
                         fw::HexLine(1, 0, {}) + "\n";
  if (tool.LoadHexData(hex) != 0 || tool.Grid.BlockSize() != kRetryBlock) return false;
  for (int id : {1, 2, 3, 200, 253}) {
    tool.DeviceId[id] = static_cast<std::uint8_t>(id);
    tool.Selected[id] = 1;
    tool.BootVersion[id] = id == 2 ? 2 : 3;
  }
  tool.CurrentId = 2;
  return true;
}

// The first byte chooses the variant and the device; the rest is what was
// received. Empty when the rules hold, else the first one broken.
inline const char* BrokenRetryRule(upgradeTool& tool, const std::uint8_t* data, size_t size) {
  if (size < 1 || size > static_cast<size_t>(Tcomm::kRxLimit)) return "";
  for (int id = 1; id <= upgradeTool::kLastId; ++id) {
    tool.RetryCount[id] = 0;
    tool.StepOk[id] = tool.Present(id);
  }
  const int variant = data[0] & 1;
  std::memset(tool.Port.RxBuf, 0xA5, sizeof tool.Port.RxBuf);  // stale bytes past the count
  std::memcpy(tool.Port.RxBuf, data + 1, size - 1);
  tool.Port.RxCount = static_cast<int>(size - 1);
  tool.RetryAddress = 0;
  const int row = tool.ServeRetryRequest(variant);
  if (row < -1 || row >= tool.Grid.RowCount()) return "retry row outside the grid";
  // The address served, as the image lays it out: rows of 32 bytes from the
  // start; the search ends at the last row's own address.
  const std::uint32_t address = tool.RetryAddress;
  const std::uint64_t last = kRetryImageStart + kRetryImageBytes - kRetryBlock;
  if (row >= 1) {
    if (address == 0) return "a row without a request";
    const std::uint32_t rowAddress = tool.Grid.Address(row);
    if (rowAddress > address || address - rowAddress >= kRetryBlock) return "served row does not hold the address";
    const std::uint8_t* bytes = tool.Grid.RowData(row);
    const std::uint8_t* expected = RetryImage().data() + (rowAddress - kRetryImageStart);
    if (rowAddress < kRetryImageStart || !bytes || std::memcmp(bytes, expected, kRetryBlock) != 0)
      return "served row's bytes are not the image's";
  } else if (address != 0) {
    if (row == 0 && address >= kRetryImageStart) return "a held address got no row";
    if (row == -1 && address <= last) return "a held address reported as beyond the image";
  }
  const int found = tool.FindChecksumAck(data[0] >> 1, tool.Info.Crc20);
  if (found != 0 && found != 1) return "checksum search result";
  return "";
}
