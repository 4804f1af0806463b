// The firmware image loaders: the meta report, grid, lengths and checksums of
// worked HEX and BIN images, reading blocks back, and bad images refused.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "support/FirmwareImage.h"
#include "support/QtPrinters.h"
#include "upgrade/Upgrade.h"

namespace {

using fw::Meta;

// 0x210 image bytes: the meta block at 0x10, an erase unit of FF at
// 0x100-0x17F, and a record at 0x200 that lies at the stop address.
std::vector<std::uint8_t> ExampleBytes(const Meta& meta) {
  std::vector<std::uint8_t> img(0x210);
  for (size_t a = 0; a < img.size(); ++a) img[a] = static_cast<std::uint8_t>(a * 7 + 3);
  const auto m = fw::MetaBytes(meta);
  std::copy(m.begin(), m.end(), img.begin() + 0x10);
  std::fill(img.begin() + 0x100, img.begin() + 0x180, 0xFF);
  return img;
}

// CR LF lines, byte records of 16, no record at 0xA0 (a gap), a type-03 line,
// and a line with a wrong checksum after the end record.
QByteArray ExampleHex(const Meta& meta) {
  const auto img = ExampleBytes(meta);
  QByteArray text = fw::HexLine(4, 0, {0x00, 0x00}) + "\r\n" + fw::HexLine(3, 0, {0, 0, 0, 0}) + "\r\n";
  text += fw::DataLines(0, {img.begin(), img.begin() + 0xA0}, 16);
  text += fw::DataLines(0xB0, {img.begin() + 0xB0, img.end()}, 16);
  text += fw::HexLine(1, 0, {}) + "\r\n:10000000FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF00\r\n";
  return text;
}

struct Loader : ::testing::Test {
  fw::Recorder views;
  upgradeTool tool;
  Loader() { tool.Views = &views; }
};

TEST_F(Loader, HexExampleGivesMetaReportGridLengthsAndChecksums) {
  ASSERT_EQ(tool.LoadHexData(ExampleHex(Meta{})), 0) << views.upgradeEvents.join('\n').toStdString();

  EXPECT_EQ(views.events, QStringList({"||----------------------------------Load Hex File-------------------------------||",
                                       "MetaBlock Version: 1.07", "Product ID: 71870541", "Processor: 2",
                                       "Hardware Version: 1.05", "Software Version: 2.23", "Start Address: 0x00000000",
                                       "Stop Address: 0x00000200", "Erase Size: 0", "Fill Value: 0xFF",
                                       "Checksum: 0xBEEF", "Baud Rate: 9600", "Program Size: 0", "Delay: 30"}));
  EXPECT_TRUE(views.trafficEvents.isEmpty()) << "the report is shown line by line, never cut by the traffic log's limit";
  EXPECT_EQ(views.labels["L_PRODUCTID"], "71870541");
  EXPECT_EQ(views.labels["Combo_Delay"], "30");
  EXPECT_EQ(tool.Info.ProductId, "0x0448A84D");
  EXPECT_EQ(tool.Info.StopAddress, "0x00000200");

  // Block size 32, ratio 1: two records a row; the last row starts at the
  // last record below the stop address; the gap holds the fill byte.
  std::vector<std::uint8_t> expected = ExampleBytes(Meta{});
  expected.resize(0x200);
  std::fill(expected.begin() + 0xA0, expected.begin() + 0xB0, 0xFF);
  const ImageGrid& g = tool.Grid;
  ASSERT_EQ(g.ImageRows(), 16);
  EXPECT_EQ(g.RowCount(), 18);
  EXPECT_EQ(g.ColumnCount(), 35);
  EXPECT_EQ(g.Cell(1, 0), "Address");
  EXPECT_EQ(g.Cell(2, 0), "1");
  EXPECT_EQ(g.Cell(0, 1), "1");
  EXPECT_EQ(g.Cell(1, 1), "00000000");
  EXPECT_EQ(g.Cell(1, 16), "000001E0");
  EXPECT_EQ(g.Cell(2, 6), "FF");
  EXPECT_EQ(g.Cell(0, 9), "") << "the erase unit at 0x100 holds only FF";
  EXPECT_EQ(g.Cell(0, 10), "10");
  EXPECT_EQ(g.Cell(1, 17), "");
  EXPECT_EQ(g.Cell(34, 1), "");
  for (int r = 1; r <= 16; ++r)
    for (int i = 0; i < 32; ++i) ASSERT_EQ(g.Byte(r, i), expected[static_cast<size_t>((r - 1) * 32 + i)]) << r << " " << i;

  std::vector<std::uint8_t> programmed(expected.begin(), expected.begin() + 0x100);
  programmed.insert(programmed.end(), expected.begin() + 0x120, expected.end());
  const auto crc10 = fw::RefCrc(expected.data(), expected.size());
  const auto crc20 = fw::RefCrc(programmed.data(), programmed.size());
  EXPECT_EQ(tool.Info.Length10, 512);
  EXPECT_EQ(tool.Info.Length20, 480);
  EXPECT_EQ(tool.Info.Crc10, crc10);
  EXPECT_EQ(tool.Info.Crc20, crc20);
  EXPECT_EQ(views.upgradeEvents,
            QStringList({"Hex Length: 512(0x10) / 480(0x20)",
                         QString::asprintf("Hex SUM CRC: 0x%04X(0x10) / %04X(0x20)", crc10, crc20)}));
  EXPECT_TRUE(views.messages.isEmpty());
}

TEST_F(Loader, BlocksOfAnImageAtAddressZeroReadBack) {
  ASSERT_EQ(tool.LoadHexData(ExampleHex(Meta{})), 0);
  ProgramBlock b;
  ASSERT_EQ(ReadProgramBlock(1, b, tool.Grid, 32, tool.Info.StopAddress), 0) << "address 0 is an image row";
  EXPECT_EQ(b.Address, 0u);
  EXPECT_EQ(b.NextAddress, 0x20u);
  EXPECT_EQ(b.Data[0], 3);
  ASSERT_EQ(ReadProgramBlock(8, b, tool.Grid, 32, tool.Info.StopAddress), 0);
  EXPECT_EQ(b.NextAddress, 0x120u) << "the FF row 9 is passed over";
  ASSERT_EQ(ReadProgramBlock(16, b, tool.Grid, 32, tool.Info.StopAddress), 0);
  EXPECT_EQ(b.NextAddress, 0x200u);
  ASSERT_EQ(ReadProgramBlock(16, b, tool.Grid, 32, "0x000001FF"), 0);
  EXPECT_EQ(b.NextAddress, 0x200u) << "an odd stop address is rounded up";
  EXPECT_EQ(ReadProgramBlock(17, b, tool.Grid, 32, tool.Info.StopAddress), 1);
  // Every row's next address is that of the next row with a number.
  for (int r = 1; r <= 16; ++r) {
    int next = r + 1;
    while (next <= 16 && tool.Grid.Cell(0, next).isEmpty()) ++next;
    ASSERT_EQ(ReadProgramBlock(r, b, tool.Grid, 32, tool.Info.StopAddress), 0);
    EXPECT_EQ(b.NextAddress, next <= 16 ? tool.Grid.Address(next) : 0x200u) << r;
  }

  EXPECT_EQ(FindAddressRow(0, tool.Grid), 1);
  EXPECT_EQ(FindAddressRow(0x105, tool.Grid), 9);
  EXPECT_EQ(FindAddressRow(0x1E0, tool.Grid), 16);
  EXPECT_EQ(FindAddressRow(0x1E1, tool.Grid), -1) << "above the last row's address";
}

TEST_F(Loader, WordAddressedRecordsUnderAnExtendedBase) {
  // 16-byte records whose addresses advance by 8: ratio 2, row step 16. The
  // base comes from a type-02 record and is repeated by a type-04 record.
  Meta meta;
  meta.start = 0x10000;
  meta.stop = 0x10100;
  std::vector<std::uint8_t> bytes(256);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i ^ 0x5A);
  const auto m = fw::MetaBytes(meta);
  std::copy(m.begin(), m.end(), bytes.begin() + 16);
  QByteArray text = fw::HexLine(2, 0, {0x10, 0x00}) + "\n";
  for (int k = 0; k < 16; ++k) {
    if (k == 8) text += fw::HexLine(4, 0, {0x00, 0x01}) + "\n";
    text += fw::HexLine(0, static_cast<std::uint16_t>(8 * k), {bytes.begin() + 16 * k, bytes.begin() + 16 * k + 16}) + "\n";
  }
  text += fw::HexLine(1, 0, {}) + "\n";
  ASSERT_EQ(tool.LoadHexData(text), 0) << views.messages.join('\n').toStdString();

