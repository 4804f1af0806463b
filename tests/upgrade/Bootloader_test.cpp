// The bootloader steps before programming against simulated bootloaders on
// the pty: the exchange, entering the bootloader at alternating speeds,
// selecting processor and bank for one device (broadcast) and for the
// selected devices (each addressed), and the acknowledgement searches.
#include <gtest/gtest.h>

#include <QThread>

#include "sim/SimBootloader.h"
#include "support/QtPrinters.h"
#include "support/UpgradeFixture.h"
#include "upgrade/BootFrame.h"

namespace {

using sim::Bytes;
using upgtest::Request;
using Kind = upgtest::Recorder::Kind;

constexpr int kBroadcast = 0xE000;

QByteArray Key(const std::array<std::uint8_t, 7>& k) { return QByteArray(reinterpret_cast<const char*>(k.data()), 7); }
QString Mode1(int id) { return Request(id, 0x05, Key(boot::kEnterBootMode1)); }
QString Mode2(int id) { return Request(id, 0x06, Key(boot::kEnterBootMode2)); }
QString Processor(int address, int p) { return Request(address, 0x11, Bytes({p})); }
QString Bank(int address, std::uint32_t start) { return Request(address, 0x12, Bytes({0}) + sim::Le32Bytes(start)); }
int Size(const QString& hex) { return static_cast<int>((hex.size() + 1) / 3); }

// The steps read right after their long waits (2 s for a bank): keep each
// long pause recorded but let a short real one pass, so the reply is in.
void ShortenLongPauses(upgtest::SerialBench& b) {
  b.tool.LongPause = [&b](int ms) {
    b.longPauses.push_back(ms);
    QThread::msleep(100);
  };
}

void InBootloader(sim::BootDevice& d) { d.normalMode = false; }

TEST(Bootloader, ExchangeRetriesUntilTheReplyHasItsCrc) {
  upgtest::SerialBench bench({1});
  upgradeTool& tool = bench.tool;
  tool.FrameLength = boot::BuildRequest(tool.Port.TxBuf, Tcomm::kTxSize, 1, 1, boot::kReadBootVersion, nullptr, 0);
  ASSERT_EQ(tool.FrameLength, 8);

  bench.sim.QueueFault(sim::ReplyFault::BadCrc());
  EXPECT_EQ(tool.Exchange(5, 200), 0);
  EXPECT_EQ(bench.Frames(), QStringList({Request(1, 0x16), Request(1, 0x16)}));
  EXPECT_EQ(bench.views.Texts().size(), 2);  // a receive dump per try
  EXPECT_EQ(bench.views.Texts().last(),
            QStringLiteral("   Rx: ") + sim::HexText(sim::BootReply(1, 0x16, Bytes({3, 0, 0, 0, 0}))) + u' ');

  bench.sim.ClearFrames();
  bench.sim.SetStandingFault(sim::ReplyFault::Silent());
  EXPECT_EQ(tool.Exchange(3, 0), 1);
  EXPECT_EQ(bench.Frames().size(), 3);
}

struct ModeCase {
  const char* name;
  int mode;
  void (*setup)(sim::BootDevice&);
  int result;
  const char* line;  // nullptr: none
  Kind kind;
};

const ModeCase kModeCases[] = {
    {"Mode1Ok", 1, [](sim::BootDevice&) {}, 0, "   ID1: Enter bootloader mode1 - OK", Kind::Normal},
    {"Mode1ErrorReply", 1, [](sim::BootDevice& d) { d.errorReply[0x05] = 1; }, 1,
     "   ID1: Enter bootloader mode1 - ERROR", Kind::Red},
    {"Mode1NoReply", 1, [](sim::BootDevice& d) { d.silent[0x05] = 1; }, 1, nullptr, Kind::Normal},
    {"Mode2Ok", 2, [](sim::BootDevice& d) { d.mode1 = true; }, 0, "   ID1: Enter bootloader mode2 - OK",
     Kind::Normal},
    {"Mode2WithoutMode1", 2, [](sim::BootDevice&) {}, 1, "   ID1: Enter bootloader mode2 - ERROR", Kind::Red},
};

class EnterMode : public ::testing::TestWithParam<ModeCase> {};

TEST_P(EnterMode, SendsTheKeyAndLogsTheAcknowledgement) {
  const ModeCase& c = GetParam();
  upgtest::SerialBench bench({1});
  bench.boot.Configure(1, c.setup);
  upgradeTool& tool = bench.tool;
  tool.InitDevices();

  EXPECT_EQ(c.mode == 1 ? tool.EnterBootMode1(1) : tool.EnterBootMode2(1), c.result);

  const QString frame = c.mode == 1 ? Mode1(1) : Mode2(1);
  EXPECT_EQ(bench.Frames(), QStringList({frame}));
  EXPECT_EQ(Size(frame), 15);
  EXPECT_EQ(tool.FrameLength, 15);
  const QStringList none;
  EXPECT_EQ(bench.views.Steps(), c.line ? QStringList({c.line}) : none);
  EXPECT_EQ(bench.views.Texts(Kind::Red), c.line && c.kind == Kind::Red ? QStringList({c.line}) : none);
}

INSTANTIATE_TEST_SUITE_P(Cases, EnterMode, ::testing::ValuesIn(kModeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The device hears only 9,600 bit/s while the scan found it at 19,200:
// attempts 2 and 4 reach it, 1, 3 and 5 do not; mode 2 is refused twice.
TEST(Bootloader, EnterBootAlternatesScanSpeedAnd9600) {
  upgtest::SerialBench bench({1}, 2);
  bench.sim.SetSlaveBaud(1, 9600);
  bench.boot.Configure(1, [](sim::BootDevice& d) { d.errorReply[0x06] = 2; });
  upgradeTool& tool = bench.tool;
  tool.InitDevices();

  EXPECT_EQ(tool.EnterBoot(1), 1);

  EXPECT_EQ(bench.Frames(), QStringList({Mode1(1), Mode1(1), Mode2(1), Mode1(1), Mode1(1), Mode2(1), Mode1(1)}));
  EXPECT_EQ(bench.views.Steps(),
            QStringList({"   ID1: Enter bootloader mode1 - OK", "   ID1: Enter bootloader mode2 - ERROR",
                         "   ID1: Enter bootloader mode1 - OK", "   ID1: Enter bootloader mode2 - ERROR"}));
  EXPECT_EQ(bench.views.Texts(Kind::Red).size(), 2);
  EXPECT_EQ(bench.longPauses, std::vector<int>({2000, 2000}));
  EXPECT_EQ(bench.sim.LineBaud(), 19200);  // attempt 5
  EXPECT_EQ(tool.StepOk[1], 0);
}

TEST(Bootloader, OneDeviceEntersSelectsProcessorAndBankByBroadcast) {
  upgtest::SerialBench bench({1});
  ShortenLongPauses(bench);
  bench.boot.Configure(1, [](sim::BootDevice& d) { d.silent[0x12] = 1; });
  upgradeTool& tool = bench.tool;
  tool.InitDevices();
  tool.ShowDeviceGrid();

  EXPECT_EQ(tool.EnterBoot(1), 0);
  EXPECT_EQ(tool.StepOk[1], 1);
  EXPECT_EQ(tool.SelectProcessor(1, 2), 0);
  EXPECT_EQ(tool.DevGrid.Cell(10, 1), "0.00");
  EXPECT_EQ(tool.DevGrid.Cell(4, 1), "Boot");
  EXPECT_EQ(tool.SelectBank(1, 0x00008000), 0);
  EXPECT_EQ(tool.StepOk[1], 1);

  EXPECT_EQ(bench.Frames(), QStringList({Mode1(1), Mode2(1), Processor(kBroadcast, 2), Bank(kBroadcast, 0x8000),
                                         Bank(kBroadcast, 0x8000)}));
  EXPECT_EQ(Size(Processor(kBroadcast, 2)), 9);
  EXPECT_EQ(Size(Bank(kBroadcast, 0x8000)), 13);
  EXPECT_EQ(bench.views.Steps(),
            QStringList({"   ID1: Enter bootloader mode1 - OK", "   ID1: Enter bootloader mode2 - OK",
                         "   ID:1 Select Processor 2 OK", "   ID1: Bank select Error", "   Bank select: 1",
                         "   This Device Starts address: 0x00008000", "   ID1: Bank select OK"}));
  EXPECT_EQ(bench.views.Texts(Kind::Red), QStringList({"   ID1: Bank select Error"}));
  EXPECT_EQ(bench.longPauses, std::vector<int>({2000, 5000, 2000}));
  const sim::BootDevice d = bench.boot.Snapshot(1);
  EXPECT_EQ(d.processor, 2);
  EXPECT_EQ(d.bankStart, 0x8000u);
}

struct AckCase {
  const char* name;
  QByteArray (*answer)();  // what the device sends instead of its acknowledgement, once
  QStringList steps;
};

QByteArray Ack() { return sim::BootReply(1, 0x11, Bytes({2})); }

const AckCase kAckCases[] = {
    {"StrayBytesBefore", [] { return Bytes({0x00, 0xFF, 0x13, 0xFF}) + Ack(); }, {"   ID:1 Select Processor 2 OK"}},
    {"WrongCrc",
     [] {
       QByteArray a = Ack();
       a[a.size() - 1] = static_cast<char>(a[a.size() - 1] ^ 0x01);
       return a;
     },
     {"   ID:1 Select Processor 2 Error", "   ID:1 Select Processor 2 OK"}},
    {"OtherDevice", [] { return sim::BootReply(2, 0x11, Bytes({2})); },
     {"   ID:1 Select Processor 2 Error", "   ID:1 Select Processor 2 OK"}},
    {"CutShort", [] { return Ack().left(8); }, {"   ID:1 Select Processor 2 Error", "   ID:1 Select Processor 2 OK"}},
};

class ProcessorAck : public ::testing::TestWithParam<AckCase> {};

TEST_P(ProcessorAck, IsFoundAnywhereButOnlyWhole) {
  const AckCase& c = GetParam();
  upgtest::SerialBench bench({1});
  bench.boot.Configure(1, InBootloader);
  bench.sim.QueueFault(sim::ReplyFault::Garbage(c.answer()));
  upgradeTool& tool = bench.tool;
  tool.InitDevices();

  EXPECT_EQ(tool.SelectProcessor(1, 2), 0);

  EXPECT_EQ(bench.views.Steps(), c.steps);
  EXPECT_EQ(bench.Frames().size(), c.steps.size());
  EXPECT_EQ(bench.longPauses.size(), c.steps.size() - 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProcessorAck, ::testing::ValuesIn(kAckCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The broadcast procedure's steps address each selected device with a
// bootloader of version 3 or more by its own ID; one that fails a step leaves
// the run.
TEST(Bootloader, SelectedDevicesAreEachAddressedAndFailuresDropOut) {
  upgtest::SerialBench bench({1, 2, 3, 4});
  ShortenLongPauses(bench);
  bench.boot.Configure(3, [](sim::BootDevice& d) { d.silent[0x11] = 5; });
  upgradeTool& tool = bench.tool;
  tool.InitDevices();
  for (int id : {1, 2, 3}) {
    tool.Selected[id] = 1;
    tool.BootVersion[id] = 3;
  }
  tool.BootVersion[2] = 2;  // the one-by-one procedures take it
  tool.BootVersion[4] = 3;  // not selected

  EXPECT_EQ(tool.EnterBootSelected(), 0);
  EXPECT_EQ(bench.Frames(), QStringList({Mode1(1), Mode2(1), Mode1(3), Mode2(3)}));
  EXPECT_EQ(tool.StepOk[1], 1);
  EXPECT_EQ(tool.StepOk[3], 1);

  bench.sim.ClearFrames();
  bench.views.Clear();
  EXPECT_EQ(tool.SelectProcessorSelected(2), 0);
  EXPECT_EQ(bench.Frames(), QStringList({Processor(1, 2), Processor(3, 2), Processor(3, 2), Processor(3, 2),
                                         Processor(3, 2), Processor(3, 2)}));
  EXPECT_EQ(bench.views.Steps().first(), "   ID:1 Select Processor 2 OK");
  EXPECT_EQ(bench.views.Texts(Kind::Red), QStringList(5, "   ID:3 Select Processor 2 Error"));
  EXPECT_EQ(tool.StepOk[3], 0);
  EXPECT_EQ(tool.DevGrid.Cell(10, 0), "");  // not shown: no row of the grid, and never its header

  bench.sim.ClearFrames();
  bench.views.Clear();
  EXPECT_EQ(tool.SelectBankSelected(0x8000), 0);
  EXPECT_EQ(bench.Frames(), QStringList({Bank(1, 0x8000)}));
  EXPECT_EQ(bench.views.Steps(), QStringList({"   Bank select: 1", "   This Device Starts address: 0x00008000",
                                              "   ID1: Bank select OK"}));
}

TEST(Bootloader, IdsAndProcessorsOutsideTheTablesSendNothing) {
  upgtest::SerialBench bench({1});
  upgradeTool& tool = bench.tool;
  tool.InitDevices();
  for (int id : {0, 254, 300, -1}) {
    EXPECT_EQ(tool.EnterBootMode1(id), 1);
    EXPECT_EQ(tool.EnterBootMode2(id), 1);
    EXPECT_EQ(tool.EnterBoot(id), 1);
    EXPECT_EQ(tool.SelectProcessor(id, 2), 1);
    EXPECT_EQ(tool.SelectBank(id, 0x8000), 1);
  }
  for (int p : {-1, kProcessorCount, 255}) {
    EXPECT_EQ(tool.SelectProcessor(1, p), 1);
    EXPECT_EQ(tool.SelectProcessorSelected(p), 1);
  }
  EXPECT_TRUE(bench.Frames().isEmpty());
}

}  // namespace
