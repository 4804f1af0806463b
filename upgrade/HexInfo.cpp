#include "upgrade/HexInfo.h"

#include <algorithm>

#include "upgrade/UpgradeViews.h"

namespace {

// Record index holding the seventh byte of the marker, 0 when not found. A
// mismatching byte resets the count and is not tried as a first byte; a
// marker completed in record 0 does not count.
int FindMarker(const std::vector<HexStruct>& records, const std::array<std::uint8_t, 7>& marker) {
  int count = 0;
  for (size_t r = 0; r < records.size(); ++r) {
    const HexStruct& rec = records[r];
    const int n = std::clamp(rec.Length, 0, HexStruct::kBinCapacity);
    for (int i = 0; i < n; ++i) {
      count = rec.Data[static_cast<size_t>(i)] == marker[static_cast<size_t>(count)] ? count + 1 : 0;
      if (count == 7) {
        if (r > 0) return static_cast<int>(r);
        count = 0;
        break;  // the rest of record 0 is skipped
      }
    }
  }
  return 0;
}

QString HexText(std::uint32_t value, int digits) { return QStringLiteral("0x") + HexDigits(value, digits); }

std::uint32_t Le(const std::uint8_t* p, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

int FindMetaBlock(const std::vector<HexStruct>& records) {
  const int a = FindMarker(records, kMetaMarker1);
  const int b = FindMarker(records, kMetaMarker2);
  return (b > a && b - a < 5 && b > 0) ? a : -1;
}

QString ParseMetaBlock(HexInfo& info, int index, const std::vector<HexStruct>& records) {
  if (index < 0) return QStringLiteral("No Meta Block");
  std::array<std::uint8_t, 200> table{};
  int size = 0;
  for (size_t r = static_cast<size_t>(index); r < records.size() && r <= static_cast<size_t>(index) + 4; ++r) {
    const int n = std::clamp(records[r].Length, 0, HexStruct::kBinCapacity);
    for (int i = 0; i < n && size < static_cast<int>(table.size()); ++i) table[static_cast<size_t>(size++)] = records[r].Data[static_cast<size_t>(i)];
  }
  int at = -1;  // the last place where the second marker matches
  for (int p = 0; p + 7 <= size; ++p)
    if (std::equal(kMetaMarker2.begin(), kMetaMarker2.end(), table.begin() + p)) at = p;
  if (at < 0) return QStringLiteral("Meta Block Error: Second Marker Missing");
  if (at < kMetaBlockSize) return QStringLiteral("Meta Block Error: Meta Block Too Short");

  const std::uint8_t* m = table.data() + at - kMetaBlockSize;
  HexInfo parsed = info;
  parsed.MetaVersionMinor = m[0];
  parsed.MetaVersionMajor = m[1];
  parsed.ProductId = HexText(Le(m + 2, 4), 8);
  parsed.Processor = m[6];
  parsed.HwVersionMinor = m[7];
  parsed.HwVersionMajor = m[8];
  parsed.SwVersionMinor = m[9];
  parsed.SwVersionMajor = m[10];
  parsed.BaudRate = static_cast<std::int32_t>(Le(m + 11, 2));
  parsed.StartAddress = HexText(Le(m + 13, 4), 8);
  parsed.StopAddress = HexText(Le(m + 17, 4), 8);
  parsed.EraseSize = m[21];
  parsed.ProgramSize = m[22];
  parsed.Delay = m[23];
  parsed.FillValue = HexText(m[24], 2);
  parsed.Checksum = HexText(Le(m + 25, 2), 4);

  // The procedures index their version tables by processor, switch the bus to
  // the boot speed and size their frames by the program size.
  if (parsed.Processor >= kProcessorCount)
    return QStringLiteral("Meta Block Error: Processor %1 Out Of Range").arg(parsed.Processor);
  if (std::find(kBootBauds.begin(), kBootBauds.end(), parsed.BaudRate) == kBootBauds.end())
    return QStringLiteral("Meta Block Error: Baud Rate %1 Not Supported").arg(parsed.BaudRate);
  if (parsed.ProgramSize > kMaxProgramSize)
    return QStringLiteral("Meta Block Error: Program Size %1 Out Of Range").arg(parsed.ProgramSize);
  info = parsed;
  return {};
}

QString VersionText(int major, int minor) {
  return QString::number(major) + u'.' + QString::number(minor / 10) + QString::number(minor % 10);
}

int ShowMetaBlockInfo(UpgradeViews* views, const HexInfo& info) {
  if (!views) return 0;
  const QString productId = QString::number(static_cast<std::int32_t>(info.ProductId.mid(2).toUInt(nullptr, 16)));
  const struct {
    const char* name;
    const char* caption;
    QString text;
  } rows[] = {
      {"L_METAVERSION", "MetaBlock Version: ", VersionText(info.MetaVersionMajor, info.MetaVersionMinor)},
      {"L_PRODUCTID", "Product ID: ", productId},
      {"L_PROCESSOR", "Processor: ", QString::number(info.Processor)},
      {"L_HVERSION", "Hardware Version: ", VersionText(info.HwVersionMajor, info.HwVersionMinor)},
      {"L_SVERSION", "Software Version: ", VersionText(info.SwVersionMajor, info.SwVersionMinor)},
      {"L_STARTADDR", "Start Address: ", info.StartAddress},
      {"L_STOPADDR", "Stop Address: ", info.StopAddress},
      {"L_ERASESIZE", "Erase Size: ", QString::number(info.EraseSize)},
      {"L_FILLVALUE", "Fill Value: ", info.FillValue},
      {"L_CHECKSUM", "Checksum: ", info.Checksum},
      {"L_BAUDRATE", "Baud Rate: ", QString::number(info.BaudRate)},
      {"L_PROGRAMSIZE", "Program Size: ", QString::number(info.ProgramSize)},
      {"Combo_Delay", "Delay: ", QString::number(info.Delay)},
  };
  for (const auto& row : rows) views->SetLabel(QString::fromLatin1(row.name), row.text);
  views->AppendEventLine(QStringLiteral("||----------------------------------Load Hex File-------------------------------||"));
  for (const auto& row : rows) views->AppendEventLine(QString::fromLatin1(row.caption) + row.text);
  return 0;
}

QString HexDigits(std::uint32_t value, int digits) {
  return QString::number(value, 16).toUpper().rightJustified(digits, u'0');
}
