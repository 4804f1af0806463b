// The upgrade through the Wi-Fi module, end to end over loopback TCP against
// the simulated inverter's bootloader: the frames of a whole run, the
// product-ID check, acknowledged blocks with their retries, the checksum at
// bank close, the progress waits, and images with nothing to send.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "support/FirmwareImage.h"
#include "support/QtPrinters.h"
#include "support/UpgradeFixture.h"
#include "upgrade/BootFrame.h"

namespace {

using upgtest::Recorder;
using upgtest::Request;
using upgtest::TcpBench;

constexpr std::uint32_t kProductId = 71870541;

// 0x200 image bytes from address 0 in blocks of 128: the meta block in the
// first, the third only the fill byte (not sent), the last ends at the stop
// address.
std::vector<std::uint8_t> ImageBytes() {
  std::vector<std::uint8_t> img(0x200);
  for (size_t a = 0; a < img.size(); ++a) img[a] = static_cast<std::uint8_t>(a * 5 + 1);
  fw::Meta meta;
  meta.productId = kProductId;
  meta.programSize = 128;
  const auto m = fw::MetaBytes(meta);
  std::copy(m.begin(), m.end(), img.begin() + 0x10);
  std::fill(img.begin() + 0x100, img.begin() + 0x180, 0xFF);
  return img;
}

QByteArray ImageHex() { return fw::DataLines(0, ImageBytes(), 16) + fw::HexLine(1, 0, {}) + "\r\n"; }

QString Block(std::uint32_t address, std::uint32_t next) {
  const auto img = ImageBytes();
  const QByteArray data(reinterpret_cast<const char*>(img.data()) + address, 128);
  return Request(1, 0x20, sim::Le32Bytes(address) + sim::Le32Bytes(next) + data, 128 + 9);
}

const QString kPid = Request(1, 0x00);
const QString kMode1 = Request(1, 0x05, sim::Bytes({0x51, 0x6F, 0x72, 0x42, 0x6F, 0x6F, 0x74}));
const QString kMode2 = Request(1, 0x06, sim::Bytes({0xB0, 0x07, 0x4C, 0x6F, 0x61, 0x64, 0x21}));
const QString kProcessor = Request(1, 0x11, sim::Bytes({2}));
const QString kBank = Request(1, 0x12, sim::Bytes({0}) + sim::Le32Bytes(0));
const QString kPoll = Request(1, 0x90, sim::Bytes({0}), 1);
const QString kClose = Request(1, 0x13, sim::Bytes({0}) + sim::Le32Bytes(384));
const QString kDone = Request(1, 0x14, sim::Bytes({0}));

// Addresses of the program blocks the device received, in turn.
std::vector<std::uint32_t> BlockAddresses(const TcpBench& b) {
  std::vector<std::uint32_t> out;
  for (const sim::SimFrame& f : b.sim.Frames())
    if (f.bytes.size() > 10 && static_cast<std::uint8_t>(f.bytes[5]) == 0x20)
      out.push_back(boot::Le32(reinterpret_cast<const std::uint8_t*>(f.bytes.constData()) + 6));
  return out;
}

void Load(TcpBench& b) {
  ASSERT_EQ(b.tool.LoadHexData(ImageHex()), 0) << b.views.Texts().join('\n').toStdString();
  ASSERT_EQ(b.tool.Grid.ImageRows(), 4);
  ASSERT_EQ(b.tool.Info.Length20, 384);
  b.views.Clear();
}

struct TcpUpgrade : ::testing::Test {
  TcpBench bench{kProductId};
  upgradeTool& tool = bench.tool;
  Recorder& views = bench.views;

