// The energy history moved from one simulated inverter to another through
// the windowed history registers, and a transfer that loses a reply.
#include <gtest/gtest.h>

#include <QStringList>
#include <memory>

#include "link/EnergyHistory.h"
#include "link/Modbus.h"
#include "sim/SimEnergyHistory.h"
#include "sim/SimInverter.h"
#include "support/FakeDialogs.h"
#include "support/FakeLinkUi.h"

namespace {

struct Write {
  int reg;
  int value;
};

// The function-6 writes among the frames, as (register number, value).
std::vector<Write> WritesOf(const std::vector<sim::SimFrame>& frames, int id) {
  std::vector<Write> out;
  for (const auto& f : frames) {
    const auto* b = reinterpret_cast<const uint8_t*>(f.bytes.constData());
    if (f.bytes.size() == 8 && b[0] == id && b[1] == 6) out.push_back({(b[2] << 8 | b[3]) + 1, b[4] << 8 | b[5]});
  }
  return out;
}

class HistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    history = &sim::AddEnergyHistory(bus);
    bus.AddSlave(1);
    bus.AddSlave(2);
    link = std::make_unique<Modbus>();
    ASSERT_EQ(link->OpenSerial(bus.PortPath()), 0);
    link->SetBaudIndex(1);
    SetEnergyProgressSink([this](const QString& t) { progress << t; });
  }
  void TearDown() override { SetEnergyProgressSink({}); }

  FakeDialogs dialogs;
  FakeLinkUi ui;
  sim::SimInverter bus;
  sim::EnergyHistoryProtocol* history = nullptr;
  std::unique_ptr<Modbus> link;
  QStringList progress;
};

}  // namespace

TEST_F(HistoryTest, ReadFromOneInverterWriteToAnother) {
  std::vector<uint16_t> days(732), months(240);
  for (int i = 0; i < 732; ++i) days[i] = static_cast<uint16_t>(1000 + 7 * i);
  for (int i = 0; i < 240; ++i) months[i] = static_cast<uint16_t>(0xF000 + i);
  history->SetDays(1, days);
  history->SetMonths(1, months);
  const uint16_t totals[4] = {0x0001, 0x2345, 0x0006, 0x7890};
  for (int k = 0; k < 4; ++k) bus.SetInput(1, 1076 + k, totals[k]);
  for (int k = 0; k < 7; ++k) bus.SetHolding(1, 0x6100 + k, static_cast<uint16_t>(0x4100 + k));

  link->SlaveId = 1;
  ASSERT_EQ(link->ReadDayHistory(), 0);
  ASSERT_EQ(link->ReadMonthHistory(), 0);
  for (int i = 0; i < 732; ++i) ASSERT_EQ(link->DayEnergy[i], days[i]) << i;
  for (int i = 0; i < 240; ++i) ASSERT_EQ(link->MonthEnergy[i], months[i]) << i;
  for (int k = 0; k < 4; ++k) EXPECT_EQ(link->EnergyTotals[k], totals[k]);
  for (int k = 0; k < 7; ++k) EXPECT_EQ(link->EnergyTotals[4 + k], 0x4100 + k);

  // 12 day windows at 0, 32, ..., 352 and 5 month windows at 0, 24, ..., 96.
  const auto readFrames = bus.Frames();
  EXPECT_EQ(readFrames.size(), 36u);
  std::vector<int> dayWindows, monthWindows;
  for (const Write& w : WritesOf(readFrames, 1)) (w.reg == 809 ? dayWindows : monthWindows).push_back(w.value);
  EXPECT_EQ(dayWindows, (std::vector<int>{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352}));
  EXPECT_EQ(monthWindows, (std::vector<int>{0, 24, 48, 72, 96}));
  EXPECT_TRUE(ui.lines.contains(QString("Day0: %1").arg(days[0])));
  EXPECT_TRUE(ui.lines.contains(QString("Day365: %1").arg(days[731])));
  EXPECT_TRUE(ui.lines.contains(QString("Month119: %1").arg(months[239])));
  EXPECT_EQ(progress.first(), "Day: 0");
  EXPECT_EQ(progress.last(), "Month: 119");

  bus.ClearFrames();
  progress.clear();
  link->SlaveId = 2;
  ASSERT_EQ(link->WriteDayHistory(), 0);
  ASSERT_EQ(link->WriteMonthHistory(), 0);
  EXPECT_EQ(history->Days(2), days);
  EXPECT_EQ(history->Months(2), months);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(bus.Holding(2, 0xACC0 + k), totals[k]);
  for (int k = 0; k < 7; ++k) EXPECT_EQ(bus.Holding(2, 0x6100 + k), 0x4100 + k);

  // 758 + 247 single-register writes, the markers in their places.
  const auto writes = WritesOf(bus.Frames(), 2);
  ASSERT_EQ(writes.size(), 1005u);
  std::vector<std::pair<size_t, int>> markers;
  for (size_t i = 0; i < writes.size(); ++i)
    if (writes[i].reg == 0x6059) markers.push_back({i, writes[i].value});
  const std::vector<std::pair<size_t, int>> expected = {
      {0, 0x1010}, {745, 0x1011}, {757, 0x55AA}, {758, 0x1012}, {1004, 0x1013}};
  EXPECT_EQ(markers, expected);
  EXPECT_EQ(progress.last(), "Month: 119");
}

TEST_F(HistoryTest, AMissingReplyStopsTheReadAndNothingUnreadIsKept) {
  history->SetDays(1, std::vector<uint16_t>(732, 5));
  link->SlaveId = 1;
  for (int i = 0; i < 732; ++i) link->DayEnergy[i] = 77;
  // The third window read (after two reads and two window moves) goes unanswered.
  for (int i = 0; i < 5; ++i) bus.QueueFault({});
  bus.QueueFault(sim::ReplyFault::Silent());
  EXPECT_EQ(link->ReadDayHistory(), kHistoryNoReply);
  EXPECT_EQ(bus.Frames().size(), 6u);  // nothing after the missing reply
  EXPECT_EQ(link->DayEnergy[127], 5);
  EXPECT_EQ(link->DayEnergy[128], 77);  // the unanswered window was not stored

  // A reply of the wrong length (one word short) is no reply either.
  bus.ClearFrames();
  bus.QueueFault({});
  bus.QueueFault(sim::ReplyFault::Short());
  EXPECT_EQ(link->ReadDayHistory(), kHistoryNoReply);
  EXPECT_EQ(bus.Frames().size(), 2u);
}

TEST_F(HistoryTest, AnUnconfirmedWriteStopsTheWriteAndALinkFailureIsOne) {
  link->SlaveId = 2;
  bus.QueueFault({});
  bus.QueueFault({});
  bus.QueueFault(sim::ReplyFault::BadCrc());
  EXPECT_EQ(link->WriteDayHistory(), kHistoryNoReply);
  EXPECT_EQ(bus.Frames().size(), 3u);

  link->Port.Close();
  EXPECT_EQ(link->WriteMonthHistory(), 1);
  EXPECT_EQ(link->ReadMonthHistory(), 1);
}
