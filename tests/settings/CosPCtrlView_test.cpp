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

constexpr const char* kLabels[] = {"Label_CosUp",   "Label_CosLow",        "Label_PowerUp",
                                   "Label_PowerLow", "Label_CosLockInVolt", "Label_CosLockOutVolt"};

struct CosPCtrl : polltest::ViewTest {
  void SetUp() override {
    w.show();
    t.ShowPanel("Group_CosPCtrl");
    t.sim.SetHoldingBlock(1, 33619, {100, static_cast<uint16_t>(-90), 0xFFEC, 50});
    t.sim.SetHoldingBlock(1, 48796, {static_cast<uint16_t>(-1000), 905});
    t.sim.SetHoldingBlock(1, 48786, {2300, 2070});
  }
};

TEST(CosPCtrlPollOrder, AfterQU) {
  const auto rows = PollOrder();
  size_t i = 0;
  while (i < rows.size() && rows[i].item != PollCosPCtrl) ++i;
  ASSERT_LT(i, rows.size());
  EXPECT_EQ(rows[i].order, 28);
  EXPECT_EQ(rows[i - 1].item, &PollQUCtrl);
}

TEST_F(CosPCtrl, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollCosPCtrl, "Group_CosPCtrl"}});
}

TEST_F(CosPCtrl, ReadBackUnderEachOption) {
  struct Case {
    int sign, cosSet;
    const char* up;
    const char* low;
  };
  for (const Case& c : std::initializer_list<Case>{{kIndPlus, kCoarse, "1", "Cap 0.90"},
                                                   {kIndMinus, kCoarse, "1", "Ind 0.90"},
                                                   {kIndPlus, kFine, "1", "Ind 0.905"},
                                                   {kIndMinus, kFine, "1", "Cap 0.905"}}) {
    w.ReactiveSign = c.sign;
    w.CosPhiSet = c.cosSet;
    for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
    t.sim.ClearFrames();
    ASSERT_EQ(PollCosPCtrl(&w.Link, 0), 0);
    std::vector<QString> frames = {ReadHolding(33619, 4)};
    if (c.cosSet == kFine) frames.push_back(ReadHolding(48796, 2));
    frames.push_back(ReadHolding(48786, 2));
    EXPECT_EQ(t.Frames(), frames);
    EXPECT_EQ(w.StatusText(2), "Cos P...");
    const std::vector<QString> expected = {c.up, c.low, "50 %", "-20 %", "230.0 V", "207.0 V"};
    for (size_t k = 0; k < expected.size(); ++k) {
      EXPECT_EQ(Text(w, kLabels[k]), expected[k]) << kLabels[k] << " " << c.sign << c.cosSet;
      EXPECT_EQ(Colour(w, kLabels[k]), clBlue) << kLabels[k];
    }
  }
}

// At "0.1%" the first reply paints the cos φ labels although their texts come
// from the fine registers only; an unusable fine reply keeps the texts.
TEST_F(CosPCtrl, FineTextsOnlyFromTheFineRegisters) {
  w.CosPhiSet = kFine;
  for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollCosPCtrl(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_CosUp"), "x");
  EXPECT_EQ(Colour(w, "Label_CosUp"), clBlue);
  EXPECT_EQ(Text(w, "Label_PowerLow"), "-20 %");

  // An unusable first reply: the fine step still fills the cos φ texts but
  // paints nothing, and the voltages go on.
  for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollCosPCtrl(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_CosLow"), "Ind 0.905");
  EXPECT_EQ(Colour(w, "Label_CosLow"), clRed);
  EXPECT_EQ(Text(w, "Label_PowerUp"), "x");
  EXPECT_EQ(Colour(w, "Label_CosLockInVolt"), clBlue);
}

TEST_F(CosPCtrl, EveryEditorWritesItsRegister) {
  struct Case {
    int sign, cosSet, choice;
    settingstest::EditorCase edit;
  };
  const std::vector<Case> cases = {
      {kIndPlus, kCoarse, kInd, {"Edit_CosUp", "0.95", 33619, 95, "Label_CosUp"}},
      {kIndPlus, kCoarse, kCap, {"Edit_CosUp", "0.95", 33619, 0xFFA1, "Label_CosUp"}},
      {kIndMinus, kCoarse, kCap, {"Edit_CosUp", "0.95", 33619, 95, "Label_CosUp"}},
      {kIndPlus, kFine, kCap, {"Edit_CosUp", "0.95", 48796, 0xFC4A, "Label_CosUp"}},
      {kIndMinus, kFine, kInd, {"Edit_CosUp", "0.95", 48796, 0xFC4A, "Label_CosUp"}},
      {kIndPlus, kCoarse, kCap, {"Edit_CosLow", "0.9", 33620, 0xFFA6, "Label_CosLow"}},
      {kIndMinus, kCoarse, kInd, {"Edit_CosLow", "0.9", 33620, 0xFFA6, "Label_CosLow"}},
      {kIndPlus, kFine, kInd, {"Edit_CosLow", "0.9", 48797, 900, "Label_CosLow"}},
      {kIndMinus, kFine, kCap, {"Edit_CosLow", "0.9", 48797, 900, "Label_CosLow"}},
      {kIndPlus, kCoarse, kCap, {"Edit_PowerUp", "50", 33622, 50, "Label_PowerUp"}},  // no chooser
      {kIndPlus, kCoarse, kInd, {"Edit_PowerLow", "-20", 33621, 0xFFEC, "Label_PowerLow"}},
      {kIndPlus, kFine, kInd, {"Edit_CosLockInVolt", "230", 48786, 2300, "Label_CosLockInVolt"}},
      {kIndPlus, kFine, kInd, {"Edit_CosLockOutVolt", "207.5", 48787, 2075, "Label_CosLockOutVolt"}},
  };
  for (const Case& c : cases) {
    w.ReactiveSign = c.sign;
    w.CosPhiSet = c.cosSet;
    ScrollChooser(w, "List_CosUp", c.choice);
    ScrollChooser(w, "List_CosLow", c.choice);
    SCOPED_TRACE(testing::Message() << "sign " << c.sign << " cos " << c.cosSet << " choice " << c.choice);
    settingstest::ExpectEditorWrites(t, {c.edit});
  }
}

TEST_F(CosPCtrl, RefusedEntries) {
  settingstest::ExpectRefused(t, {{"Edit_PowerUp", "12.5", "Label_PowerUp"},
                                  {"Edit_CosUp", "", "Label_CosUp"},
                                  {"Edit_CosLockInVolt", "abc", "Label_CosLockInVolt"}});
}

TEST_F(CosPCtrl, WrittenThenReadBackBlue) {
  settingstest::Commit(w, "Edit_CosLockInVolt", "231");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  ASSERT_EQ(PollCosPCtrl(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_CosLockInVolt"), "231.0 V");
  EXPECT_EQ(Colour(w, "Label_CosLockInVolt"), clBlue);
}

}  // namespace
