#include <gtest/gtest.h>

#include <vector>

#include "link/Modbus.h"
#include "monitor/DcView.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"

using polltest::Rtu;
using polltest::SetInputs;
using polltest::Text;

namespace {

// The DC block at 45056: total power, then voltage, current, power of
// inputs 1 to 6.
std::vector<uint16_t> DcBlock(uint16_t total, const std::vector<uint16_t>& currents, uint16_t power1) {
  std::vector<uint16_t> w(19, 0);
  w[0] = total;
  for (int n = 1; n <= 6; ++n) {
    w[3 * n - 2] = static_cast<uint16_t>(3000 + n);
    w[3 * n - 1] = currents[n - 1];
    w[3 * n] = static_cast<uint16_t>(100 * n);
  }
  w[3] = power1;
  return w;
}

struct DcView : polltest::ViewTest {
  void SetUp() override { t.ShowPanel("Group_GetDC1"); }
};

}  // namespace

TEST_F(DcView, FillsAllSixInputsAndTheInputTotals) {
  SetInputs(t.sim, 45056, DcBlock(2100, std::vector<uint16_t>(6, 1000), 100));
  ASSERT_EQ(PollDC(&w.Link, 0), 0);

  EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 4, 0xAF, 0xFF, 0, 19})}));
  EXPECT_EQ(w.StatusText(2), "Dc1...");
  // Inputs 2 to 6 are refreshed although their own panels are hidden.
  for (int n = 1; n <= 6; ++n) {
    const QString i = QString::number(n);
    EXPECT_EQ(Text(w, "Label_Vdc" + i), QString("300.%1 V").arg(n)) << n;
    EXPECT_EQ(Text(w, "Label_Idc" + i), "10.00 A") << n;
    EXPECT_EQ(Text(w, "Label_Pdc" + i), QString("%1 W").arg(100 * n)) << n;
  }
  EXPECT_EQ(Text(w, "Label_TotalInputPower"), "2100W");
  EXPECT_EQ(Text(w, "Label_TotalInputCurrent"), "60.00A");
}

TEST_F(DcView, SignedWordsAndScaleFactors) {
  const struct {
    uint8_t signedValues;
    int dcDiv, powerMul;
    const char *i1, *i6, *total, *p1, *totalPower;
  } cases[] = {
      {1, 100, 1, "-0.01 A", "0.03 A", "-0.02A", "-100 W", "-2W"},
      {0, 100, 1, "655.35 A", "0.03 A", "2621.42A", "65436 W", "65534W"},
      {1, 1, 10, "-1 A", "3 A", "-2A", "-1000 W", "-20W"},
      {0, 10, 100, "6553.5 A", "0.3 A", "26214.2A", "6543600 W", "6553400W"},
  };
  // Currents: -1, -1, -1, -2, 0, 3 as signed words (sum -2).
  SetInputs(t.sim, 45056, DcBlock(0xFFFE, {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFE, 0, 3}, 0xFF9C));
  for (const auto& c : cases) {
    w.SignedValues = c.signedValues;
    w.DcCurrentDiv = c.dcDiv;
    w.PowerMul = c.powerMul;
    ASSERT_EQ(PollDC(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_Idc1"), c.i1) << int(c.signedValues) << "/" << c.dcDiv;
    EXPECT_EQ(Text(w, "Label_Idc6"), c.i6);
    EXPECT_EQ(Text(w, "Label_TotalInputCurrent"), c.total);
    EXPECT_EQ(Text(w, "Label_Pdc1"), c.p1);
    EXPECT_EQ(Text(w, "Label_TotalInputPower"), c.totalPower);
  }
}

TEST_F(DcView, StringCurrentsInOrderAndNeverSigned) {
  t.ShowPanel("Group_StringCurr");
  w.SignedValues = 1;
  w.DcCurrentDiv = 10;
  std::vector<uint16_t> words(24);
  for (int k = 0; k < 24; ++k) words[k] = static_cast<uint16_t>(10 * (k + 1) + 1);
  words[0] = 0xFFFF;
  SetInputs(t.sim, 53776, words);
  ASSERT_EQ(PollStringCurr(&w.Link, 0), 0);

  EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 4, 0xD2, 0x0F, 0, 24})}));
  EXPECT_EQ(w.StatusText(2), "CS...");
  EXPECT_EQ(Text(w, "Label_StringCurr1"), "6553.5 A");
  EXPECT_EQ(Text(w, "Label_StringCurr2"), "2.1 A");
  EXPECT_EQ(Text(w, "Label_StringCurr24"), "24.1 A");
  EXPECT_EQ(Text(w, "Label_StringCurr13_Caption"), "13: ");

  w.DcCurrentDiv = 1;
  ASSERT_EQ(PollStringCurr(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_StringCurr2"), "21 A");
}

TEST_F(DcView, UnusableRepliesLeaveEveryLabel) {
  t.ShowPanel("Group_StringCurr");
  SetInputs(t.sim, 45056, DcBlock(500, std::vector<uint16_t>(6, 200), 300));
  SetInputs(t.sim, 53776, std::vector<uint16_t>(24, 300));
  ASSERT_EQ(PollDC(&w.Link, 0), 0);
  ASSERT_EQ(PollStringCurr(&w.Link, 0), 0);
  SetInputs(t.sim, 45056, DcBlock(9, std::vector<uint16_t>(6, 9), 9));
  SetInputs(t.sim, 53776, std::vector<uint16_t>(24, 9));

  t.sim.QueueFault(sim::ReplyFault::Exception(4));
  t.sim.QueueFault(sim::ReplyFault::Short());
  ASSERT_EQ(PollDC(&w.Link, 0), 0);
  ASSERT_EQ(PollStringCurr(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_TotalInputPower"), "500W");
  EXPECT_EQ(Text(w, "Label_Idc3"), "2.00 A");
  EXPECT_EQ(Text(w, "Label_TotalInputCurrent"), "12.00A");
  EXPECT_EQ(Text(w, "Label_StringCurr24"), "3.00 A");
}

TEST_F(DcView, GatesStopAndLinkFailure) {
  t.ShowPanel("Group_GetDC1", false);
  t.ShowPanel("Group_GetDC2");  // only the first input's panel gates the item
  EXPECT_EQ(PollDC(&w.Link, 0), 0);
  EXPECT_EQ(PollStringCurr(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_Vdc2"), "??");
  EXPECT_TRUE(t.Frames().empty());
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollDC, "Group_GetDC1"}, {PollStringCurr, "Group_StringCurr"}}, 3);
}
