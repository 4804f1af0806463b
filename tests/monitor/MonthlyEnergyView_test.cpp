#include <gtest/gtest.h>

#include "link/Modbus.h"
#include "monitor/MonthlyEnergyView.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"
#include "support/ScopedTimeZone.h"

using polltest::Rtu;

namespace {

QString Month(TForm_Main& w, int k) {
  return w.Ctl<ValueLabel>(QStringLiteral("Label_EnergyMonth") + QString::number(k))->text();
}

// Month k's energy, low word first.
void SetMonth(sim::SimInverter& sim, int k, uint32_t value) {
  sim.SetInput(1, 2112 + 2 * k, value & 0xFFFF);
  sim.SetInput(1, 2113 + 2 * k, value >> 16);
}

struct MonthlyEnergyView : polltest::ViewTest {
  void SetUp() override { t.ShowPanel("Group_MonthlyEnergy"); }
  void SetYearMonth(uint16_t year, uint16_t month) {
    t.sim.SetInput(1, 1033, year);
    t.sim.SetInput(1, 1034, month);
  }
};

}  // namespace

TEST_F(MonthlyEnergyView, MonthsCountBackFromTheDeviceMonth) {
  w.EnergyMul = 1;
  SetYearMonth(2024, 1);
  SetMonth(t.sim, 0, 100000);
  SetMonth(t.sim, 13, 20000005);
  SetMonth(t.sim, 23, 0x1234);
  ASSERT_EQ(PollMonthlyEnergy(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 4, 0x04, 0x08, 0, 2}), Rtu({1, 4, 0x08, 0x3F, 0, 48})}));
  EXPECT_EQ(w.StatusText(2), "Month Energy...");
  EXPECT_EQ(Month(w, 0), "2024/01:  100.000 KWh");
  EXPECT_EQ(Month(w, 1), "2023/12:  0.000 KWh");
  EXPECT_EQ(Month(w, 12), "2023/01:  0.000 KWh");
  EXPECT_EQ(Month(w, 13), "2022/12:  20000.004 KWh");
  EXPECT_EQ(Month(w, 23), "2022/02:  4.660 KWh");

  w.EnergyMul = 10;
  ASSERT_EQ(PollMonthlyEnergy(&w.Link, 0), 0);
  EXPECT_EQ(Month(w, 23), "2022/02:  46.600 KWh");
}

// The month names come from the device's own year and month: the PC's time
// zone never moves them.
TEST_F(MonthlyEnergyView, MonthNamesWhateverThePcsTimeZone) {
  SetYearMonth(2024, 1);
  for (const char* tz : {"<+14>-14", "<-12>12"}) {
    ScopedTimeZone zone(tz);
    ASSERT_EQ(PollMonthlyEnergy(&w.Link, 0), 0);
    EXPECT_TRUE(Month(w, 0).startsWith("2024/01:  ")) << tz;
    EXPECT_TRUE(Month(w, 23).startsWith("2022/02:  ")) << tz;
  }
}

TEST_F(MonthlyEnergyView, OutOfRangeDeviceMonths) {
  const struct {
    uint16_t year, month;
    int k;
    const char* name;
  } cases[] = {
      {2024, 3, 23, "2022/04"}, {2024, 0, 0, "2023/12"}, {2024, 13, 0, "2025/01"}, {2024, 12, 11, "2024/01"},
  };
  for (const auto& c : cases) {
    SetYearMonth(c.year, c.month);
    ASSERT_EQ(PollMonthlyEnergy(&w.Link, 0), 0);
    EXPECT_TRUE(Month(w, c.k).startsWith(QString::fromLatin1(c.name) + ":  ")) << Month(w, c.k).toStdString();
  }
}

TEST_F(MonthlyEnergyView, RejectedRepliesGateAndFailure) {
  w.EnergyMul = 1;
  SetYearMonth(2024, 5);
  SetMonth(t.sim, 0, 1500);
  // Energy rejected: every label keeps its text.
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollMonthlyEnergy(&w.Link, 0), 0);
  for (int k = 0; k < 24; ++k) EXPECT_EQ(Month(w, k), "??") << k;
  // Year and month rejected: the lines carry no month name rather than a stale one.
  t.sim.QueueFault(sim::ReplyFault::BadCrc());
  ASSERT_EQ(PollMonthlyEnergy(&w.Link, 0), 0);
  EXPECT_EQ(Month(w, 0), ":  1.500 KWh");

  t.sim.ClearFrames();
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollMonthlyEnergy, "Group_MonthlyEnergy"}});
}
