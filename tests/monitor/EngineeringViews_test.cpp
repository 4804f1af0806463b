#include <gtest/gtest.h>

#include <QRadioButton>

#include "link/Modbus.h"
#include "monitor/EngineeringViews.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"

using polltest::Colour;
using polltest::Paint;
using polltest::Rtu;
using polltest::SetInputs;
using polltest::Text;

namespace {

// The controls checked here are all radio buttons.
constexpr auto Checked = polltest::Checked<QRadioButton>;

using EngineeringViews = polltest::ViewTest;

}  // namespace

TEST_F(EngineeringViews, RelayCountersLowWordFirst) {
  t.ShowPanel("Group_DcRelayAccTimes");
  SetInputs(t.sim, 23050, {0x0005, 0x0001, 0xFFFF, 0xFFFF, 0x0000, 0x8000, 7, 0});

  ASSERT_EQ(PollDcRelayAccTimes(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{Rtu({1, 4, 0x5A, 0x09, 0, 8})});
  EXPECT_EQ(w.StatusText(2), "DC Relay...");
  EXPECT_EQ(Text(w, "Label_DCRelayTimesP1"), "65541");
  EXPECT_EQ(Text(w, "Label_DCRelayTimesN1"), "-1");  // signed 32-bit
  EXPECT_EQ(Text(w, "Label_DCRelayTimesP2"), "-2147483648");
  EXPECT_EQ(Text(w, "Label_DCRelayTimesN2"), "7");

  t.sim.SetInput(1, 23050, 9);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollDcRelayAccTimes(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_DCRelayTimesP1"), "65541");
}

TEST_F(EngineeringViews, AntiPidTripTimeAndStateTexts) {
  t.ShowPanel("Group_AntiPid");
  t.sim.SetHolding(1, 25419, 0xFFFE);  // unsigned
  const struct {
    uint16_t code;
    const char* text;
  } states[] = {{0, "Ready"},       {1, "Finished"}, {2, "Relay_Test"},      {3, "Stop"},
                {4, "In_Progress"}, {5, "Unknow"},   {6, "Relay_Test_Fail"}, {7, "OCR_Fail"},
                {8, "NO_DC_Fail"},  {9, ""},         {0xFFFF, ""}};
  for (const auto& s : states) {
    t.sim.SetHolding(1, 25420, s.code);
    Paint(w, "Label_AntiPidTripTime", "1", clRed);  // a trip time written, not yet read back
    ASSERT_EQ(PollAntiPid(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_AntiPidState"), s.text) << s.code;
    EXPECT_EQ(Text(w, "Label_AntiPidTripTime"), "65534");
    EXPECT_EQ(Colour(w, "Label_AntiPidTripTime"), clBlue);
  }
  EXPECT_EQ(t.Frames().front(), Rtu({1, 3, 0x63, 0x4A, 0, 2}));
  EXPECT_EQ(w.StatusText(2), "PID...");

  // A rejected reply leaves text and colour.
  Paint(w, "Label_AntiPidTripTime", "12", clRed);
  t.sim.QueueFault(sim::ReplyFault::BadCrc());
  ASSERT_EQ(PollAntiPid(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_AntiPidTripTime"), "12");
  EXPECT_EQ(Colour(w, "Label_AntiPidTripTime"), clRed);
  EXPECT_EQ(Text(w, "Label_AntiPidState"), "");
}

TEST_F(EngineeringViews, TotalPowerReactiveSignAndPowerFactor) {
  t.ShowPanel("Group_TotalPower");
  w.PowerMul = 10;
  t.sim.SetInput(1, 45056, 0xFFF6);
  t.sim.SetInput(1, 49152, 1234);
  const struct {
    int reactiveSign;
    uint8_t signedValues;
    uint16_t q, pf;
    const char *input, *output, *qText, *pfText;
  } cases[] = {
      {0, 1, 0xFFF6, 95, "-100 W", "12340 W", "Q: Cap 100 Var", "PF: Ind 0.95"},
      {1, 1, 0xFFF6, 95, "-100 W", "12340 W", "Q: Ind 100 Var", "PF: Cap 0.95"},
      // Q and PF are signed whatever the device convention; the totals are not.
      {0, 0, 25, 0xFF9D, "655260 W", "12340 W", "Q: Ind 250 Var", "PF: Cap 0.99"},
      {1, 0, 0, 0, "655260 W", "12340 W", "Q: Cap 0 Var", "PF: Cap 0.00"},
  };
  for (const auto& c : cases) {
    w.ReactiveSign = c.reactiveSign;
    w.SignedValues = c.signedValues;
    t.sim.SetInput(1, 49248, c.q);
    t.sim.SetInput(1, 49249, c.pf);
    Paint(w, "Label_TotalInputCurrent", "3.00 A", clBlue);
    ASSERT_EQ(PollTotalPower(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_TotalInputPower"), c.input);
    EXPECT_EQ(Text(w, "Label_TotalOutputPower"), c.output);
    EXPECT_EQ(Text(w, "Label_TotalInputCurrent"), "");
    EXPECT_EQ(Text(w, "Label_TotalOutputCurrent"), "");
    EXPECT_EQ(Text(w, "Label_Q_Sum"), c.qText);
    EXPECT_EQ(Text(w, "Label_PowerFactor"), c.pfText);
  }
  EXPECT_EQ(w.StatusText(2), "Total Pow...");
  const std::vector<QString> pass{Rtu({1, 4, 0xAF, 0xFF, 0, 1}), Rtu({1, 4, 0xBF, 0xFF, 0, 1}),
                                  Rtu({1, 4, 0xC0, 0x5F, 0, 2})};
  const std::vector<QString> frames = t.Frames();
  ASSERT_EQ(frames.size(), 12u);
  EXPECT_EQ(std::vector<QString>(frames.begin(), frames.begin() + 3), pass);
}

TEST_F(EngineeringViews, TotalPowerLeavesVisiblePartnersToTheirViews) {
  t.ShowPanel("Group_TotalPower");
  t.ShowPanel("Group_GetDC1");
  t.sim.SetInput(1, 49152, 50);
  Paint(w, "Label_TotalInputPower", "7 W", clBlue);
  Paint(w, "Label_TotalInputCurrent", "1.00 A", clBlue);
  Paint(w, "Label_TotalOutputCurrent", "2.00 A", clBlue);
  // The output power reply is rejected: its current label is emptied all the same.
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollTotalPower(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 4, 0xBF, 0xFF, 0, 1}), Rtu({1, 4, 0xC0, 0x5F, 0, 2})}));
  EXPECT_EQ(Text(w, "Label_TotalInputPower"), "7 W");
  EXPECT_EQ(Text(w, "Label_TotalInputCurrent"), "1.00 A");
  EXPECT_EQ(Text(w, "Label_TotalOutputPower"), "??");
  EXPECT_EQ(Text(w, "Label_TotalOutputCurrent"), "");

  t.sim.ClearFrames();
  t.ShowPanel("Group_GetAC1");
  ASSERT_EQ(PollTotalPower(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{Rtu({1, 4, 0xC0, 0x5F, 0, 2})});
}

TEST_F(EngineeringViews, FactoryRepairSaveDataAndGridLock) {
  t.ShowPanel("Group_Factory");
  t.sim.SetCoil(1, 24609, true);
  t.sim.SetHolding(1, 24665, 0x55AA);
  t.sim.SetHolding(1, 48158, 0x8002);
  Paint(w, "Label_SaveData", "?", clRed);
  ASSERT_EQ(PollFactory(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 1, 0x60, 0x20, 0, 1}), Rtu({1, 3, 0x60, 0x58, 0, 1}),
                                              Rtu({1, 3, 0xBC, 0x1D, 0, 1})}));
  EXPECT_EQ(w.StatusText(2), "Factory...");
  EXPECT_TRUE(Checked(w, "Radio_RepairON"));
  EXPECT_EQ(Text(w, "Label_SaveData"), "21930");
  EXPECT_EQ(Colour(w, "Label_SaveData"), clBlue);
  EXPECT_TRUE(Checked(w, "Label_GridLockON"));
  EXPECT_FALSE(Checked(w, "Label_GridLockOFF"));
  // The two pairs exclude only their own partner.
  EXPECT_TRUE(Checked(w, "Radio_RepairON"));

  // First reply rejected: the later reads still run and fill their controls.
  t.sim.SetCoil(1, 24609, false);
  t.sim.SetHolding(1, 24665, 3);
  t.sim.SetHolding(1, 48158, 0xFFFD);
  Paint(w, "Label_SaveData", "?", clRed);
  t.sim.QueueFault(sim::ReplyFault::Silent());
  ASSERT_EQ(PollFactory(&w.Link, 0), 0);
  EXPECT_TRUE(Checked(w, "Radio_RepairON"));
  EXPECT_EQ(Text(w, "Label_SaveData"), "3");
  EXPECT_TRUE(Checked(w, "Label_GridLockOFF"));

  // A rejected save reply keeps the red label; the coil off checks OFF.
  Paint(w, "Label_SaveData", "?", clRed);
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollFactory(&w.Link, 0), 0);
  EXPECT_TRUE(Checked(w, "Radio_RepairOFF"));
  EXPECT_EQ(Text(w, "Label_SaveData"), "?");
  EXPECT_EQ(Colour(w, "Label_SaveData"), clRed);
}

TEST_F(EngineeringViews, AcTerminalAndFanTest) {
  t.ShowPanel("Group_AcTerminal");
  t.ShowPanel("Group_FanTest");
  t.sim.SetCoil(1, 24649, true);
  t.sim.SetHolding(1, 824, 0x0120);  // low byte 0x20: ON, the high byte ignored
  t.sim.SetHolding(1, 807, 0x8032);  // bit 15 from the duty editor
  ASSERT_EQ(PollAcTerminal(&w.Link, 0), 0);
  EXPECT_EQ(w.StatusText(2), "AcTerminal...");
  ASSERT_EQ(PollFanTest(&w.Link, 0), 0);
  EXPECT_EQ(w.StatusText(2), "Fan Test...");
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 1, 0x60, 0x48, 0, 1}), Rtu({1, 3, 0x03, 0x37, 0, 1}),
                                              Rtu({1, 3, 0x03, 0x26, 0, 1})}));
  EXPECT_TRUE(Checked(w, "Radio_3P3W"));
  EXPECT_TRUE(Checked(w, "Radio_FanON"));
  EXPECT_EQ(Text(w, "Label_FanDuty"), "50");
  EXPECT_EQ(Colour(w, "Label_FanDuty"), clBlue);

  t.sim.SetCoil(1, 24649, false);
  t.sim.SetHolding(1, 824, 0x2000);
  ASSERT_EQ(PollAcTerminal(&w.Link, 0), 0);
  ASSERT_EQ(PollFanTest(&w.Link, 0), 0);
  EXPECT_TRUE(Checked(w, "Radio_3P4W"));
  EXPECT_FALSE(Checked(w, "Radio_3P3W"));
  EXPECT_TRUE(Checked(w, "Radio_FanOFF"));
}

