// Every byte of an image lands at its own address in the device, end to end:
// images whose records do not line up with the blocks (a 12-byte first
// record, a program size of 100, one of 48, word addresses) streamed over the
// serial link one device at a time (0x10) and to the selected devices (0x20),
// and over TCP; the simulated bootloader keeps what it was sent by address.
#include <gtest/gtest.h>

#include <memory>

#include "support/QtPrinters.h"
#include "support/SerialRunFixture.h"

namespace {

using Kind = upgtest::Recorder::Kind;

struct Layout {
  const char* name;
  int programSize, first, size, ratio;
  bool rowsOf32;  // cut as any image is for a bootloader of version 2
};

// Image bytes [0, 0x3F0) from address 0, the meta block at byte 0x60.
const Layout kLayouts[] = {
    {"a 12-byte first record, then 16-byte records", 0, 12, 16, 1, true},
    {"program size 100 with 16-byte records", 100, 16, 16, 1, false},
    {"program size 48 with 16-byte records", 48, 16, 16, 1, false},
    {"word addresses, a 12-byte first record", 0, 12, 16, 2, true},
};
constexpr size_t kEnd = 0x3F0;

fw::RecordImage Image(const Layout& l, std::uint32_t productId = fw::Meta{}.productId) {
  fw::Meta meta;
  meta.baudRate = 38400;
  meta.delay = 0;
  meta.stop = 0x400;
  meta.programSize = static_cast<std::uint8_t>(l.programSize);
  meta.productId = productId;
  return fw::MakeRecordImage(meta, l.first, l.size, kEnd, l.ratio);
}

// What the device holds from the start address over the image's rows must
// be the image's bytes there (fill bytes between and after the records), and
// nothing beyond.
void ExpectImageInDevice(const sim::BootDevice& d, const fw::RecordImage& image, const upgradeTool& tool) {
  const int block = tool.Grid.BlockSize();
  const int rows = static_cast<int>((kEnd - 1) / static_cast<size_t>(block)) + 1;
  const std::vector<std::uint8_t> expected = fw::RowBytes(image, rows, block);
  const QByteArray held = sim::MemoryBytes(d, 0, static_cast<int>(expected.size()));
  for (size_t p = 0; p < expected.size(); ++p)
    ASSERT_EQ(static_cast<std::uint8_t>(held[static_cast<qsizetype>(p)]), expected[p]) << "byte 0x" << std::hex << p;
  ASSERT_FALSE(d.memory.empty());
  EXPECT_LT(d.memory.rbegin()->first, expected.size()) << "bytes beyond the image";
  EXPECT_EQ(tool.Grid.ImageRows(), rows);
}

struct SerialPlacement : ::testing::Test {
  std::unique_ptr<upgtest::SerialBench> bench;
  upgradeTool* tool = nullptr;

  // Devices are in the table before the load, as the page's load leaves them.
  void Bus(std::initializer_list<int> ids, int bootVersion, const Layout& l) {
    bench = std::make_unique<upgtest::SerialBench>(ids, 1);
    tool = &bench->tool;
    int row = 0;
    tool->DevGrid.SetRowCount(static_cast<int>(ids.size()) + 1);
    for (int id : ids) {
      serialrun::AddDevice(*tool, id, bootVersion, 1, ++row);
      bench->boot.Configure(id, [&](sim::BootDevice& d) { d.bytesPerAddress = l.ratio; });
    }
  }
};

TEST_F(SerialPlacement, OneDeviceAtATimeGetsEveryByteAtItsAddress) {
  for (const Layout& l : kLayouts) {
    if (!l.rowsOf32) continue;  // the program size does not count here
    SCOPED_TRACE(l.name);
    Bus({1}, 2, l);
    const fw::RecordImage image = Image(l);
    ASSERT_EQ(tool->LoadHexData(image.hex), 0) << bench->views.messages.join('\n').toStdString();
    EXPECT_EQ(tool->Grid.BlockSize(), 32) << "a bootloader of version 2 takes 32-byte blocks";
    ASSERT_EQ(tool->UpgradeDevice(1), 0) << bench->views.Texts().join('\n').toStdString();
    const sim::BootDevice d = bench->boot.Snapshot(1);
    EXPECT_TRUE(d.done);
    ExpectImageInDevice(d, image, *tool);
  }
}

TEST_F(SerialPlacement, SelectedDevicesTogetherGetEveryByteAtItsAddress) {
  for (const Layout& l : kLayouts) {
    SCOPED_TRACE(l.name);
    Bus({1, 2}, 3, l);
    const fw::RecordImage image = Image(l);
    ASSERT_EQ(tool->LoadHexData(image.hex), 0) << bench->views.messages.join('\n').toStdString();
    ASSERT_EQ(tool->RunV03Procedure(), 0) << bench->views.Texts().join('\n').toStdString();
    EXPECT_TRUE(bench->views.Texts(Kind::Red).isEmpty()) << bench->views.Texts(Kind::Red).join('\n').toStdString();
    for (int id : {1, 2}) {
      SCOPED_TRACE(id);
      const sim::BootDevice d = bench->boot.Snapshot(id);
      EXPECT_TRUE(d.done);
      ExpectImageInDevice(d, image, *tool);
    }
  }
}

TEST(TcpPlacement, TheDeviceGetsEveryByteAtItsAddressInBlocksOfTheRows) {
  for (const Layout& l : kLayouts) {
    SCOPED_TRACE(l.name);
    const fw::RecordImage image = Image(l);
    upgtest::TcpBench bench(image.meta.productId);
    bench.boot.Configure(1, [&](sim::BootDevice& d) { d.bytesPerAddress = l.ratio; });
    ASSERT_EQ(bench.tool.LoadHexData(image.hex), 0) << bench.views.messages.join('\n').toStdString();
    ASSERT_EQ(bench.tool.RunTcpProcedure(), 0) << bench.views.Texts().join('\n').toStdString();
    // Each block frame carries one row: its length byte is the row's size + 9.
    const int block = bench.tool.Grid.BlockSize();
    for (const sim::SimFrame& f : bench.sim.Frames())
      if (static_cast<std::uint8_t>(f.bytes[5]) == 0x20) ASSERT_EQ(f.bytes.size(), block + 16) << sim::HexText(f.bytes).toStdString();
    const sim::BootDevice d = bench.boot.Snapshot(1);
    EXPECT_TRUE(d.done);
    ExpectImageInDevice(d, image, bench.tool);
  }
}

}  // namespace
