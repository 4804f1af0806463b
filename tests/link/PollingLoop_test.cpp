#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "app/LogViews.h"
#include "app/Myfunc.h"
#include "link/Executor.h"
#include "link/Modbus.h"
#include "link/PollingLoop.h"
#include "logs/DataLogActive.h"
#include "monitor/VersionView.h"
#include "monitor/AcView.h"
#include "monitor/AdcBusView.h"
#include "monitor/BatteryWarnView.h"
#include "monitor/DailyEnergyView.h"
#include "monitor/DcView.h"
#include "monitor/DeratingView.h"
#include "monitor/EngineeringViews.h"
#include "monitor/EventView.h"
#include "monitor/InvTimeView.h"
#include "monitor/LoadBatteryViews.h"
#include "monitor/MonthlyEnergyView.h"
#include "monitor/OemEventView.h"
#include "monitor/OemMonitorView.h"
#include "monitor/OlderLineView.h"
#include "monitor/StatusView.h"
#include "monitor/TemperatureView.h"
#include "monitor/UserPollView.h"
#include "settings/AustraliaSetView.h"
#include "settings/CountryView.h"
#include "settings/FaultRideThroughView.h"
#include "settings/GridSupportViews.h"
#include "settings/JapanViews.h"
#include "settings/ProtectionFunctionViews.h"
#include "settings/ProtectionViews.h"
#include "settings/RelayViews.h"
#include "settings/StatusCommands.h"
#include "platform/ValueLabel.h"
#include "sim/SimIdProbe.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"
#include "support/UserInput.h"
#include "support/Wait.h"

using polltest::LinkedWindow;
using polltest::Rtu;

namespace {

const QString kRead802 = Rtu({1, 3, 0x03, 0x21, 0, 1});
const QString kWrite802 = "01 06 03 21 00 05 19 87";

struct PollingLoop : ::testing::Test {
  LinkedWindow t;
  TForm_Main& w = t.w;
  void SetUp() override {
    t.ShowPanel("Group_Version");
    w.LinkOpen = true;
    w.Ctl<QPushButton>("OpenPort")->setEnabled(false);
    w.Ctl<QPushButton>("ClosePort")->setEnabled(true);
  }
  // Runs fn when the device has received n frames (checked every 5 ms).
  void AtFrame(size_t n, std::function<void()> fn) {
    waits::Until(
        &w, "frame " + std::to_string(n),
        [this, n, fn] {
          if (t.sim.Frames().size() < n) return false;
          fn();
          return true;
        },
        [this] { w.ClosePortClick(); });
  }
  size_t Count(const QString& frame) {
    const auto f = t.Frames();
    return std::count(f.begin(), f.end(), frame);
  }
};

}  // namespace

TEST(PollOrder, VersionFirstAndAscending) {
  const auto rows = PollOrder();
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0].item, &PollVersion);
  for (size_t i = 1; i < rows.size(); ++i) EXPECT_LT(rows[i - 1].order, rows[i].order);
}