  void SetUp() override { Load(bench); }
  void Device(const std::function<void(sim::BootDevice&)>& change) { bench.boot.Configure(1, change); }
};

TEST_F(TcpUpgrade, CompleteRunSendsEveryStepAndFinishes) {
  Device([](sim::BootDevice& d) { d.progress = {50, 100, 50, 100}; });
  ASSERT_EQ(tool.RunTcpProcedure(), 0) << views.Texts().join('\n').toStdString();

  EXPECT_EQ(bench.Frames(), QStringList({kPid, kMode1, kMode2, kProcessor, kBank, kPoll, kPoll, Block(0, 0x80),
                                         Block(0x80, 0x180), Block(0x180, 0x200), kClose, kDone, kPoll, kPoll}));
  for (const sim::SimFrame& f : bench.sim.Frames()) EXPECT_EQ(f.line, "tcp");

  const QString sum = QString::asprintf("0x%04X", tool.Info.Crc20);
  EXPECT_EQ(views.Steps(), QStringList({"1. Check PID", "PID: 71870541", "2. Enter Bootloader Mode",
                                        "   ID1: Enter bootloader mode1 - OK", "   ID1: Enter bootloader mode2 - OK",
                                        "3. Processor Select", "   ID:1 Select Processor 2 OK", "4. Bank Select",
                                        "   Bank select: 1", "   This Device Starts address: 0x00000000",
                                        "   ID1: Bank select OK", "5. Programming Data", "   Total Hex Length: 384",
                                        "6. Bank Close", "   PC_CheckSUM - " + sum, "   ID1: INV_CheckSUM - " + sum,
                                        "7. Done", "   ID1: Done - Bank = 1", "8. Internal Procedure",
                                        "Upgrade Finish"}));
  EXPECT_TRUE(views.Texts(Recorder::Kind::Red).isEmpty());
  EXPECT_EQ(views.Texts(Recorder::Kind::Traffic).last(), "Upgrade Finish");
  EXPECT_TRUE(views.events.isEmpty());
  EXPECT_EQ(bench.sim.TcpConnections(1), 1);

  // Two polls in each wait: one pause after the 50 of each.
  EXPECT_EQ(bench.longPauses, std::vector<int>({2000, 5000, 1000, 1000}));
  // Per block (row * 100 + 100) / 6 grid rows, then 100, then the two polls.
  EXPECT_EQ(views.progress, std::vector<int>({33, 50, 83, 100, 50, 100}));
  EXPECT_EQ(views.panels[9], QStringList({"Addr: 0x00000000   Len: 128", "Addr: 0x00000080   Len: 128",
                                          "Addr: 0x00000180   Len: 128"}));
  EXPECT_EQ(views.panels[8], QStringList({"Processing... 50%", "Processing... 66%", "Processing... 100%",
                                          "Processing... 100%", "Processing... 50%", "Processing... 100%"}));

  const sim::BootDevice d = bench.boot.Snapshot(1);
  EXPECT_EQ(d.closedCount, 384u);
  EXPECT_EQ(sim::DeviceChecksum(d), tool.Info.Crc20);
  EXPECT_TRUE(d.done);
  EXPECT_EQ(tool.TotalSent, 384);
  EXPECT_EQ(tool.DevicePid[1], static_cast<std::int32_t>(kProductId));
}

// The product ID reply decides whether the run goes on; the reply's own bus
// ID is not looked at.
TEST(TcpUpgradeCases, ProductIdMustMatchTheImage) {
  struct Case {
    const char* name;
    std::function<void(TcpBench&)> setup;
    QString pidLine;
    bool matches;
  } cases[] = {
      {"another product", [](TcpBench& b) { b.sim.SetProductId(1, 71812748); }, "PID: 71812748", false},
      {"error reply leaves 0", [](TcpBench& b) { b.boot.Configure(1, [](sim::BootDevice& d) { d.errorReply[0x00] = 1; }); },
       "PID: 0", false},
      {"reply from another bus ID",
       [](TcpBench& b) { b.sim.QueueFault(sim::ReplyFault::Garbage(sim::BootReply(7, 0x00, sim::Le32Bytes(kProductId)))); },
       "PID: 71870541", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TcpBench b(kProductId);
    ASSERT_NO_FATAL_FAILURE(Load(b));
    c.setup(b);
    EXPECT_EQ(b.tool.RunTcpProcedure(), c.matches ? 0 : 1);
    const QStringList steps = b.views.Steps();
    ASSERT_GE(steps.size(), 3);
    EXPECT_EQ(steps[1], c.pidLine);
    if (c.matches) {
      EXPECT_EQ(steps[2], "2. Enter Bootloader Mode");
      EXPECT_EQ(steps.last(), "Upgrade Finish");
    } else {
      EXPECT_EQ(steps.mid(2), QStringList({"PID don't match"}));
      EXPECT_EQ(b.Frames(), QStringList({kPid})) << "nothing after the query";
    }
  }
}

// Each block waits for its acknowledgement; a wrong one is tried again on a
// new connection after a pause, three times at most.
TEST(TcpUpgradeCases, BlockAcknowledgements) {
  struct Case {
    const char* name;
    std::function<void(sim::BootDevice&)> fault;
    int result;
    std::vector<std::uint32_t> blocks;
    int failedTries;
    QString lastLine;
  } cases[] = {
      {"acknowledged with another address once", [](sim::BootDevice& d) { d.nakOnce = {0x80}; }, 0,
       {0, 0x80, 0x80, 0x180}, 1, "Upgrade Finish"},
      {"refused three times", [](sim::BootDevice& d) { d.errorReply[0x20] = 3; }, 1, {0, 0, 0}, 3,
       "5. Programming Data - Error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TcpBench b(kProductId);
    ASSERT_NO_FATAL_FAILURE(Load(b));
    b.boot.Configure(1, c.fault);
    EXPECT_EQ(b.tool.RunTcpProcedure(), c.result);

    EXPECT_EQ(BlockAddresses(b), c.blocks);
    EXPECT_EQ(b.views.Texts(Recorder::Kind::Red), QStringList(QVector<QString>(c.failedTries, "   ID1: Programming Error")));
    EXPECT_EQ(std::count(b.longPauses.begin(), b.longPauses.end(), 3000), c.failedTries);
    EXPECT_EQ(b.sim.TcpConnections(1 + c.failedTries), 1 + c.failedTries) << "a new connection after each failed try";
    EXPECT_EQ(b.views.Steps().last(), c.lastLine);
    const bool closed = b.Frames().contains(kClose);
    EXPECT_EQ(closed, c.result == 0) << "no bank close after failed programming";
  }
}

TEST_F(TcpUpgrade, WrongChecksumEndsAtBankCloseAndFails) {
  Device([](sim::BootDevice& d) { d.checksumDelta = 1; });
  EXPECT_EQ(tool.RunTcpProcedure(), 1);

  const QString inv = QString::asprintf("   ID1: INV_CheckSUM - 0x%04X", (tool.Info.Crc20 + 1) & 0xFFFF);
  const QStringList steps = views.Steps();
  const int close = static_cast<int>(steps.indexOf("6. Bank Close"));
  ASSERT_GE(close, 0);
  QStringList expected{"6. Bank Close"};
  for (int i = 0; i < 3; ++i)
    expected << QString::asprintf("   PC_CheckSUM - 0x%04X", tool.Info.Crc20) << inv
             << "   ID1: Check SUM CRC& Bank Close Error";
  expected << "6. Bank Close - Error";
  EXPECT_EQ(steps.mid(close), expected);
  EXPECT_EQ(views.Texts(Recorder::Kind::Red).size(), 3);
  EXPECT_EQ(bench.Frames().count(kClose), 3);
  EXPECT_FALSE(bench.Frames().contains(kDone));
  EXPECT_FALSE(bench.boot.Snapshot(1).done);
}

// A refused bank select is tried again on a new connection, noted in the
// traffic log; the third refusal ends the run before any poll.
TEST(TcpUpgradeCases, BankSelectRetries) {
  const QStringList reconnect{"Try to connect", "connect OK"};
  struct Case {
    int refusals;
    int result;
    QString lastLine;
  } cases[] = {{2, 0, "Upgrade Finish"}, {3, 1, "4. Bank Select - Error"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refusals);
    TcpBench b(kProductId);
    ASSERT_NO_FATAL_FAILURE(Load(b));
    b.boot.Configure(1, [&](sim::BootDevice& d) { d.errorReply[0x12] = c.refusals; });
    EXPECT_EQ(b.tool.RunTcpProcedure(), c.result);

    EXPECT_EQ(b.Frames().count(kBank), c.result == 0 ? c.refusals + 1 : c.refusals);
    EXPECT_EQ(b.views.Texts(Recorder::Kind::Red), QStringList(QVector<QString>(c.refusals, "   ID1: Bank select Error")));
    QStringList events;
    for (int i = 0; i < c.refusals; ++i) events << reconnect;
    EXPECT_EQ(b.views.events, events);
    EXPECT_EQ(b.views.Steps().last(), c.lastLine);
    EXPECT_EQ(b.Frames().contains(kPoll), c.result == 0);
  }
}

// After the bank select the device erases the bank while it is polled: the
// run goes on at 100 %, after 100 polls without it, and gives up (without a
// step line) when more than 15 polls fail.
TEST(TcpUpgradeCases, BankSelectWait) {
  const QByteArray wrongReply = sim::BootReply(1, 0x91, sim::Bytes({0}));
  std::vector<int> fifties(100, 50);
  fifties.push_back(100);
  struct Case {
    const char* name;
    std::vector<int> progress;
    QByteArray failure;  // the answer of each failing poll
    int failedPolls;
    int result;
    int polls;  // before the first block, or in all when the run ends in the wait
  } cases[] = {
      {"100 polls without 100 go on", fifties, {}, 0, 0, 100},
      {"15 failed polls are borne", {100}, wrongReply, 15, 0, 16},
      {"the 16th failed poll ends the run", {100}, wrongReply, 16, 1, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TcpBench b(kProductId);
    ASSERT_NO_FATAL_FAILURE(Load(b));
    b.boot.Configure(1, [&](sim::BootDevice& d) { d.progress = c.progress; });
    // The product ID, modes, processor and bank are answered as they are.
    for (int i = 0; i < 5 && c.failedPolls; ++i) b.sim.QueueFault({});
    for (int i = 0; i < c.failedPolls; ++i) b.sim.QueueFault(sim::ReplyFault::Garbage(c.failure));

    EXPECT_EQ(b.tool.RunTcpProcedure(), c.result);
    const QStringList frames = b.Frames();
    const int bank = static_cast<int>(frames.indexOf(kBank));
    ASSERT_EQ(bank, 4);
    int polls = 0;
    for (int i = bank + 1; i < frames.size() && frames[i] == kPoll; ++i) ++polls;
    EXPECT_EQ(polls, c.polls);
    EXPECT_EQ(b.sim.TcpConnections(1 + c.failedPolls), 1 + c.failedPolls) << "a new connection after each failed poll";
    if (c.result == 0) {
      EXPECT_EQ(b.views.Steps().last(), "Upgrade Finish");
    } else {
      EXPECT_EQ(frames.size(), bank + 1 + polls) << "no block after the wait gave up";
      EXPECT_EQ(b.views.Steps().last(), "   ID1: Bank select OK");
    }
  }
}

// A progress reply must have arrived whole: one cut short before its percent
// is a failed poll, never a percent read from bytes that did not come.
TEST_F(TcpUpgrade, ProgressReplyCutShortIsAFailedPoll) {
  // Every answer up to the done step as it is, then the first final poll's cut short.
  for (int i = 0; i < 11; ++i) bench.sim.QueueFault({});
  bench.sim.QueueFault(sim::ReplyFault::Garbage(sim::BootReply(1, 0x90, sim::Bytes({100}), 1).left(6)));
  ASSERT_EQ(tool.RunTcpProcedure(), 0);

  EXPECT_EQ(bench.Frames().mid(11), QStringList({kPoll, kPoll}));
  EXPECT_EQ(views.progress.back(), 100);
  EXPECT_EQ(std::count(views.progress.begin(), views.progress.end(), 0), 0);
  EXPECT_FALSE(views.panels[8].contains("Processing... 0%"));
  EXPECT_EQ(bench.sim.TcpConnections(2), 2) << "a new connection after the failed poll";
  EXPECT_EQ(views.Steps().last(), "Upgrade Finish");
}

// Nothing to send: refused before the module is even connected, so the bank
// is never erased.
TEST(TcpUpgradeCases, ImageWithNothingToSendIsRefusedBeforeAnyFrame) {
  struct Case {
    const char* name;
    std::function<void(upgradeTool&)> image;
  } cases[] = {
      {"no image loaded", [](upgradeTool&) {}},
      {"a failed load after a good one",
       [](upgradeTool& t) {
         ASSERT_EQ(t.LoadHexData(ImageHex()), 0);
         ASSERT_EQ(t.LoadHexData(":0400000A\r\n"), 1);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TcpBench b(kProductId);
    c.image(b.tool);
    b.views.Clear();
    EXPECT_EQ(b.tool.RunTcpProcedure(), 1);
    EXPECT_EQ(b.views.Texts(), QStringList({"No Image Data to Program"}));
    EXPECT_EQ(b.views.Texts(Recorder::Kind::Red).size(), 1);
    EXPECT_FALSE(b.tool.Link->Client.HasSocket(1)) << "no connection made";
    EXPECT_TRUE(b.Frames().isEmpty());
  }
}

TEST_F(TcpUpgrade, ModuleThatCannotBeReachedFailsTheRun) {
  qputenv("QORVANE_WIFI_ADDR", "127.0.0.1:no-such-service-name");
  EXPECT_EQ(tool.RunTcpProcedure(), 1);
  EXPECT_EQ(views.Texts(), QStringList({"Error - Could not connect"}));
  EXPECT_TRUE(views.events.isEmpty()) << "a first connection, not a reconnection";
  EXPECT_TRUE(bench.Frames().isEmpty());
}

}  // namespace
