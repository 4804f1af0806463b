#pragma once
// Rules every image load keeps, whatever the bytes: it either fails with
// nothing left to send, or leaves a grid whose rows read back and whose
// lengths agree with it. Shared by the fuzz targets and the test that replays
// their seeds and crashers.
#include <QString>

#include <algorithm>

#include "upgrade/Upgrade.h"
#include "upgrade/UpgradeViews.h"

struct NullViews : UpgradeViews {
  void SetLabel(const QString&, const QString&) override {}
  void AppendEvent(const QString&) override {}
  void AppendUpgradeEvent(const QString&) override {}
  void ShowMessage(const QString&) override {}
  void SetStartEnabled(bool) override {}
};

// Empty when the rules hold, else the first one broken.
inline const char* BrokenLoadRule(const upgradeTool& tool, int result, const QString& stopText) {
  const ImageGrid& g = tool.Grid;
  const HexInfo& info = tool.Info;
  if (result != 0) {
    if (info.Length10 || info.Length20 || info.Crc10 || info.Crc20) return "failed load kept lengths or checksums";
    if (g.ImageRows() != 0) return "failed load kept image rows";
    return "";
  }
  if (g.ImageRows() <= 0 || g.RowCount() <= g.ImageRows()) return "grid size";
  if (info.Processor >= kProcessorCount || std::find(kBootBauds.begin(), kBootBauds.end(), info.BaudRate) == kBootBauds.end()) return "meta limits";
  // Rows follow each other by one step of addresses that a block fills whole
  // (a step of block / bytes per address): no row holds another's bytes.
  if (g.ImageRows() > 1) {
    const std::uint32_t step = g.Address(2) - g.Address(1);
    if (step == 0 || static_cast<std::uint32_t>(g.BlockSize()) % step != 0) return "row step does not fit the block";
    for (int r = 2; r <= g.ImageRows(); ++r)
      if (g.Address(r) - g.Address(r - 1) != step) return "rows not evenly spaced";
  }
  ProgramBlock block;
  long long numbered = 0;
  const int probe = std::max(1, g.ImageRows() / 16);  // the address search is linear: probe some rows
  for (int r = 1; r <= g.ImageRows(); ++r) {
    if (ReadProgramBlock(r, block, g, g.BlockSize(), stopText) != 0) return "image row does not read";
    if ((r % probe == 0 || r == g.ImageRows()) && FindAddressRow(block.Address, g) != r) return "a row's own address finds another row";
    if (g.Number(r)) ++numbered;
  }
  if (ReadProgramBlock(g.ImageRows() + 1, block, g, g.BlockSize(), stopText) != 1) return "no end after the last row";
  if (info.Length20 != numbered * g.BlockSize()) return "Length20 disagrees with the numbered rows";
  for (int c = 0; c < g.ColumnCount(); ++c) (void)g.Cell(c, g.ImageRows());
  return "";
}
