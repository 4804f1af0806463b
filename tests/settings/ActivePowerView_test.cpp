#include <gtest/gtest.h>

#include <vector>

#include "app/main.h"
#include "link/PollingLoop.h"
#include "settings/GridSupportViews.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"
#include "support/SettingsFixture.h"

using polltest::Colour;
using polltest::Text;
using settingstest::ReadHolding;

namespace {

constexpr const char* kLabels[] = {"Label_PowerManageMode", "Label_PowerManage", "Label_RampUp", "Label_ActiveSlope"};

struct ActivePower : polltest::ViewTest {
  void SetUp() override {
    t.ShowPanel("Group_ActivePower");
    t.sim.SetHoldingBlock(1, 798, {3, 0xFFFF});
    t.sim.SetHolding(1, 864, 0xFFFF);
    t.sim.SetHolding(1, 48514, 120);
  }
};

TEST(ActivePowerPollOrder, AfterTheExtendedCurve) {
  const auto rows = PollOrder();
  size_t i = 0;
  while (i < rows.size() && rows[i].item != PollActivePower) ++i;
  ASSERT_LT(i, rows.size());
  EXPECT_EQ(rows[i].order, 30);
  EXPECT_EQ(rows[i - 1].item, &PollExtendCosphiP);
  EXPECT_GT(rows[i + 1].order, 30);
}

TEST_F(ActivePower, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollActivePower, "Group_ActivePower"}});
}

TEST_F(ActivePower, ControlsAsDeclared) {
  for (const char* name : kLabels) EXPECT_EQ(Text(w, name), "???") << name;
  // Below the usual height: in view only in the taller form.
  EXPECT_GE(w.Control("Edit_ActiveSlope")->geometry().top(), 200);
  EXPECT_LE(w.Control("Edit_ActiveSlope")->geometry().bottom(), 250);
  EXPECT_EQ(w.Control("Edit_ActiveSlope")->parentWidget(), w.Panel("Group_ActivePower"));
}

// The slope is read only in the taller form; otherwise its label keeps its text.
TEST_F(ActivePower, ReadBackWithAndWithoutTheSlope) {
  for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
  w.ShowActiveSlope = 0;
  ASSERT_EQ(PollActivePower(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(798, 2), ReadHolding(864, 1)}));
  EXPECT_EQ(w.StatusText(2), "Active P...");
  EXPECT_EQ(Text(w, "Label_PowerManageMode"), "Enable");
  EXPECT_EQ(Text(w, "Label_PowerManage"), "-1 %");
  EXPECT_EQ(Text(w, "Label_RampUp"), "65535 %");
  EXPECT_EQ(Text(w, "Label_ActiveSlope"), "x");
  EXPECT_EQ(Colour(w, "Label_ActiveSlope"), clRed);
  for (const char* name : {"Label_PowerManageMode", "Label_PowerManage", "Label_RampUp"})
    EXPECT_EQ(Colour(w, name), clBlue) << name;

  w.ShowActiveSlope = 1;
  t.sim.SetHolding(1, 798, 0);
  t.sim.ClearFrames();
  ASSERT_EQ(PollActivePower(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(798, 2), ReadHolding(864, 1), ReadHolding(48514, 1)}));
  EXPECT_EQ(Text(w, "Label_PowerManageMode"), "Disable");
  EXPECT_EQ(Text(w, "Label_ActiveSlope"), "120 sec");
  EXPECT_EQ(Colour(w, "Label_ActiveSlope"), clBlue);
}

// Each unusable reply skips its own step only.
TEST_F(ActivePower, UnusableRepliesSkipTheirStep) {
  w.ShowActiveSlope = 1;
  for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::BadCrc());
  ASSERT_EQ(PollActivePower(&w.Link, 0), 0);
  EXPECT_EQ(Colour(w, "Label_PowerManageMode"), clRed);
  EXPECT_EQ(Colour(w, "Label_PowerManage"), clRed);
  EXPECT_EQ(Text(w, "Label_RampUp"), "65535 %");
  EXPECT_EQ(Colour(w, "Label_RampUp"), clBlue);
  EXPECT_EQ(Colour(w, "Label_ActiveSlope"), clRed);
}

TEST_F(ActivePower, EveryEditorWritesItsRegister) {
  settingstest::ExpectEditorWrites(t, {
      {"Combo_PowerManageMode", "Enable", 798, 1, "Label_PowerManageMode"},
      {"Combo_PowerManageMode", "Disable", 798, 0, "Label_PowerManageMode"},
      {"Edit_PowerManage", "80", 799, 80, "Label_PowerManage"},
      {"Edit_PowerManage", "-1", 799, 0xFFFF, "Label_PowerManage"},
      {"Edit_RampUp", "10", 864, 10, "Label_RampUp"},
      {"Edit_ActiveSlope", "120", 48514, 120, "Label_ActiveSlope"},
      {"Edit_ActiveSlope", "0x3C", 48514, 60, "Label_ActiveSlope"},
  });
}

TEST_F(ActivePower, RefusedEntries) {
  settingstest::ExpectRefused(t, {{"Edit_PowerManage", "80%", "Label_PowerManage"},
                                  {"Edit_RampUp", "", "Label_RampUp"},
                                  {"Edit_ActiveSlope", "1.5", "Label_ActiveSlope"},
                                  // Beyond the signed limit register: 40000 would read back as -25536 %.
                                  {"Edit_PowerManage", "40000", "Label_PowerManage"},
                                  {"Edit_PowerManage", "-32769", "Label_PowerManage"},
                                  // The unsigned ramp-up register takes no negative.
                                  {"Edit_RampUp", "-1", "Label_RampUp"}});
}

TEST_F(ActivePower, WrittenThenReadBackBlue) {
  settingstest::Commit(w, "Edit_PowerManage", "75");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  ASSERT_EQ(PollActivePower(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_PowerManage"), "75 %");
  EXPECT_EQ(Colour(w, "Label_PowerManage"), clBlue);
}

}  // namespace
