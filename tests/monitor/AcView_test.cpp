#include <gtest/gtest.h>

#include <vector>

#include "link/Modbus.h"
#include "link/PollingLoop.h"
#include "monitor/AcView.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"

using polltest::LinkedWindow;
using polltest::Rtu;
using polltest::SetInputs;
using polltest::Text;

namespace {

bool Hidden(TForm_Main& w, const char* name) { return w.Control(name)->isHidden(); }

// The AC block at 49152: total power, then voltage, current, power and
// frequency of R, S and T; words 27 to 29 the line-to-line voltages.
std::vector<uint16_t> AcBlock(uint16_t total, uint16_t iR, uint16_t iS, uint16_t iT, uint16_t pR) {
  std::vector<uint16_t> w(30, 0);
  w[0] = total;
  w[1] = 2301, w[2] = iR, w[3] = pR, w[4] = 5000;
  w[5] = 2302, w[6] = iS, w[7] = 1200, w[8] = 4998;
  w[9] = 2303, w[10] = iT, w[11] = 1300, w[12] = 6001;
  w[27] = 4001, w[28] = 4002, w[29] = 4003;
  return w;
}

const char* const kExtraLabels[] = {
    "Label_VacR_Out", "Label_VacR_GridRed", "Label_VacR_OutRed", "Label_FacR_Red", "Label45",  "Label46",  "Label227",
    "Label_VacS_Out", "Label_VacS_GridRed", "Label_VacS_OutRed", "Label_FacS_Red", "Label157", "Label158", "Label241",
    "Label_VacT_Out", "Label_VacT_GridRed", "Label_VacT_OutRed", "Label_FacT_Red", "Label64",  "Label65",  "Label244",
};

struct AcView : polltest::ViewTest {
  void SetUp() override { t.ShowPanel("Group_GetAC1"); }
};

}  // namespace

TEST_F(AcView, BlockFillsThreePhasesAndOutputTotals) {
  SetInputs(t.sim, 49152, AcBlock(3700, 1000, 520, 480, 1200));
  SetVoltageCaptions(w, 2);  // a per-phase layout chosen before
  ASSERT_EQ(PollAC(&w.Link, 0), 0);

  EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 1, 0x60, 0x48, 0, 1}), Rtu({1, 4, 0xBF, 0xFF, 0, 30})}));
  EXPECT_EQ(w.StatusText(2), "AC...");
  EXPECT_EQ(w.ShowAcMode, 0);
  for (const char* caption : {"Label19", "Label153", "Label54"}) EXPECT_EQ(Text(w, caption), "Voltage(L-N)");
  for (const char* extra : kExtraLabels) EXPECT_TRUE(Hidden(w, extra)) << extra;
  const struct {
    const char *label, *text;
  } expected[] = {
      {"Label_TotalOutputPower", "3700W"}, {"Label_TotalOutputCurrent", "20.00A"},
      {"Label_VacR_Grid", "230.1 V"},      {"Label_IacR", "10.00 A"},  {"Label_PacR", "1200 W"}, {"Label_FacR", "50.00 Hz"},
      {"Label_VacS_Grid", "230.2 V"},      {"Label_IacS", "5.20 A"},   {"Label_PacS", "1200 W"}, {"Label_FacS", "49.98 Hz"},
      {"Label_VacT_Grid", "230.3 V"},      {"Label_IacT", "4.80 A"},   {"Label_PacT", "1300 W"}, {"Label_FacT", "60.01 Hz"},
  };
  for (const auto& e : expected) EXPECT_EQ(Text(w, e.label), e.text) << e.label;
}