  ASSERT_EQ(tool.Grid.ImageRows(), 8);
  EXPECT_EQ(tool.Grid.Cell(1, 1), "00010000");
  EXPECT_EQ(tool.Grid.Cell(1, 2), "00010010");
  for (int i = 0; i < 256; ++i) ASSERT_EQ(tool.Grid.Byte(1 + i / 32, i % 32), bytes[static_cast<size_t>(i)]) << i;
  EXPECT_EQ(tool.Info.Length10, 256);
  EXPECT_EQ(tool.Info.Crc10, fw::RefCrc(bytes.data(), bytes.size()));
  EXPECT_EQ(FindAddressRow(0xFFFF, tool.Grid), 0);
  EXPECT_EQ(FindAddressRow(0x10018, tool.Grid), 2);
}

// Rows are cut from the image by address: each holds the block of bytes
// from its own address on, whatever the sizes of the records were.
TEST_F(Loader, EveryRowHoldsTheBytesOfItsOwnAddresses) {
  struct Case {
    const char* name;
    int programSize, first, size;
    size_t end;  // image bytes from the start address
    int ratio;
    std::uint32_t stop;
    int block;
  };
  const Case cases[] = {
      {"16-byte records", 0, 16, 16, 0x3F0, 1, 0x400, 32},
      {"a 12-byte first record, then 16-byte records", 0, 12, 16, 0x3F0, 1, 0x400, 32},
      {"program size 100 with 16-byte records", 100, 16, 16, 0x3F0, 1, 0x400, 100},
      {"program size 48: rows of 32", 48, 16, 16, 0x3F0, 1, 0x400, 32},
      {"records longer than a row", 0, 64, 64, 0x3F0, 1, 0x400, 32},
      {"word addresses, program size 100", 100, 16, 16, 0x3F0, 2, 0x400, 100},
      {"word addresses, a 12-byte first record", 0, 12, 16, 0x3F0, 2, 0x400, 32},
      {"the last record runs on into a row of its own", 0, 12, 16, 0x40C, 1, 0x500, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Meta meta;
    meta.programSize = static_cast<std::uint8_t>(c.programSize);
    meta.stop = c.stop;
    const fw::RecordImage image = fw::MakeRecordImage(meta, c.first, c.size, c.end, c.ratio);
    views = {};
    ASSERT_EQ(tool.LoadHexData(image.hex), 0) << views.messages.join('\n').toStdString();
    const int rows = static_cast<int>((c.end - 1) / static_cast<size_t>(c.block)) + 1;
    ASSERT_EQ(tool.Grid.BlockSize(), c.block);
    ASSERT_EQ(tool.Grid.ImageRows(), rows);
    const std::vector<std::uint8_t> expected = fw::RowBytes(image, rows, c.block);
    for (int r = 1; r <= rows; ++r) {
      ASSERT_EQ(tool.Grid.Address(r), static_cast<std::uint32_t>((r - 1) * c.block / c.ratio)) << "row " << r;
      for (int i = 0; i < c.block; ++i) {
        const std::uint8_t b = expected[static_cast<size_t>((r - 1) * c.block + i)];
        ASSERT_EQ(tool.Grid.Byte(r, i), b) << "row " << r << " byte " << i;
        ASSERT_EQ(tool.Grid.Cell(2 + i, r), QString::asprintf("%02X", b)) << "row " << r << " byte " << i;
      }
    }
    EXPECT_EQ(tool.Info.Length10, rows * c.block);
    EXPECT_EQ(tool.Info.Crc10, fw::RefCrc(expected.data(), expected.size()));
    // A device asking for an address inside a row gets that row.
    EXPECT_EQ(FindAddressRow(static_cast<std::uint32_t>(c.end / 2 / static_cast<size_t>(c.ratio)), tool.Grid),
              static_cast<int>(c.end / 2 / static_cast<size_t>(c.block)) + 1);
  }
}

TEST_F(Loader, SegmentRecordMayEndAtOffsetFFFF) {
  const QByteArray text = fw::HexLine(2, 0, {0x00, 0x00}) + "\r\n" + fw::HexLine(0, 0xFFF0, std::vector<std::uint8_t>(16, 0x11)) +
                          "\r\n" + ExampleHex(Meta{});
  ASSERT_EQ(tool.LoadHexData(text), 0) << views.messages.join('\n').toStdString();
  EXPECT_EQ(tool.Info.Length10, 512);
}

TEST_F(Loader, RecordLinesMayEndInWhiteSpace) {
  QByteArray text;
  for (const QByteArray& line : ExampleHex(Meta{}).split('\n'))
    if (!line.isEmpty()) text += line.chopped(1) + " \t \r\n";
  ASSERT_EQ(tool.LoadHexData(text), 0) << views.upgradeEvents.join('\n').toStdString();
  EXPECT_EQ(tool.Info.Length10, 512);
  EXPECT_EQ(tool.Grid.Byte(1, 0), 3);
  // Text after a record's last digit that is not white space is still refused.
  views = {};
  EXPECT_EQ(tool.LoadHexData(fw::HexLine(0, 0, std::vector<std::uint8_t>(16, 1)) + " x\r\n" + ExampleHex(Meta{})), 1);
  EXPECT_EQ(views.upgradeEvents, QStringList({"Record Error: Line 1: Not Hexadecimal"}));
}

TEST_F(Loader, BlockSizeIsThirtyTwoWhileABootloaderHasNotAnswered) {
  Meta meta;
  meta.programSize = 128;
  ASSERT_EQ(tool.LoadHexData(ExampleHex(meta)), 0);
  EXPECT_EQ(tool.Grid.BlockSize(), 128);
  EXPECT_EQ(tool.Grid.ColumnCount(), 131);
  EXPECT_EQ(tool.Info.ProgramSize, 128);

  tool.DeviceId[7] = 7;
  tool.BootVersion[7] = 2;
  ASSERT_EQ(tool.LoadHexData(ExampleHex(meta)), 0);
  EXPECT_EQ(tool.Grid.BlockSize(), 32);
  EXPECT_EQ(tool.Info.ProgramSize, 32);
  EXPECT_EQ(views.labels["L_PROGRAMSIZE"], "128") << "the label shows the meta block's value";
}

TEST_F(Loader, BinExampleGivesChainedChecksumAndBlockLines) {
  std::vector<std::uint8_t> bin(384);
  for (size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<std::uint8_t>(i % 3 == 0 ? 0x11 : i);
  const auto m = fw::MetaBytes(Meta{});
  std::copy(m.begin(), m.end(), bin.begin() + 228);  // first marker in block 1, second in block 2
  ASSERT_EQ(tool.LoadBinData(QByteArray(reinterpret_cast<const char*>(bin.data()), 384)), 0);

  EXPECT_EQ(views.messages, QStringList({"1"}));
  EXPECT_EQ(views.events.size(), 14);
  EXPECT_EQ(views.events.value(1), "MetaBlock Version: 1.07");
  QStringList lines;
  std::uint16_t crc = 0xFFFF;
  for (int b = 0; b < 3; ++b) {
    crc = fw::RefCrc(bin.data() + 128 * b, 128, static_cast<std::uint16_t>((crc >> 8) | (crc << 8)));
    QString line;
    for (int i = 0; i < 128; ++i) line += QString::asprintf("%02X ", bin[static_cast<size_t>(128 * b + i)]);
    lines << line + QString::asprintf("0x%04X", crc);
  }
  EXPECT_NE(crc, fw::RefCrc(bin.data(), bin.size()));
  lines << "Hex Length: 384(0x20)" << QString::asprintf("Hex SUM CRC: 0x%04X(0x20)", crc);
  EXPECT_EQ(views.upgradeEvents, lines);
  EXPECT_EQ(tool.Info.Length20, 384);
  EXPECT_EQ(tool.Info.Crc20, crc);

  const ImageGrid& g = tool.Grid;
  EXPECT_EQ(g.RowCount(), 4);
  EXPECT_EQ(g.ColumnCount(), 130);
  EXPECT_EQ(g.Cell(1, 1), "80000000");
  // Each block at its own address, byte for byte.
  for (int r = 1; r <= 3; ++r) {
    EXPECT_EQ(g.Address(r), 0x80000000u + 128u * static_cast<std::uint32_t>(r - 1)) << r;
    for (int i = 0; i < 128; ++i) ASSERT_EQ(g.Byte(r, i), bin[static_cast<size_t>(128 * (r - 1) + i)]) << r << " " << i;
  }
  EXPECT_EQ(g.Cell(0, 3), "3");
  EXPECT_EQ(g.Cell(129, 3), QString::asprintf("%02X", bin[383]));
  ProgramBlock b;
  ASSERT_EQ(ReadProgramBlock(3, b, g, 128, "0xF0000000"), 0);
  EXPECT_EQ(b.Address, 0x80000100u);
  EXPECT_EQ(b.NextAddress, 0xF0000000u);
  EXPECT_EQ(ReadProgramBlock(4, b, g, 128, "0xF0000000"), 1);
  EXPECT_EQ(FindAddressRow(0x80000085, g), 2);
  EXPECT_EQ(FindAddressRow(0x80000200, g), -1);
}

TEST_F(Loader, FilesAreReadFromPathsOfAnyLength) {
  QTemporaryDir dir;
  QString folder = dir.path();
  while (folder.size() < 600) folder += "/" + QString(100, u'd');
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString path = folder + "/" + QString(200, u'f') + ".hex";
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(ExampleHex(Meta{}));
  f.close();
  EXPECT_EQ(tool.LoadHex(path), 0);
  EXPECT_EQ(tool.Info.Length10, 512);
  EXPECT_EQ(tool.LoadHex(folder + "/missing.hex"), 1);
  EXPECT_EQ(tool.Info.Length10, 0);
}

// ---- Bad images ----------------------------------------------------------

std::vector<std::uint8_t> Stream(size_t size, size_t metaAt, const Meta& meta = {}) {
  std::vector<std::uint8_t> s(size);
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<std::uint8_t>(i * 13 + 1);
  const auto m = fw::MetaBytes(meta);
  std::copy(m.begin(), m.end(), s.begin() + static_cast<long>(metaAt));
  return s;
}

QByteArray WithMeta(void (*change)(Meta&)) {
  Meta meta;
  change(meta);
  return ExampleHex(meta);
}

QByteArray Bin(const std::vector<std::uint8_t>& b) { return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size())); }

