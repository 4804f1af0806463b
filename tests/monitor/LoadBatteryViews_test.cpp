#include <gtest/gtest.h>

#include "link/Modbus.h"
#include "monitor/LoadBatteryViews.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"

using polltest::Colour;
using polltest::Paint;
using polltest::Rtu;
using polltest::SetInputs;
using polltest::Text;

namespace {

struct LoadBatteryViews : polltest::ViewTest {
  void SetWindow(const std::vector<uint16_t>& words) { SetInputs(t.sim, 1056, words); }
};

const char* const kWindowLabels[] = {
    "Label_BT_Charge_T1Start", "Label_BT_Charge_T1Stop", "Label_BT_Charge_T2Start", "Label_BT_Charge_T2Stop",
    "Label_BT_Charge_T3Start", "Label_BT_Charge_T3Stop", "Label_BT_DCHG_T1Start",   "Label_BT_DCHG_T1Stop",
    "Label_BT_DCHG_T2Start",   "Label_BT_DCHG_T2Stop",   "Label_BT_DCHG_T3Start",   "Label_BT_DCHG_T3Stop"};

}  // namespace

TEST_F(LoadBatteryViews, LoadOutputsUseTheirPageOnly) {
  t.ShowPanel("Group_LoadPower1");
  t.ShowPanel("Group_LoadPower2");
  SetWindow({0x0120, 2301, 1234, 2840, 5000});
  ASSERT_EQ(PollLoadPower1(&w.Link, 0), 0);
  EXPECT_EQ(w.StatusText(2), "Load1...");
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 6, 0x03, 0x1F, 0, 32}), Rtu({1, 4, 0x04, 0x1F, 0, 5})}));
  EXPECT_EQ(t.sim.Holding(1, 800), 32);
  EXPECT_EQ(Text(w, "Label_Vload1"), "230.1 V");
  EXPECT_EQ(Text(w, "Label_Iload1"), "12.34 A");
  EXPECT_EQ(Text(w, "Label_Pload1"), "2840 W");
  EXPECT_EQ(Text(w, "Label_Fload1"), "50.00 Hz");
  EXPECT_EQ(Text(w, "Label_PFload1"), "??");  // nothing fills it

  // The window still shows page 32: load 2 leaves its labels.
  t.sim.ClearFrames();
  ASSERT_EQ(PollLoadPower2(&w.Link, 0), 0);
  EXPECT_EQ(w.StatusText(2), "Load2...");
  EXPECT_EQ(t.Frames().front(), Rtu({1, 6, 0x03, 0x1F, 0, 33}));
  EXPECT_EQ(Text(w, "Label_Vload2"), "??");

  SetWindow({0x0021, 65535, 65535, 65535, 0});  // words unsigned
  ASSERT_EQ(PollLoadPower2(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_Vload2"), "6553.5 V");
  EXPECT_EQ(Text(w, "Label_Iload2"), "655.35 A");
  EXPECT_EQ(Text(w, "Label_Pload2"), "65535 W");
  EXPECT_EQ(Text(w, "Label_Fload2"), "0.00 Hz");
  EXPECT_EQ(Text(w, "Label_Vload1"), "230.1 V");
}

TEST_F(LoadBatteryViews, LoadOutputIgnoresAReplyThatFailedItsChecks) {
  t.ShowPanel("Group_LoadPower2");
  SetWindow({0x0021, 2301, 1234, 2840, 5000});
  // Bad CRC with the right echo in the bytes: not a confirmed measurement.
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::BadCrc());
  ASSERT_EQ(PollLoadPower2(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_Vload2"), "??");
  // A failed selector write ends the item before the read.
  t.sim.ClearFrames();
  w.Link.Port.Close();
  EXPECT_EQ(PollLoadPower2(&w.Link, 0), 1);
}

TEST_F(LoadBatteryViews, SubsidyModesAndReadBackColour) {
  t.ShowPanel("Group_Subsidy");
  const struct {
    uint16_t mode;
    const char* text;
  } cases[] = {{1, "ON"}, {0, "OFF"}, {2, "OFF"}, {0xFFFF, "OFF"}};  // other codes keep the text
  t.sim.SetHolding(1, 25633, 55);
  t.sim.SetHolding(1, 25634, 70);
  for (const auto& c : cases) {
    t.sim.SetHolding(1, 25632, c.mode);
    for (const char* l : {"Label_Subsidy_Mode", "Label_PV_Capacity", "Label_Feedin_Percent"}) w.Ctl<ValueLabel>(l)->setFontColor(clRed);
    ASSERT_EQ(PollSubsidy(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_Subsidy_Mode"), c.text) << c.mode;
    EXPECT_EQ(Text(w, "Label_PV_Capacity"), "5.5 KWh");
    EXPECT_EQ(Text(w, "Label_Feedin_Percent"), "70 %");
    for (const char* l : {"Label_Subsidy_Mode", "Label_PV_Capacity", "Label_Feedin_Percent"})
      EXPECT_EQ(Colour(w, l), clBlue) << l;
  }
  EXPECT_EQ(t.Frames().front(), Rtu({1, 3, 0x64, 0x1F, 0, 3}));
  EXPECT_EQ(w.StatusText(2), "Subsidy...");

  // A rejected reply confirms nothing: the red label stays red.
  Paint(w, "Label_PV_Capacity", "9.9 KWh", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollSubsidy(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_PV_Capacity"), "9.9 KWh");
  EXPECT_EQ(Colour(w, "Label_PV_Capacity"), clRed);
}

TEST_F(LoadBatteryViews, BatteryControlModesLimitsAndWindows) {
  t.ShowPanel("Group_BT_CTRL");
  t.sim.SetHoldingBlock(1, 25617, {120, 1, 2, 15});
  const std::vector<uint16_t> windows{830, 2330, 0, 21930, 1600, 730, 0, 0, 0, 0, 0, 65535};
  t.sim.SetHoldingBlock(1, 25635, windows);
  const char* modes[] = {"Standby",         "Selfconsumption", "Peak Cut",    "Selling First", "Charge First",
                         "Discharge First", "Without Battery", "Maintenance", "Standalone"};
  for (uint16_t code = 0; code < 9; ++code) {
    t.sim.SetHolding(1, 25627, code);
    ASSERT_EQ(PollBTCTRL(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_BT_CtrlMode"), modes[code]);
  }
  EXPECT_EQ(w.StatusText(2), "BT CTRL...");
  const std::vector<QString> frames = t.Frames();
  ASSERT_EQ(frames.size(), 27u);
  EXPECT_EQ(std::vector<QString>(frames.begin(), frames.begin() + 3),
            (std::vector<QString>{Rtu({1, 3, 0x64, 0x10, 0, 4}), Rtu({1, 3, 0x64, 0x1A, 0, 1}),
                                  Rtu({1, 3, 0x64, 0x22, 0, 12})}));
  EXPECT_EQ(Text(w, "Label_SOC_Limit"), "120 %");
  EXPECT_EQ(Text(w, "Label_Peak_Cut_Power"), "15 kW");
  const char* times[] = {"08:30", "23:30", "00:00", "219:30", "16:00", "07:30",
                         "00:00", "00:00", "00:00", "00:00", "00:00", "655:35"};
  for (int k = 0; k < 12; ++k) EXPECT_EQ(Text(w, kWindowLabels[k]), times[k]) << kWindowLabels[k];

  // Codes above 8 keep the text; the label is confirmed all the same.
  for (uint16_t code : {9, 0xFFFF}) {
    t.sim.SetHolding(1, 25627, code);
    Paint(w, "Label_BT_CtrlMode", "Standalone", clRed);
    ASSERT_EQ(PollBTCTRL(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_BT_CtrlMode"), "Standalone");
    EXPECT_EQ(Colour(w, "Label_BT_CtrlMode"), clBlue);
  }
}

TEST_F(LoadBatteryViews, BatteryControlRejectedRepliesKeepRedLabels) {
  t.ShowPanel("Group_BT_CTRL");
  t.sim.SetHoldingBlock(1, 25617, {50, 0, 0, 5});
  t.sim.SetHolding(1, 25627, 2);
  t.sim.SetHolding(1, 25635, 830);
  Paint(w, "Label_SOC_Limit", "70 %", clRed);
  Paint(w, "Label_BT_CtrlMode", "Charge First", clRed);
  Paint(w, "Label_BT_Charge_T1Start", "09:00", clRed);
  // The first two replies rejected: the item goes on and the windows fill.
  t.sim.QueueFault(sim::ReplyFault::Silent());
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollBTCTRL(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames().size(), 3u);
  EXPECT_EQ(Text(w, "Label_SOC_Limit"), "70 %");
  EXPECT_EQ(Colour(w, "Label_SOC_Limit"), clRed);
  EXPECT_EQ(Text(w, "Label_BT_CtrlMode"), "Charge First");
  EXPECT_EQ(Colour(w, "Label_BT_CtrlMode"), clRed);
  EXPECT_EQ(Text(w, "Label_BT_Charge_T1Start"), "08:30");
  EXPECT_EQ(Colour(w, "Label_BT_Charge_T1Start"), clBlue);
}

TEST_F(LoadBatteryViews, BatteryInformation) {
  t.ShowPanel("Group_BT_Info");
  std::vector<uint16_t> first(19, 0);
  first[0] = 3;       // status
  first[2] = 955;     // SOC
  first[3] = 98;      // SOH
  first[5] = 0x8001;  // event, unsigned
  first[6] = 3350;
  first[8] = 3290;
  first[9] = 0xFFFB;  // temperatures unsigned
  first[10] = 25;
  first[13] = 102;    // capacity
  first[16] = 2;
  first[18] = 1000;
  SetInputs(t.sim, 1536, first);
  SetInputs(t.sim, 1564, {0xFFFE, 5123, 0xFF6A, 0xFFFE});
  t.sim.SetHoldingBlock(1, 25614, {0xFF9C, 500});
  w.PowerMul = 10;
  w.SignedValues = 0;  // these words follow their own table

  ASSERT_EQ(PollBTInfo(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 4, 0x05, 0xFF, 0, 19}), Rtu({1, 4, 0x06, 0x1B, 0, 4}),
                                              Rtu({1, 3, 0x64, 0x0D, 0, 2})}));
  EXPECT_EQ(w.StatusText(2), "BT Info...");
  const struct {
    const char *label, *text;
  } expected[] = {
      {"Label_BT_Status", "3"},          {"Label_BT_SOC", "95.5 %"},       {"Label_BT_SOH", "98 %"},
      {"Label_BT_Event", "32769"},       {"Label_BT_MaxVolt", "3350 mV"},  {"Label_BT_MinVolt", "3290 mV"},
      {"Label_BT_MaxT", "65531 °C"},     {"Label_BT_MinT", "25 °C"},       {"Label_BT_Capacity", "10.2 KWh"},
      {"Label_BT_Mode", "2"},            {"Label_BT_RealSOC", "100.0 %"},  {"Label_BT_RPRPwr", "-20 W"},
      {"Label_BT_Voltage", "512.3 V"},   {"Label_BT_Current", "-1.50 A"},  {"Label_BT_Power", "-20 W"},
      {"Label_BT_MCCL", "-10.0 A"},      {"Label_BT_MDCL", "50.0 A"},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(Text(w, e.label), QString::fromUtf8(e.text)) << e.label;
    EXPECT_EQ(Colour(w, e.label), clBlue) << e.label;  // as designed; never repainted
  }

  // First reply rejected: only the six labels of the other two reads change.
  t.sim.SetInput(1, 1536, 4);
  t.sim.SetInput(1, 1565, 4000);
  t.sim.SetHoldingBlock(1, 25614, {1, 2});
  t.sim.QueueFault(sim::ReplyFault::BadCrc());
  ASSERT_EQ(PollBTInfo(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_BT_Status"), "3");
  EXPECT_EQ(Text(w, "Label_BT_Voltage"), "400.0 V");
  EXPECT_EQ(Text(w, "Label_BT_MCCL"), "0.1 A");
  EXPECT_EQ(Text(w, "Label_BT_MDCL"), "0.2 A");
}

TEST_F(LoadBatteryViews, GatesStopAndLinkFailure) {
  const std::initializer_list<polltest::GatedItem> items = {{PollLoadPower1, "Group_LoadPower1"},
                                                            {PollLoadPower2, "Group_LoadPower2"},
                                                            {PollSubsidy, "Group_Subsidy"},
                                                            {PollBTCTRL, "Group_BT_CTRL"},
                                                            {PollBTInfo, "Group_BT_Info"}};
  polltest::ExpectGatesAndStop(t, items);

  // A failed request ends the item; the colours are then not reset.
  Paint(w, "Label_SOC_Limit", "1 %", clRed);
  polltest::ExpectLinkFailure(t, items);
  EXPECT_EQ(Colour(w, "Label_SOC_Limit"), clRed);
}
