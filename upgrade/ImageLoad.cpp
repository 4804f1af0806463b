// The HEX and BIN image loaders. Both take untrusted files: every record is
// checked against its line and the image's bounds before a byte is placed.
#include <algorithm>
#include <array>
#include <cstring>

#include "app/Myfunc.h"
#include "link/Modbus.h"
#include "upgrade/Upgrade.h"
#include "upgrade/UpgradeViews.h"

namespace {

// Digit values by character, -1 for a character that is no hex digit.
constexpr std::array<std::int8_t, 256> MakeDigits() {
  std::array<std::int8_t, 256> t{};
  for (int c = 0; c < 256; ++c)
    t[static_cast<size_t>(c)] = static_cast<std::int8_t>(c >= '0' && c <= '9'   ? c - '0'
                                                         : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                         : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                                                : -1);
  return t;
}
constexpr std::array<std::int8_t, 256> kDigits = MakeDigits();

int HexDigitValue(char c) { return kDigits[static_cast<std::uint8_t>(c)]; }

// Two hex digits at p, already checked to be digits.
std::uint8_t ByteAt(const char* p) { return static_cast<std::uint8_t>(HexDigitValue(p[0]) * 16 + HexDigitValue(p[1])); }

QString Hex4(std::uint32_t v) { return HexDigits(v & 0xFFFF, 4); }

// An address as the refusal messages name it, after "0x".
QString HexAddress(std::uint32_t address) { return QString::number(address, 16).toUpper(); }

constexpr int kBinBlock = 128;
constexpr std::uint32_t kBinBase = 0x80000000u;

}  // namespace

