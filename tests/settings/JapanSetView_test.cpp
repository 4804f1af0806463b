#include <gtest/gtest.h>

#include <vector>

#include "app/main.h"
#include "link/Executor.h"
#include "link/Modbus.h"
#include "link/PollingLoop.h"
#include "settings/JapanViews.h"
#include "support/PollFixture.h"
#include "support/SettingsFixture.h"

using polltest::Checked;
using polltest::Colour;
using polltest::ReadFrame;
using polltest::Text;
using settingstest::ReadCoil;
using settingstest::ReadHolding;
using settingstest::WriteCoil;

namespace {

constexpr int kCoils[] = {24576, 24577, 24595, 24642, 24649, 24617, 24626, 24609, 24641};

std::vector<QString> JapanSetFrames() {
  std::vector<QString> frames;
  for (int c : kCoils) frames.push_back(ReadCoil(c));
  for (const QString& f : {ReadHolding(33597, 1), ReadHolding(44032, 8), ReadFrame(40975, 7), ReadFrame(1040, 6),
                           ReadFrame(20840, 1), ReadCoil(24576), ReadCoil(24577), ReadFrame(1049, 1)})
    frames.push_back(f);
  return frames;
}

// Two characters per register, high byte first.
std::vector<uint16_t> Chars(const char* text) {
  std::vector<uint16_t> words;
  for (const char* p = text; *p; p += 2) words.push_back(static_cast<uint16_t>(p[0] << 8 | (p[1] ? p[1] : 0)));
  return words;
}

struct JapanSet : polltest::ViewTest {
  void SetUp() override {
    t.ShowPanel("Group_JapanSet");
    t.sim.SetCoil(1, 24576, true);
    t.sim.SetCoil(1, 24577, false);
    t.sim.SetCoil(1, 24595, true);
    t.sim.SetCoil(1, 24641, true);
    t.sim.SetHolding(1, 33597, 5500);
    t.sim.SetHoldingBlock(1, 44032, Chars("ABCDEFGHIJKLMNOP"));
    polltest::SetInputs(t.sim, 40975, Chars("TSN12345678901"));
    // DSP V1.05 of week 5 of 2017, RED V2.123, COMM all zero.
    polltest::SetInputs(t.sim, 1040, {0x0105, 0x1105, 0x027B, 0x1234, 0, 0});
    polltest::SetInputs(t.sim, 20840, {30});
    polltest::SetInputs(t.sim, 1049, {120});
  }
};

TEST(JapanPollOrder, EachViewAtItsPlace) {
  struct Place {
    PollItem item;
    int order;
  };
  const auto rows = PollOrder();
  for (const Place& p : {Place{PollJapanSet, 49}, Place{PollJapUserSet, 50}, Place{PollJapUserSetOld, 51},
                         Place{PollJapanErrorList, 76}, Place{PollJapanActivePower, 85}}) {
    size_t i = 0;
    while (i < rows.size() && rows[i].item != p.item) ++i;
    ASSERT_LT(i, rows.size()) << p.order;
    EXPECT_EQ(rows[i].order, p.order);
    if (i > 0) EXPECT_LT(rows[i - 1].order, p.order);
    if (i + 1 < rows.size()) EXPECT_GT(rows[i + 1].order, p.order);
  }
}

TEST_F(JapanSet, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollJapanSet, "Group_JapanSet"}});
}

