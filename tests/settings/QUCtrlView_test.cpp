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

constexpr const char* kCurveLabels[] = {"Label_KvarUp",   "Label_KvarLow",   "Label_UacMin",
                                        "Label_UacMax",   "Label_UacLow",    "Label_UacUp",
                                        "Label_Hystersis", "Label_UacLockIn", "Label_UacLockOut"};

struct QUCtrl : polltest::ViewTest {
  void SetUp() override {
    w.show();
    t.ShowPanel("Group_QUCtrl");
    t.sim.SetHoldingBlock(1, 33624, {30, 0, 10, static_cast<uint16_t>(-10), 2070, 2530, 2140, 2420, 20, 150, 0, 0,
                                     20, 5});
    t.sim.SetHolding(1, 33638, 350);
  }
  bool ItemShown() { return !w.Control("Item_ResponseDelay")->isHidden(); }
};

TEST(QUCtrlPollOrder, AfterReactivePower) {
  const auto rows = PollOrder();
  size_t i = 0;
  while (i < rows.size() && rows[i].item != PollQUCtrl) ++i;
  ASSERT_LT(i, rows.size());
  EXPECT_EQ(rows[i].order, 27);
  EXPECT_EQ(rows[i - 1].item, &PollReactivePower);
}

TEST_F(QUCtrl, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollQUCtrl, "Group_QUCtrl"}});
}

TEST_F(QUCtrl, ReadBackUnderBothConventions) {
  EXPECT_FALSE(ItemShown());
  EXPECT_EQ(Text(w, "Label_KvarUp"), "?? %");
  struct Case {
    int sign;
    const char* up;
    const char* low;
  };
  for (const Case& c : std::initializer_list<Case>{{kIndPlus, "Ind 10%", "Cap 10%"}, {kIndMinus, "Cap 10%", "Ind 10%"}}) {
    w.ReactiveSign = c.sign;
    for (const char* name : kCurveLabels) polltest::Paint(w, name, "x", clRed);
    t.sim.ClearFrames();
    ASSERT_EQ(PollQUCtrl(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(33624, 14), ReadHolding(33638, 1)}));
    EXPECT_EQ(w.StatusText(2), "Q(U)...");
    const std::vector<QString> expected = {c.up,      c.low,     "207.0 V", "253.0 V", "214.0 V",
                                           "242.0 V", "2.0 V",   "20 %",    "5 %"};
    for (size_t k = 0; k < expected.size(); ++k) {
      EXPECT_EQ(Text(w, kCurveLabels[k]), expected[k]) << kCurveLabels[k];
      EXPECT_EQ(Colour(w, kCurveLabels[k]), clBlue) << kCurveLabels[k];
    }
    EXPECT_EQ(Text(w, "Label_ResponseDelay"), "3 sec");
    EXPECT_EQ(Colour(w, "Label_ResponseDelay"), clBlue);
    EXPECT_TRUE(ItemShown());
  }
  t.sim.SetHolding(1, 33627, 0);
  t.sim.SetHolding(1, 33638, 199);
  w.ReactiveSign = kIndPlus;
  ASSERT_EQ(PollQUCtrl(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_KvarLow"), "Cap 0%");
  EXPECT_EQ(Text(w, "Label_ResponseDelay"), "1 sec");  // integer division
}

TEST_F(QUCtrl, DelayItemFollowsWhetherTheInverterAnswers) {
  ASSERT_EQ(PollQUCtrl(&w.Link, 0), 0);
  ASSERT_TRUE(ItemShown());
  polltest::Paint(w, "Label_ResponseDelay", "x", clRed);
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollQUCtrl(&w.Link, 0), 0);
  EXPECT_FALSE(ItemShown());
  EXPECT_EQ(Colour(w, "Label_ResponseDelay"), clRed);
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::BadCrc());
  ASSERT_EQ(PollQUCtrl(&w.Link, 0), 0);
  EXPECT_FALSE(ItemShown());
  ASSERT_EQ(PollQUCtrl(&w.Link, 0), 0);
  EXPECT_TRUE(ItemShown());

  // An unusable curve reply leaves its labels and goes on to the delay.
  for (const char* name : kCurveLabels) polltest::Paint(w, name, "x", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollQUCtrl(&w.Link, 0), 0);
  for (const char* name : kCurveLabels) EXPECT_EQ(Colour(w, name), clRed) << name;
  EXPECT_EQ(Colour(w, "Label_ResponseDelay"), clBlue);
}