// The places of the pass that are built, each with its item. A view that
// takes its place adds its row here; the pass must hold exactly these.
struct Place {
  int order;
  PollItem item;
};
const Place kBuiltPlaces[] = {
    {1, PollVersion},           {2, PollTemper1},
    {3, PollTemper2},           {4, PollOutputPower},
    {5, PollAC},                {6, PollAC1},
    {7, PollAC2},               {8, PollAC3},
    {9, PollAC1},               {10, PollLNST},
    {11, PollDC},               {12, PollStringCurr},
    {13, PollADC},              {14, PollVbus},
    {15, PollTotalBus},         {16, PollTotalPower},
    {17, PollTestValue},        {18, PollDcRelayAccTimes},
    {19, PollAntiPid},          {20, PollWarnEvent},
    {21, PollCountry},          {22, PollErrorEvent},
    {23, PollUacProtection},    {24, PollFreqProtection},
    {25, PollAcTerminal},       {26, PollReactivePower},
    {27, PollQUCtrl},           {28, PollCosPCtrl},
    {29, PollExtendCosphiP},    {30, PollActivePower},
    {31, PollPFCtrl},           {32, PollPUFunction},
    {33, PollCosphiOfU},        {34, PollLVFR},
    {35, PollIslanding},        {36, PollAntiIsland},
    {37, PollARCTest},          {38, PollFactory},
    {39, PollVIPGain},          {40, PollFanTest},
    {41, PollFanFail},          {42, PollDeratingRecords},
    {43, PollEPO},              {44, PollStatus},
    {45, PollInsulation},       {46, PollGroundCurr},
    {47, PollDcInj},            {48, PollK4QSetting},
    {49, PollJapanSet},         {50, PollJapUserSet},
    {51, PollJapUserSetOld},    {52, PollBTInfo},
    {53, PollBTCTRL},           {54, PollSubsidy},
    {55, PollBTModule1},        {56, PollBTModule2},
    {57, PollLoadPower1},       {58, PollLoadPower2},
    {59, PollStandAlone3P},     {60, PollDeratingRecordsOPV},
    {61, PollDeratingRecordsVin}, {62, PollDeratingRecordsOPVLo},
    {63, PollDeratingRecordsPM}, {64, PollMaxOutputValue},
    {65, PollMaxInputValue},    {66, PollInvTime},
    {67, PollDryContact},       {68, PollDailyEnergy},
    {69, PollMonthlyEnergy},    {70, PollNightMode},
    {71, PollUser01},           {72, PollUser02},
    {73, PollUser03},           {74, PollUser04},
    {75, PollErrorCodes},       {76, PollJapanErrorList},
    {77, PollBrennikMM},
    {78, PollBRKThermalEvent},  {79, PollBRKOpvEvent},
    {80, PollBRKVinEvent},      {81, PollBRKOpvloEvent},
    {82, PollBRKSetPoint},      {83, PollBRKEnergy},
    {84, PollRelayFunction},    {85, PollJapanActivePower},
    {86, PollMerivonTest},      {87, PollMerivonDc1},
    {88, PollMerivonDc2},       {89, PollMerivonAc1},
    {90, PollCommProtection},   {91, PollAustraliaSet},
    {92, PollQbyNight},         {93, PollQofP},
    {94, PollRPROVGR},
};
constexpr int kPlacesInThePass = 94;

// Every place of the pass holds its item and nothing else is in it.
TEST(PollOrder, EveryPlaceHoldsItsItem) {
  const auto rows = PollOrder();
  ASSERT_EQ(rows.size(), std::size(kBuiltPlaces));
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].order, kBuiltPlaces[i].order) << "row " << i;
    EXPECT_EQ(rows[i].item, kBuiltPlaces[i].item) << "place " << kBuiltPlaces[i].order;
  }
  QStringList missing;
  for (int place = 1; place <= kPlacesInThePass; ++place)
    if (std::none_of(rows.begin(), rows.end(), [place](const PollRow& r) { return r.order == place; }))
      missing << QString::number(place);
  EXPECT_LE(rows.back().order, kPlacesInThePass);
  EXPECT_TRUE(missing.isEmpty()) << "places missing: " << missing.join(", ").toStdString();
}

TEST(OptionSummary, SignStepAndLock) {
  EXPECT_EQ(OptionSummary(0, 0, 0), "Ind+ 1% , Unlock");
  EXPECT_EQ(OptionSummary(1, 1, 1), "Ind- 0.1% , Lock");
  EXPECT_EQ(OptionSummary(2, 2, 2), " , Unlock");
}

TEST_F(PollingLoop, CloseRequestEndsTheLoopAndClosesTheLink) {
  DataLogActive = 1;
  AtFrame(6, [&] { w.ClosePortClick(); });
  EXPECT_EQ(w.RunPollingLoop(), 1);
  EXPECT_GE(t.sim.Frames().size(), 6u);
  EXPECT_EQ(w.StatusText(4), "COM Close");
  EXPECT_EQ(w.StatusText(8), "Ind+ 1% , Unlock");
  EXPECT_TRUE(w.Ctl<QPushButton>("OpenPort")->isEnabled());
  EXPECT_FALSE(w.Ctl<QPushButton>("ClosePort")->isEnabled());
  EXPECT_FALSE(w.Link.Port.IsOpen());
  EXPECT_FALSE(w.LinkOpen);
  EXPECT_EQ(w.PollStop, 1);
  EXPECT_EQ(DataLogActive, 0);
}

