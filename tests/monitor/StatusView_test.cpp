#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>

#include "link/Modbus.h"
#include "monitor/StatusView.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"

using polltest::Checked;
using polltest::Colour;
using polltest::Rtu;
using polltest::Text;

namespace {

struct StatusView : polltest::ViewTest {
  void SetUp() override {
    t.ShowPanel("Group_Status");
    t.sim.SetCoil(1, 24576, true);
    t.sim.SetInput(1, 1048, 2);
    t.sim.SetInput(1, 1049, 0);
    t.sim.SetHolding(1, 825, 0x0400);
    t.sim.SetHolding(1, 829, 2305);
    t.sim.SetHolding(1, 33595, 5);
    t.sim.SetHolding(1, 25411, 0x0001);
    t.sim.SetHolding(1, 48384, 0);
  }
};

}  // namespace

TEST_F(StatusView, FillsEveryControlAndConfirmsWrittenValuesInBlue) {
  w.PowerMul = 1000;
  // Values an editor wrote and painted red, not yet read back.
  w.Ctl<ValueLabel>("Label_MaxPower")->setFontColor(clRed);
  w.Ctl<ValueLabel>("Label_ConstVolt")->setFontColor(clRed);
  ASSERT_EQ(PollStatus(&w.Link, 0), 0);

  EXPECT_EQ(t.Frames(), (std::vector<QString>{
                            Rtu({1, 1, 0x5F, 0xFF, 0, 1}),
                            Rtu({1, 4, 0x04, 0x17, 0, 2}),
                            Rtu({1, 3, 0x03, 0x38, 0, 5}),
                            Rtu({1, 3, 0x83, 0x3A, 0, 1}),
                            Rtu({1, 3, 0x63, 0x42, 0, 1}),
                            Rtu({1, 3, 0xBC, 0xFF, 0, 1}),
                        }));
  EXPECT_EQ(w.StatusText(2), "Status...");
  EXPECT_TRUE(Checked(w, "Radio_RemoteON"));
  EXPECT_FALSE(Checked(w, "Radio_RemoteOFF"));
  EXPECT_EQ(Text(w, "Label_InvStatus"), "On Grid(2)");
  EXPECT_EQ(Text(w, "Label_ReclosureT"), "0 s");
  EXPECT_TRUE(Checked(w, "Check_ConstVolt"));
  EXPECT_EQ(Text(w, "Label_ConstVolt"), "230.5V");
  EXPECT_EQ(Colour(w, "Label_ConstVolt"), clBlue);
  EXPECT_EQ(Text(w, "Label_MaxPower"), "5,000 W");
  EXPECT_EQ(Colour(w, "Label_MaxPower"), clBlue);
  EXPECT_EQ(Text(w, "Label_WarningOccur"), "Lock");
}

TEST_F(StatusView, RemoteConstVoltAndLockVariants) {
  const struct {
    bool coil;
    uint16_t constMode, lock1, lock2;
    bool remoteOn, constOn;
    const char* warning;
  } cases[] = {
      {false, 0x0401, 0x0002, 0, false, false, ""},  // bit 0 clear; 0x0401 is not the mode word
      {true, 0x0400, 0x0000, 1, true, true, "Lock"},  // the second lock word alone
      {false, 0x0000, 0x0001, 2, false, false, "Lock"},  // a second word other than 1 keeps the first's text
  };
  for (const auto& c : cases) {
    t.sim.SetCoil(1, 24576, c.coil);
    t.sim.SetHolding(1, 825, c.constMode);
    t.sim.SetHolding(1, 25411, c.lock1);
    t.sim.SetHolding(1, 48384, c.lock2);
    ASSERT_EQ(PollStatus(&w.Link, 0), 0);
    EXPECT_EQ(Checked(w, "Radio_RemoteON"), c.remoteOn) << c.lock1;
    EXPECT_EQ(Checked(w, "Radio_RemoteOFF"), !c.remoteOn) << c.lock1;
    EXPECT_EQ(Checked(w, "Check_ConstVolt"), c.constOn) << std::hex << c.constMode;
    EXPECT_EQ(Text(w, "Label_WarningOccur"), c.warning) << c.lock1 << " " << c.lock2;
  }
}