TEST_F(JapanSet, ReadBackShowsIdentityStateAndSwitches) {
  for (const char* l : {"Label_DSPVer", "Label_ModelName2", "Label_JapanState", "Label_DeratingTime"})
    polltest::Paint(w, l, "old", clRed);
  ASSERT_EQ(PollJapanSet(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), JapanSetFrames());
  EXPECT_EQ(w.StatusText(2), "Japan...");

  EXPECT_EQ(Text(w, "Label_Rating"), "5500");
  EXPECT_EQ(Colour(w, "Label_Rating"), clBlue);
  // The first 13 characters, in both panels.
  for (const char* l : {"Label_ModelName", "Label_ModelName2"}) EXPECT_EQ(Text(w, l), "ABCDEFGHIJKLM") << l;
  for (const char* l : {"Label_TarvoSN", "Label_TarvoSN1"}) EXPECT_EQ(Text(w, l), "TSN1234567890") << l;
  EXPECT_EQ(Text(w, "Label_DSPVer"), "V1.05");
  EXPECT_EQ(Text(w, "Label_DSPDate"), "Y17W05");
  EXPECT_EQ(Text(w, "Label_RedVer"), "V2.123");
  EXPECT_EQ(Text(w, "Label_RedDate"), "Y18W52");
  EXPECT_EQ(Text(w, "Label_CommVer"), "V0.00");
  EXPECT_EQ(Text(w, "Label_CommDate"), "Y0W00");
  EXPECT_EQ(Text(w, "Label_DeratingTime"), "30 min");
  EXPECT_EQ(Text(w, "Label_JapanCountdown"), "120 s");
  EXPECT_EQ(Text(w, "Label_JapanState"), "On Grid");
  // Only the rating turns blue.
  for (const char* l : {"Label_DSPVer", "Label_ModelName2", "Label_JapanState", "Label_DeratingTime"})
    EXPECT_EQ(Colour(w, l), clRed) << l;

  for (const char* on : {"Radio_StartON", "Radio_24577GT", "Radio_RCMU1ON", "Radio_RCMU2OFF", "Radio_ParllModeOFF",
                         "Radio_ThermalDisOFF", "Radio_DefaultOFF", "Radio_RepairOFFJapan", "Radio_GfONJapan"})
    EXPECT_TRUE(Checked(w, on)) << on;
}