TEST_F(PollingLoop, PostedWriteRunsBetweenPassesAndIsReadBack) {
  // Posted while the first pass's first request waits, as an editor posts it.
  AtFrame(1, [&] {
    PostCommand(w.Link, 6, 802, 5);
    w.Ctl<ValueLabel>("Label_InvProtocol")->setFontColor(clRed);
  });
  AtFrame(12, [&] { w.ClosePortClick(); });
  EXPECT_EQ(w.RunPollingLoop(), 1);
  const auto frames = t.Frames();
  ASSERT_GE(frames.size(), 7u);
  // The first pass runs to its end (the version item had begun), then the write, then the read-back.
  EXPECT_EQ(frames[0], kRead802);
  EXPECT_EQ(frames[5], kWrite802);
  EXPECT_EQ(frames[6], kRead802);
  EXPECT_EQ(Count(kWrite802), 1u);
  EXPECT_EQ(w.Ctl<ValueLabel>("Label_InvProtocol")->text(), "SunSpec");
  EXPECT_EQ(w.Ctl<ValueLabel>("Label_InvProtocol")->fontColor(), clGreen);
  EXPECT_EQ(w.Link.CmdCode, 0);
}

TEST_F(PollingLoop, TwoEditsInOnePassOnlyTheSecondRuns) {
  AtFrame(1, [&] {
    PostCommand(w.Link, 6, 802, 5);
    PostCommand(w.Link, 6, 803, 7);
  });
  AtFrame(12, [&] { w.ClosePortClick(); });
  w.RunPollingLoop();
  EXPECT_EQ(Count(kWrite802), 0u);
  EXPECT_EQ(Count(Rtu({1, 6, 0x03, 0x22, 0, 7})), 1u);
}

TEST_F(PollingLoop, LockedWriteIsRefusedAndNothingGoesOut) {
  w.WriteLock = 1;
  AtFrame(1, [&] { PostCommand(w.Link, 6, 802, 5); });
  AtFrame(12, [&] { w.ClosePortClick(); });
  w.RunPollingLoop();
  EXPECT_EQ(Count(kWrite802), 0u);
  EXPECT_EQ(t.dialogs.messages, QStringList{"Lock: Permission denied"});
  EXPECT_EQ(w.StatusText(8), "Ind+ 1% , Lock");
  EXPECT_EQ(w.Link.CmdCode, 0);
}

// Close clicked while a request waits: the loop is still running, but it is
// ending. A scan asked for now is refused, and a command posted in the same
// pass is not run on the way out.
TEST_F(PollingLoop, AfterCloseNoScanAndNoCommandRuns) {
  sim::AddIdProbe(t.sim);
  w.Ctl<QLineEdit>("Edit_StartID")->setText("1");
  w.Ctl<QLineEdit>("Edit_EndID")->setText("1");
  AtFrame(1, [&] {
    PostCommand(w.Link, 6, 802, 5);
    w.ClosePortClick();
    w.Btn_ScanIDClick();
  });
  EXPECT_EQ(w.RunPollingLoop(), 1);
  EXPECT_EQ(t.dialogs.messages, QStringList{"Please Connect to Inverters first"});
  for (const auto& f : t.sim.Frames()) EXPECT_NE(f.protocol, "probe");
  EXPECT_EQ(Count(kWrite802), 0u);
  EXPECT_FALSE(w.Link.Port.IsOpen());
}

TEST_F(PollingLoop, FailedRequestLeavesNoStaleLinkOpenState) {
  AtFrame(3, [&] { w.Link.Port.Close(); });
  EXPECT_EQ(w.RunPollingLoop(), 1);
  EXPECT_FALSE(w.LinkOpen);
  EXPECT_EQ(w.PollStop, 1);
  EXPECT_EQ(w.StatusText(4), "COM Close");
  EXPECT_TRUE(w.Ctl<QPushButton>("OpenPort")->isEnabled());
}