TEST_F(StatusView, StateTextFollowsTheProfileVariant) {
  w.InverterState = 1;
  t.sim.SetInput(1, 1048, 15);
  t.sim.SetInput(1, 1049, 57);
  ASSERT_EQ(PollStatus(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_InvStatus"), "Solar2 MPPT (15)");  // the text's own blank
  EXPECT_EQ(Text(w, "Label_ReclosureT"), "57 s");

  w.InverterState = 2;
  ASSERT_EQ(PollStatus(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_InvStatus"), "(15)");
}

TEST(StatusTexts, BothTablesAndUnknownCodes) {
  const struct {
    int variant, code;
    const char* text;
  } cases[] = {
      {0, 0, "Stand by"},       {0, 1, "Countdown"},     {0, 3, "No Dc"},          {0, 4, "Alarm"},
      {0, 5, "Unknown"},        {0, 6, "Stand alone"},   {0, 7, "Unknown"},        {0, 8, "Check PV Power"},
      {0, 9, "Unknown"},        {0, 65535, "Unknown"},   {1, 0, "Stand by"},       {1, 1, "Unknown"},
      {1, 4, "Stand by"},       {1, 8, "Countdown"},     {1, 10, "Relay Test"},    {1, 13, "Solar2 soft-start"},
      {1, 17, "Solar2 MPPT "},  {1, 23, "Solar1 soft-start"}, {1, 27, "Solar1 MPPT"}, {1, 33, "Parallel MPPT"},
      {1, 41, "Separate MPPT"}, {1, 43, "Pseudo Para. MPPT"}, {1, 45, "Parallel MPPT"},
      {1, 47, "Fixed Inv. Curr."}, {1, 49, "Italy self-test"}, {1, 50, "Stop"},   {1, 51, "Unknown"},
      {1, 128, "Stop mode"},    {1, 129, "Count Down"},  {1, 130, "Soft-start"},   {1, 131, "Voltage mode"},
      {1, 132, "Unknown"},      {2, 2, ""},              {-1, 0, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(InverterStateText(c.variant, c.code), c.text) << c.variant << "/" << c.code;
}

TEST(StatusTexts, MaxPowerSeparatesThousandsOnlyAbove1000) {
  const struct {
    int watts;
    const char* text;
  } cases[] = {{0, "0"}, {1000, "1000"}, {1001, "1,001"}, {5000, "5,000"}, {12050, "12,050"}, {65535000, "65535,000"}};
  for (const auto& c : cases) EXPECT_EQ(MaxPowerText(c.watts), c.text) << c.watts;
}

TEST_F(StatusView, UnusableRepliesLeaveControlsAndColoursAndTheItemGoesOn) {
  ASSERT_EQ(PollStatus(&w.Link, 0), 0);
  w.Ctl<ValueLabel>("Label_MaxPower")->setFontColor(clRed);
  w.Ctl<ValueLabel>("Label_ConstVolt")->setFontColor(clRed);
  t.sim.SetCoil(1, 24576, false);
  t.sim.SetInput(1, 1048, 4);
  t.sim.SetHolding(1, 825, 0);
  t.sim.SetHolding(1, 33595, 9);
  t.sim.SetHolding(1, 25411, 0);
  t.sim.ClearFrames();

  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  t.sim.QueueFault(sim::ReplyFault::BadCrc());
  t.sim.QueueFault(sim::ReplyFault::Short());
  t.sim.QueueFault(sim::ReplyFault::Silent());
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollStatus(&w.Link, 0), 0);

  EXPECT_EQ(t.Frames().size(), 6u);
  EXPECT_TRUE(Checked(w, "Radio_RemoteON"));
  EXPECT_EQ(Text(w, "Label_InvStatus"), "On Grid(2)");
  EXPECT_TRUE(Checked(w, "Check_ConstVolt"));
  EXPECT_EQ(Text(w, "Label_ConstVolt"), "230.5V");
  EXPECT_EQ(Colour(w, "Label_ConstVolt"), clRed);
  EXPECT_EQ(Text(w, "Label_MaxPower"), "5 W");
  EXPECT_EQ(Colour(w, "Label_MaxPower"), clRed);
  EXPECT_EQ(Text(w, "Label_WarningOccur"), "Lock");
}

TEST_F(StatusView, GateStopPendingCommandAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollStatus, "Group_Status"}}, 166);
  EXPECT_EQ(Text(w, "Label_InvStatus"), "??");
}