TEST_F(AcView, SignedWordsAndScaleFactors) {
  const struct {
    uint8_t signedValues;
    int acDiv, powerMul;
    const char *iR, *iT, *totalCurrent, *pR, *totalPower;
  } cases[] = {
      {1, 100, 10, "-0.01 A", "-0.02 A", "-0.04A", "-100 W", "-20W"},
      {0, 100, 10, "655.35 A", "655.34 A", "1966.04A", "655260 W", "655340W"},
      {1, 1, 1, "-1 A", "-2 A", "-4A", "-10 W", "-2W"},
      {0, 10, 1, "6553.5 A", "6553.4 A", "19660.4A", "65526 W", "65534W"},
  };
  SetInputs(t.sim, 49152, AcBlock(0xFFFE, 0xFFFF, 0xFFFF, 0xFFFE, 0xFFF6));
  for (const auto& c : cases) {
    w.SignedValues = c.signedValues;
    w.AcCurrentDiv = c.acDiv;
    w.PowerMul = c.powerMul;
    ASSERT_EQ(PollAC(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_IacR"), c.iR) << int(c.signedValues) << "/" << c.acDiv;
    EXPECT_EQ(Text(w, "Label_IacT"), c.iT);
    EXPECT_EQ(Text(w, "Label_TotalOutputCurrent"), c.totalCurrent);
    EXPECT_EQ(Text(w, "Label_PacR"), c.pR);
    EXPECT_EQ(Text(w, "Label_TotalOutputPower"), c.totalPower);
  }
}

TEST_F(AcView, ThreeWireTerminalShowsLineToLineVoltages) {
  SetInputs(t.sim, 49152, AcBlock(0, 0, 0, 0, 0));
  w.VoltageDiv = 100;
  t.sim.SetCoil(1, 24649, true);
  ASSERT_EQ(PollAC(&w.Link, 0), 0);
  EXPECT_EQ(w.ShowAcMode, 1);
  for (const char* caption : {"Label19", "Label153", "Label54"}) EXPECT_EQ(Text(w, caption), "Voltage(L-L)");
  EXPECT_EQ(Text(w, "Label_VacR_Grid"), "40.01 V");
  EXPECT_EQ(Text(w, "Label_VacS_Grid"), "40.02 V");
  EXPECT_EQ(Text(w, "Label_VacT_Grid"), "40.03 V");

  t.sim.SetCoil(1, 24649, false);
  ASSERT_EQ(PollAC(&w.Link, 0), 0);
  EXPECT_EQ(w.ShowAcMode, 0);
  EXPECT_EQ(Text(w, "Label19"), "Voltage(L-N)");
  EXPECT_EQ(Text(w, "Label_VacR_Grid"), "23.01 V");
  EXPECT_EQ(Text(w, "Label_VacT_Grid"), "23.03 V");
}

TEST_F(AcView, UnusableRepliesKeepModeCaptionsAndLabels) {
  SetInputs(t.sim, 49152, AcBlock(100, 100, 100, 100, 100));
  t.sim.SetCoil(1, 24649, true);
  ASSERT_EQ(PollAC(&w.Link, 0), 0);
  ASSERT_EQ(w.ShowAcMode, 1);
  SetInputs(t.sim, 49152, AcBlock(900, 900, 900, 900, 900));
  t.sim.SetCoil(1, 24649, false);

  // An unusable coil reply keeps the three-wire mode; the block is still read.
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollAC(&w.Link, 0), 0);
  EXPECT_EQ(w.ShowAcMode, 1);
  EXPECT_EQ(Text(w, "Label19"), "Voltage(L-L)");
  EXPECT_EQ(Text(w, "Label_VacR_Grid"), "400.1 V");
  EXPECT_EQ(Text(w, "Label_TotalOutputPower"), "900W");

  // An unusable block leaves every label.
  SetInputs(t.sim, 49152, AcBlock(5, 5, 5, 5, 5));
  t.sim.QueueFault(sim::ReplyFault::Silent());
  t.sim.QueueFault(sim::ReplyFault::Short());
  t.sim.ClearFrames();
  ASSERT_EQ(PollAC(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames().size(), 2u);
  EXPECT_EQ(w.ShowAcMode, 1);
  EXPECT_EQ(Text(w, "Label_TotalOutputPower"), "900W");
  EXPECT_EQ(Text(w, "Label_IacR"), "9.00 A");
}

TEST_F(AcView, PhasePagesFillTheirOwnPanelOnly) {
  t.ShowPanel("Group_GetAC2");
  w.SignedValues = 1;
  t.sim.SetPagedInput(1, 800, 1, 1056, {0x0001, 2302, 0xFFFF, 0xFF9C, 5001, 0, 2290, 4999});
  t.sim.SetPagedInput(1, 800, 17, 1056, {0x0011, 2311, 0, 0, 0, 0, 2312});
  ASSERT_EQ(PollAC2(&w.Link, 0), 0);

  EXPECT_EQ(t.Frames(), (std::vector<QString>{
                            Rtu({1, 6, 0x03, 0x1F, 0, 1}),
                            Rtu({1, 4, 0x04, 0x1F, 0, 8}),
                            Rtu({1, 6, 0x03, 0x1F, 0, 17}),
                            Rtu({1, 4, 0x04, 0x1F, 0, 7}),
                        }));
  EXPECT_EQ(w.StatusText(2), "AC_2...");
  const struct {
    const char *label, *text;
  } expected[] = {
      {"Label_VacS_Grid", "230.2 V"},    {"Label_IacS", "-0.01 A"},          {"Label_PacS", "-100 W"},
      {"Label_FacS", "50.01 Hz"},        {"Label_VacS_GridRed", "229.0 V"},  {"Label_FacS_Red", "49.99 Hz"},
      {"Label_VacS_Out", "231.1 V"},     {"Label_VacS_OutRed", "231.2 V"},   {"Label_VacR_Grid", "??"},
      {"Label_VacT_Out", "??"},          {"Label_TotalOutputPower", "??"},
  };
  for (const auto& e : expected) EXPECT_EQ(Text(w, e.label), e.text) << e.label;
}

TEST_F(AcView, PageEchoMustMatchThePageSelected) {
  t.ShowPanel("Group_GetAC2");
  t.ShowPanel("Group_GetAC3");
  // Phase S: a first page whose echo's low byte is 0, not 1.
  t.sim.SetPagedInput(1, 800, 1, 1056, {0x0100, 2302, 100, 100, 5000, 0, 2290, 4999});
  t.sim.SetPagedInput(1, 800, 17, 1056, {0x0011, 2311, 0, 0, 0, 0, 2312});
  // Phase T: the first page right, the second echoing another page.
  t.sim.SetPagedInput(1, 800, 2, 1056, {0x0002, 2303, 100, 100, 5000, 0, 2290, 4999});
  t.sim.SetPagedInput(1, 800, 18, 1056, {0x0012 + 1, 2321, 0, 0, 0, 0, 2322});
  ASSERT_EQ(PollAC2(&w.Link, 0), 0);
  ASSERT_EQ(PollAC3(&w.Link, 0), 0);

  EXPECT_EQ(t.Frames().size(), 8u);
  EXPECT_EQ(Text(w, "Label_VacS_Grid"), "??");
  EXPECT_EQ(Text(w, "Label_FacS_Red"), "??");
  EXPECT_EQ(Text(w, "Label_VacS_Out"), "231.1 V");
  EXPECT_EQ(Text(w, "Label_VacT_Grid"), "230.3 V");
  EXPECT_EQ(Text(w, "Label_VacT_Out"), "??");
  EXPECT_EQ(Text(w, "Label_VacT_OutRed"), "??");
}

TEST_F(AcView, StandAloneValuesAreNeverSigned) {
  t.ShowPanel("Group_StandAlone3P");
  w.SignedValues = 1;
  w.PowerMul = 10;
  SetInputs(t.sim, 49165, {2300, 0xFFF6, 2310, 0xFFFF, 500, 5000, 9, 9, 9, 9, 2320, 1234, 600, 4990});
  ASSERT_EQ(PollStandAlone3P(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 4, 0xC0, 0x0C, 0, 14})}));
  EXPECT_EQ(w.StatusText(2), "SA...");
  const struct {
    const char *label, *text;
  } expected[] = {
      {"Label_UW_voltage", "230.0 V"},  {"Label_UW_Power", "655260 W"}, {"Label_UO_voltage", "231.0 V"},
      {"Label_UO_current", "655.35 A"}, {"Label_UO_power", "5000 W"},   {"Label_UO_frequency", "50.00 Hz"},
      {"Label_WO_voltage", "232.0 V"},  {"Label_WO_current", "12.34 A"}, {"Label_WO_power", "6000 W"},
      {"Label_WO_frequency", "49.90 Hz"},
  };
  for (const auto& e : expected) EXPECT_EQ(Text(w, e.label), e.text) << e.label;

  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  SetInputs(t.sim, 49165, std::vector<uint16_t>(14, 1));
  ASSERT_EQ(PollStandAlone3P(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_UW_voltage"), "230.0 V");
}

TEST_F(AcView, SplitPhaseDifferenceInFixedTenths) {
  t.ShowPanel("Group_LN_ST");
  w.VoltageDiv = 100;
  const struct {
    uint16_t w0, w1;
    const char *l1, *l2;
  } cases[] = {{2300, 1150, "11.50 V", "115.0 V"}, {1000, 1150, "11.50 V", "-15.0 V"}, {0, 65535, "655.35 V", "-6553.5 V"}};
  for (const auto& c : cases) {
    SetInputs(t.sim, 3328, {c.w0, c.w1, 7, 7, 7, 2400});
    ASSERT_EQ(PollLNST(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_OutL1_N"), c.l1);
    EXPECT_EQ(Text(w, "Label_OutL2_N"), c.l2) << c.w0 << " " << c.w1;
    EXPECT_EQ(Text(w, "Label_Out_ST"), "24.00 V");
  }
  EXPECT_EQ(t.Frames().front(), Rtu({1, 4, 0x0C, 0xFF, 0, 6}));
  EXPECT_EQ(w.StatusText(2), "LN&&ST...");
}

TEST_F(AcView, VoltageCaptionVariants) {
  const struct {
    int variant;
    const char* caption;
    bool shown;
  } cases[] = {{2, "Voltage(L-N)", true}, {-1, "Voltage", false}, {2, "Voltage(L-N)", true}, {3, "Voltage(L-N)", true},
               {1, "Voltage(L-L)", false}, {0, "Voltage(L-N)", false}};
  for (const auto& c : cases) {
    SetVoltageCaptions(w, c.variant);
    for (const char* caption : {"Label19", "Label153", "Label54"}) EXPECT_EQ(Text(w, caption), c.caption) << c.variant;
    for (const char* extra : kExtraLabels) EXPECT_EQ(Hidden(w, extra), !c.shown) << extra << " " << c.variant;
  }
}

TEST_F(AcView, GatesStopAndLinkFailure) {
  t.ShowPanel("Group_GetAC1", false);
  t.ShowPanel("Group_GetAC2");  // PollAC is gated by the first phase panel alone
  EXPECT_EQ(PollAC(&w.Link, 0), 0);
  EXPECT_TRUE(t.Frames().empty());
  const std::initializer_list<polltest::GatedItem> items = {
      {PollAC, "Group_GetAC1"},         {PollAC1, "Group_GetAC1"},          {PollAC2, "Group_GetAC2"},
      {PollAC3, "Group_GetAC3"},        {PollLNST, "Group_LN_ST"},          {PollStandAlone3P, "Group_StandAlone3P"}};
  polltest::ExpectGatesAndStop(t, items, 1);
  EXPECT_EQ(w.ShowAcMode, 0);
  polltest::ExpectLinkFailure(t, items);
}

TEST(AcPollOrder, LayoutChoosesTheAcItems) {
  LinkedWindow t(false);
  const struct {
    int mode;
    std::vector<PollItem> items;
  } cases[] = {
      {0, {PollAC}}, {1, {PollAC}}, {2, {PollAC1, PollAC2, PollAC3}}, {3, {PollAC1}}, {4, {}}, {-1, {}},
  };
  for (const auto& c : cases) {
    t.w.ShowAcMode = c.mode;
    std::vector<PollItem> ran;
    for (const PollRow& row : PollOrder())
      if (row.order >= 5 && row.order <= 9 && (!row.runs || row.runs(t.w))) ran.push_back(row.item);
    EXPECT_EQ(ran, c.items) << c.mode;
  }
}