int upgradeTool::LoadHexData(const QByteArray& text) {
  BeginLoad();
  if (text.size() > kMaxHexFileBytes) {
    Message(QStringLiteral("Image Too Large"));
    return 1;
  }
  std::vector<HexStruct> records;
  records.reserve(static_cast<size_t>(std::min<std::int64_t>(text.size() / 43, kMaxHexRecords)) + 1);  // 16-byte records are the usual
  std::uint32_t base = 0;
  bool ended = false;  // the type-01 record was read
  // Under a type-02 base a record's addresses stay inside its 64 KiB
  // segment; kept by record index with the record's offset there.
  bool segmented = false;
  std::vector<std::pair<size_t, std::uint32_t>> inSegment;

  const char* p = text.constData();
  const char* const end = p + text.size();
  int lineNo = 0;
  while (p < end) {
    const char* eol = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    if (!eol) eol = end;
    const char* line = p;
    qsizetype n = eol - p;
    p = eol < end ? eol + 1 : end;
    ++lineNo;
    // CR LF files, and white space an editor left after a record.
    while (n > 0 && (line[n - 1] == '\r' || line[n - 1] == ' ' || line[n - 1] == '\t')) --n;
    if (n == 0 || line[0] != ':') continue;

    const auto where = [lineNo] { return QStringLiteral("Record Error: Line %1: ").arg(lineNo); };
    if (n < 11) {
      Log(where() + QStringLiteral("Too Short"));
      return 1;
    }
    int bad = 0;
    for (qsizetype i = 1; i < n; ++i) bad |= HexDigitValue(line[i]);
    if (bad < 0) {
      Log(where() + QStringLiteral("Not Hexadecimal"));
      return 1;
    }
    const int count = ByteAt(line + 1);
    if (count > HexStruct::kHexCapacity) {
      Log(where() + QStringLiteral("More Than 64 Data Bytes"));
      return 1;
    }
    if (n != 11 + 2 * count) {
      Log(where() + QStringLiteral("Byte Count Does Not Match The Line"));
      return 1;
    }
    // Count, address, type, data and checksum, as bytes.
    std::array<std::uint8_t, 5 + HexStruct::kHexCapacity> v;
    unsigned sum = 0;
    for (int i = 0; i < 5 + count; ++i) sum += v[static_cast<size_t>(i)] = ByteAt(line + 1 + 2 * i);
    if (sum & 0xFF) {
      Log(QStringLiteral("CheckSUM Error: ") + QString::fromLatin1(line + 3, 4));
      return 1;
    }
    const std::uint32_t address = (static_cast<std::uint32_t>(v[1]) << 8) | v[2];
    const int type = v[3];
    const std::uint8_t* data = v.data() + 4;
    if (type == 0x01) {
      ended = true;
      break;
    }
    if (type == 0x02 || type == 0x04) {
      if (count != 2) {
        Log(where() + QStringLiteral("Extended Address Record Without 2 Data Bytes"));
        return 1;
      }
      const std::uint32_t value = (static_cast<std::uint32_t>(data[0]) << 8) | data[1];
      base = type == 0x02 ? value * 16u : value * 65536u;
      segmented = type == 0x02;
    } else if (type == 0x00) {
      if (static_cast<std::int64_t>(records.size()) >= kMaxHexRecords) {
        Message(QStringLiteral("Image Too Large"));
        return 1;
      }
      if (segmented) inSegment.push_back({records.size(), address});
      HexStruct& rec = records.emplace_back();
      rec.Address = address + base;
      rec.Length = count;
      std::memcpy(rec.Data.data(), data, static_cast<size_t>(count));
    }
  }

  // A file without its end record was cut off (an interrupted copy or
  // download): what it lacks would be programmed as erased bytes.
  if (!ended) {
    Message(QStringLiteral("Hex File Has No End Record"));
    return 1;
  }

  const int index = FindMetaBlock(records);
  if (index < 0) {
    Message(QStringLiteral("No Meta Block"));
    return 1;
  }
  const QString metaError = ParseMetaBlock(Info, index, records);
  if (!metaError.isEmpty()) {
    Message(metaError);
    return 1;
  }
  ShowMetaBlockInfo(Views, Info);

  const std::uint32_t start = static_cast<std::uint32_t>(SafeStrToInt(Info.StartAddress));
  const std::uint32_t stop = static_cast<std::uint32_t>(SafeStrToInt(Info.StopAddress));
  const std::uint8_t fill = static_cast<std::uint8_t>(SafeStrToInt(Info.FillValue));

  // Devices whose bootloader did not report a version take 32-byte blocks.
  int blockSize = Info.ProgramSize >= 64 ? Info.ProgramSize : 32;
  for (int id = 1; id < kIds; ++id)
    if (DeviceId[id] == id && BootVersion[id] == 2) {
      blockSize = 32;
      Info.ProgramSize = 32;
      break;
    }

  // Bytes per address unit, from the first record that reaches its successor.
  std::uint32_t ratio = 0;
  size_t decidingPair = 0;
  for (size_t i = 0; i + 1 < records.size(); ++i) {
    const std::uint32_t diff = records[i + 1].Address - records[i].Address;
    if (static_cast<std::uint32_t>(records[i].Length) < diff) continue;
    if (diff == 0) {
      Message(QStringLiteral("Address Error: Two Records At Address 0x%1").arg(HexAddress(records[i].Address)));
      return 1;
    }
    ratio = static_cast<std::uint32_t>(records[i].Length) / diff;
    decidingPair = i;
    break;
  }
  if (ratio == 0) {
    Message(QStringLiteral("Address Error: No Contiguous Records"));
    return 1;
  }
  // A first pair that overlaps when read as bytes reads as words that touch.
  // When at least as many records follow each other exactly as bytes as
  // touch as words, the file is a byte file that gives the addresses of that
  // overlap two values.
  if (ratio > 1) {
    int asWords = 0, asBytes = 0;
    for (size_t i = decidingPair; i + 1 < records.size(); ++i) {
      const std::uint32_t diff = records[i + 1].Address - records[i].Address;
      const auto length = static_cast<std::uint32_t>(records[i].Length);
      if (length == 0) continue;
      asWords += length == static_cast<std::uint64_t>(diff) * ratio;
      asBytes += length == diff;
    }
    if (asBytes >= asWords) {
      Message(QStringLiteral("Address Error: Records Overlap At Address 0x%1").arg(HexAddress(records[decidingPair + 1].Address)));
      return 1;
    }
  }
  // Every later pair that touches or overlaps must read with the same ratio:
  // a first pair that overlaps gives one that the rest of the file does not.
  // A record repeated at its address says nothing of it.
  for (size_t i = decidingPair + 1; i + 1 < records.size(); ++i) {
    const std::uint32_t diff = records[i + 1].Address - records[i].Address;
    const auto length = static_cast<std::uint32_t>(records[i].Length);
    if (diff == 0 || length < diff || length / diff == ratio) continue;
    Message(QStringLiteral("Address Error: Record At 0x%1 Does Not Fit %2 Bytes Per Address")
                .arg(HexAddress(records[i + 1].Address))
                .arg(ratio));
    return 1;
  }
  // A segment's offsets wrap at FFFF; a record that runs past it has no
  // address that both the file and a linear bank agree on.
  for (const auto& [index, offset] : inSegment) {
    const HexStruct& rec = records[index];
    const std::uint64_t units = (static_cast<std::uint64_t>(rec.Length) + ratio - 1) / ratio;
    if (offset + units <= 0x10000) continue;
    Message(QStringLiteral("Address Error: Record At 0x%1 Runs Past Its Segment").arg(HexAddress(rec.Address)));
    return 1;
  }
  // Each row is one block of the image from its own address on: the row step
  // is the block's span in addresses, whatever the records' sizes, so that
  // no row carries the bytes of another address.
  if (static_cast<std::uint32_t>(blockSize) % ratio != 0) {
    Message(QStringLiteral("Address Error: Block Size %1 Is Not A Multiple Of %2 Bytes Per Address").arg(blockSize).arg(ratio));
    return 1;
  }
  const std::uint32_t rowStep = static_cast<std::uint32_t>(blockSize) / ratio;

  // Byte positions (address × bytes per address). The image takes every
  // byte of a record that begins below the stop address from the start
  // address on, also of one that begins below the start address.
  const std::uint64_t startPos = static_cast<std::uint64_t>(start) * ratio;
  const auto firstPos = [ratio](const HexStruct& rec) { return static_cast<std::uint64_t>(rec.Address) * ratio; };
  const auto endPos = [&](const HexStruct& rec) { return firstPos(rec) + static_cast<std::uint64_t>(rec.Length); };
  const auto placed = [&](const HexStruct& rec) { return rec.Address < stop && endPos(rec) > startPos; };

  // Image buffer: every grid row from start to the row that holds the last
  // placed byte, filled, then the records.
  std::uint64_t imageEnd = 0;  // buffer offset after the last placed byte
  for (const HexStruct& rec : records)
    if (placed(rec)) imageEnd = std::max(imageEnd, endPos(rec) - startPos);
  const std::uint64_t rows = (imageEnd + static_cast<std::uint64_t>(blockSize) - 1) / static_cast<std::uint64_t>(blockSize);
  if (rows == 0) {
    Message(QStringLiteral("Address Error: No Data Between Start And Stop Address"));
    return 1;
  }
  const std::uint64_t bufferSize = rows * static_cast<std::uint64_t>(blockSize);
  if (bufferSize > static_cast<std::uint64_t>(kMaxImageBytes)) {
    Message(QStringLiteral("Image Too Large"));
    return 1;
  }
  // A row that would begin at or past the stop address has no place in the bank.
  if (static_cast<std::uint64_t>(start) + (rows - 1) * rowStep >= stop) {
    for (const HexStruct& rec : records)
      if (placed(rec) && endPos(rec) - startPos > (rows - 1) * blockSize) {
        Message(QStringLiteral("Address Error: Record At 0x%1 Runs Past The Stop Address").arg(HexAddress(rec.Address)));
        return 1;
      }
  }
  // A file that gives one address two values cannot say which to program.
  std::vector<std::uint8_t> buffer(static_cast<size_t>(bufferSize), fill);
  std::vector<bool> given(static_cast<size_t>(bufferSize), false);
  for (const HexStruct& rec : records) {
    if (!placed(rec)) continue;
    const std::uint64_t from = std::max(firstPos(rec), startPos);
    for (std::uint64_t p = from; p < endPos(rec); ++p) {
      const size_t at = static_cast<size_t>(p - startPos);
      const std::uint8_t byte = rec.Data[static_cast<size_t>(p - firstPos(rec))];
      if (given[at] && buffer[at] != byte) {
        Message(QStringLiteral("Address Error: Two Values At Address 0x%1").arg(HexAddress(static_cast<std::uint32_t>(p / ratio))));
        return 1;
      }
      buffer[at] = byte;
      given[at] = true;
    }
  }

  // Rows whose erase unit (erase bytes from the row on) holds only FF get no
  // number: one backward pass counts the FF bytes from each row start on. A
  // row is only left out when every byte it would program is FF too.
  const std::uint64_t erase = static_cast<std::uint64_t>(std::max({Info.EraseSize, 128, blockSize}));
  std::vector<std::uint32_t> addresses(static_cast<size_t>(rows));
  std::vector<int> numbers(static_cast<size_t>(rows));
  std::uint64_t ffRun = 0;
  for (size_t i = buffer.size(); i-- > 0;) {
    ffRun = buffer[i] == 0xFF ? ffRun + 1 : 0;
    if (i % static_cast<size_t>(blockSize) == 0) {
      const size_t r = i / static_cast<size_t>(blockSize);
      addresses[r] = start + static_cast<std::uint32_t>(r) * rowStep;
      numbers[r] = ffRun >= erase ? 0 : static_cast<int>(r + 1);
    }
  }

  // Checksums: over every row (variant 0x10) and over the numbered rows (0x20).
  std::int32_t length10 = 0, length20 = 0;
  std::uint16_t crc10 = 0xFFFF, crc20 = 0xFFFF;
  for (size_t r = 0; r < rows; ++r) {
    const std::uint8_t* data = buffer.data() + r * static_cast<size_t>(blockSize);
    length10 += blockSize;
    crc10 = Modbus::Crc16Continue(data, blockSize, crc10 & 0xFF, crc10 >> 8);
    if (numbers[r]) {
      length20 += blockSize;
      crc20 = Modbus::Crc16Continue(data, blockSize, crc20 & 0xFF, crc20 >> 8);
    }
  }
  Grid.SetImage(blockSize, std::move(addresses), std::move(numbers), std::move(buffer), static_cast<int>(rows) + 2, blockSize + 3);

  Log(QStringLiteral("Hex Length: %1(0x10) / %2(0x20)").arg(length10).arg(length20));
  Log(QStringLiteral("Hex SUM CRC: 0x%1(0x10) / %2(0x20)").arg(Hex4(crc10), Hex4(crc20)));
  Info.Length10 = length10;
  Info.Crc10 = crc10;
  Info.Length20 = length20;
  Info.Crc20 = crc20;
  return 0;
}

