// Intel HEX loader over arbitrary text.
#include <QByteArray>

#include "FuzzRule.h"
#include "LoaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  static NullViews views;
  static upgradeTool tool;
  tool.Views = &views;
  // Some inputs also see a device whose bootloader did not answer.
  const bool oldBoot = size > 0 && (data[size - 1] & 1);
  tool.DeviceId[5] = oldBoot ? 5 : 0;
  tool.BootVersion[5] = 2;
  const int result = tool.LoadHexData(QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  const char* broken = BrokenLoadRule(tool, result, tool.Info.StopAddress);
  if (!*broken && result == 0 && tool.Info.Length10 != static_cast<long long>(tool.Grid.ImageRows()) * tool.Grid.BlockSize())
    broken = "Length10 disagrees with the rows";
  RequireRules(broken);
  return 0;
}