TEST_F(QUCtrl, EveryEditorWritesItsRegister) {
  struct Case {
    int sign;
    int choice;
    settingstest::EditorCase edit;
  };
  const std::vector<Case> cases = {
      {kIndPlus, kInd, {"Edit_KvarUp", "10", 33626, 10, "Label_KvarUp"}},
      {kIndPlus, kCap, {"Edit_KvarUp", "10", 33626, 0xFFF6, "Label_KvarUp"}},
      {kIndMinus, kCap, {"Edit_KvarUp", "10", 33626, 10, "Label_KvarUp"}},
      {kIndMinus, kInd, {"Edit_KvarUp", "10", 33626, 0xFFF6, "Label_KvarUp"}},
      {kIndPlus, kCap, {"Edit_KvarLow", "25", 33627, 0xFFE7, "Label_KvarLow"}},
      {kIndMinus, kCap, {"Edit_KvarLow", "25", 33627, 25, "Label_KvarLow"}},
      {kIndPlus, kInd, {"Edit_UacMin", "207", 33628, 2070, "Label_UacMin"}},
      {kIndPlus, kInd, {"Edit_UacMax", "253", 33629, 2530, "Label_UacMax"}},
      {kIndPlus, kInd, {"Edit_UacMax", "253.05", 33629, 2530, "Label_UacMax"}},
      {kIndPlus, kInd, {"Edit_UacLow", "214", 33630, 2140, "Label_UacLow"}},
      {kIndPlus, kInd, {"Edit_UacUp", "242", 33631, 2420, "Label_UacUp"}},
      {kIndPlus, kInd, {"Edit_Hystersis", "2", 33632, 20, "Label_Hystersis"}},
      {kIndPlus, kInd, {"Edit_UacLockIn", "20", 33636, 20, "Label_UacLockIn"}},
      {kIndPlus, kInd, {"Edit_UacLockOut", "5", 33637, 5, "Label_UacLockOut"}},
      {kIndPlus, kInd, {"Combo_ResponseDelay", "2", 33638, 200, "Label_ResponseDelay"}},
      {kIndPlus, kInd, {"Combo_ResponseDelay", "0", 33638, 0, "Label_ResponseDelay"}},
      {kIndPlus, kInd, {"Combo_ResponseDelay", "30", 33638, 3000, "Label_ResponseDelay"}},
  };
  for (const Case& c : cases) {
    w.ReactiveSign = c.sign;
    ScrollChooser(w, "List_KvarUp", c.choice);
    ScrollChooser(w, "List_KvarLow", c.choice);
    SCOPED_TRACE(testing::Message() << "sign " << c.sign << " choice " << c.choice);
    settingstest::ExpectEditorWrites(t, {c.edit});
  }
}

// The delay combo is a list to choose from, its value the chosen item's:
// no text is typed into it, so no partial number and no -1 can be posted.
TEST_F(QUCtrl, DelayComboIsSelectionOnly) {
  auto& combo = polltest::ControlAs<QComboBox>(w, "Combo_ResponseDelay");
  EXPECT_FALSE(combo.isEditable());
  combo.setCurrentIndex(7);  // a read-back or profile setting the index posts nothing
  EXPECT_EQ(w.Link.CmdCode, 0);
}

TEST_F(QUCtrl, RefusedEntries) {
  settingstest::ExpectRefused(t, {{"Edit_KvarUp", "1.5", "Label_KvarUp"},
                                  {"Edit_UacLockIn", "", "Label_UacLockIn"},
                                  {"Edit_UacMax", "abc", "Label_UacMax"},
                                  // "Ind" 40000 % would read back as "Cap 25536 %"; -5 V as 6553.1 V.
                                  {"Edit_KvarUp", "40000", "Label_KvarUp"},
                                  {"Edit_UacMax", "-5", "Label_UacMax"},
                                  {"Edit_UacMax", "6553.6", "Label_UacMax"}});
  EXPECT_EQ(t.dialogs.messages.last(), "Out of range: the value must lie from 0.0 to 6553.5");
}

TEST_F(QUCtrl, WrittenThenReadBackBlue) {
  ScrollChooser(w, "List_KvarLow", kCap);
  settingstest::Commit(w, "Edit_KvarLow", "7");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  ASSERT_EQ(PollQUCtrl(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_KvarLow"), "Cap 7%");
  EXPECT_EQ(Colour(w, "Label_KvarLow"), clBlue);
}

}  // namespace
