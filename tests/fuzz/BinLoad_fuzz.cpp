// Binary image loader over arbitrary bytes.
#include <QByteArray>

#include "FuzzRule.h"
#include "LoaderFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  static NullViews views;
  static upgradeTool tool;
  tool.Views = &views;
  const int result = tool.LoadBinData(QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  const char* broken = BrokenLoadRule(tool, result, QStringLiteral("0xF0000000"));
  if (!*broken && result == 0 && (tool.Info.Length20 != static_cast<long long>(size) || tool.Grid.BlockSize() != 128))
    broken = "BIN length or block size";
  RequireRules(broken);
  return 0;
}
