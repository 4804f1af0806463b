// The device table against simulated bootloaders on the pty: modes, the five
// information requests, the device grid, the selection rules with the image's
// product-ID compatibility, and the software-version check after a run.
#include <gtest/gtest.h>

#include <cstring>

#include "sim/SimBootloader.h"
#include "support/QtPrinters.h"
#include "support/UpgradeFixture.h"

namespace {

using sim::Bytes;
using upgtest::Request;
using Kind = upgtest::Recorder::Kind;

QString Modbus802(int id) { return sim::HexText(sim::WithCrc(Bytes({id, 0x03, 0x03, 0x21, 0x00, 0x01}))); }

// The image the devices are judged against: product ID 71870541, processor 2,
// hardware 1.05, software 2.23.
void SetImage(HexInfo& info, const QString& productId = QStringLiteral("0x0448A84D")) {
  info.ProductId = productId;
  info.Processor = 2;
  info.HwVersionMajor = 1;
  info.HwVersionMinor = 5;
  info.SwVersionMajor = 2;
  info.SwVersionMinor = 23;
}

// A device that fits the image with older software.
void Fitting(sim::BootDevice& d) {
  d.serial = "SN12345678901234";
  d.model = "MODEL-ABCDEFGHIJ";
  d.hw[2] = {1, 5};
  d.sw[2] = {2, 10};
}

TEST(DeviceTable, QueryModesReadsBootVersionAndModbusMode) {
  upgtest::SerialBench bench({1, 2});
  bench.sim.SetProductId(1, 71870541);
  bench.boot.Configure(1, [](sim::BootDevice& d) { d.bootVersion = 3; });
  // Device 2: no answer to 0x16 and its bootloader runs, so Modbus is silent.
  bench.boot.Configure(2, [](sim::BootDevice& d) {
    d.bootVersion = -1;
    d.normalMode = false;
  });
  upgradeTool& tool = bench.tool;
  tool.DevGrid.SetRowCount(4);
  tool.InitDevices();

  EXPECT_EQ(tool.QueryModes(), 0);

  EXPECT_EQ(bench.Frames(), QStringList({Request(1, 0x16), Request(2, 0x16), Request(2, 0x16), Modbus802(1),
                                         Modbus802(2)}));
  EXPECT_EQ(Request(1, 0x16).size(), 8 * 3 - 1);  // 8 bytes
  EXPECT_EQ(tool.BootVersion[1], 3);
  EXPECT_EQ(tool.BootVersion[2], 2);
  EXPECT_EQ(tool.NormalMode[1], 1);
  EXPECT_EQ(tool.NormalMode[2], 0);
  EXPECT_EQ(tool.DevGrid.RowCount(), 1);
  EXPECT_EQ(bench.views.progress, std::vector<int>({0}));
}

// A bootloader version is taken only from a reply whose CRC holds.
TEST(DeviceTable, BootVersionReplyWithoutItsCrcIsNotTaken) {
  upgtest::SerialBench bench({1});
  bench.boot.Configure(1, [](sim::BootDevice& d) { d.bootVersion = 3; });
  bench.sim.QueueFault(sim::ReplyFault::BadCrc());
  bench.sim.QueueFault(sim::ReplyFault::BadCrc());
  upgradeTool& tool = bench.tool;
  tool.InitDevices();
  EXPECT_EQ(tool.QueryModes(), 0);
  EXPECT_EQ(tool.BootVersion[1], 2);
}

TEST(DeviceTable, ReadDeviceInfoStoresRepliesAndErrorRepliesFixedValues) {
  upgtest::SerialBench bench({1, 2});
  bench.sim.SetProductId(1, 71870541);
  bench.sim.SetProductId(2, 71870541);
  bench.boot.Configure(1, Fitting);
  bench.boot.Configure(2, [](sim::BootDevice& d) {
    for (int command : {0x00, 0x01, 0x02, 0x03, 0x04}) d.errorReply[command] = 1;
  });
  upgradeTool& tool = bench.tool;
  SetImage(tool.Info);
  tool.InitDevices();

  EXPECT_EQ(tool.ReadDeviceInfo(), 0);

  QStringList expected;
  for (int id : {1, 2})
    expected << Request(id, 0x00) << Request(id, 0x01) << Request(id, 0x02) << Request(id, 0x03, Bytes({2}))
             << Request(id, 0x04, Bytes({2}));
  EXPECT_EQ(bench.Frames(), expected);
  EXPECT_EQ(bench.views.Steps(), QStringList({"ID1: Getting Information", "ID2: Getting Information"}));

  EXPECT_EQ(tool.DevicePid[1], 71870541);
  EXPECT_STREQ(tool.SerialNumber[1], "SN12345678901234");
  EXPECT_STREQ(tool.ModelName[1], "MODEL-ABCD");  // the first 10 of 16
  EXPECT_EQ(tool.HwVersion[1][2].Value(), 105);
  EXPECT_EQ(tool.SwVersion[1][2].Value(), 210);
  EXPECT_EQ(tool.InfoRead[1], 1);

  EXPECT_EQ(tool.DevicePid[2], 0);
  EXPECT_STREQ(tool.SerialNumber[2], "xxxxxxxxxxxxxxxx");
  EXPECT_STREQ(tool.ModelName[2], "xxxxxxxxxx");
  EXPECT_EQ(tool.HwVersion[2][2].Major, 120);
  EXPECT_EQ(tool.HwVersion[2][2].Minor, 120);
  EXPECT_EQ(tool.SwVersion[2][2].Value(), 0);
  EXPECT_EQ(tool.InfoRead[2], 1);
}

// A second load must not live on the first one's information: a device that
// stops answering halfway is neither selected nor selectable, and the device
// after it, which is not read at all, keeps nothing from the first load.
TEST(DeviceTable, DeviceNotReadInThisLoadIsNeverSelected) {
  upgtest::SerialBench bench({1, 2});
  for (int id : {1, 2}) {
    bench.sim.SetProductId(id, 71870541);
    bench.boot.Configure(id, Fitting);
  }
  upgradeTool& tool = bench.tool;
  SetImage(tool.Info);
  tool.InitDevices();
  ASSERT_EQ(tool.ReadDeviceInfo(), 0);
  tool.ShowDeviceGrid();
  tool.SelectDevices();
  ASSERT_EQ(tool.Selected[1], 1);
  ASSERT_EQ(tool.Selected[2], 1);

  // Device 1 leaves its software version unanswered through every try.
  bench.boot.Configure(1, [](sim::BootDevice& d) { d.silent[0x04] = 5; });
  tool.InitDevices();
  for (int id : {1, 2}) {
    EXPECT_EQ(tool.DevicePid[id], 0);
    EXPECT_EQ(tool.HwVersion[id][2].Value(), 0);
    EXPECT_STREQ(tool.SerialNumber[id], "");
    EXPECT_STREQ(tool.ModelName[id], "");
    EXPECT_EQ(tool.InfoRead[id], 0);
    EXPECT_EQ(tool.Selected[id], 0);
  }
  bench.sim.ClearFrames();
  EXPECT_EQ(tool.ReadDeviceInfo(), 1);
  EXPECT_EQ(bench.Frames().size(), 4 + 5);  // device 2 is not asked

  tool.ShowDeviceGrid();
  tool.SelectDevices();
  EXPECT_EQ(tool.InfoRead[1], 0);
  EXPECT_EQ(tool.Selected[1], 0);  // its version reads 0.00, which would select it
  EXPECT_EQ(tool.Selected[2], 0);
  EXPECT_EQ(tool.DevicePid[2], 0);
  tool.ToggleDevice(tool.GridRow[1]);
  tool.ToggleDevice(tool.GridRow[2]);
  EXPECT_EQ(tool.Selected[1], 0);
  EXPECT_EQ(tool.Selected[2], 0);
}

TEST(DeviceTable, GridShowsHeadersAndOneRowPerPresentDevice) {
  upgtest::Recorder views;
  upgradeTool tool;
  tool.Views = &views;
  SetImage(tool.Info);
  tool.ShowDeviceGrid();
  EXPECT_EQ(tool.DevGrid.RowCount(), 2);  // no device: only what the grid had

  for (int id : {3, 7}) tool.DeviceId[id] = static_cast<std::uint8_t>(id);
  tool.NormalMode[3] = 1;
  tool.BootVersion[3] = 3;
  tool.BootVersion[7] = 0x1A;
  std::strcpy(tool.ModelName[3], "MODEL-ABCD");
  std::strcpy(tool.SerialNumber[3], "SN12345678901234");
  tool.DevicePid[3] = 71870541;
  tool.DevicePid[7] = -5;
  tool.HwVersion[3][2] = {1, 5};
  tool.SwVersion[3][2] = {2, 23};
  tool.SwVersion[7][2] = {10, 7};
  tool.DevGrid.SetRowCount(1);
  tool.ShowDeviceGrid();

  const auto row = [&](int r) {
    QStringList cells;
    for (int c = 0; c < DeviceGrid::kColumns; ++c) cells << tool.DevGrid.Cell(c, r);
    return cells;
  };
  EXPECT_EQ(row(0), QStringList({"", "", "ID", "", "Mode", "Model Name", "Serial Number", "Product ID", "Boot SW",
                                 "HW", "SW"}));
  std::vector<int> widths;
  for (int c = 0; c < DeviceGrid::kColumns; ++c) widths.push_back(tool.DevGrid.ColumnWidth(c));
  EXPECT_EQ(widths, std::vector<int>({30, 30, 30, 30, 50, 90, 105, 70, 45, 40, 40}));
  EXPECT_EQ(row(1), QStringList({"1", "", " 3", "", "Normal", "MODEL-ABCD", "SN12345678901234", "71870541", "V03",
                                 "1.05", "2.23"}));
  EXPECT_EQ(row(2), QStringList({"2", "", " 7", "", "Boot", "", "", "-5", "V1A", "0.00", "10.07"}));
  EXPECT_EQ(tool.DevGrid.RowCount(), 3);
  EXPECT_EQ(tool.GridRow[3], 1);
  EXPECT_EQ(tool.GridRow[7], 2);
  EXPECT_EQ(tool.GridRow[5], 0);
}

struct SelectCase {
  const char* name;
  const char* imagePid;
  std::int32_t devicePid;
  VersionPair hw, sw;
  int normalMode;
  int selected, normalAfter;
  const char* redLine;  // nullptr: none
};

// Image hardware 1.05, software 2.23, product ID 71870541 unless named.
const SelectCase kSelectCases[] = {
    {"OlderSoftware", nullptr, 71870541, {1, 5}, {2, 10}, 1, 1, 1, nullptr},
    {"SameSoftware", nullptr, 71870541, {1, 5}, {2, 23}, 1, 0, 1, nullptr},
    {"NewerSoftwareInBootMode", nullptr, 71870541, {1, 5}, {3, 0}, 0, 1, 0, nullptr},
    {"NoSoftwareGoesToBootMode", nullptr, 71870541, {1, 5}, {0, 0}, 1, 1, 0, nullptr},
    {"Major255Never", nullptr, 71870541, {1, 5}, {255, 0}, 0, 0, 0, nullptr},
    {"CompatibleDevice71847260", nullptr, 71847260, {1, 5}, {2, 10}, 1, 1, 1, nullptr},
    {"CompatibleDevice71812748", nullptr, 71812748, {1, 5}, {2, 10}, 1, 1, 1, nullptr},
    {"IncompatibleDevice71868133", nullptr, 71868133, {1, 5}, {2, 10}, 1, 0, 1, "ID1: PID No Match "},
    {"IncompatibleInBootMode", nullptr, 71868133, {1, 5}, {2, 10}, 0, 0, 0, "ID1: PID No Match "},
    {"LastRowLastDevice", "0x0448BB4A", 71813026, {1, 5}, {2, 10}, 1, 1, 1, nullptr},  // image 71875402
    // Image 71812748 on a device that reports 71870586: the table goes one way.
    {"TableIsOneWay", "0x0447C68C", 71870586, {1, 5}, {2, 10}, 1, 0, 1, "ID1: PID No Match "},
    {"HwMajor", nullptr, 71870541, {2, 5}, {2, 10}, 1, 0, 1, "ID1: HW Version No Match"},
    {"HwMinorTwoSpaces", nullptr, 71870541, {1, 6}, {2, 10}, 1, 0, 1, "ID1: HW Version  No Match"},
};

class Selection : public ::testing::TestWithParam<SelectCase> {};

TEST_P(Selection, FollowsVersionsModeAndCompatibility) {
  const SelectCase& c = GetParam();
  upgtest::Recorder views;
  upgradeTool tool;
  tool.Views = &views;
  SetImage(tool.Info, c.imagePid ? QString::fromLatin1(c.imagePid) : QStringLiteral("0x0448A84D"));
  tool.DeviceId[1] = 1;
  tool.InfoRead[1] = 1;
  tool.DevicePid[1] = c.devicePid;
  tool.HwVersion[1][2] = c.hw;
  tool.SwVersion[1][2] = c.sw;
  tool.NormalMode[1] = c.normalMode;

  EXPECT_EQ(tool.SelectDevices(), 0);

  EXPECT_EQ(tool.Selected[1], c.selected);
  EXPECT_EQ(tool.NormalMode[1], c.normalAfter);
  EXPECT_EQ(views.Texts(Kind::Red), c.redLine ? QStringList({c.redLine}) : QStringList());
  EXPECT_TRUE(views.Texts(Kind::Normal).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, Selection, ::testing::ValuesIn(kSelectCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceTable, ToggleFlipsTheRowsDeviceButNeverMajor255) {
  upgradeTool tool;
  SetImage(tool.Info);
  for (int id : {4, 9}) {
    tool.DeviceId[id] = static_cast<std::uint8_t>(id);
    tool.InfoRead[id] = 1;
  }
  tool.SwVersion[9][2] = {255, 0};
  tool.ShowDeviceGrid();

  tool.ToggleDevice(1);
  EXPECT_EQ(tool.Selected[4], 1);
  tool.ToggleDevice(1);
  EXPECT_EQ(tool.Selected[4], 0);
  tool.ToggleDevice(2);
  EXPECT_EQ(tool.Selected[9], 0);
  tool.ToggleDevice(0);  // the header row names no device (nor every unshown one)
  for (int id = 1; id <= upgradeTool::kLastId; ++id) EXPECT_EQ(tool.Selected[id], 0) << id;
}

// A processor index from the descriptor outside the version tables reads and
// selects nothing; an ID outside the table is no device.
TEST(DeviceTable, ProcessorAndIdOutsideTheTablesAreRefused) {
  upgtest::SerialBench bench({1});
  upgradeTool& tool = bench.tool;
  SetImage(tool.Info);
  tool.InitDevices();
  for (int p : {10, -1, 255}) {
    tool.Info.Processor = p;
    EXPECT_EQ(tool.ReadDeviceInfo(), 1);
    tool.InfoRead[1] = 1;
    tool.SelectDevices();
    EXPECT_EQ(tool.Selected[1], 0);
    tool.ShowDeviceGrid();
    tool.ToggleDevice(1);
    EXPECT_EQ(tool.Selected[1], 0);
    EXPECT_EQ(tool.CheckDevice(tool.Info, 1), 1);
  }
  EXPECT_EQ(tool.CheckSoftwareVersion(1, 223, kProcessorCount), 1);
  SetImage(tool.Info);
  EXPECT_EQ(tool.CheckDevice(tool.Info, 0), 1);
  EXPECT_EQ(tool.CheckDevice(tool.Info, 254), 1);
  EXPECT_TRUE(bench.Frames().isEmpty());
}

class SoftwareVersionSpeed : public ::testing::TestWithParam<int> {};

TEST_P(SoftwareVersionSpeed, AcceptedAtEachBaudRateInTurn) {
  const int index = GetParam();
  upgtest::SerialBench bench({1}, 3);
  bench.sim.SetSlaveBaud(1, 4800 << index);
  bench.boot.Configure(1, [](sim::BootDevice& d) { d.sw[2] = {2, 23}; });
  upgradeTool& tool = bench.tool;

  EXPECT_EQ(tool.CheckSoftwareVersion(1, 223, 2), 0);

  QStringList expected;
  for (int t = 0; t <= index; ++t) expected << Request(1, 0x04, Bytes({2}));
  EXPECT_EQ(bench.Frames(), expected);
  EXPECT_EQ(Request(1, 0x04, Bytes({2})).size(), 9 * 3 - 1);
  EXPECT_EQ(bench.sim.LineBaud(), 4800 << index);
  EXPECT_EQ(tool.SwVersion[1][2].Value(), 223);
  const QString reply = sim::HexText(sim::BootReply(1, 0x04, Bytes({2, 23, 2})));
  EXPECT_EQ(bench.views.Texts().last(), QStringLiteral("   Rx: ") + reply + QLatin1Char(' '));
  EXPECT_TRUE(bench.views.Texts(Kind::Red).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Bauds, SoftwareVersionSpeed, ::testing::Values(0, 1, 2, 3));

// The right version with a wrong CRC is no reply.
TEST(DeviceTable, SoftwareVersionWithoutValidCrcFailsAfterTwentyTries) {
  upgtest::SerialBench bench({1});
  bench.boot.Configure(1, [](sim::BootDevice& d) { d.sw[2] = {2, 23}; });
  bench.sim.SetStandingFault(sim::ReplyFault::BadCrc());
  upgradeTool& tool = bench.tool;

  EXPECT_EQ(tool.CheckSoftwareVersion(1, 223, 2), 1);

  EXPECT_EQ(bench.Frames().size(), 20);
  EXPECT_EQ(bench.views.Texts(Kind::Red), QStringList({"   ID1: Check SV Error"}));
  EXPECT_EQ(bench.views.Texts(Kind::Normal).size(), 20);  // one receive dump per try
  EXPECT_EQ(bench.sim.LineBaud(), 38400);                 // the last index tried stays
  EXPECT_EQ(tool.SwVersion[1][2].Value(), 0);
}

}  // namespace