TEST_F(JapanSet, StateFromRemoteAndStandAloneCoils) {
  struct Case {
    bool remote, standAlone;
    const char* state;
  };
  for (const Case& c : {Case{true, true, "Stand alone"}, Case{false, true, "Stop"}, Case{false, false, "Stop"},
                        Case{true, false, "On Grid"}}) {
    t.sim.SetCoil(1, 24576, c.remote);
    t.sim.SetCoil(1, 24577, c.standAlone);
    ASSERT_EQ(PollJapanSet(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_JapanState"), c.state);
    EXPECT_TRUE(Checked(w, c.standAlone ? "Radio_24577SA" : "Radio_24577GT"));
  }
}

// The state byte of a coil reply as it came: 2 is SA for the stand-alone
// coil ("anything but 0") and OFF for every other switch ("1 only").
TEST_F(JapanSet, CoilReplyByteTwo) {
  const char* checkedFor2[] = {"Radio_StartOFF",     "Radio_24577SA",       "Radio_RCMU1OFF",
                               "Radio_RCMU2OFF",     "Radio_ParllModeOFF",  "Radio_ThermalDisOFF",
                               "Radio_DefaultOFF",   "Radio_RepairOFFJapan", "Radio_GfOFFJapan"};
  for (int row = 0; row < 9; ++row) {
    for (int c : kCoils) t.sim.SetCoil(1, c, row != 1);  // the other way round first
    ASSERT_EQ(PollJapanSet(&w.Link, 0), 0);
    for (int k = 0; k < row; ++k) t.sim.QueueFault(sim::ReplyFault{});
    t.sim.QueueFault(sim::ReplyFault::Garbage(sim::WithCrc(sim::Bytes({1, 1, 1, 2}))));
    ASSERT_EQ(PollJapanSet(&w.Link, 0), 0);
    EXPECT_TRUE(Checked(w, checkedFor2[row])) << checkedFor2[row];
    t.sim.ClearFaults();
  }
}

// A missed reply is no "Stop": the state is told only from usable replies,
// and the step's other controls keep what they show.
TEST_F(JapanSet, UnusableStateReplyShowsUnknown) {
  for (int missed : {14, 15}) {  // the second read of coil 24576, then of 24577
    polltest::Paint(w, "Label_JapanState", "On Grid", clBlack);
    for (int k = 0; k < missed; ++k) t.sim.QueueFault(sim::ReplyFault{});
    t.sim.QueueFault(sim::ReplyFault::Exception(2));
    ASSERT_EQ(PollJapanSet(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_JapanState"), "??") << missed;
    EXPECT_EQ(Text(w, "Label_JapanCountdown"), "120 s");  // the view goes on
    t.sim.ClearFaults();
  }
  // An unusable rating reply leaves the rating as it was.
  polltest::Paint(w, "Label_Rating", "x", clRed);
  for (int k = 0; k < 9; ++k) t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollJapanSet(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_Rating"), "x");
  EXPECT_EQ(Colour(w, "Label_Rating"), clRed);
}

// Every switch and button of the panel: its coil and value, no label.
TEST_F(JapanSet, EveryEditorWritesItsCoil) {
  constexpr int On = 0xFF00;
  settingstest::ExpectEditorWrites(t, {
      {"Radio_StartON", nullptr, 24576, On, nullptr, 5},
      {"Radio_StartOFF", nullptr, 24576, 0, nullptr, 5},
      {"Radio_24577SA", nullptr, 24577, On, nullptr, 5},
      {"Radio_24577SA", nullptr, 24577, On, nullptr, 5},  // already checked: written again
      {"Radio_24577GT", nullptr, 24577, 0, nullptr, 5},
      {"Radio_RCMU1ON", nullptr, 24595, On, nullptr, 5},
      {"Radio_RCMU1OFF", nullptr, 24595, 0, nullptr, 5},
      {"Radio_RCMU2ON", nullptr, 24642, On, nullptr, 5},
      {"Radio_RCMU2OFF", nullptr, 24642, 0, nullptr, 5},
      {"Radio_ParllModeON", nullptr, 24649, On, nullptr, 5},
      {"Radio_ParllModeOFF", nullptr, 24649, 0, nullptr, 5},
      {"Radio_ThermalDisON", nullptr, 24617, On, nullptr, 5},
      {"Radio_ThermalDisOFF", nullptr, 24617, 0, nullptr, 5},
      {"Radio_DefaultON", nullptr, 24626, On, nullptr, 5},
      {"Radio_DefaultOFF", nullptr, 24626, 0, nullptr, 5},
      {"Radio_RepairONJapan", nullptr, 24609, On, nullptr, 5},
      {"Radio_RepairOFFJapan", nullptr, 24609, 0, nullptr, 5},
      {"Radio_GfONJapan", nullptr, 24641, On, nullptr, 5},
      {"Radio_GfOFFJapan", nullptr, 24641, 0, nullptr, 5},
      {"Btn_CountSpeedup", nullptr, 24609, On, nullptr, 5},  // the repair ON write
      {"Btn_LedTestON", nullptr, 24713, On, nullptr, 5},
      {"Btn_LedTestOFF", nullptr, 24713, 0, nullptr, 5},
      {"Btn_EventReset", nullptr, 24624, On, nullptr, 5},
  });
}

// The energy reset is the factory command: two coils with a pause between.
TEST_F(JapanSet, EnergyResetPostsTheResetCommand) {
  std::vector<int> pauses;
  SetExecutorSleep([&](int ms) { pauses.push_back(ms); });
  settingstest::Commit(w, "Btn_EnergyReset");
  EXPECT_EQ(w.Link.CmdCode, 40);
  t.sim.ClearFrames();
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  SetExecutorSleep(nullptr);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{WriteCoil(24628, 0xFF00), WriteCoil(24629, 0xFF00)}));
  EXPECT_EQ(pauses, std::vector<int>{500});
}

TEST_F(JapanSet, SwitchWrittenThenReadBack) {
  ASSERT_EQ(PollJapanSet(&w.Link, 0), 0);
  EXPECT_TRUE(Checked(w, "Radio_GfONJapan"));
  settingstest::Commit(w, "Radio_GfOFFJapan");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  EXPECT_FALSE(t.sim.Coil(1, 24641));
  ASSERT_EQ(PollJapanSet(&w.Link, 0), 0);
  EXPECT_TRUE(Checked(w, "Radio_GfOFFJapan"));
  EXPECT_FALSE(Checked(w, "Radio_GfONJapan"));
}

}  // namespace
