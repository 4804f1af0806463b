// Streaming an image to devices in their bootloaders: the wait after each
// block, retry requests taken from the wire (bounded, counted, rewinding the
// stream in both variants, also after the last block), the bank-close
// acknowledgement search, and runs refused before the first block.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>

#include "support/QtPrinters.h"
#include "support/SerialRunFixture.h"

namespace {

using namespace serialrun;
using sim::BootReply;
using sim::Bytes;
using sim::Le32Bytes;
using Kind = upgtest::Recorder::Kind;

TEST(BlockWait, BlockTimeAtTheBootSpeedPlusDelayAndAMarginForOneOrMoreDevices) {
  struct Case {
    int n, baud, delay, devices, wait;
  };
  const Case cases[] = {
      {128, 38400, 0, 1, 36 + 5},       // (1,280,000 + 120,000) / 38,400 = 36
      {128, 38400, 0, 2, 36 + 50},      // two or more devices leave room for both
      {128, 38400, 30, 7, 36 + 30 + 50},
      {32, 9600, 10, 1, 45 + 10 + 5},   // 440,000 / 9,600 = 45
      {128, 19200, 200, 1, 72 + 200 + 5},  // the BIN run's fixed settings
      {32, 0, 10, 1, -1},               // no speed to pace by
  };
  for (const Case& c : cases)
    EXPECT_EQ(BlockWaitMs(c.n, c.baud, c.delay, c.devices), c.wait) << c.n << " " << c.baud << " " << c.devices;
}

// The retry service and the checksum search over bytes as a read leaves them.
struct Searches : ::testing::Test {
  upgtest::Recorder views;
  upgradeTool tool;
  Searches() {
    tool.Views = &views;
    EXPECT_EQ(tool.LoadHexData(ImageHex(ImageMeta(0))), 0);
    views.Clear();
    AddDevice(tool, 1, 3);  // in the run in both variants
    AddDevice(tool, 2, 2);  // in the run only as the one device of variant 1
    tool.CurrentId = 1;
  }
};

QByteArray RetryRequest(int id, std::uint32_t address, int command = 0x90) {
  return BootReply(id, command, Le32Bytes(address));
}

TEST_F(Searches, RetryRequestIsTakenOnlyWhenWholeValidAndFromADeviceInTheRun) {
  const QByteArray ok = RetryRequest(1, RowAddress(7));
  QByteArray badCrc = ok;
  badCrc[11] = static_cast<char>(badCrc[11] ^ 1);
  struct Case {
    const char* what;
    int variant;
    QByteArray bytes;
    int count;  // bytes the read returned (-1: all)
    int row;
    QString line;
  };
  const QString line7 = "   ID1: Retry Address: 0x000000C0";
  const Case cases[] = {
      {"variant 1, 0x90", 1, ok, -1, 7, line7},
      {"variant 0, 0xA0", 0, RetryRequest(1, RowAddress(7), 0xA0), -1, 7, line7},
      {"after stray bytes", 0, Bytes({0xFF, 0x00, 0xFF}) + ok, -1, 7, line7},
      {"inside a row: its row", 1, RetryRequest(1, RowAddress(7) + 6), -1, 7, "   ID1: Retry Address: 0x000000C6"},
      {"address 0 passed over for the next", 1, RetryRequest(1, 0) + ok, -1, 7, line7},
      {"beyond the image", 1, RetryRequest(1, 0x10000), -1, -1, "   ID1: Retry Address: 0x00010000"},
      {"cut off by the read", 1, ok, 11, 0, {}},
      {"wrong CRC", 1, badCrc, -1, 0, {}},
      {"other command", 1, BootReply(1, 0x91, Le32Bytes(RowAddress(7))), -1, 0, {}},
      {"variant 1: not the device being programmed", 1, RetryRequest(2, RowAddress(7)), -1, 0, {}},
      {"variant 0: bootloader version 2", 0, RetryRequest(2, RowAddress(7)), -1, 0, {}},
      {"ID of no device", 0, RetryRequest(3, RowAddress(7)), -1, 0, {}},
      // IDs beyond the tables: never used as an index.
      {"ID 0", 0, RetryRequest(0, RowAddress(7)), -1, 0, {}},
      {"ID 254", 0, RetryRequest(254, RowAddress(7)), -1, 0, {}},
      {"ID 255", 0, RetryRequest(255, RowAddress(7)), -1, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    views.Clear();
    for (int& n : tool.RetryCount) n = 0;
    Receive(tool, c.bytes, c.count);
    EXPECT_EQ(tool.ServeRetryRequest(c.variant), c.row);
    const QStringList steps = views.Steps();
    EXPECT_EQ(steps, c.line.isEmpty() ? QStringList() : QStringList{c.line});
    ASSERT_FALSE(views.Texts().isEmpty());
    EXPECT_TRUE(views.Texts().first().startsWith("   Rx: ")) << "the bytes read are dumped first";
    for (int id = 0; id < upgradeTool::kIds; ++id) EXPECT_EQ(tool.RetryCount[id], id == 1 && c.row != 0 ? 1 : 0) << id;
  }
}

TEST_F(Searches, TwentyRetryRequestsOfADeviceAreServedTheTwentyFirstIsLoggedOnly) {
  for (int i = 1; i <= 21; ++i) {
    Receive(tool, RetryRequest(1, RowAddress(5)));
    EXPECT_EQ(tool.ServeRetryRequest(1), i <= 20 ? 5 : 0) << i;
  }
  EXPECT_EQ(views.Steps().count("   ID1: Retry Address: 0x00000080"), 21);
  // Another device's requests are counted apart.
  tool.CurrentId = 2;
  Receive(tool, RetryRequest(2, RowAddress(5)));
  EXPECT_EQ(tool.ServeRetryRequest(1), 5);
}

TEST_F(Searches, ChecksumAcknowledgementIsFoundWithinTheReceivedBytes) {
  const auto ack = [](int id, int sum, int command = 0x13) {
    return BootReply(id, command, Bytes({0, sum & 0xFF, sum >> 8}));
  };
  struct Case {
    const char* what;
    QByteArray bytes;
    int count;
    int result;
    QStringList lines;
  };
  const Case cases[] = {
      {"its checksum", ack(1, 0x1234), -1, 0, {"   ID1: INV_CheckSUM - 0x1234"}},
      {"after stray bytes", Bytes({0x13, 0xFF}) + ack(1, 0x1234), -1, 0, {"   ID1: INV_CheckSUM - 0x1234"}},
      {"another checksum", ack(1, 0x1235), -1, 1, {"   ID1: INV_CheckSUM - 0x1235"}},
      {"a wrong one, then the right one", ack(1, 0x0001) + ack(1, 0x1234), -1, 0,
       {"   ID1: INV_CheckSUM - 0x0001", "   ID1: INV_CheckSUM - 0x1234"}},
      {"another command of length 4", ack(1, 0x1234, 0x03), -1, 1, {"   ID1: INV_CheckSUM - 0x1234"}},
      {"another device", ack(2, 0x1234), -1, 1, {}},
      {"cut off by the read", ack(1, 0x1234), 10, 1, {}},
      {"an error reply", BootReply(1, 0x93), -1, 1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    views.Clear();
    Receive(tool, c.bytes, c.count);
    EXPECT_EQ(tool.FindChecksumAck(1, 0x1234), c.result);
    EXPECT_EQ(views.Texts(), c.lines);
  }
}

// The stream on the simulated bus: one device in the bootloader with its bank selected.
struct Stream : ::testing::Test {
  upgtest::SerialBench bench{{1}, 3};
  upgradeTool& tool = bench.tool;
  std::vector<std::uint8_t> img;

  // delay: the image's per-block delay, long enough for a device's request
  // to arrive before the next block.
  void Load(int delay) {
    const fw::Meta meta = ImageMeta(delay);
    ASSERT_EQ(tool.LoadHexData(ImageHex(meta)), 0);
    img = ImageBytes(meta);
    tool.Info.AttemptDelay = delay;  // as the run sets it from the image's delay
    bench.views.Clear();
  }
  void InBank(int id, int bootVersion, std::vector<sim::BootDevice::Retry> retries = {}) {
    AddDevice(tool, id, bootVersion);
    tool.CurrentId = id;
    bench.boot.Configure(id, [&](sim::BootDevice& d) {
      d.normalMode = false;
      d.bankSelected = true;
      d.retries = retries;
      d.blocks.clear();
      d.programmed.clear();
    });
  }
  std::vector<int> DeviceRows(int id) const { return RowsOf(bench.boot.Snapshot(id).blocks); }
};

TEST_F(Stream, RetryRequestRewindsTheStreamInBothVariants) {
  struct Case {
    const char* what;
    int variant;
    sim::BootDevice::Retry retry;
    std::vector<int> rows;
    int result;
    QString line;
  };
  const Case cases[] = {
      {"row 7 asked for after row 12", 1, {12, RowAddress(7), 0x90}, Span(7, 16, Span(1, 12)), 0,
       "   ID1: Retry Address: 0x000000C0"},
      // The streaming variant serves a lone request as soon as it is whole,
      {"streaming, a lone request", 0, {3, RowAddress(2), 0xA0}, Numbered(2, 16, Numbered(1, 3)), 0,
       "   ID1: Retry Address: 0x00000020"},
      // and one that comes with the queue's periodic emptying (9 blocks).
      {"streaming, at the emptying", 0, {9, RowAddress(4), 0x90}, Numbered(4, 16, Numbered(1, 10)), 0,
       "   ID1: Retry Address: 0x00000060"},
      {"beyond the image", 1, {5, 0x10000, 0x90}, Span(1, 5), 1, "   ID1: Retry Address: 0x00010000"},
  };
  Load(80);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bench.views.Clear();
    InBank(1, 3, {c.retry});
    ASSERT_EQ(tool.ProgramBlocks(c.variant), c.result);
    EXPECT_EQ(DeviceRows(1), c.rows);
    EXPECT_EQ(bench.views.Steps().count(c.line), 1);
    if (c.result == 0) {
      EXPECT_EQ(bench.views.Steps().last(), QString("   Total Hex Length: %1").arg(c.variant ? 512 : 480));
      EXPECT_EQ(tool.TotalSent, c.variant ? 512 : 480);
      EXPECT_EQ(bench.views.progress.back(), 100);
      EXPECT_EQ(bench.views.panels[8].last(), "Processing... 100%");
    } else {
      EXPECT_EQ(bench.views.Steps().last(), "Retry Address Error");
      EXPECT_NE(bench.views.progress.back(), 100);
    }
  }
}

// Rows on both sides of 0x80000000: a device's request for any address that
// a row holds is served from that row; one past the image stays an error.
TEST_F(Stream, RetryRequestsAroundAddress80000000AreServed) {
  fw::Meta meta = ImageMeta(80);
  meta.start = 0x7FFFFF00;
  meta.stop = 0x80000100;
  const std::vector<std::uint8_t> bytes = ImageBytes(meta);
  const QByteArray hex = fw::HexLine(4, 0, {0x7F, 0xFF}) + "\n" + fw::DataLines(0xFF00, {bytes.begin(), bytes.begin() + 0x100}, 16, "\n") +
                         fw::HexLine(4, 0, {0x80, 0x00}) + "\n" + fw::DataLines(0, {bytes.begin() + 0x100, bytes.end()}, 16, "\n") +
                         fw::HexLine(1, 0, {}) + "\n";
  ASSERT_EQ(tool.LoadHexData(hex), 0) << bench.views.messages.join('\n').toStdString();
  ASSERT_EQ(tool.Grid.ImageRows(), kRows);
  ASSERT_EQ(tool.Grid.Address(9), 0x80000000u);
  tool.Info.AttemptDelay = 80;
  struct Case {
    const char* what;
    sim::BootDevice::Retry retry;
    std::vector<int> rows;
    int result;
    QString line;
  };
  const Case cases[] = {
      {"the row at 0x80000000", {12, 0x80000000, 0x90}, Span(9, 16, Span(1, 12)), 0, "   ID1: Retry Address: 0x80000000"},
      {"inside the row below it", {12, 0x7FFFFFE6, 0xA0}, Span(8, 16, Span(1, 12)), 0, "   ID1: Retry Address: 0x7FFFFFE6"},
      {"inside a row further below", {12, 0x7FFFFF66, 0xA0}, Span(4, 16, Span(1, 12)), 0, "   ID1: Retry Address: 0x7FFFFF66"},
      {"inside a row above it", {15, 0x800000A4, 0x90}, Span(14, 16, Span(1, 15)), 0, "   ID1: Retry Address: 0x800000A4"},
      {"past the last row", {5, 0x80000100, 0x90}, Span(1, 5), 1, "   ID1: Retry Address: 0x80000100"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bench.views.Clear();
    InBank(1, 3, {c.retry});
    ASSERT_EQ(tool.ProgramBlocks(1), c.result) << bench.views.Steps().join('\n').toStdString();
    const sim::BootDevice d = bench.boot.Snapshot(1);
    std::vector<int> rows;
    for (std::uint32_t a : d.blocks) rows.push_back(static_cast<int>((a - meta.start) / kBlock) + 1);
    EXPECT_EQ(rows, c.rows);
    EXPECT_EQ(bench.views.Steps().count(c.line), 1);
    if (c.result == 0)
      EXPECT_EQ(sim::MemoryBytes(d, meta.start, 0x200), QByteArray(reinterpret_cast<const char*>(bytes.data()), 0x200));
    else
      EXPECT_EQ(bench.views.Steps().last(), "Retry Address Error");
  }
}

TEST_F(Stream, RetryRequestArrivingDuringTheWaitAfterTheLastBlockIsServed) {
  Load(0);
  InBank(1, 2);
  bool asked = false;
  // The device asks for row 14 again while the tool waits after the last block.
  tool.LongPause = [&](int ms) {
    bench.longPauses.push_back(ms);
    if (ms != 5000 || asked) return;
    asked = true;
    bench.sim.SendRaw(RetryRequest(1, RowAddress(14)));
    QElapsedTimer t;
    t.start();
    while (tool.Port.InQueue() < 12 && t.elapsed() < 5000) QThread::msleep(2);
  };
  ASSERT_EQ(tool.ProgramBlocks(1), 0);
  EXPECT_TRUE(asked);
  EXPECT_EQ(DeviceRows(1), Span(14, 16, Span(1, 16)));
  EXPECT_EQ(bench.longPauses, std::vector<int>({5000, 5000}));
  EXPECT_EQ(bench.views.Steps(), QStringList({"   ID1: Retry Address: 0x000001A0", "   Total Hex Length: 512"}));
  // Status bar: address and length of each block, the progress by row.
  EXPECT_EQ(bench.views.panels[9].first(), "Addr: 0x00000000   Len: 32");
  EXPECT_EQ(bench.views.panels[9].at(15), "Addr: 0x000001E0   Len: 32");
  EXPECT_EQ(bench.views.panels[8].first(), "Processing... 16%");  // (100 + 200) / 18 grid rows
  EXPECT_EQ(bench.views.progress.front(), 11);
}

// Fewer bytes streamed than the image's length for the variant: the stream
// fails, and the bank is never closed with the image's length.
TEST_F(Stream, StreamShorterThanTheImageFails) {
  struct Case {
    int variant;
    QString line;
  };
  const Case cases[] = {{1, "TX Total Length Error(0x10"}, {0, "TX Total Length Error(0x20)"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variant);
    Load(0);
    InBank(1, 3);
    (c.variant ? tool.Info.Length10 : tool.Info.Length20) += kBlock;
    EXPECT_EQ(tool.ProgramBlocks(c.variant), 1);
    EXPECT_EQ(bench.views.Steps().last(), c.line);
    EXPECT_TRUE(bench.views.Steps().filter("Total Hex Length").isEmpty());
    EXPECT_NE(bench.views.progress.back(), 100);
  }
}

TEST_F(Stream, RunWithoutDeviceOrImageIsRefusedBeforeTheFirstBlock) {
  // No device in the run.
  Load(0);
  EXPECT_EQ(tool.ProgramBlocks(1), 1);
  EXPECT_EQ(bench.views.Texts(Kind::Red), QStringList({"   No Inverter to Program"}));
  // A device, but no image rows.
  InBank(1, 3);
  tool.Grid.Clear();
  bench.views.Clear();
  EXPECT_EQ(tool.ProgramBlocks(0), 1);
  EXPECT_EQ(bench.views.Texts(Kind::Red), QStringList({"   No Image Data to Program"}));
  EXPECT_TRUE(bench.sim.Frames().empty());
}

}  // namespace