TEST_F(PollingLoop, ReentryRestartsAtThePassBoundary) {
  int nested = -1;
  bool nestedReturnedAtOnce = false;
  AtFrame(2, [&] {
    const size_t before = t.sim.Frames().size();
    w.PollStop = 1;  // the fresh loop clears it, as a new loop does
    nested = w.RunPollingLoop();
    nestedReturnedAtOnce = t.sim.Frames().size() == before && w.Link.Port.IsOpen();
  });
  AtFrame(14, [&] { w.ClosePortClick(); });
  EXPECT_EQ(w.RunPollingLoop(), 1);
  EXPECT_EQ(nested, 0);
  EXPECT_TRUE(nestedReturnedAtOnce);
  // Every request had the link to itself: no reply was lost or mixed up.
  EXPECT_EQ(w.Link.NoReplyCount, 0);
  EXPECT_EQ(w.Link.CrcErrors, 0);
  EXPECT_GE(t.sim.Frames().size(), 14u);
  EXPECT_FALSE(w.Link.Port.IsOpen());
}

TEST_F(PollingLoop, FirmwareHandOverKeepsThePortOpen) {
  AtFrame(3, [&] {
    w.KeepPortOpen = 1;
    w.PollStop = 1;
  });
  EXPECT_EQ(w.RunPollingLoop(), 0);
  EXPECT_TRUE(w.Link.Port.IsOpen());
  EXPECT_TRUE(w.LinkOpen);
  EXPECT_FALSE(w.Ctl<QPushButton>("OpenPort")->isEnabled());
  EXPECT_TRUE(w.Ctl<QPushButton>("ClosePort")->isEnabled());
}

TEST_F(PollingLoop, HiddenPanelsSendNothing) {
  t.ShowPanel("Group_Version", false);
  // Close once a whole pass has run (panel 8 is written after each pass),
  // however slowly the machine runs.
  waits::Until(
      &w, "a whole pass",
      [&] {
        if (w.StatusText(8).isEmpty()) return false;
        w.ClosePortClick();
        return true;
      },
      [&] { w.ClosePortClick(); });
  EXPECT_EQ(w.RunPollingLoop(), 1);
  EXPECT_TRUE(t.Frames().empty());
  EXPECT_EQ(w.StatusText(8), "Ind+ 1% , Unlock");
}

// ---------------------------------------------------------------------------
// End to end: the program folder, the profile, the open button and the
// simulated inverter on a pty, as a technician uses them.

namespace {

void WriteFile(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).path());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text);
}

// A version block: comm V1.05, DSP V2.07, redundant V3.10, no ARC, SCM V1.00,
// serial "TV-12 34AB", one phase, scale word 0x1DA4.
void LoadDevice(sim::SimInverter& sim, int id) {
  sim.AddSlave(id);
  sim.SetHolding(id, 802, 0);
  const QByteArray sn("TV-12 34AB\0\0\0\0", 14);
  std::vector<uint16_t> w(33, 0);
  w[0] = 0x0105;
  w[2] = 0x0207;
  w[4] = 0x030A;
  w[6] = 0xFF00;
  w[8] = 0x0100;
  for (int i = 0; i < 14; ++i) w[12 + i / 2] |= static_cast<uint8_t>(sn[i]) << (i % 2 ? 0 : 8);
  w[24] = 1;
  w[32] = 0x1DA4;
  for (int k = 0; k < 33; ++k) sim.SetInput(id, 40963 + k, w[k]);
  const char model[] = "SOL-5000TL-EU###";
  for (int k = 0; k < 8; ++k) sim.SetHolding(id, 44032 + k, uint8_t(model[2 * k]) << 8 | uint8_t(model[2 * k + 1]));
  sim.SetHolding(id, 25338, 0x2105);
  sim.SetHolding(id, 60673, 0x0102);
}

struct LinkOpening : ::testing::Test {
  polltest::TempHome home;
  FakeDialogs dialogs;
  sim::SimInverter sim;
  std::unique_ptr<TForm_Main> w;

  // Inverters remembered from the last run: ID and speed index.
  void SetUpHome(std::initializer_list<std::pair<int, int>> inverters) {
    const QString root = home.dir.path();
    QByteArray previous = "[Language]\r\nSet=0\r\n\r\n[InvExist]\r\n";
    for (auto [id, baud] : inverters) previous += "ID" + QByteArray::number(id) + "=" + QByteArray::number(baud) + "\r\n";
    WriteFile(root + "/profile/PreviousSet.KXL", previous);
    // Both profiles show the version panel on their first page; Site has the write lock.
    for (const char* profile : {"SuperUser", "Site"}) {
      WriteFile(root + "/" + profile + "/MonitorSet0.KXL", "[Version]\r\nHeight=7770\r\nTop=20\r\nLeft=10\r\n");
      WriteFile(root + "/" + profile + "/MonitorSet.KXL",
                QByteArray("[Write]\r\nPermission=") + (profile == QLatin1String("Site") ? "1" : "0") + "\r\n");
    }
    qputenv("QORVANE_EXTRA_PORTS", sim.PortPath().toUtf8());
    w = std::make_unique<TForm_Main>();
    w->show();  // the show handler: previous inverters, tree, profile list
    w->Combo_COMEnter();
  }
  void TearDown() override { qunsetenv("QORVANE_EXTRA_PORTS"); }

