#pragma once
// Rules the programming stream's reply handling keeps, whatever was received:
// the retry-request service (whose device ID and address come from the wire
// and index the device tables and the image) answers a row inside the grid,
// 0 or -1, and the bank-close search answers found or not.
#include <algorithm>
#include <cstring>
#include <vector>

#include "fuzz/LoaderFuzz.h"
#include "support/FirmwareImage.h"

// A tool with a small image (16 rows of 32 bytes) and five devices in the
// run: IDs 1, 3, 200 and 253 with bootloader version 3, ID 2 with version 2
// and programmed alone. Null when the image does not load.
inline bool PrepareRetryTool(upgradeTool& tool, UpgradeViews* views) {
  tool.Views = views;
  fw::Meta meta;
  meta.stop = 0x200;
  std::vector<std::uint8_t> img(0x200);
  for (size_t a = 0; a < img.size(); ++a) img[a] = static_cast<std::uint8_t>(a * 7 + 3);
  const auto m = fw::MetaBytes(meta);
  std::copy(m.begin(), m.end(), img.begin() + 0x10);
  std::fill(img.begin() + 0x100, img.begin() + 0x180, 0xFF);
  if (tool.LoadHexData(fw::DataLines(0, img, 16, "\n") + fw::HexLine(1, 0, {}) + "\n") != 0) return false;
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
  const int row = tool.ServeRetryRequest(variant);
  if (row < -1 || row >= tool.Grid.RowCount()) return "retry row outside the grid";
  const int found = tool.FindChecksumAck(data[0] >> 1, tool.Info.Crc20);
  if (found != 0 && found != 1) return "checksum search result";
  return "";
}
