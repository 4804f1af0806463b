// Every byte of an image lands at its own address in the device, end to end,
// for every layout the loader takes: program sizes from 32 to the largest,
// byte and word addresses, the start address at, inside and before the first
// record, fill stretches (left out of the file) at the start, middle and end
// of a row and across rows, a last partial row, records longer than a block.
// Each is streamed over the serial link one device at a time (0x10), to the
// selected devices together (0x20) and over TCP; the simulated bootloader
// keeps what it was sent byte by byte. A layout the loader refuses sends
// nothing to any device: a file cut off at a line end, and a word file whose
// first two records overlap.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

#include "support/ImageLayout.h"
#include "support/QtPrinters.h"
#include "support/SerialRunFixture.h"
#include "upgrade/UpgradeRun.h"

namespace {

using Kind = upgtest::Recorder::Kind;
using layout::Stretch;

struct Layout {
  const char* name;
  int programSize = 0;
  int eraseSize = 0;
  int ratio = 1;                                 // bytes per address
  std::uint32_t start = 0;                       // meta start address (the stop is 0x400)
  std::vector<Stretch> data = {{0, 0x3F0}};      // what the file gives, by byte position
  int recordSize = 16;
  int firstRecord = 0;                           // the file's first record, when its size differs
  std::uint8_t fill = 0xFF;
  std::int64_t clash = -1;                       // a later record giving other bytes at this position
  const char* refusal = nullptr;                 // the load's message when the layout is refused
  QByteArray (*edit)(const layout::FileImage&) = nullptr;  // the file as it reaches the tool, when not as built
};

// An interrupted copy or download: the file up to the end of its 30th line.
QByteArray CutAtALineEnd(const layout::FileImage& f) {
  qsizetype at = 0;
  for (int i = 0; i < 30; ++i) at = f.hex.indexOf("\r\n", at) + 2;
  return f.hex.left(at);
}

// A record at address 4 after the first one (addresses 0 to 7): four words
// of each overlap, with equal bytes.
QByteArray FirstTwoRecordsOverlapByFourWords(const layout::FileImage& f) {
  std::vector<std::uint8_t> bytes;
  for (size_t p = 8; p < 24; ++p) bytes.push_back(static_cast<std::uint8_t>(f.bytes[p]));
  const qsizetype second = f.hex.indexOf("\r\n") + 2;
  return f.hex.left(second) + fw::HexLine(0, 4, bytes) + "\r\n" + f.hex.mid(second);
}

const Layout kLayouts[] = {
    {.name = "Size32FirstRecord12", .firstRecord = 12},
    {.name = "Size48", .programSize = 48},
    {.name = "Size64", .programSize = 64},
    {.name = "Size100", .programSize = 100},
    {.name = "Size128", .programSize = 128},
    // The row at 0x190 begins with 128 bytes of fill; data follows in it.
    {.name = "Size200FillFirst128OfARow", .programSize = 200, .data = {{0, 0x190}, {0x210, 0x3F0}}},
    {.name = "Size246FillFirst138OfARow", .programSize = 246, .data = {{0, 0xF6}, {0x180, 0x3F0}}},
    {.name = "Size246FillAcrossRows", .programSize = 246, .data = {{0, 0x100}, {0x2F0, 0x3F0}}},
    {.name = "WordsSize32FirstRecord12", .ratio = 2, .firstRecord = 12},
    {.name = "WordsSize128", .programSize = 128, .ratio = 2},
    {.name = "WordsSize200FillFirst128OfARow", .programSize = 200, .ratio = 2, .data = {{0, 0x190}, {0x210, 0x3F0}}},
    {.name = "StartInsideFirstRecord", .programSize = 64, .start = 0x8},
    {.name = "WordsStartInsideFirstRecord", .programSize = 64, .ratio = 2, .start = 0x4},
    {.name = "StartBeforeFirstRecord", .programSize = 64, .data = {{0x20, 0x3F0}}},
    // The first rows are a whole erase unit of fill: the streams that leave
    // such rows out must leave them out from the first row on.
    {.name = "StartInAStretchOfFill", .programSize = 64, .start = 0x100, .data = {{0, 0x100}, {0x200, 0x3F0}}},
    {.name = "FillAtRowStart", .programSize = 64, .data = {{0, 0x100}, {0x120, 0x3F0}}},
    {.name = "FillInRowMiddle", .programSize = 64, .data = {{0, 0x110}, {0x130, 0x3F0}}},
    {.name = "FillAtRowEnd", .programSize = 64, .data = {{0, 0x120}, {0x140, 0x3F0}}},
    {.name = "FillAcrossRowsWholeEraseUnits", .programSize = 64, .eraseSize = 128, .data = {{0, 0x100}, {0x200, 0x3F0}}},
    {.name = "FillAcrossRowsEraseUnitReachesData", .programSize = 64, .eraseSize = 255, .data = {{0, 0x100}, {0x1C0, 0x3F0}}},
    {.name = "FillZeroAcrossRows", .programSize = 64, .data = {{0, 0x100}, {0x200, 0x3F0}}, .fill = 0x00},
    {.name = "LastPartialRow", .programSize = 128, .data = {{0, 0x39C}}},
    {.name = "OddRecordSizes", .programSize = 100, .recordSize = 7},
    {.name = "RecordsLongerThanABlock", .recordSize = 64},
    {.name = "WordsRecordsLongerThanABlock", .programSize = 48, .ratio = 2, .recordSize = 64},
    {.name = "RecordGivesAnAddressAnotherValue", .programSize = 64, .clash = 0x100,
     .refusal = "Address Error: Two Values At Address 0x100"},
    {.name = "CutAtALineEnd", .programSize = 64, .refusal = "Hex File Has No End Record", .edit = CutAtALineEnd},
    {.name = "WordsFirstTwoRecordsOverlap", .ratio = 2,
     .refusal = "Address Error: Record At 0x10 Does Not Fit 4 Bytes Per Address", .edit = FirstTwoRecordsOverlapByFourWords},
};

constexpr std::uint32_t kMetaAt = 0x60;  // from the first stretch's start

layout::FileImage Image(const Layout& l) {
  fw::Meta meta;
  meta.baudRate = 38400;
  meta.delay = 0;
  meta.start = l.start;
  meta.stop = 0x400;
  meta.programSize = static_cast<std::uint8_t>(l.programSize);
  meta.eraseSize = static_cast<std::uint8_t>(l.eraseSize);
  meta.fill = l.fill;
  layout::FileImage image = layout::Build(meta, l.ratio, l.data, l.recordSize, l.firstRecord, l.data.front().from + kMetaAt, l.clash);
  if (l.edit) image.hex = l.edit(image);
  return image;
}

enum class Stream { OneByOne, Together, Tcp };

struct Case {
  const Layout* layout;
  Stream stream;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.layout->name; }

std::vector<Case> AllCases() {
  std::vector<Case> out;
  for (const Layout& l : kLayouts)
    for (Stream s : {Stream::OneByOne, Stream::Together, Stream::Tcp}) out.push_back({&l, s});
  return out;
}

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  const char* stream = info.param.stream == Stream::OneByOne ? "OneByOne0x10"
                       : info.param.stream == Stream::Together ? "Together0x20"
                                                                : "Tcp";
  return std::string(info.param.layout->name) + "_" + stream;
}