  void PickProfile(const char* name) {
    auto* combo = w->Ctl<QComboBox>("Combo_SelectMode");
    const int i = combo->findText(name);
    ASSERT_GE(i, 0) << name;
    combo->setCurrentIndex(i);
    w->Combo_SelectModeChange();
  }
  // Runs fn once the device has received n frames.
  void AtFrame(size_t n, std::function<void()> fn) {
    waits::Until(
        w.get(), "frame " + std::to_string(n),
        [this, n, fn] {
          if (sim.Frames().size() < n) return false;
          fn();
          return true;
        },
        [this] { w->ClosePortClick(); });
  }
  std::vector<QString> Frames() const {
    std::vector<QString> out;
    for (const sim::SimFrame& f : sim.Frames()) out.push_back(sim::HexText(f.bytes));
    return out;
  }
  QString Text(const char* name) { return w->Ctl<ValueLabel>(name)->text(); }
  QRgb Colour(const char* name) { return w->Ctl<ValueLabel>(name)->fontColor(); }
  void ClickOpen() { w->Ctl<QPushButton>("OpenPort")->click(); }
};

const std::vector<QString> kVersionPass = {
    Rtu({1, 3, 0x03, 0x21, 0, 1}), Rtu({1, 4, 0xA0, 0x02, 0, 33}), Rtu({1, 3, 0xAB, 0xFF, 0, 8}),
    Rtu({1, 3, 0x62, 0xF9, 0, 1}), Rtu({1, 3, 0xED, 0x00, 0, 1})};

}  // namespace

TEST_F(LinkOpening, WithoutAProfileNothingOpens) {
  LoadDevice(sim, 1);
  SetUpHome({{1, 1}});
  ClickOpen();
  EXPECT_EQ(dialogs.messages, QStringList{"You have to select Monitor Mode first"});
  EXPECT_TRUE(w->Ctl<QPushButton>("OpenPort")->isEnabled());
  EXPECT_FALSE(w->Ctl<QPushButton>("ClosePort")->isEnabled());
  EXPECT_TRUE(sim.Frames().empty());
  EXPECT_FALSE(w->LinkOpen);
}

