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

QString P(int n) { return QStringLiteral("Label_QofP_P%1").arg(n); }
QString Q(int n) { return QStringLiteral("Label_QofP_Q%1").arg(n); }

std::vector<QString> Labels() {
  std::vector<QString> out = {QStringLiteral("Label_QofP_Mode"), QStringLiteral("Label_QofP_SetPoint")};
  for (int n = 0; n <= 9; ++n) {
    out.push_back(P(n));
    out.push_back(Q(n));
  }
  return out;
}

struct QofP : polltest::ViewTest {
  void SetUp() override {
    w.show();
    t.ShowPanel("Group_QofP");
    t.sim.SetHoldingBlock(1, 48826, {2, 3, 200, 0, 1000, 440, 0xFE0C, 0xFE48});
  }
};

TEST(QofPPollOrder, AtItsPlaceNearTheEnd) {
  const auto rows = PollOrder();
  size_t i = 0;
  while (i < rows.size() && rows[i].item != PollQofP) ++i;
  ASSERT_LT(i, rows.size());
  EXPECT_EQ(rows[i].order, 93);
  EXPECT_LT(rows[i - 1].order, 93);
  if (i + 1 < rows.size()) EXPECT_GT(rows[i + 1].order, 93);
}

TEST_F(QofP, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollQofP, "Group_QofP"}});
}

TEST_F(QofP, ReadBackUnderBothConventions) {
  struct Case {
    int sign;
    const char* q1;
    const char* q2;
  };
  for (const Case& c : std::initializer_list<Case>{{kIndPlus, "Ind 44.0%", "Cap 44.0%"},
                                                   {kIndMinus, "Cap 44.0%", "Ind 44.0%"}}) {
    w.ReactiveSign = c.sign;
    for (const QString& name : Labels()) polltest::Paint(w, name, "x", clRed);
    t.sim.ClearFrames();
    ASSERT_EQ(PollQofP(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), std::vector<QString>{ReadHolding(48826, 22)});
    EXPECT_EQ(w.StatusText(2), "Q(P)...");
    EXPECT_EQ(Text(w, "Label_QofP_Mode"), "Actual");
    EXPECT_EQ(Text(w, "Label_QofP_SetPoint"), "3");
    EXPECT_EQ(Text(w, P(0)), "20.0%");
    EXPECT_EQ(Text(w, Q(0)), "Cap 0");
    EXPECT_EQ(Text(w, P(1)), "100.0%");
    EXPECT_EQ(Text(w, Q(1)), c.q1);
    EXPECT_EQ(Text(w, P(2)), "-50.0%");
    EXPECT_EQ(Text(w, Q(2)), c.q2);
    EXPECT_EQ(Text(w, Q(9)), "Cap 0");
    for (const QString& name : Labels()) EXPECT_EQ(Colour(w, name), clBlue) << name.toStdString();
  }
  t.sim.SetHolding(1, 48826, 0);
  ASSERT_EQ(PollQofP(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_QofP_Mode"), "Rated");
}

TEST_F(QofP, UnusableReplyChangesNothing) {
  for (const QString& name : Labels()) polltest::Paint(w, name, "x", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollQofP(&w.Link, 0), 0);
  for (const QString& name : Labels()) {
    EXPECT_EQ(Text(w, name), "x");
    EXPECT_EQ(Colour(w, name), clRed);
  }
}

TEST_F(QofP, EveryEditorWritesItsRegister) {
  struct Case {
    int sign, choice;
    settingstest::EditorCase edit;
  };
  std::deque<std::string> names;  // keeps the generated control names in place
  auto name = [&](const QString& s) { return names.emplace_back(s.toStdString()).c_str(); };
  std::vector<Case> cases = {
      {kIndPlus, kInd, {"Combo_QofP_Mode", "Actual", 48826, 1, "Label_QofP_Mode"}},
      {kIndPlus, kInd, {"Combo_QofP_Mode", "Rated", 48826, 0, "Label_QofP_Mode"}},
      {kIndPlus, kInd, {"Edit_QofP_SetPoint", "3", 48827, 3, "Label_QofP_SetPoint"}},
  };
  for (int n = 0; n <= 9; ++n) {
    const int pReg = 48828 + 2 * n;
    const char* pEdit = name(QStringLiteral("Edit_QofP_P%1").arg(n));
    const char* qEdit = name(QStringLiteral("Edit_QofP_Q%1").arg(n));
    cases.push_back({kIndPlus, kInd, {pEdit, "-50", pReg, 0xFE0C, name(P(n))}});
    cases.push_back({kIndPlus, kCap, {qEdit, "44", pReg + 1, 0xFE48, name(Q(n))}});
    cases.push_back({kIndMinus, kCap, {qEdit, "44", pReg + 1, 440, name(Q(n))}});
    cases.push_back({kIndPlus, kInd, {qEdit, "44.5", pReg + 1, 445, name(Q(n))}});
    cases.push_back({kIndMinus, kInd, {qEdit, "44.5", pReg + 1, static_cast<uint16_t>(-445), name(Q(n))}});
  }
  for (const Case& c : cases) {
    w.ReactiveSign = c.sign;
    for (int n = 0; n <= 9; ++n)
      ScrollChooser(w, QStringLiteral("List_QofP_RangeQ%1").arg(n).toLatin1().constData(), c.choice);
    SCOPED_TRACE(testing::Message() << "sign " << c.sign << " choice " << c.choice);
    settingstest::ExpectEditorWrites(t, {c.edit});
  }
}

// 3.7 is no whole count: refused with a message rather than written as 0.
TEST_F(QofP, RefusedEntries) {
  settingstest::ExpectRefused(t, {{"Edit_QofP_SetPoint", "3.7", "Label_QofP_SetPoint"},
                                  {"Edit_QofP_Q5", "abc", "Label_QofP_Q5"}});
}

TEST_F(QofP, WrittenThenReadBackBlue) {
  ScrollChooser(w, "List_QofP_RangeQ5", kCap);
  settingstest::Commit(w, "Edit_QofP_Q5", "44");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.sim.Holding(1, 48839), 0xFE48);
  w.Link.CmdCode = 0;
  ASSERT_EQ(PollQofP(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, Q(5)), "Cap 44.0%");
  EXPECT_EQ(Colour(w, Q(5)), clBlue);
}

}  // namespace
