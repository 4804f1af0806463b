// The energy history moved from one simulated inverter to another through
// the windowed history registers, and a transfer that loses a reply.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <QLabel>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <memory>

#include "app/LogViews.h"
#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/EnergyHistory.h"
#include "link/Executor.h"
#include "link/Modbus.h"
#include "sim/SimEnergyHistory.h"
#include "sim/SimInverter.h"
#include "support/FakeDialogs.h"
#include "support/FakeLinkUi.h"
#include "support/NetFixture.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"

namespace {

struct RegWrite {
  int reg;
  int value;
};

// The function-6 writes among the frames, as (register number, value).
std::vector<RegWrite> WritesOf(const std::vector<sim::SimFrame>& frames, int id) {
  std::vector<RegWrite> out;
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

// ---------------------------------------------------------------------------
// The Energy Clone panel: read from one inverter, pick another, write.

namespace {

struct CloneWindow : ::testing::Test {
  polltest::LinkedWindow t;
  TForm_Main& w = t.w;
  sim::EnergyHistoryProtocol* history = &sim::AddEnergyHistory(t.sim);

  void SetUp() override { t.sim.AddSlave(2); }
  QPushButton* Read() { return w.Ctl<QPushButton>("Btn_ReadEnergy"); }
  QPushButton* Write() { return w.Ctl<QPushButton>("Btn_WriteEnergy"); }
  QString Progress() { return w.Ctl<QLabel>("Label_EnergyDsp")->text(); }
};

}  // namespace

TEST_F(CloneWindow, HistoryMovesFromOneInverterToAnother) {
  std::vector<uint16_t> days(732), months(240);
  for (int i = 0; i < 732; ++i) days[i] = static_cast<uint16_t>(1000 + 7 * i);
  for (int i = 0; i < 240; ++i) months[i] = static_cast<uint16_t>(0xF000 + i);
  history->SetDays(1, days);
  history->SetMonths(1, months);
  const uint16_t totals[4] = {0x0001, 0x2345, 0x0006, 0x7890};
  for (int k = 0; k < 4; ++k) t.sim.SetInput(1, 1076 + k, totals[k]);
  for (int k = 0; k < 7; ++k) t.sim.SetHolding(1, 0x6100 + k, static_cast<uint16_t>(0x4100 + k));
  EXPECT_TRUE(Read()->isEnabled());
  EXPECT_FALSE(Write()->isEnabled());  // nothing read yet

  Read()->click();
  EXPECT_EQ(w.Link.CmdCode, 410);
  EXPECT_FALSE(Read()->isEnabled());
  EXPECT_FALSE(Write()->isEnabled());
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_TRUE(Read()->isEnabled());
  EXPECT_TRUE(Write()->isEnabled());
  EXPECT_EQ(Progress(), "Month: 119");
  for (int i = 0; i < 732; ++i) ASSERT_EQ(w.Link.DayEnergy[i], days[i]) << i;
  for (int i = 0; i < 240; ++i) ASSERT_EQ(w.Link.MonthEnergy[i], months[i]) << i;

  // 12 day windows at 0, 32, ..., 352 and 5 month windows at 0, 24, ..., 96;
  // then both windows back at today, so the views show the newest days and
  // months again.
  const auto readFrames = t.sim.Frames();
  EXPECT_EQ(readFrames.size(), 38u);
  std::vector<int> dayWindows, monthWindows;
  for (const RegWrite& wr : WritesOf(readFrames, 1)) (wr.reg == 809 ? dayWindows : monthWindows).push_back(wr.value);
  EXPECT_EQ(dayWindows, (std::vector<int>{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 0}));
  EXPECT_EQ(monthWindows, (std::vector<int>{0, 24, 48, 72, 96, 0}));
  EXPECT_EQ(t.sim.Holding(1, 809), 0);
  EXPECT_EQ(t.sim.Holding(1, 810), 0);
  const QString log = w.EventLog()->toPlainText();
  EXPECT_TRUE(log.contains(QString("Day0: %1\n").arg(days[0])));
  EXPECT_TRUE(log.contains(QString("Day365: %1\n").arg(days[731])));
  EXPECT_TRUE(log.contains(QString("Month119: %1").arg(months[239])));

  // The user picks the other inverter and writes.
  t.sim.ClearFrames();
  w.Link.SlaveId = 2;
  Write()->click();
  EXPECT_EQ(w.Link.CmdCode, 411);
  EXPECT_FALSE(Read()->isEnabled());
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_TRUE(Read()->isEnabled());
  EXPECT_TRUE(Write()->isEnabled());
  EXPECT_EQ(Progress(), "Month: 119");
  EXPECT_EQ(history->Days(2), days);
  EXPECT_EQ(history->Months(2), months);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(t.sim.Holding(2, 0xACC0 + k), totals[k]);
  for (int k = 0; k < 7; ++k) EXPECT_EQ(t.sim.Holding(2, 0x6100 + k), 0x4100 + k);

  // 758 + 247 single-register writes, the markers in their places, then
  // both windows back at today.
  const auto writes = WritesOf(t.sim.Frames(), 2);
  ASSERT_EQ(writes.size(), 1007u);
  EXPECT_EQ(writes[1005].reg, 809);
  EXPECT_EQ(writes[1005].value, 0);
  EXPECT_EQ(writes[1006].reg, 810);
  EXPECT_EQ(writes[1006].value, 0);
  EXPECT_EQ(t.sim.Holding(2, 809), 0);
  EXPECT_EQ(t.sim.Holding(2, 810), 0);
  std::vector<std::pair<size_t, int>> markers;
  for (size_t i = 0; i < writes.size(); ++i)
    if (writes[i].reg == 0x6059) markers.push_back({i, writes[i].value});
  const std::vector<std::pair<size_t, int>> expected = {
      {0, 0x1010}, {745, 0x1011}, {757, 0x55AA}, {758, 0x1012}, {1004, 0x1013}};
  EXPECT_EQ(markers, expected);
  EXPECT_TRUE(t.dialogs.messages.isEmpty());
}

TEST_F(CloneWindow, AMissingReplyStopsTheTransferWithAMessage) {
  history->SetDays(1, std::vector<uint16_t>(732, 9));
  t.sim.QueueFault({});
  t.sim.QueueFault({});
  t.sim.QueueFault({});
  t.sim.QueueFault(sim::ReplyFault::Silent());  // the second window's read
  t.sim.SetHolding(1, 810, 72);  // left over from an earlier transfer
  Read()->click();
  EXPECT_EQ(w.ExecutePendingCommand(), 0);  // the link is fine: polling goes on
  EXPECT_EQ(t.dialogs.messages, QStringList{"Read Energy Fail"});
  // Stopped at the missing reply; both windows are set back all the same.
  EXPECT_EQ(t.sim.Frames().size(), 6u);
  EXPECT_EQ(t.sim.Holding(1, 809), 0);
  EXPECT_EQ(t.sim.Holding(1, 810), 0);
  // Buttons back; a history read only in part cannot be written.
  EXPECT_TRUE(Read()->isEnabled());
  EXPECT_FALSE(Write()->isEnabled());
  t.sim.ClearFrames();
  t.dialogs.messages.clear();
  PostCommand(w.Link, CmdWriteEnergy);  // as if posted before the read failed
  EXPECT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_TRUE(t.Frames().empty());
  EXPECT_EQ(t.dialogs.messages, QStringList{"Write Energy Fail"});

  // A link that fails ends polling; the buttons still come back.
  w.Link.Port.Close();
  t.dialogs.messages.clear();
  Read()->click();
  EXPECT_EQ(w.ExecutePendingCommand(), 1);
  EXPECT_EQ(t.dialogs.messages, QStringList{"Read Energy Fail"});
  EXPECT_TRUE(Read()->isEnabled());
  EXPECT_FALSE(Write()->isEnabled());
}

// The history write stopped by a missing reply sets both windows back too.
TEST_F(CloneWindow, AStoppedWriteSetsTheWindowsBack) {
  w.EnergyHistoryRead = true;
  w.Link.SlaveId = 2;
  t.sim.SetHolding(2, 810, 48);
  // 0x1010, 809 := 0, 64 words, then the window move to 32 goes unanswered.
  for (int i = 0; i < 66; ++i) t.sim.QueueFault({});
  t.sim.QueueFault(sim::ReplyFault::Silent());
  Write()->setEnabled(true);
  Write()->click();
  EXPECT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.dialogs.messages, QStringList{"Write Energy Fail"});
  const auto writes = WritesOf(t.sim.Frames(), 2);
  ASSERT_EQ(writes.size(), 69u);
  EXPECT_EQ(writes[66].reg, 809);
  EXPECT_EQ(writes[66].value, 32);
  EXPECT_EQ(t.sim.Holding(2, 809), 0);
  EXPECT_EQ(t.sim.Holding(2, 810), 0);
}

// A click disables both buttons until its command has run; a command that
// never reaches the executor's work gives them back as well.
TEST_F(CloneWindow, ButtonsComeBackWhenTheCommandIsDropped) {
  auto* ports = w.Ctl<QComboBox>("Combo_COM");
  struct Case {
    const char* how;
    bool historyRead;
    std::function<void()> drop;
    QStringList messages;
  };
  const Case cases[] = {
      {"refused by the write lock", false,
       [&] {
         w.WriteLock = 1;
         EXPECT_EQ(w.ExecutePendingCommand(), 0);
         w.WriteLock = 0;
       },
       {"Lock: Permission denied"}},
      {"overwritten by an editor's write", true, [&] { PostCommand(w.Link, 6, 802, 5); }, {}},
      {"overwritten by the clock button", false,
       [&] {
         w.LinkOpen = true;  // a loop runs, as the click needs
         w.PollStop = 0;
         w.Image_SyncClockClick();
         w.LinkOpen = false;
         w.PollStop = 1;
       },
       {}},
      {"emptied by opening the link", true,
       [&] {
         nettest::ChooseProfile(w);
         w.Ctl<QRadioButton>("Radio_ComRS485")->setChecked(true);
         ports->clear();
         ports->addItem(t.home.dir.path() + "/no-such-port");
         ports->setCurrentIndex(0);
         w.OpenPortClick();
       },
       {"COM Can't Open: " + t.home.dir.path() + "/no-such-port: " + QString::fromLocal8Bit(std::strerror(ENOENT))}},
      {"emptied by a profile change", false,
       [&] {
         nettest::ChooseProfile(w);
         w.Combo_SelectModeChange();
       },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    w.EnergyHistoryRead = c.historyRead;
    Read()->setEnabled(true);
    Write()->setEnabled(c.historyRead);
    (c.historyRead ? Write() : Read())->click();
    ASSERT_EQ(w.Link.CmdCode, c.historyRead ? 411 : 410);
    ASSERT_FALSE(Read()->isEnabled());
    ASSERT_FALSE(Write()->isEnabled());
    t.dialogs.messages.clear();
    t.sim.ClearFrames();
    c.drop();
    EXPECT_NE(w.Link.CmdCode, c.historyRead ? 411 : 410);
    EXPECT_TRUE(Read()->isEnabled());
    EXPECT_EQ(Write()->isEnabled(), c.historyRead);
    if (!c.messages.isEmpty()) EXPECT_EQ(t.dialogs.messages, c.messages);
    EXPECT_TRUE(t.Frames().empty());
    if (!w.Link.Port.IsOpen()) t.Open();
    w.Link.CmdCode = 0;
  }
}