struct ImagePlacement : ::testing::TestWithParam<Case> {
  // The load, then the stream's procedure; a refused layout instead gets
  // the start button's run, which must send nothing.
  template <typename Bench>
  void LoadAndRun(Bench& bench, const layout::FileImage& image, const std::function<int()>& run,
                  const std::function<int()>& start) {
    const Layout& l = *GetParam().layout;
    const int loaded = bench.tool.LoadHexData(image.hex);
    bench.sim.ClearFrames();
    if (l.refusal) {
      EXPECT_EQ(loaded, 1);
      ASSERT_FALSE(bench.views.messages.isEmpty());
      EXPECT_EQ(bench.views.messages.front(), l.refusal);
      EXPECT_EQ(start(), UpgradeNotStarted);
      EXPECT_TRUE(bench.Frames().isEmpty()) << "a refused image reached a device";
      return;
    }
    ASSERT_EQ(loaded, 0) << bench.views.messages.join('\n').toStdString();
    ASSERT_EQ(run(), 0) << bench.views.Texts().join('\n').toStdString();
    const sim::BootDevice d = bench.boot.Snapshot(1);
    EXPECT_TRUE(d.done);
    EXPECT_EQ(layout::Mismatch(image, d), "");
  }
};

TEST_P(ImagePlacement, EveryByteOfTheFileIsAtItsAddressInTheDevice) {
  const Case c = GetParam();
  const Layout& l = *c.layout;
  const layout::FileImage image = Image(l);
  if (c.stream == Stream::Tcp) {
    upgtest::TcpBench bench(image.meta.productId);
    bench.boot.Configure(1, [&](sim::BootDevice& d) { d.bytesPerAddress = l.ratio; });
    LoadAndRun(bench, image, [&] { return bench.tool.RunTcpProcedure(); }, [&] { return RunTcpUpgrade(bench.tool); });
    // Each block frame carries one row: its length byte is the row's size + 9.
    const int block = bench.tool.Grid.BlockSize();
    for (const sim::SimFrame& f : bench.sim.Frames())
      if (static_cast<std::uint8_t>(f.bytes[5]) == 0x20) ASSERT_EQ(f.bytes.size(), block + 16) << sim::HexText(f.bytes).toStdString();
    return;
  }
  // The device is in the table before the load, as the page's load leaves
  // it; a bootloader of version 2 makes every image 32-byte blocks.
  const bool oneByOne = c.stream == Stream::OneByOne;
  upgtest::SerialBench bench({1}, 1);
  bench.tool.DevGrid.SetRowCount(2);
  serialrun::AddDevice(bench.tool, 1, oneByOne ? 2 : 3, 1, 1);
  bench.boot.Configure(1, [&](sim::BootDevice& d) { d.bytesPerAddress = l.ratio; });
  LoadAndRun(bench, image, [&] { return oneByOne ? bench.tool.UpgradeDevice(1) : bench.tool.RunV03Procedure(); },
             [&] { return RunSerialUpgrade(bench.tool); });
  if (l.refusal) return;
  if (oneByOne) EXPECT_EQ(bench.tool.Grid.BlockSize(), 32);
  EXPECT_TRUE(bench.views.Texts(Kind::Red).isEmpty()) << bench.views.Texts(Kind::Red).join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Layouts, ImagePlacement, ::testing::ValuesIn(AllCases()), CaseName);

}  // namespace