TEST_F(EngineeringViews, GainChannelsAndValues) {
  t.ShowPanel("Group_VIPGain");
  std::vector<uint16_t> block(13);
  for (int k = 1; k < 13; ++k) block[k] = static_cast<uint16_t>(1000 * k);
  block[12] = 0xFFFF;
  const struct {
    uint16_t index;
    const char* text;
  } channels[] = {{0, "Output1"}, {18, "Output3(out)"}, {48, "Input1"}, {55, "Input8"},
                  {66, "Total Bus"}, {3, "Error(3)"}, {0xFFFF, "Error(65535)"}};
  for (const auto& c : channels) {
    block[0] = c.index;
    t.sim.SetHoldingBlock(1, 33536, block);
    ASSERT_EQ(PollVIPGain(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_GainIndex"), c.text) << c.index;
  }
  EXPECT_EQ(t.Frames().front(), Rtu({1, 3, 0x82, 0xFF, 0, 13}));
  EXPECT_EQ(w.StatusText(2), "Gain...");
  const char* labels[] = {"Label_GainIndex",      "Label_VoltHighGain",  "Label_VoltBoundary",
                          "Label_VoltLowGain",    "Label_CurrHighGain",  "Label_CurrBoundary",
                          "Label_CurrLowGain",    "Label_PowerHighGain", "Label_PowertBoundary",
                          "Label_PowerLowGain",   "Label_VoltHighGainRed", "Label_VoltBoundaryRed",
                          "Label_VoltLowGainRed"};
  EXPECT_EQ(Text(w, "Label_VoltHighGain"), "1000");
  EXPECT_EQ(Text(w, "Label_PowertBoundary"), "8000");
  EXPECT_EQ(Text(w, "Label_VoltLowGainRed"), "65535");
  for (const char* l : labels) EXPECT_EQ(Colour(w, l), clBlue) << l;

  // Rejected: nothing changes, red stays red.
  for (const char* l : labels) Paint(w, l, "x", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollVIPGain(&w.Link, 0), 0);
  for (const char* l : labels) {
    EXPECT_EQ(Text(w, l), "x") << l;
    EXPECT_EQ(Colour(w, l), clRed) << l;
  }
}

TEST_F(EngineeringViews, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollDcRelayAccTimes, "Group_DcRelayAccTimes"},
                                              {PollAntiPid, "Group_AntiPid"},
                                              {PollTotalPower, "Group_TotalPower"},
                                              {PollFactory, "Group_Factory"},
                                              {PollAcTerminal, "Group_AcTerminal"},
                                              {PollFanTest, "Group_FanTest"},
                                              {PollVIPGain, "Group_VIPGain"}});
}