struct BadImage {
  const char* name;
  bool bin;
  QByteArray data;
  QStringList log, messages;
};

std::vector<BadImage> BadImages() {
  const QByteArray good = ExampleHex(Meta{});
  const QByteArray eol = "\r\n";
  QByteArray shortCount = fw::HexLine(0, 0, std::vector<std::uint8_t>(16, 1));
  shortCount.remove(20, 2);
  QByteArray badSum = fw::HexLine(0, 0x40, std::vector<std::uint8_t>(16, 1));
  badSum[badSum.size() - 1] = badSum.endsWith('0') ? '1' : '0';
  const auto example = ExampleBytes(Meta{});
  const QByteArray duplicate = fw::HexLine(0, 0, {example.begin(), example.begin() + 16}) + eol + good;

  QByteArray gapped;  // every record half a row from the next: no two touch
  {
    const auto s = Stream(512, 16);
    for (int k = 0; k < 32; ++k) gapped += fw::HexLine(0, static_cast<std::uint16_t>(32 * k), {s.begin() + 16 * k, s.begin() + 16 * k + 16}) + eol;
  }
  Meta wide;  // 32 MB from start to the last record
  wide.stop = 0x02000000;
  QByteArray tooLarge = ExampleHex(wide);
  tooLarge.insert(tooLarge.indexOf(":00000001FF"), fw::HexLine(4, 0, {0x01, 0xFF}) + eol + fw::HexLine(0, 0xFFF0, std::vector<std::uint8_t>(16, 0)) + eol);
  Meta farStart;
  farStart.start = 0x1000;
  farStart.stop = 0x2000;
  const QByteArray end = fw::HexLine(1, 0, {});
  // The example as an interrupted copy leaves it: cut at a line end.
  const QByteArray noEnd = good.left(good.indexOf(end));
  const QByteArray cut = good.left(good.indexOf(fw::HexLine(0, 0x120, {example.begin() + 0x120, example.begin() + 0x130})));
  // A record under a segment base whose last bytes would lie past offset FFFF.
  const QByteArray pastSegment = fw::HexLine(2, 0, {0x00, 0x00}) + eol + fw::HexLine(0, 0xFFF8, std::vector<std::uint8_t>(16, 0x11)) + eol + good;
  // 16-byte records of words, 8 addresses apart, the first two overlapping
  // by four words with equal bytes: the first pair alone reads as 4 bytes an
  // address, every later pair as 2.
  QByteArray wordsOverlap;
  {
    const auto s = Stream(0x200, 0x100);
    const auto rec = [&s](std::uint16_t address) {
      return fw::HexLine(0, address, {s.begin() + 2 * address, s.begin() + 2 * address + 16}) + "\r\n";
    };
    wordsOverlap = rec(0) + rec(4);
    for (std::uint16_t a = 8; a < 0x100; a += 8) wordsOverlap += rec(a);
    wordsOverlap += end;
  }

  return {
      {"record longer than 64 bytes", false, fw::HexLine(0, 0, std::vector<std::uint8_t>(65, 0)) + eol + good,
       {"Record Error: Line 1: More Than 64 Data Bytes"}, {}},
      {"count disagrees with the line", false, shortCount + eol + good, {"Record Error: Line 1: Byte Count Does Not Match The Line"}, {}},
      {"line only a colon", false, ":\r\n" + good, {"Record Error: Line 1: Too Short"}, {}},
      {"not hexadecimal", false, ":10000000ZZ" + QByteArray(32, '0') + eol + good, {"Record Error: Line 1: Not Hexadecimal"}, {}},
      {"wrong checksum", false, badSum + eol + good, {"CheckSUM Error: 0040"}, {}},
      {"address difference 0", false, duplicate, {}, {"Address Error: Two Records At Address 0x0"}},
      // 16 bytes at 0, then 16 other bytes at 8: read as words they touch,
      // but the records after them follow each other as bytes.
      {"first pair overlaps as bytes", false,
       fw::HexLine(0, 0, {example.begin(), example.begin() + 16}) + eol + fw::HexLine(0, 8, std::vector<std::uint8_t>(16, 0xAA)) + eol +
           fw::DataLines(0x10, {example.begin() + 0x10, example.begin() + 0x200}, 16) + fw::HexLine(1, 0, {}),
       {}, {"Address Error: Records Overlap At Address 0x8"}},
      {"no two records touch", false, gapped + fw::HexLine(1, 0, {}), {}, {"Address Error: No Contiguous Records"}},
      {"record runs past the stop address", false,
       fw::DataLines(0, {example.begin(), example.begin() + 0x1F8}, 16) + fw::HexLine(0, 0x1F8, std::vector<std::uint8_t>(16, 0)) + eol + end,
       {}, {"Address Error: Record At 0x1F8 Runs Past The Stop Address"}},
      {"word addresses in an odd block", false, [] {
         Meta m;
         m.programSize = 65;
         return fw::MakeRecordImage(m, 16, 16, 0x1F0, 2).hex;
       }(), {}, {"Address Error: Block Size 65 Is Not A Multiple Of 2 Bytes Per Address"}},
      {"no data between start and stop", false, ExampleHex(farStart), {}, {"Address Error: No Data Between Start And Stop Address"}},
      {"image too large", false, tooLarge, {}, {"Image Too Large"}},
      {"no end record", false, noEnd, {}, {"Hex File Has No End Record"}},
      {"cut off at a line end", false, cut, {}, {"Hex File Has No End Record"}},
      {"ratio of the first pair only", false, wordsOverlap, {}, {"Address Error: Record At 0x10 Does Not Fit 4 Bytes Per Address"}},
      {"segment record past offset FFFF", false, pastSegment, {}, {"Address Error: Record At 0xFFF8 Runs Past Its Segment"}},
      {"segment address of 1 byte", false, fw::HexLine(2, 0, {0x10}) + eol + good,
       {"Record Error: Line 1: Extended Address Record Without 2 Data Bytes"}, {}},
      {"linear address of 1 byte", false, ":0100000401FA" + eol + good,
       {"Record Error: Line 1: Extended Address Record Without 2 Data Bytes"}, {}},
      {"linear address of 3 bytes", false, fw::HexLine(4, 0, {0x00, 0x00, 0x01}) + eol + good,
       {"Record Error: Line 1: Extended Address Record Without 2 Data Bytes"}, {}},
      {"no meta block", false, fw::DataLines(0, std::vector<std::uint8_t>(512, 0x42), 16) + end, {}, {"No Meta Block"}},
      // The second marker begins right after the first: no room for 27 bytes.
      {"meta block too short", false, [] {
         auto s = Stream(512, 0);
         std::copy(kMetaMarker1.begin(), kMetaMarker1.end(), s.begin() + 25);
         std::copy(kMetaMarker2.begin(), kMetaMarker2.end(), s.begin() + 32);
         return fw::DataLines(0, s, 16) + fw::HexLine(1, 0, {});
       }(), {}, {"Meta Block Error: Meta Block Too Short"}},
      // Second marker three 64-byte records on: past the 200 bytes collected.
      {"second marker out of reach", false, [] {
         auto s = Stream(512, 0);
         std::copy(kMetaMarker1.begin(), kMetaMarker1.end(), s.begin() + 64 + 57);
         std::copy(kMetaMarker2.begin(), kMetaMarker2.end(), s.begin() + 256 + 57);
         return fw::DataLines(0, s, 64) + fw::HexLine(1, 0, {});
       }(), {}, {"Meta Block Error: Second Marker Missing"}},
      {"processor 10", false, WithMeta([](Meta& m) { m.processor = 10; }), {}, {"Meta Block Error: Processor 10 Out Of Range"}},
      {"boot speed 0", false, WithMeta([](Meta& m) { m.baudRate = 0; }), {}, {"Meta Block Error: Baud Rate 0 Not Supported"}},
      {"boot speed below 4800", false, WithMeta([](Meta& m) { m.baudRate = 4799; }), {}, {"Meta Block Error: Baud Rate 4799 Not Supported"}},
      {"boot speed above 38400", false, WithMeta([](Meta& m) { m.baudRate = 57600; }), {}, {"Meta Block Error: Baud Rate 57600 Not Supported"}},
      // Within the range but no speed the link can be set to.
      {"boot speed 14400", false, WithMeta([](Meta& m) { m.baudRate = 14400; }), {}, {"Meta Block Error: Baud Rate 14400 Not Supported"}},
      {"boot speed 9601", false, WithMeta([](Meta& m) { m.baudRate = 9601; }), {}, {"Meta Block Error: Baud Rate 9601 Not Supported"}},
      {"program size 247", false, WithMeta([](Meta& m) { m.programSize = 247; }), {}, {"Meta Block Error: Program Size 247 Out Of Range"}},
      {"BIN with a partial block", true, Bin(Stream(1000, 228)), {}, {"BIN File Length Is Not A Multiple Of 128 Bytes"}},
      {"BIN shorter than a block", true, Bin(Stream(100, 10)), {}, {"BIN File Length Is Not A Multiple Of 128 Bytes"}},
      {"BIN empty", true, QByteArray(), {}, {"-1", "No Meta Block"}},
      {"BIN processor 12", true, [] {
         Meta m;
         m.processor = 12;
         return Bin(Stream(384, 228, m));
       }(), {}, {"1", "Meta Block Error: Processor 12 Out Of Range"}},
  };
}

TEST_F(Loader, BadImagesAreRefusedAndLeaveNothingToSend) {
  for (const BadImage& bad : BadImages()) {
    SCOPED_TRACE(bad.name);
    ASSERT_EQ(tool.LoadHexData(ExampleHex(Meta{})), 0);
    ASSERT_GT(tool.Info.Length10, 0);
    views = {};
    EXPECT_EQ(bad.bin ? tool.LoadBinData(bad.data) : tool.LoadHexData(bad.data), 1);
    EXPECT_EQ(views.upgradeEvents, bad.log);
    EXPECT_EQ(views.messages, bad.messages);
    EXPECT_EQ(views.startStates, std::vector<bool>({false}));
    EXPECT_EQ(tool.Info.Length10, 0);
    EXPECT_EQ(tool.Info.Crc10, 0);
    EXPECT_EQ(tool.Info.Length20, 0);
    EXPECT_EQ(tool.Info.Crc20, 0);
    EXPECT_EQ(tool.Grid.ImageRows(), 0);
    ProgramBlock b;
    EXPECT_EQ(ReadProgramBlock(1, b, tool.Grid, 32, "0x200"), 1);
  }
}

}  // namespace
