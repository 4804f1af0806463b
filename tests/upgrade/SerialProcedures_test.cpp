// The serial upgrade procedures end to end on the simulated bus: the exact
// frames of a one-device and of a broadcast run, a device that fails or asks
// again, which devices each procedure takes, the BIN run's fixed settings,
// runs refused before any bootloader command, the done acknowledgement and
// the boot speed.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "support/QtPrinters.h"
#include "support/SerialRunFixture.h"

namespace {

using namespace serialrun;
using sim::BootReply;
using sim::Bytes;
using sim::Le32Bytes;
using Kind = upgtest::Recorder::Kind;
constexpr int kBroadcast = sim::kBootBroadcastId;

struct Procedure : ::testing::Test {
  std::unique_ptr<upgtest::SerialBench> bench;
  upgradeTool* tool = nullptr;
  std::vector<std::uint8_t> img;

  void Bus(std::initializer_list<int> ids) {
    bench = std::make_unique<upgtest::SerialBench>(ids, 1);
    tool = &bench->tool;
  }
  void Load(int delay = 0) {
    const fw::Meta meta = ImageMeta(delay);
    ASSERT_EQ(tool->LoadHexData(ImageHex(meta)), 0);
    img = ImageBytes(meta);
    tool->Info.AttemptDelay = delay;  // as the run sets it from the image's delay
    bench->views.Clear();
  }
  // Devices shown in Grid_Dev rows 1, 2, ... in the order given.
  void Devices(std::initializer_list<std::pair<int, int>> idAndBootVersion) {
    int row = 0;
    tool->DevGrid.SetRowCount(static_cast<int>(idAndBootVersion.size()) + 1);
    for (auto [id, version] : idAndBootVersion) AddDevice(*tool, id, version, 1, ++row);
  }
  QStringList StepLines() const {
    QStringList out;
    for (const QString& l : bench->views.Steps())
      if (l.startsWith("Step") || l.startsWith("In ")) out << l;
    return out;
  }
};

const QStringList kSevenSteps = {"Step1 - Check Device", "Step2 - Enter bootloader mode", "Step3 - Select Processor",
                                 "Step4 - Select Bank",  "Step5 - Programming",           "Step6 - Bank Close",
                                 "Step7 - Done"};

TEST_F(Procedure, OneDeviceRunSendsTheStepsFramesInOrder) {
  Bus({1});
  Load();
  Devices({{1, 2}});
  ASSERT_EQ(tool->UpgradeDevice(1), 0) << bench->views.Texts().join('\n').toStdString();

  // Every step but entering the bootloader goes to the broadcast ID; blocks of
  // the one-device variant go for every row, the erased one included.
  QStringList expected = EnterBootFrames(1);
  expected << SelectProcessorFrame(kBroadcast, 2) << SelectBankFrame(kBroadcast, 0);
  for (int r = 1; r <= kRows; ++r) expected << Block10(img, r);
  expected << CloseBankFrame(kBroadcast, 512) << DoneFrame(kBroadcast);
  EXPECT_EQ(bench->Frames(), expected);

  EXPECT_EQ(StepLines(), kSevenSteps);
  const QStringList steps = bench->views.Steps();
  EXPECT_TRUE(steps.contains("   Total Hex Length: 512"));
  EXPECT_TRUE(steps.contains(QString::asprintf("   PC_CheckSUM - 0x%04X", tool->Info.Crc10)));
  EXPECT_TRUE(steps.contains(QString::asprintf("   ID1: INV_CheckSUM - 0x%04X", tool->Info.Crc10)));
  EXPECT_TRUE(steps.contains("   ID1: Check SUM CRC & Bank Close OK"));
  EXPECT_EQ(steps.last(), "   ID1: Done - Bank = 1");
  EXPECT_TRUE(bench->views.Texts(Kind::Red).isEmpty());
  // The fixed pauses between the steps (the bank select's 2 s wait for its
  // reply among them), and the wait after the last block.
  EXPECT_EQ(bench->longPauses, std::vector<int>({5000, 5000, 2000, 5000, 5000, 5000, 2000}));

  const sim::BootDevice d = bench->boot.Snapshot(1);
  EXPECT_TRUE(d.done);
  EXPECT_EQ(d.closedCount, 512u);
  EXPECT_EQ(sim::DeviceChecksum(d), tool->Info.Crc10);
  EXPECT_EQ(tool->Selected[1], 0);
  EXPECT_EQ(tool->StepOk[1], 1);
  EXPECT_EQ(tool->DevGrid.Cell(DeviceGrid::kSwColumn, 1), "Done");
  EXPECT_EQ(tool->DevGrid.Cell(DeviceGrid::kModeColumn, 1), "Normal");
  EXPECT_EQ(bench->views.progress.back(), 100);
  EXPECT_EQ(bench->sim.LineBaud(), 38400) << "programmed at the image's boot speed";
}

TEST_F(Procedure, BroadcastRunAddressesEachDeviceAndStreamsTheNumberedRowsOnce) {
  Bus({1, 2});
  Load();
  Devices({{1, 3}, {2, 4}});
  ASSERT_EQ(tool->RunV03Procedure(), 0) << bench->views.Texts().join('\n').toStdString();

  QStringList expected = EnterBootFrames(1) + EnterBootFrames(2);
  expected << SelectProcessorFrame(1, 2) << SelectProcessorFrame(2, 2) << SelectBankFrame(1, 0) << SelectBankFrame(2, 0);
  const std::vector<int> rows = Numbered(1, kRows);
  for (size_t i = 0; i < rows.size(); ++i)
    expected << Block20(img, rows[i], i + 1 < rows.size() ? RowAddress(rows[i + 1]) : 0x200);
  expected << CloseBankFrame(1, 480) << CloseBankFrame(2, 480) << DoneFrame(1) << DoneFrame(2);
  EXPECT_EQ(bench->Frames(), expected);

  EXPECT_EQ(StepLines(), QStringList{"In V03 Procedure"} + kSevenSteps);
  EXPECT_EQ(bench->longPauses, std::vector<int>({5000, 5000, 2000, 2000, 5000, 5000, 5000, 2000}));
  for (int id : {1, 2}) {
    SCOPED_TRACE(id);
    const sim::BootDevice d = bench->boot.Snapshot(id);
    EXPECT_TRUE(d.done);
    EXPECT_EQ(sim::DeviceChecksum(d), tool->Info.Crc20);
    EXPECT_EQ(tool->Selected[id], 0);
    EXPECT_EQ(tool->StepOk[id], 1);
    EXPECT_EQ(tool->DevGrid.Cell(DeviceGrid::kSwColumn, id), "Done");
  }
  EXPECT_TRUE(bench->views.Steps().contains("   ID2: Check SUM CRC& Bank Close OK"));
}

TEST_F(Procedure, WrongDeviceChecksumFailsTheRunAfterFiveTriesWithoutTheDoneStep) {
  Bus({1});
  Load();
  Devices({{1, 2}});
  bench->boot.Configure(1, [](sim::BootDevice& d) { d.checksumDelta = 1; });
  EXPECT_EQ(tool->UpgradeDevice(1), 1);

  const QString sum = QString::asprintf("   ID1: INV_CheckSUM - 0x%04X", (tool->Info.Crc10 + 1) & 0xFFFF);
  EXPECT_EQ(bench->views.Steps().count(sum), 5);
  EXPECT_EQ(bench->views.Texts(Kind::Red), QStringList(5, "   ID1: Check SUM CRC& Bank Close Error"));
  EXPECT_EQ(StepLines(), kSevenSteps.mid(0, 6));
  const QStringList frames = bench->Frames();
  EXPECT_EQ(frames.mid(frames.size() - 5), QStringList(5, CloseBankFrame(kBroadcast, 512)));
  EXPECT_FALSE(bench->boot.Snapshot(1).done);
  EXPECT_EQ(tool->StepOk[1], 0);
  EXPECT_EQ(tool->Selected[1], 1) << "left for the run to report";
  EXPECT_NE(tool->DevGrid.Cell(DeviceGrid::kSwColumn, 1), "Done");
}

TEST_F(Procedure, RefusedDoneStepFailsTheOneDeviceRun) {
  Bus({1});
  Load();
  Devices({{1, 2}});
  bench->boot.Configure(1, [](sim::BootDevice& d) { d.errorReply[0x14] = 5; });
  EXPECT_EQ(tool->UpgradeDevice(1), 1);
  const QStringList steps = bench->views.Steps();
  EXPECT_EQ(steps.count("   ID1: Done - ERROR"), 5);
  EXPECT_TRUE(steps.filter("Done - Bank").isEmpty());
  EXPECT_EQ(tool->Selected[1], 1) << "left for the run to report";
  EXPECT_EQ(tool->StepOk[1], 0);
  EXPECT_NE(tool->DevGrid.Cell(DeviceGrid::kSwColumn, 1), "Done");
}

TEST_F(Procedure, DevicesThatAskAgainOrMissAnAnswerAreServedAndTheRunCompletes) {
  Bus({1, 2});
  Load(80);  // time for a request to arrive before the next block
  Devices({{1, 3}, {2, 3}});
  bench->boot.Configure(1, [](sim::BootDevice& d) {
    d.errorReply[0x13] = 1;  // its first bank close answered with an error
    d.silent[0x14] = 1;      // its first done request unanswered
  });
  bench->boot.Configure(2, [](sim::BootDevice& d) { d.retries = {{3, RowAddress(2), 0xA0}}; });
  ASSERT_EQ(tool->RunV03Procedure(), 0) << bench->views.Texts().join('\n').toStdString();

  EXPECT_EQ(RowsOf(bench->boot.Snapshot(2).blocks), Numbered(2, kRows, Numbered(1, 3)));
  const QStringList steps = bench->views.Steps();
  EXPECT_EQ(steps.count("   ID2: Retry Address: 0x00000020"), 1);
  EXPECT_EQ(bench->views.Texts(Kind::Red), QStringList({"   ID1: Check SUM CRC& Bank Close Error"}));
  EXPECT_EQ(steps.count("   ID1: Done - ERROR"), 1);
  for (int id : {1, 2}) {
    SCOPED_TRACE(id);
    const sim::BootDevice d = bench->boot.Snapshot(id);
    EXPECT_TRUE(d.done);
    EXPECT_EQ(sim::DeviceChecksum(d), tool->Info.Crc20);
    EXPECT_EQ(tool->Selected[id], 0);
    EXPECT_EQ(tool->StepOk[id], 1);
  }
}

TEST_F(Procedure, BootProcedureTakesTheDeviceInBootModeV02TheOtherVersionTwoDevice) {
  Bus({1, 2});
  Load();
  Devices({{1, 2}, {2, 2}});
  tool->NormalMode[1] = 0;  // 1 sits in its bootloader, 2 runs its application

  ASSERT_EQ(tool->RunBootProcedure(), 0);
  EXPECT_EQ(StepLines(), QStringList{"In Boot Procedure"} + kSevenSteps);
  EXPECT_EQ(bench->Frames().mid(0, 2), EnterBootFrames(1));
  EXPECT_TRUE(bench->boot.Snapshot(1).done);
  EXPECT_FALSE(bench->boot.Snapshot(2).done);
  EXPECT_EQ(tool->Selected[1], 0);
  EXPECT_EQ(tool->Selected[2], 1);

  bench->views.Clear();
  bench->sim.ClearFrames();
  ASSERT_EQ(tool->RunV02Procedure(), 0);
  EXPECT_EQ(StepLines(), QStringList{"In V02 Procedure"} + kSevenSteps) << "device 1 is not programmed again";
  EXPECT_EQ(bench->Frames().mid(0, 2), EnterBootFrames(2));
  EXPECT_TRUE(bench->boot.Snapshot(2).done);
  EXPECT_EQ(tool->Selected[2], 0);
}

TEST_F(Procedure, V03ChecksEverySelectedDeviceAndIsSilentWithoutAVersionThreeDevice) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> devices;  // ID, bootloader version
    int result;
    QStringList lines;
  };
  const Case cases[] = {
      {"a version-2 device that does not fit stops the run", {{1, 3}, {2, 2}}, 1,
       {"In V03 Procedure", "Step1 - Check Device", "ID2: HW Version No Match"}},
      {"only version-2 devices: nothing to do", {{2, 2}}, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bus({1, 2});
    Load();
    for (auto [id, version] : c.devices) AddDevice(*tool, id, version);
    tool->HwVersion[2][2].Major = 9;
    EXPECT_EQ(tool->RunV03Procedure(), c.result);
    EXPECT_EQ(bench->views.Steps(), c.lines);
    EXPECT_TRUE(bench->sim.Frames().empty()) << "no bootloader command";
  }
}

