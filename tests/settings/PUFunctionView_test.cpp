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
using settingstest::WriteHolding;

namespace {

constexpr const char* kLabels[] = {"Label_ProvrMode",     "Label_ProvrRecTime",  "Label_ProvrLockInP",
                                   "Label_ProvrLockOutP", "Label_ProvrLockInV",  "Label_ProvrLockOutV",
                                   "Label_StopVoltage_Vac", "Label_PofU_Pend"};

struct PUFunction : polltest::ViewTest {
  void SetUp() override {
    t.ShowPanel("Group_PUFunction");
    // The device shows the older settings written to 880-885 under 48544-48549.
    for (int k = 0; k < 6; ++k) t.sim.SetMirror(1, 880 + k, 48544 + k);
    t.sim.SetHoldingBlock(1, 48544, {1, 60, 20, 5, 2530, 2420});
    t.sim.SetHoldingBlock(1, 48551, {2530, 30});
  }
};

TEST(PUFunctionPollOrder, AfterPf) {
  const auto rows = PollOrder();
  size_t i = 0;
  while (i < rows.size() && rows[i].item != PollPUFunction) ++i;
  ASSERT_LT(i + 1, rows.size());
  EXPECT_EQ(rows[i].order, 32);
  EXPECT_EQ(rows[i - 1].item, &PollPFCtrl);
  EXPECT_EQ(rows[i + 1].item, &PollCosphiOfU);
}

TEST_F(PUFunction, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollPUFunction, "Group_PUFunction"}});
}

TEST_F(PUFunction, ReadBack) {
  for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
  ASSERT_EQ(PollPUFunction(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(48544, 6), ReadHolding(48551, 2)}));
  EXPECT_EQ(w.StatusText(2), "P(U)...");
  const std::vector<QString> expected = {"Enable", "60 sec", "20 %", "5 %", "253.0 V", "242.0 V", "253.0 V", "30 %"};
  for (size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(Text(w, kLabels[k]), expected[k]) << kLabels[k];
    EXPECT_EQ(Colour(w, kLabels[k]), clBlue) << kLabels[k];
  }
  for (uint16_t mode : {0, 2, 0xFFFF}) {
    t.sim.SetHolding(1, 48544, mode);
    ASSERT_EQ(PollPUFunction(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_ProvrMode"), "Disable") << mode;
  }
}

TEST_F(PUFunction, UnusableReplySkipsItsStepOnly) {
  for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollPUFunction(&w.Link, 0), 0);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(Colour(w, kLabels[k]), clRed) << kLabels[k];
  EXPECT_EQ(Text(w, "Label_PofU_Pend"), "30 %");
  EXPECT_EQ(Colour(w, "Label_PofU_Pend"), clBlue);
}

TEST_F(PUFunction, EveryEditorWritesItsRegister) {
  settingstest::ExpectEditorWrites(t, {
      {"Combo_ProvrMode", "Enable", 880, 1, "Label_ProvrMode"},
      {"Combo_ProvrMode", "Disable", 880, 0, "Label_ProvrMode"},
      {"Edit_ProvrRecTime", "60", 881, 60, "Label_ProvrRecTime"},
      {"Edit_ProvrLockInP", "20", 882, 20, "Label_ProvrLockInP"},
      {"Edit_ProvrLockOutP", "5", 883, 5, "Label_ProvrLockOutP"},
      {"Edit_ProvrLockInV", "253", 884, 2530, "Label_ProvrLockInV"},
      {"Edit_ProvrLockOutV", "242.5", 885, 2425, "Label_ProvrLockOutV"},
      {"Edit_StopVoltage_Vac", "253", 48551, 2530, "Label_StopVoltage_Vac"},
      {"Edit_PofU_Pend", "30", 48552, 30, "Label_PofU_Pend"},
  });
}

TEST_F(PUFunction, RefusedEntries) {
  settingstest::ExpectRefused(t, {{"Edit_ProvrRecTime", "1.5", "Label_ProvrRecTime"},
                                  {"Edit_ProvrLockInV", "", "Label_ProvrLockInV"},
                                  {"Edit_PofU_Pend", "abc", "Label_PofU_Pend"}});
}

// Written to the first block, shown from the second in the next pass.
TEST_F(PUFunction, WrittenToOneBlockReadBackFromTheOther) {
  t.sim.SetHolding(1, 48544, 0);
  settingstest::Commit(w, "Combo_ProvrMode", "Enable");
  EXPECT_EQ(Colour(w, "Label_ProvrMode"), clRed);
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{WriteHolding(880, 1)});
  w.Link.CmdCode = 0;
  settingstest::Commit(w, "Edit_ProvrLockInV", "250");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  ASSERT_EQ(PollPUFunction(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_ProvrMode"), "Enable");
  EXPECT_EQ(Colour(w, "Label_ProvrMode"), clBlue);
  EXPECT_EQ(Text(w, "Label_ProvrLockInV"), "250.0 V");
  EXPECT_EQ(Colour(w, "Label_ProvrLockInV"), clBlue);
}

}  // namespace
