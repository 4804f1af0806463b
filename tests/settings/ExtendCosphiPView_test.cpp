#include <gtest/gtest.h>

#include <deque>
#include <string>
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

QString P(int n) { return QStringLiteral("Label_ExtendCosphiP_P%1").arg(n); }
QString CosP(int n) { return QStringLiteral("Label_ExtendCosphiP_CosP%1").arg(n); }

std::vector<QString> CurveLabels() {
  std::vector<QString> out = {QStringLiteral("Label_ExtendCosphiP_SetPoint")};
  for (int n = 1; n <= 8; ++n) {
    out.push_back(P(n));
    out.push_back(CosP(n));
  }
  return out;
}

struct ExtendCosphiP : polltest::ViewTest {
  void SetUp() override {
    w.show();
    t.ShowPanel("Group_ExtendCosphiP");
    // Four points in use: power 0 %, 50 %, -50 %, 100 %; cos φ 0, 950, -950, 1000.
    t.sim.SetHoldingBlock(1, 48848, {4, 0, 0, 500, 950, 0xFE0C, static_cast<uint16_t>(-950), 1000, 1000});
    t.sim.SetHoldingBlock(1, 48786, {2300, 2070});
  }
  void PaintAll(QRgb colour) {
    for (const QString& name : CurveLabels()) polltest::Paint(w, name, "x", colour);
    polltest::Paint(w, "Label_CosLockInVolt_Ext", "x", colour);
    polltest::Paint(w, "Label_CosLockOutVolt_Ext", "x", colour);
  }
};

TEST(ExtendCosphiPPollOrder, AfterCosP) {
  const auto rows = PollOrder();
  size_t i = 0;
  while (i < rows.size() && rows[i].item != PollExtendCosphiP) ++i;
  ASSERT_LT(i, rows.size());
  EXPECT_EQ(rows[i].order, 29);
  EXPECT_EQ(rows[i - 1].item, &PollCosPCtrl);
}

TEST_F(ExtendCosphiP, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollExtendCosphiP, "Group_ExtendCosphiP"}});
}

// Tenths of a percent under both conventions, whatever CosPhiSet says; a
// cos φ of 0 is "Cap 0" under either.
TEST_F(ExtendCosphiP, ReadBackUnderBothConventions) {
  struct Case {
    int sign, cosSet;
    std::vector<const char*> cos;
  };
  for (const Case& c : std::vector<Case>{
           {kIndPlus, kCoarse, {"Cap 0", "Ind 95.0%", "Cap 95.0%", "Ind 100.0%"}},
           {kIndMinus, kFine, {"Cap 0", "Cap 95.0%", "Ind 95.0%", "Cap 100.0%"}},
       }) {
    w.ReactiveSign = c.sign;
    w.CosPhiSet = c.cosSet;
    PaintAll(clRed);
    t.sim.ClearFrames();
    ASSERT_EQ(PollExtendCosphiP(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(48848, 17), ReadHolding(48786, 2)}));
    EXPECT_EQ(w.StatusText(2), "Ext. CosP..");
    EXPECT_EQ(Text(w, "Label_ExtendCosphiP_SetPoint"), "4");
    const char* powers[] = {"0.0%", "50.0%", "-50.0%", "100.0%"};
    for (int n = 1; n <= 4; ++n) {
      EXPECT_EQ(Text(w, P(n)), powers[n - 1]) << n;
      EXPECT_EQ(Text(w, CosP(n)), c.cos[n - 1]) << n;
    }
    EXPECT_EQ(Text(w, CosP(8)), "Cap 0");
    EXPECT_EQ(Text(w, "Label_CosLockInVolt_Ext"), "230.0 V");
    EXPECT_EQ(Text(w, "Label_CosLockOutVolt_Ext"), "207.0 V");
    for (const QString& name : CurveLabels()) EXPECT_EQ(Colour(w, name), clBlue) << name.toStdString();
    EXPECT_EQ(Colour(w, "Label_CosLockOutVolt_Ext"), clBlue);
  }
}

TEST_F(ExtendCosphiP, UnusableReplies) {
  // Curve usable, voltages not: the curve turns blue, the voltages stay.
  PaintAll(clRed);
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollExtendCosphiP(&w.Link, 0), 0);
  for (const QString& name : CurveLabels()) EXPECT_EQ(Colour(w, name), clBlue) << name.toStdString();
  EXPECT_EQ(Text(w, "Label_CosLockInVolt_Ext"), "x");
  EXPECT_EQ(Colour(w, "Label_CosLockInVolt_Ext"), clRed);

  // No curve: the voltages are not read in that pass.
  PaintAll(clRed);
  t.sim.ClearFrames();
  t.sim.QueueFault(sim::ReplyFault::BadCrc());
  ASSERT_EQ(PollExtendCosphiP(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{ReadHolding(48848, 17)});
  for (const QString& name : CurveLabels()) EXPECT_EQ(Colour(w, name), clRed) << name.toStdString();
}