TEST_F(LinkOpening, VersionViewFillsThenAPostedWriteIsReadBackThenClose) {
  LoadDevice(sim, 1);
  SetUpHome({{1, 1}});
  PickProfile("SuperUser");
  ASSERT_FALSE(w->Panel("Group_Version")->isHidden());

  // After the first pass, post a write the way a setting editor does.
  AtFrame(5, [&] {
    EXPECT_EQ(w->StatusText(4), "COM Open");
    EXPECT_FALSE(w->Ctl<QPushButton>("OpenPort")->isEnabled());
    EXPECT_TRUE(w->Ctl<QPushButton>("ClosePort")->isEnabled());
    PostCommand(w->Link, 6, 802, 5);
    w->Ctl<ValueLabel>("Label_InvProtocol")->setFontColor(clRed);
  });
  AtFrame(11, [&] { w->Ctl<QPushButton>("ClosePort")->click(); });
  ClickOpen();

  const auto frames = Frames();
  ASSERT_GE(frames.size(), 11u);
  EXPECT_EQ(std::vector<QString>(frames.begin(), frames.begin() + 5), kVersionPass);
  EXPECT_EQ(frames[5], "01 06 03 21 00 05 19 87");
  EXPECT_EQ(std::vector<QString>(frames.begin() + 6, frames.begin() + 11), kVersionPass);
  EXPECT_EQ(sim.Holding(1, 802), 5);

  EXPECT_EQ(Text("Label_InvProtocol"), "SunSpec");
  EXPECT_EQ(Colour("Label_InvProtocol"), clGreen);
  EXPECT_TRUE(w->Control("Image_TarvoSun")->isHidden());
  EXPECT_FALSE(w->Control("Image_SunTarvo")->isHidden());
  EXPECT_EQ(Text("Label_Display_Rev"), "V1.05");
  EXPECT_EQ(Text("Label_DSP_Rev"), "V2.07");
  EXPECT_EQ(Text("Label_Redundant_Rev"), "V3.10");
  EXPECT_EQ(Text("Label_ARC_Rev"), ".");
  EXPECT_EQ(Text("Label_SCM_Rev"), "V1.00");
  EXPECT_EQ(Text("Label_Sub1G_Rev"), "V1.02");
  EXPECT_EQ(Text("Label_TarvoSN"), "TV1234AB");
  EXPECT_EQ(Colour("Label_TarvoSN"), clBlue);
  EXPECT_EQ(Text("Label_ModelName"), "SOL-5000TL-EU");
  for (const char* name : {"Label_Display_Rev", "Label_DSP_Rev", "Label_ModelName", "Label_Sub1G_Rev"})
    EXPECT_EQ(Colour(name), clBlue) << name;
  EXPECT_EQ(w->StatusText(6), "Idc:10 ; P:100 ; E:100 ; Iac:1 ; V:100");
  EXPECT_EQ(w->StatusText(7), "Type:0x2105");
  EXPECT_EQ(w->SignedValues, 1);
  EXPECT_EQ(w->PhaseCount, 1);

  // Closed: polling stopped, the port closed.
  EXPECT_EQ(w->StatusText(4), "COM Close");
  EXPECT_TRUE(w->Ctl<QPushButton>("OpenPort")->isEnabled());
  EXPECT_FALSE(w->Ctl<QPushButton>("ClosePort")->isEnabled());
  EXPECT_FALSE(w->Link.Port.IsOpen());
  EXPECT_FALSE(w->LinkOpen);
  const size_t after = sim.Frames().size();
  DelayMs(300);
  EXPECT_EQ(sim.Frames().size(), after);
  EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(LinkOpening, WriteLockRefusesAndSendsNothing) {
  LoadDevice(sim, 1);
  SetUpHome({{1, 1}});
  PickProfile("Site");
  ASSERT_EQ(w->WriteLock, 1);
  ASSERT_EQ(w->IsSuperUser, 0);
  AtFrame(5, [&] { PostCommand(w->Link, 6, 802, 5); });
  AtFrame(15, [&] { w->ClosePortClick(); });
  ClickOpen();
  const auto frames = Frames();
  EXPECT_EQ(std::count(frames.begin(), frames.end(), QString("01 06 03 21 00 05 19 87")), 0);
  for (const QString& f : frames) EXPECT_FALSE(f.startsWith("01 06")) << f.toStdString();
  EXPECT_EQ(dialogs.messages, QStringList{"Lock: Permission denied"});
  EXPECT_EQ(w->StatusText(8), "Ind+ 1% , Lock");
  EXPECT_EQ(sim.Holding(1, 802), 0);
}

TEST_F(LinkOpening, BroadcastWritesEveryListedInverterAndReturns) {
  LoadDevice(sim, 1);
  LoadDevice(sim, 2);
  SetUpHome({{1, 1}, {2, 2}});
  PickProfile("SuperUser");
  ASSERT_EQ(w->InverterList.Count, 2);
  w->Ctl<QRadioButton>("Radio_CmdBroadcast")->setChecked(true);
  AtFrame(5, [&] { PostCommand(w->Link, 6, 802, 5); });
  AtFrame(12, [&] { w->ClosePortClick(); });
  ClickOpen();

  const auto frames = Frames();
  ASSERT_GE(frames.size(), 12u);
  EXPECT_EQ(frames[5], "01 06 03 21 00 05 19 87");
  EXPECT_EQ(frames[6], Rtu({2, 6, 0x03, 0x21, 0, 5}));
  // The next pass talks to the current inverter again, at its own speed.
  EXPECT_EQ(frames[7], Rtu({1, 3, 0x03, 0x21, 0, 1}));
  EXPECT_EQ(w->Link.SlaveId, 1);
  EXPECT_EQ(w->StatusText(1), "9600");
  EXPECT_EQ(sim.Holding(1, 802), 5);
  EXPECT_EQ(sim.Holding(2, 802), 5);
}

TEST_F(LinkOpening, ProfileChangeWhilePollingRestartsTheLoop) {
  LoadDevice(sim, 1);
  SetUpHome({{1, 1}});
  PickProfile("SuperUser");
  bool changedAtOnce = false;
  // From inside the first request's wait: no second loop runs in here.
  AtFrame(1, [&] {
    const size_t before = sim.Frames().size();
    PickProfile("Site");
    changedAtOnce = sim.Frames().size() == before && w->Link.Port.IsOpen();
  });
  AtFrame(12, [&] { w->ClosePortClick(); });
  ClickOpen();
  EXPECT_TRUE(changedAtOnce);
  EXPECT_EQ(w->IsSuperUser, 0);
  EXPECT_EQ(w->StatusText(8), "Ind+ 1% , Lock");  // passes ran on for the new profile
  EXPECT_EQ(w->Link.NoReplyCount, 0);
  EXPECT_EQ(w->Link.CrcErrors, 0);
  EXPECT_TRUE(w->Ctl<QPushButton>("OpenPort")->isEnabled());
  EXPECT_FALSE(w->Link.Port.IsOpen());
  EXPECT_EQ(w->StatusText(4), "COM Close");
}

// The header's boxes and the page tabs take no wheel notch: a cursor resting
// on them while the user scrolls changes neither the profile, nor the port,
// nor the page, and the link stays on the port it opened. The user still
// chooses with clicks and keys.
TEST_F(LinkOpening, AWheelNotchOverTheHeaderBoxesOrThePageTabsChangesNothing) {
  LoadDevice(sim, 1);
  SetUpHome({{1, 1}});
  // The sim's port between two others, so that a notch either way would land
  // on another port.
  const QString before = home.dir.path() + "/adapter-a", after = home.dir.path() + "/adapter-b";
  qputenv("QORVANE_EXTRA_PORTS", (before + ":" + sim.PortPath() + ":" + after).toUtf8());
  auto* profiles = w->Ctl<QComboBox>("Combo_SelectMode");
  auto* ports = w->Ctl<QComboBox>("Combo_COM");
  ASSERT_TRUE(input::Activate(w.get()));
  ASSERT_TRUE(input::ChooseInOpenList(profiles, "SuperUser"));
  ASSERT_EQ(w->IsSuperUser, 1);
  ASSERT_TRUE(input::ChooseInOpenList(ports, sim.PortPath()));
  ASSERT_EQ(ports->currentText(), sim.PortPath());
  auto* pages = w->Ctl<QTabWidget>("PageControl");
  auto visibleTabs = [pages] {
    int n = 0;
    for (int i = 0; i < pages->count(); ++i) n += pages->isTabVisible(i);
    return n;
  };
  ASSERT_EQ(visibleTabs(), 7);
  QTabBar* tabBar = pages->tabBar();
  const int page = pages->currentIndex();

  struct Seen {
    QString profile, port;
    int superUser, tabs, page;
    bool focusKept;
  };
  std::vector<Seen> seen;
  AtFrame(2, [&] {
    // The focus stays where it is (wherever polling left it).
    QWidget* focus = QApplication::focusWidget();
    for (int notches : {-1, 1, -1}) {
      input::Wheel(profiles, notches);
      input::Wheel(ports, notches);
      input::Wheel(tabBar, notches);
      seen.push_back({profiles->currentText(), ports->currentText(), w->IsSuperUser, visibleTabs(),
                      pages->currentIndex(), QApplication::focusWidget() == focus});
    }
  });
  const size_t more = 12;
  AtFrame(more, [&] { w->ClosePortClick(); });
  ClickOpen();

  ASSERT_EQ(seen.size(), 3u);
  for (const Seen& s : seen) {
    EXPECT_EQ(s.profile.toStdString(), "SuperUser");
    EXPECT_EQ(s.superUser, 1);
    EXPECT_EQ(s.tabs, 7);
    EXPECT_EQ(s.page, page) << "the wheel turned the page";
    EXPECT_EQ(s.port.toStdString(), sim.PortPath().toStdString());
    EXPECT_TRUE(s.focusKept) << "the wheel moved the focus";
  }
  // Polling went on over the port it opened on.
  EXPECT_GE(sim.Frames().size(), more);
  EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(" | ").toStdString();
}

// ---------------------------------------------------------------------------
// A port that fails says which and why: at the opening (the message) and when
// it gives out while polling (the status panel and the traffic log).

namespace {

void ChoosePort(TForm_Main& w, const QString& path) {
  auto* ports = w.Ctl<QComboBox>("Combo_COM");
  ports->clear();
  ports->addItem(path);
  ports->setCurrentIndex(0);
}

}  // namespace

TEST_F(LinkOpening, APortThatDoesNotOpenNamesItselfAndTheReason) {
  SetUpHome({{1, 1}});
  PickProfile("SuperUser");
  const QString path = home.dir.path() + "/no-such-adapter";
  ChoosePort(*w, path);
  ClickOpen();
  const QString why = path + ": " + QString::fromLocal8Bit(std::strerror(ENOENT));
  EXPECT_EQ(dialogs.messages, QStringList{"COM Can't Open: " + why});
  EXPECT_EQ(w->StatusText(4), "COM Close: " + why);
  EXPECT_TRUE(w->EventLog()->toPlainText().contains("COM Close: " + why));
  EXPECT_TRUE(w->Ctl<QPushButton>("OpenPort")->isEnabled());
  EXPECT_FALSE(w->LinkOpen);
}

TEST_F(LinkOpening, AnAdapterPulledOutWhilePollingNamesItselfAndTheReasonAndItsValuesGoStale) {
  SetUpHome({{1, 1}});
  PickProfile("SuperUser");
  // A line of its own whose far side answers the first request and then goes
  // away, as an unplugged adapter does.
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  ::fcntl(master, F_SETFL, O_NONBLOCK);
  const QString path = QString::fromLocal8Bit(ptsname(master));
  ChoosePort(*w, path);
  auto* value = w->Ctl<ValueLabel>("Label_DSP_Rev");
  ASSERT_NE(value, nullptr);
  int answered = 0;
  waits::Until(
      w.get(), "three requests on the line",
      [&] {
        uint8_t buf[64];
        if (!w->LinkOpen) return false;
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n < 8) return false;
        // The first two (the register map, then the versions) are answered.
        if (answered < 2) {
          // Every register asked for reads 0.
          ++answered;
          QByteArray reply = sim::Bytes({buf[0], buf[1], 2 * buf[5]});
          reply.append(2 * buf[5], '\0');
          reply = sim::WithCrc(reply);
          EXPECT_EQ(::write(master, reply.constData(), reply.size()), reply.size());
          return false;
        }
        EXPECT_EQ(value->fontColor(), clBlue) << "the answer is shown as read";
        EXPECT_NE(value->text(), "??");
        ::close(master);
        master = -1;
        return true;
      },
      [this] { w->ClosePortClick(); });
  ClickOpen();
  if (master >= 0) ::close(master);
  const QString status = w->StatusText(4);
  EXPECT_TRUE(status.startsWith("COM Close: " + path + ": ")) << status.toStdString();
  EXPECT_GT(status.size(), QString("COM Close: " + path + ": ").size());
  EXPECT_TRUE(w->EventLog()->toPlainText().contains(status));
  EXPECT_TRUE(dialogs.messages.isEmpty());
  EXPECT_FALSE(w->Link.Port.IsOpen());
  EXPECT_TRUE(w->Ctl<QPushButton>("OpenPort")->isEnabled());
  // What was read before no longer looks live, and the panel keeps its width
  // but tells the whole reason when the mouse rests on it.
  EXPECT_EQ(value->text(), "??");
  EXPECT_EQ(value->fontColor(), clRed);
  auto* panel = w->findChild<QLabel*>("StatusPanel4");
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->width(), 100);
  EXPECT_EQ(panel->toolTip(), status);

  // A close the user asks for afterwards says only that.
  sim.AddSlave(1);
  ChoosePort(*w, sim.PortPath());
  AtFrame(1, [&] { w->ClosePortClick(); });
  ClickOpen();
  EXPECT_EQ(w->StatusText(4), "COM Close");
  EXPECT_EQ(panel->toolTip(), "") << "a text that fits needs no tip";
}
