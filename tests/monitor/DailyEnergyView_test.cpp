#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "link/Modbus.h"
#include "monitor/DailyEnergyView.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"
#include "support/ScopedTimeZone.h"

using polltest::Rtu;

namespace {

QString Day(TForm_Main& w, int k) {
  return w.Ctl<ValueLabel>(QStringLiteral("Label_EnergyDay") + QString::number(k))->text();
}

// Day k's energy, low word first.
void SetDay(sim::SimInverter& sim, int k, uint32_t value) {
  const int reg = 2048 + 2 * k;
  sim.SetInput(1, reg, value & 0xFFFF);
  sim.SetInput(1, reg + 1, value >> 16);
}

struct DailyEnergyView : polltest::ViewTest {
  QByteArray oldTz = qgetenv("TZ");
  void SetUp() override {
    qputenv("TZ", "UTC");
    tzset();
    t.ShowPanel("Group_DailyEnergy");
    t.sim.SetHolding(1, 784, 0x6553);  // 1,700,000,000 s, high word first
    t.sim.SetHolding(1, 785, 0xF100);
  }
  void TearDown() override {
    if (oldTz.isNull()) qunsetenv("TZ");
    else qputenv("TZ", oldTz);
    tzset();
  }
};

}  // namespace

TEST_F(DailyEnergyView, DatesCountBackFromTheDeviceClock) {
  w.EnergyMul = 1;
  SetDay(t.sim, 0, 100000);
  SetDay(t.sim, 1, 0x1234);
  SetDay(t.sim, 16, 20000005);  // beyond single precision
  SetDay(t.sim, 31, 7);
  ASSERT_EQ(PollDailyEnergy(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 3, 0x03, 0x0F, 0, 2}), Rtu({1, 4, 0x07, 0xFF, 0, 32}),
                                              Rtu({1, 4, 0x08, 0x1F, 0, 32})}));
  EXPECT_EQ(w.StatusText(2), "Daily Energy...");
  EXPECT_EQ(Day(w, 0), "2023/11/14:  100.000 KWh");
  EXPECT_EQ(Day(w, 1), "2023/11/13:  4.660 KWh");
  EXPECT_EQ(Day(w, 15), "2023/10/30:  0.000 KWh");
  EXPECT_EQ(Day(w, 16), "2023/10/29:  20000.004 KWh");
  EXPECT_EQ(Day(w, 31), "2023/10/14:  0.007 KWh");
  EXPECT_EQ(w.Ctl<ValueLabel>("Label_EnergyDay0")->fontColor(), clBlue);
}

// The device counts its clock in the PC's wall-clock time taken as UTC (the
// clock sync writes it so): the dates are read off the count as it is, in any
// time zone of the PC. East of UTC late in the day, and west of it early in
// the day, a conversion to local time would name tomorrow or yesterday.
TEST_F(DailyEnergyView, DatesAreTheDeviceClocksWhateverThePcsTimeZone) {
  w.EnergyMul = 1;
  const struct {
    const char* tz;
    uint32_t clock;
    const char* day0;
    const char* day31;
  } cases[] = {
      {"UTC", 1700000000u, "2023/11/14", "2023/10/14"},          // 22:13:20
      {"<+05>-5", 1700000000u, "2023/11/14", "2023/10/14"},      // east, late in the day
      {"<+14>-14", 1699920000u + 86399, "2023/11/14", "2023/10/14"},  // 23:59:59
      {"<-05>5", 1699920000u + 3600, "2023/11/14", "2023/10/14"},     // west, 01:00
      {"<-12>12", 1699920000u, "2023/11/14", "2023/10/14"},      // 00:00:00
  };
  for (const auto& c : cases) {
    ScopedTimeZone zone(c.tz);
    t.sim.SetHolding(1, 784, static_cast<uint16_t>(c.clock >> 16));
    t.sim.SetHolding(1, 785, static_cast<uint16_t>(c.clock & 0xFFFF));
    ASSERT_EQ(PollDailyEnergy(&w.Link, 0), 0);
    EXPECT_EQ(Day(w, 0), QString::fromLatin1(c.day0) + ":  0.000 KWh") << c.tz;
    EXPECT_EQ(Day(w, 31), QString::fromLatin1(c.day31) + ":  0.000 KWh") << c.tz;
  }
}

TEST_F(DailyEnergyView, EnergyScaleAndWrap) {
  const struct {
    uint32_t raw;
    int energyMul;
    const char* text;
  } cases[] = {
      {100000, 10, "2023/11/14:  1000.000 KWh"},
      {0x1234, 10, "2023/11/14:  46.600 KWh"},
      {0xFFFFFC18u, 1, "2023/11/14:  -1.000 KWh"},  // a signed 32-bit product
      {0x40000000u, 4, "2023/11/14:  0.000 KWh"},   // wraps to 0
  };
  for (const auto& c : cases) {
    SetDay(t.sim, 0, c.raw);
    w.EnergyMul = c.energyMul;
    ASSERT_EQ(PollDailyEnergy(&w.Link, 0), 0);
    EXPECT_EQ(Day(w, 0), c.text) << c.raw;
  }
}

TEST_F(DailyEnergyView, RejectedRepliesAndUnsetClock) {
  w.EnergyMul = 1;
  SetDay(t.sim, 0, 1000);
  SetDay(t.sim, 16, 2000);
  // First energy reply rejected: only the second half changes.
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::BadCrc());
  ASSERT_EQ(PollDailyEnergy(&w.Link, 0), 0);
  EXPECT_EQ(Day(w, 0), "??");
  EXPECT_EQ(Day(w, 15), "??");
  EXPECT_EQ(Day(w, 16), "2023/10/29:  2.000 KWh");

  // No clock this pass: the lines carry no date rather than a stale one.
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollDailyEnergy(&w.Link, 0), 0);
  EXPECT_EQ(Day(w, 0), ":  1.000 KWh");
  // A clock that reads negative (from 0x8000 on) gives no date on any line,
  // not a wrapped one on the older days; the lines still fill.
  t.sim.SetHolding(1, 784, 0x8000);
  ASSERT_EQ(PollDailyEnergy(&w.Link, 0), 0);
  EXPECT_EQ(Day(w, 0), ":  1.000 KWh");
  EXPECT_EQ(Day(w, 16), ":  2.000 KWh");
}

TEST_F(DailyEnergyView, GateStopAndFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollDailyEnergy, "Group_DailyEnergy"}});
}