TEST_F(Procedure, BinRunProgramsIdOneWithItsFixedSettings) {
  Bus({1, 2});
  // The device listens only at 19,200 bit/s and sums BIN blocks chained.
  bench->sim.SetSlaveBaud(1, 19200);
  bench->boot.Configure(1, [](sim::BootDevice& d) { d.sum = sim::BootDevice::Sum::BinChain; });
  std::vector<std::uint8_t> bin(384);
  for (size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<std::uint8_t>(i * 5 + 1);
  const auto m = fw::MetaBytes(fw::Meta{});
  std::copy(m.begin(), m.end(), bin.begin() + 228);  // not in the first block
  ASSERT_EQ(tool->LoadBinData(QByteArray(reinterpret_cast<const char*>(bin.data()), 384)), 0);
  AddDevice(*tool, 2, 3);  // selected by an earlier HEX load: not this image's device
  bench->views.Clear();

  ASSERT_EQ(tool->RunBinProcedure(), 0) << bench->views.Texts().join('\n').toStdString();
  QStringList expected = EnterBootFrames(1);
  expected << SelectProcessorFrame(1, 9) << SelectBankFrame(1, 0x80000000u);
  for (std::uint32_t b = 0; b < 3; ++b)
    expected << Req(kBroadcast, 0x20,
                    Le32Bytes(0x80000000u + 128 * b) + Le32Bytes(b < 2 ? 0x80000080u + 128 * b : 0xF0000000u) +
                        QByteArray(reinterpret_cast<const char*>(bin.data()) + 128 * b, 128));
  expected << CloseBankFrame(1, 384) << DoneFrame(1);
  EXPECT_EQ(bench->Frames(), expected);
  EXPECT_EQ(StepLines(), QStringList{"In BIN Procedure"} + kSevenSteps.mid(1));

  EXPECT_EQ(tool->Info.ProgramSize, 128);
  EXPECT_EQ(tool->Info.StopAddress, "0xF0000000");
  EXPECT_EQ(tool->Info.StartAddress, "0x80000000");
  EXPECT_EQ(tool->Info.BaudRate, 19200);
  EXPECT_EQ(tool->Info.Processor, 9);
  EXPECT_EQ(tool->Info.AttemptDelay, 200);  // the block margin: 72 + 200 + 5 ms
  EXPECT_EQ(tool->BaudIndex[1], 2);
  EXPECT_EQ(bench->sim.LineBaud(), 19200);
  const sim::BootDevice d = bench->boot.Snapshot(1);
  EXPECT_TRUE(d.done);
  EXPECT_EQ(sim::DeviceChecksum(d), tool->Info.Crc20);
  EXPECT_FALSE(bench->boot.Snapshot(2).mode1);
}

TEST_F(Procedure, RunsWithNothingToSendOrABinImageOffTheSerialLinkAreRefusedBeforeAnyCommand) {
  struct Case {
    const char* what;
    bool image;
    int linkMode;
    std::function<int(upgradeTool&)> run;
    QString line;
  };
  const Case cases[] = {
      {"one device without image rows", false, LinkSerial, [](upgradeTool& t) { return t.UpgradeDevice(1); },
       "No Image Data to Program"},
      {"V03 without image rows", false, LinkSerial, [](upgradeTool& t) { return t.RunV03Procedure(); },
       "No Image Data to Program"},
      {"BIN without image rows", false, LinkSerial, [](upgradeTool& t) { return t.RunBinProcedure(); },
       "No Image Data to Program"},
      {"BIN on the radio dongle", true, LinkRadio, [](upgradeTool& t) { return t.RunBinProcedure(); },
       "BIN Upgrade Needs The Serial Link"},
      {"BIN on TCP", true, LinkTcp, [](upgradeTool& t) { return t.RunBinProcedure(); },
       "BIN Upgrade Needs The Serial Link"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bus({1});
    if (c.image) Load();
    AddDevice(*tool, 1, 3);
    bench->link.LinkMode = c.linkMode;
    const HexInfo before = tool->Info;
    EXPECT_EQ(c.run(*tool), 1);
    EXPECT_EQ(bench->views.Texts(Kind::Red), QStringList{c.line});
    EXPECT_TRUE(bench->sim.Frames().empty());
    EXPECT_EQ(tool->Info.ProgramSize, before.ProgramSize);
    EXPECT_EQ(tool->Info.BaudRate, before.BaudRate);
    bench->link.LinkMode = LinkSerial;
  }
}

TEST(DoneAck, FoundAfterStrayBytesAndOnlyWithinTheReceivedBytes) {
  upgtest::Recorder views;
  upgradeTool tool;
  tool.Views = &views;
  const QByteArray ack = BootReply(3, 0x14, Bytes({7}));
  QByteArray badCrc = ack;
  badCrc[8] = static_cast<char>(badCrc[8] ^ 0x40);
  struct Case {
    const char* what;
    QByteArray bytes;
    int count;
    int result;
  };
  const Case cases[] = {
      {"alone", ack, -1, 0},
      {"after stray bytes", Bytes({0x00, 0xFF, 0x14, 0x03}) + ack, -1, 0},
      {"after another device's", BootReply(4, 0x14, Bytes({2})) + ack, -1, 0},
      {"cut off by the read", ack, 8, 1},
      {"wrong CRC", badCrc, -1, 1},
      {"another device", BootReply(4, 0x14, Bytes({7})), -1, 1},
      {"an error reply", BootReply(3, 0x94), -1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    views.Clear();
    Receive(tool, c.bytes, c.count);
    EXPECT_EQ(tool.FindDoneAck(3), c.result);
    EXPECT_EQ(views.Texts(), c.result == 0 ? QStringList{"   ID3: Done - Bank = 7"} : QStringList());
  }
}

TEST(BootSpeed, TheImageSpeedSetsTheLinkAnyOtherLeavesIt) {
  upgtest::SerialBench bench({1}, 1);
  const std::pair<int, int> cases[] = {{4800, 4800}, {9600, 9600}, {19200, 19200}, {38400, 38400},
                                       {57600, 9600}, {0, 9600}, {14400, 9600}};
  for (auto [rate, expected] : cases) {
    bench.link.SetBaudIndex(1);
    bench.tool.Info.BaudRate = rate;
    bench.tool.SetBootSpeed();
    EXPECT_EQ(bench.link.Port.Baud, expected) << rate;
  }
}

}  // namespace
