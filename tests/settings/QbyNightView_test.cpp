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

// In register order from 48798.
constexpr const char* kLabels[] = {
    "Label_QTMode",         "Label_ConstQ_Percent", "Label_QP_Q_Upper",    "Label_QP_Q_Lower",
    "Label_QP_Upper_Limit", "Label_QP_Lower_Limit", "Label_QP_Lockin_V",   "Label_QP_Lockout_V",
    "Label_QU_Upper_Limit", "Label_QU_Lower_Limit", "Label_QU_Vmin",       "Label_QU_Vmax",
    "Label_QU_V1",          "Label_QU_V2",          "Label_QU_P_Lock_in",  "Label_QU_P_Lock_out",
    "Label_QU_Hysteresis",  "Label_Response_Delay",
};

struct QbyNight : polltest::ViewTest {
  void SetUp() override {
    t.ShowPanel("Group_QbyNight");
    t.sim.SetHoldingBlock(1, 48798, {5, static_cast<uint16_t>(-30), 44, static_cast<uint16_t>(-44), 60, 10, 2300,
                                     2100, 50, static_cast<uint16_t>(-30), 2070, 2530, 2140, 2420, 20, 5, 20, 50});
  }
};

TEST(QbyNightPollOrder, BeforeQofP) {
  const auto rows = PollOrder();
  size_t i = 0;
  while (i < rows.size() && rows[i].item != PollQbyNight) ++i;
  ASSERT_LT(i + 1, rows.size());
  EXPECT_EQ(rows[i].order, 92);
  EXPECT_EQ(rows[i + 1].item, &PollQofP);
  EXPECT_LT(rows[i - 1].order, 92);
}

TEST_F(QbyNight, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollQbyNight, "Group_QbyNight"}});
}

// The same texts under either reactive convention: no sign rule here.
TEST_F(QbyNight, ReadBack) {
  const std::vector<QString> expected = {"Enable", "-30 %",   "44 %",   "-44 %",   "60 %",   "10 %",
                                         "230.0V", "210.0V",  "50 %",   "-30 %",   "207.0V", "253.0V",
                                         "214.0V", "242.0V",  "20 %",   "5 %",     "2.0V",   "0.50 sec"};
  for (int sign : {0, 1}) {
    w.ReactiveSign = sign;
    for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
    t.sim.ClearFrames();
    ASSERT_EQ(PollQbyNight(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), std::vector<QString>{ReadHolding(48798, 18)});
    EXPECT_EQ(w.StatusText(2), "Q Nig...");
    for (size_t k = 0; k < expected.size(); ++k) {
      EXPECT_EQ(Text(w, kLabels[k]), expected[k]) << kLabels[k];
      EXPECT_EQ(Colour(w, kLabels[k]), clBlue) << kLabels[k];
    }
  }
  t.sim.SetHolding(1, 48798, 0);
  ASSERT_EQ(PollQbyNight(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_QTMode"), "Disable");
}

TEST_F(QbyNight, UnusableReplyChangesNothing) {
  for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
  t.sim.QueueFault(sim::ReplyFault::BadCrc());
  ASSERT_EQ(PollQbyNight(&w.Link, 0), 0);
  for (const char* name : kLabels) {
    EXPECT_EQ(Text(w, name), "x") << name;
    EXPECT_EQ(Colour(w, name), clRed) << name;
  }
}

TEST_F(QbyNight, EveryEditorWritesItsRegister) {
  settingstest::ExpectEditorWrites(t, {
      {"Combo_QTMode", "Enable", 48798, 1, "Label_QTMode"},
      {"Combo_QTMode", "Disable", 48798, 0, "Label_QTMode"},
      {"Edit_ConstQ_Percent", "-30", 48799, 0xFFE2, "Label_ConstQ_Percent"},
      {"Edit_QP_Q_Upper", "44", 48800, 44, "Label_QP_Q_Upper"},
      {"Edit_QP_Q_Lower", "-44", 48801, 0xFFD4, "Label_QP_Q_Lower"},
      {"Edit_QP_Upper_Limit", "60", 48802, 60, "Label_QP_Upper_Limit"},
      {"Edit_QP_Lower_Limit", "10", 48803, 10, "Label_QP_Lower_Limit"},
      {"Edit_QP_Lockin_V", "230", 48804, 2300, "Label_QP_Lockin_V"},
      {"Edit_QP_Lockout_V", "210.5", 48805, 2105, "Label_QP_Lockout_V"},
      {"Edit_QU_Upper_Limit", "50", 48806, 50, "Label_QU_Upper_Limit"},
      {"Edit_QU_Lower_Limit", "-30", 48807, 0xFFE2, "Label_QU_Lower_Limit"},
      {"Edit_QU_Vmin", "207", 48808, 2070, "Label_QU_Vmin"},
      {"Edit_QU_Vmax", "253", 48809, 2530, "Label_QU_Vmax"},
      {"Edit_QU_V1", "214", 48810, 2140, "Label_QU_V1"},
      {"Edit_QU_V2", "242", 48811, 2420, "Label_QU_V2"},
      {"Edit_QU_P_Lock_in", "20", 48812, 20, "Label_QU_P_Lock_in"},
      {"Edit_QU_P_Lock_out", "5", 48813, 5, "Label_QU_P_Lock_out"},
      {"Edit_QU_Hysteresis", "2", 48814, 20, "Label_QU_Hysteresis"},
      {"Edit_Response_Delay", "0.5", 48815, 50, "Label_Response_Delay"},
  });
}

// 12.5 is no whole percent: refused with a message rather than written as 0.
TEST_F(QbyNight, RefusedEntries) {
  settingstest::ExpectRefused(t, {{"Edit_QU_Lower_Limit", "12.5", "Label_QU_Lower_Limit"},
                                  {"Edit_QU_Vmax", "", "Label_QU_Vmax"}});
}

TEST_F(QbyNight, WrittenThenReadBackBlue) {
  settingstest::Commit(w, "Edit_QU_Lower_Limit", "-25");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  ASSERT_EQ(PollQbyNight(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_QU_Lower_Limit"), "-25 %");
  EXPECT_EQ(Colour(w, "Label_QU_Lower_Limit"), clBlue);
}

}  // namespace