int upgradeTool::LoadBinData(const QByteArray& bytes) {
  BeginLoad();
  if (bytes.size() > kMaxImageBytes) {
    Message(QStringLiteral("Image Too Large"));
    return 1;
  }
  // Bytes after the last whole block would never be programmed.
  if (bytes.size() % kBinBlock) {
    Message(QStringLiteral("BIN File Length Is Not A Multiple Of 128 Bytes"));
    return 1;
  }
  const size_t blocks = static_cast<size_t>(bytes.size() / kBinBlock);
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
  std::vector<HexStruct> records(blocks);
  for (size_t i = 0; i < blocks; ++i) {
    std::memcpy(records[i].Data.data(), data + i * kBinBlock, kBinBlock);
    records[i].Length = kBinBlock;
  }
  const int index = FindMetaBlock(records);
  Message(QString::number(index));
  if (index < 0) {
    Message(QStringLiteral("No Meta Block"));
    return 1;
  }
  const QString metaError = ParseMetaBlock(Info, index, records);
  if (!metaError.isEmpty()) {
    Message(metaError);
    return 1;
  }
  records = {};
  ShowMetaBlockInfo(Views, Info);

  std::vector<std::uint32_t> addresses(blocks);
  std::vector<int> numbers(blocks);
  for (size_t i = 0; i < blocks; ++i) {
    addresses[i] = kBinBase + static_cast<std::uint32_t>(i * kBinBlock);
    numbers[i] = static_cast<int>(i + 1);
  }
  std::int32_t length20 = 0;
  std::uint16_t crc20 = 0xFFFF;
  for (size_t i = 0; i < blocks; ++i) {
    const std::uint8_t* block = data + i * kBinBlock;
    length20 += kBinBlock;
    // Each block's CRC is seeded with the previous one, bytes exchanged.
    crc20 = Modbus::Crc16ContinueWord(block, kBinBlock, crc20);
    if (Views) {
      QString line;
      line.reserve(kBinBlock * 3 + 6);
      for (int k = 0; k < kBinBlock; ++k) {
        static const char kDigits[] = "0123456789ABCDEF";
        line += QLatin1Char(kDigits[block[k] >> 4]);
        line += QLatin1Char(kDigits[block[k] & 15]);
        line += u' ';
      }
      line += QStringLiteral("0x") + Hex4(crc20);
      Views->AppendUpgradeEvent(line);
    }
  }
  Grid.SetImage(kBinBlock, std::move(addresses), std::move(numbers),
                std::vector<std::uint8_t>(data, data + blocks * kBinBlock), static_cast<int>(blocks) + 1, 130);
  Log(QStringLiteral("Hex Length: %1(0x20)").arg(length20));
  Log(QStringLiteral("Hex SUM CRC: 0x%1(0x20)").arg(Hex4(crc20)));
  Info.Length20 = length20;
  Info.Crc20 = crc20;
  return 0;
}
