#include <gtest/gtest.h>

#include <vector>

#include "app/main.h"
#include "link/PollingLoop.h"
#include "settings/GridSupportViews.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"
#include "support/ReactiveFixture.h"
#include "support/SettingsFixture.h"

using polltest::Colour;
using polltest::Text;
using settingstest::ReadHolding;
using namespace reactivetest;

namespace {

constexpr const char* kLabels[] = {"Label_CosphiOfU_UpperLimit", "Label_CosphiOfU_LowerLimit", "Label_CosphiOfU_Vmin",
                                   "Label_CosphiOfU_Vmax",       "Label_CosphiOfU_V1",         "Label_CosphiOfU_V2",
                                   "Label_CosphiOfU_Lockin",     "Label_CosphiOfU_Lockout"};

struct CosphiOfU : polltest::ViewTest {
  void SetUp() override {
    w.show();
    t.ShowPanel("Group_CosphiOfU");
    t.sim.SetHoldingBlock(1, 48817, {950, static_cast<uint16_t>(-900), 2070, 2530, 2140, 2420, 20, 0xFFFF});
  }
};

TEST(CosphiOfUPollOrder, AfterTheExtendedCurve) {
  const auto rows = PollOrder();
  size_t i = 0;
  while (i < rows.size() && rows[i].item != PollCosphiOfU) ++i;
  ASSERT_LT(i, rows.size());
  EXPECT_EQ(rows[i].order, 33);
  EXPECT_LT(rows[i - 1].order, 33);
  EXPECT_GT(rows[i + 1].order, 33);
}

TEST_F(CosphiOfU, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollCosphiOfU, "Group_CosphiOfU"}});
}

// Thousandths under either resolution option.
TEST_F(CosphiOfU, ReadBackUnderEachOption) {
  struct Case {
    int sign, cosSet;
    const char* upper;
    const char* lower;
  };
  for (const Case& c : std::initializer_list<Case>{{kIndPlus, kCoarse, "Ind 0.950", "Cap 0.900"},
                                                   {kIndMinus, kFine, "Cap 0.950", "Ind 0.900"}}) {
    w.ReactiveSign = c.sign;
    w.CosPhiSet = c.cosSet;
    for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
    t.sim.ClearFrames();
    ASSERT_EQ(PollCosphiOfU(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), std::vector<QString>{ReadHolding(48817, 8)});
    EXPECT_EQ(w.StatusText(2), "Cosphi(U)...");
    const std::vector<QString> expected = {c.upper, c.lower, "207.0 V", "253.0 V", "214.0 V", "242.0 V",
                                           "20 %", "65535 %"};
    for (size_t k = 0; k < expected.size(); ++k) {
      EXPECT_EQ(Text(w, kLabels[k]), expected[k]) << kLabels[k];
      EXPECT_EQ(Colour(w, kLabels[k]), clBlue) << kLabels[k];
    }
  }
  t.sim.SetHoldingBlock(1, 48817, {static_cast<uint16_t>(-1000), 0});
  w.ReactiveSign = kIndPlus;
  ASSERT_EQ(PollCosphiOfU(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_CosphiOfU_UpperLimit"), "1");
  EXPECT_EQ(Text(w, "Label_CosphiOfU_LowerLimit"), "Cap 0.000");
}

TEST_F(CosphiOfU, UnusableReplyChangesNothing) {
  for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollCosphiOfU(&w.Link, 0), 0);
  for (const char* name : kLabels) EXPECT_EQ(Colour(w, name), clRed) << name;
}

TEST_F(CosphiOfU, EveryEditorWritesItsRegister) {
  struct Case {
    int sign, cosSet, choice;
    settingstest::EditorCase edit;
  };
  const std::vector<Case> cases = {
      {kIndPlus, kCoarse, kCap, {"Edit_CosphiOfU_LowerLimit", "0.9", 48818, 0xFC7C, "Label_CosphiOfU_LowerLimit"}},
      {kIndMinus, kCoarse, kCap, {"Edit_CosphiOfU_LowerLimit", "0.9", 48818, 900, "Label_CosphiOfU_LowerLimit"}},
      {kIndPlus, kFine, kInd, {"Edit_CosphiOfU_LowerLimit", "0.9", 48818, 900, "Label_CosphiOfU_LowerLimit"}},
      {kIndMinus, kFine, kInd, {"Edit_CosphiOfU_LowerLimit", "0.9", 48818, 0xFC7C, "Label_CosphiOfU_LowerLimit"}},
      {kIndPlus, kCoarse, kInd, {"Edit_CosphiOfU_UpperLimit", "0.95", 48817, 950, "Label_CosphiOfU_UpperLimit"}},
      {kIndMinus, kFine, kCap, {"Edit_CosphiOfU_UpperLimit", "0.95", 48817, 950, "Label_CosphiOfU_UpperLimit"}},
      {kIndPlus, kFine, kCap, {"Edit_CosphiOfU_UpperLimit", "1", 48817, 0xFC18, "Label_CosphiOfU_UpperLimit"}},
      {kIndPlus, kCoarse, kInd, {"Edit_CosphiOfU_Vmin", "207", 48819, 2070, "Label_CosphiOfU_Vmin"}},
      {kIndPlus, kCoarse, kInd, {"Edit_CosphiOfU_Vmax", "253", 48820, 2530, "Label_CosphiOfU_Vmax"}},
      {kIndPlus, kCoarse, kInd, {"Edit_CosphiOfU_V1", "214.5", 48821, 2145, "Label_CosphiOfU_V1"}},
      {kIndPlus, kCoarse, kInd, {"Edit_CosphiOfU_V2", "242", 48822, 2420, "Label_CosphiOfU_V2"}},
      {kIndPlus, kCoarse, kInd, {"Edit_CosphiOfU_Lockin", "20", 48823, 20, "Label_CosphiOfU_Lockin"}},
      {kIndPlus, kCoarse, kInd, {"Edit_CosphiOfU_Lockout", "5", 48824, 5, "Label_CosphiOfU_Lockout"}},
  };
  for (const Case& c : cases) {
    w.ReactiveSign = c.sign;
    w.CosPhiSet = c.cosSet;
    ScrollChooser(w, "List_CosphiOfU_UpperLimit", c.choice);
    ScrollChooser(w, "List_CosphiOfU_LowerLimit", c.choice);
    SCOPED_TRACE(testing::Message() << "sign " << c.sign << " cos " << c.cosSet << " choice " << c.choice);
    settingstest::ExpectEditorWrites(t, {c.edit});
  }
}

TEST_F(CosphiOfU, RefusedEntries) {
  settingstest::ExpectRefused(t, {{"Edit_CosphiOfU_Lockin", "2.5", "Label_CosphiOfU_Lockin"},
                                  {"Edit_CosphiOfU_UpperLimit", "", "Label_CosphiOfU_UpperLimit"},
                                  // 40000 thousandths do not fit the signed register.
                                  {"Edit_CosphiOfU_UpperLimit", "40", "Label_CosphiOfU_UpperLimit"},
                                  {"Edit_CosphiOfU_Vmin", "-0.1", "Label_CosphiOfU_Vmin"}});
}

TEST_F(CosphiOfU, WrittenThenReadBackBlue) {
  ScrollChooser(w, "List_CosphiOfU_LowerLimit", kCap);
  settingstest::Commit(w, "Edit_CosphiOfU_LowerLimit", "0.85");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  ASSERT_EQ(PollCosphiOfU(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_CosphiOfU_LowerLimit"), "Cap 0.850");
  EXPECT_EQ(Colour(w, "Label_CosphiOfU_LowerLimit"), clBlue);
}

}  // namespace
