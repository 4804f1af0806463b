// The clock synchronisation's frames for a fixed clock and time zone.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "link/ClockSync.h"
#include "link/Modbus.h"
#include "sim/SimInverter.h"
#include "support/FakeDialogs.h"
#include "support/FakeLinkUi.h"

namespace {

// Sets TZ for one test and puts the previous one back.
class ZoneGuard {
 public:
  explicit ZoneGuard(const char* zone) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneGuard() {
    if (had_)
      setenv("TZ", old_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
    SetClockSource({});
  }

 private:
  bool had_ = false;
  std::string old_;
};

constexpr int64_t kNoon2020 = 1577880000;  // 2020-01-01 12:00:00 UTC

}  // namespace

TEST(LocalStandardSeconds, StandardOffsetWithoutDaylightSaving) {
  struct Case {
    const char* zone;
    int64_t utc;
    int64_t expected;
  };
  const Case cases[] = {
      {"UTC0", kNoon2020, kNoon2020},
      {"UTC-1", kNoon2020, 1577883600},                        // one hour east: 5E0C 97D0
      {"EST5EDT,M3.2.0,M11.1.0", kNoon2020, kNoon2020 - 5 * 3600},
      {"CET-1CEST,M3.5.0,M10.5.0/3", 1593604800, 1593608400},  // July: still +1, summer time not applied
      {"UTC-5:30", kNoon2020, kNoon2020 + 19800},
  };
  for (const Case& c : cases) {
    ZoneGuard zone(c.zone);
    EXPECT_EQ(LocalStandardSeconds(c.utc), c.expected) << c.zone;
  }
}

TEST(SyncClock, WritesLowThenHighWordTwiceHalfASecondApart) {
  ZoneGuard zone("UTC-1");
  SetClockSource([] { return kNoon2020; });
  FakeDialogs dialogs;
  FakeLinkUi ui;
  sim::SimInverter bus;
  bus.AddSlave(1);
  auto link = std::make_unique<Modbus>();
  ASSERT_EQ(link->OpenSerial(bus.PortPath()), 0);
  link->SetBaudIndex(1);
  link->SlaveId = 1;

  EXPECT_EQ(link->SyncClock(), 0);
  const auto frames = bus.Frames();
  ASSERT_EQ(frames.size(), 4u);
  const QString low = sim::HexText(sim::WithCrc(sim::Hex("01 06 03 10 97 D0")));
  const QString high = sim::HexText(sim::WithCrc(sim::Hex("01 06 03 0F 5E 0C")));
  EXPECT_EQ(sim::HexText(frames[0].bytes), low);
  EXPECT_EQ(sim::HexText(frames[1].bytes), high);
  EXPECT_EQ(sim::HexText(frames[2].bytes), low);
  EXPECT_EQ(sim::HexText(frames[3].bytes), high);
  EXPECT_GE(frames[2].at - frames[1].at, std::chrono::milliseconds(500));
  EXPECT_EQ(bus.Holding(1, 785), 0x97D0);
  EXPECT_EQ(bus.Holding(1, 784), 0x5E0C);
}

TEST(SyncClock, UnconfirmedWritesAreNoSetClock) {
  ZoneGuard zone("UTC0");
  SetClockSource([] { return kNoon2020; });
  FakeDialogs dialogs;
  FakeLinkUi ui;
  sim::SimInverter bus;
  bus.AddSlave(1);
  auto link = std::make_unique<Modbus>();
  ASSERT_EQ(link->OpenSerial(bus.PortPath()), 0);
  link->SlaveId = 1;
  bus.QueueFault(sim::ReplyFault::BadCrc());  // the first write's echo is spoilt
  EXPECT_EQ(link->SyncClock(), 1);
  EXPECT_EQ(bus.Frames().size(), 4u);  // the sequence itself is complete

  link->SlaveId = 2;  // nobody there
  EXPECT_EQ(link->SyncClock(), 1);

  link->Port.Close();  // the link itself fails
  link->SlaveId = 1;
  EXPECT_EQ(link->SyncClock(), 1);
}