TEST_F(ExtendCosphiP, EveryEditorWritesItsRegister) {
  struct Case {
    int sign, choice;
    settingstest::EditorCase edit;
  };
  std::deque<std::string> names;  // keeps the generated control names in place
  auto name = [&](const QString& s) { return names.emplace_back(s.toStdString()).c_str(); };
  std::vector<Case> cases = {
      {kIndPlus, kInd, {"Edit_ExtendCosphiP_SetPoint", "4", 48848, 4, "Label_ExtendCosphiP_SetPoint"}},
      {kIndPlus, kInd, {"Edit_ExtendCosphiP_SetPoint", "4.9", 48848, 4, "Label_ExtendCosphiP_SetPoint"}},
      {kIndPlus, kInd, {"Edit_CosLockInVolt_ext", "230", 48786, 2300, "Label_CosLockInVolt_Ext"}},
      {kIndPlus, kInd, {"Edit_CosLockOutVolt_Ext", "207.5", 48787, 2075, "Label_CosLockOutVolt_Ext"}},
  };
  for (int n = 1; n <= 8; ++n) {
    const int pReg = 48849 + 2 * (n - 1);
    const char* pEdit = name(QStringLiteral("Edit_ExtendCosphiP_P%1").arg(n));
    const char* pLabel = name(P(n));
    const char* cEdit = name(QStringLiteral("Edit_ExtendCosphiP_CosP%1").arg(n));
    const char* cLabel = name(CosP(n));
    cases.push_back({kIndPlus, kInd, {pEdit, "-50", pReg, 0xFE0C, pLabel}});
    cases.push_back({kIndPlus, kCap, {cEdit, "95", pReg + 1, 0xFC4A, cLabel}});
    cases.push_back({kIndMinus, kCap, {cEdit, "95", pReg + 1, 950, cLabel}});
    cases.push_back({kIndPlus, kInd, {cEdit, "90.5", pReg + 1, 905, cLabel}});
    cases.push_back({kIndMinus, kInd, {cEdit, "90.5", pReg + 1, static_cast<uint16_t>(-905), cLabel}});
  }
  w.CosPhiSet = kCoarse;  // no part in this group
  for (const Case& c : cases) {
    w.ReactiveSign = c.sign;
    for (int n = 1; n <= 8; ++n)
      ScrollChooser(w, QStringLiteral("Combo_ExtendCosphiP_CosP%1").arg(n).toLatin1().constData(), c.choice);
    SCOPED_TRACE(testing::Message() << "sign " << c.sign << " choice " << c.choice);
    settingstest::ExpectEditorWrites(t, {c.edit});
  }
}

TEST_F(ExtendCosphiP, RefusedEntries) {
  settingstest::ExpectRefused(t, {{"Edit_ExtendCosphiP_SetPoint", "four", "Label_ExtendCosphiP_SetPoint"},
                                  {"Edit_ExtendCosphiP_CosP3", "", "Label_ExtendCosphiP_CosP3"}});
}

// Typed here, read back here and in the two-point curve's group.
TEST_F(ExtendCosphiP, WrittenThenReadBackBlueInBothGroups) {
  t.ShowPanel("Group_CosPCtrl");
  ScrollChooser(w, "Combo_ExtendCosphiP_CosP3", kCap);
  settingstest::Commit(w, "Edit_ExtendCosphiP_CosP3", "95");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.sim.Holding(1, 48854), static_cast<uint16_t>(-950));
  w.Link.CmdCode = 0;
  settingstest::Commit(w, "Edit_CosLockInVolt_ext", "240");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  ASSERT_EQ(PollExtendCosphiP(&w.Link, 0), 0);
  ASSERT_EQ(PollCosPCtrl(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, CosP(3)), "Cap 95.0%");
  EXPECT_EQ(Colour(w, CosP(3)), clBlue);
  EXPECT_EQ(Text(w, "Label_CosLockInVolt_Ext"), "240.0 V");
  EXPECT_EQ(Text(w, "Label_CosLockInVolt"), "240.0 V");
}

}  // namespace
