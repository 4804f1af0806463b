// The clock synchronisation's frames for a fixed clock and time zone.
#include <gtest/gtest.h>

#include <QRadioButton>
#include <QTreeWidget>
#include <functional>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "app/main.h"
#include "link/ClockSync.h"
#include "link/LinkUi.h"
#include "link/Modbus.h"
#include "sim/SimInverter.h"
#include "support/FakeDialogs.h"
#include "support/FakeLinkUi.h"
#include "support/NetFixture.h"
#include "support/PollFixture.h"
#include "support/ScopedTimeZone.h"
#include "platform/ValueLabel.h"

namespace {

// A time zone for one test; the clock source goes back to the real one too.
class ZoneGuard : public ScopedTimeZone {
 public:
  using ScopedTimeZone::ScopedTimeZone;
  ~ZoneGuard() { SetClockSource({}); }
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

// ---------------------------------------------------------------------------
// Through the window: the picture posts, the executor sets the clocks of the
// listed inverters and says what it did.

namespace {

QString Write6(int id, int reg, int value) {
  const int wire = reg - 1;
  return sim::HexText(sim::WithCrc(sim::Bytes({id, 6, wire >> 8, wire & 0xFF, value >> 8, value & 0xFF})));
}

struct ClockWindow : ::testing::Test {
  polltest::LinkedWindow t;
  TForm_Main& w = t.w;
  ZoneGuard zone{"UTC-1"};
  void SetUp() override {
    SetClockSource([] { return kNoon2020; });
    // As a running loop leaves them: commands posted now are carried out.
    w.LinkOpen = true;
    w.PollStop = 0;
  }
  void List(std::initializer_list<std::pair<int, int>> idsAndBauds) {
    w.InverterList.Count = 0;
    for (auto [id, baud] : idsAndBauds) {
      w.InverterList.Ids[w.InverterList.Count] = id;
      w.InverterList.BaudIndex[w.InverterList.Count++] = baud;
      w.Link.IdBaudIndex[id] = baud;
    }
  }
  ValueLabel* SyncLabel() { return w.Ctl<ValueLabel>("Label_SyncClock"); }
};

}  // namespace

TEST_F(ClockWindow, EveryListedInverterInTurnAndAFailureNamed) {
  t.sim.SetSlaveBaud(1, 19200);
  List({{1, 2}, {2, 1}});  // ID 2 is not on the bus
  w.Link.IdBaudIndex[1] = 2;
  ASSERT_EQ(SyncLabel()->fontColor(), clGreen);
  w.Image_SyncClockClick();
  EXPECT_EQ(w.Link.CmdCode, 400);
  EXPECT_EQ(SyncLabel()->fontColor(), clRed);
  w.WriteLock = 1;  // the clock passes the lock
  EXPECT_EQ(w.ExecutePendingCommand(), 0);

  const std::vector<QString> one = {Write6(1, 785, 0x97D0), Write6(1, 784, 0x5E0C), Write6(1, 785, 0x97D0),
                                    Write6(1, 784, 0x5E0C)};
  const std::vector<QString> two = {Write6(2, 785, 0x97D0), Write6(2, 784, 0x5E0C), Write6(2, 785, 0x97D0),
                                    Write6(2, 784, 0x5E0C)};
  std::vector<QString> expected = one;
  expected.insert(expected.end(), two.begin(), two.end());
  EXPECT_EQ(t.Frames(), expected);
  EXPECT_EQ(t.dialogs.messages, (QStringList{"Sync Clock Fail", "Sync Clock Done"}));
  EXPECT_EQ(SyncLabel()->fontColor(), clGreen);
  EXPECT_EQ(w.Link.CmdCode, 0);
  // Back to the inverter that was current, at its scanned speed.
  EXPECT_EQ(w.Link.SlaveId, 1);
  EXPECT_EQ(t.sim.LineBaud(), 19200);
}

// With no loop to carry them out, the top bar's commands say so; nothing is
// posted and no caption is left red.
TEST_F(ClockWindow, CommandsWithoutALinkSaySo) {
  struct Case {
    const char* what;
    std::function<void()> click;
    const char* label;
    QRgb colour;
  };
  const Case cases[] = {
      {"sync clock", [&] { w.Image_SyncClockClick(); }, "Label_SyncClock", clGreen},
      {"native to SunSpec", [&] { w.Image_TarvoSunClick(); }, "Label_InvProtocol", clGreen},
      {"SunSpec to native", [&] { w.Image_SunTarvoClick(); }, "Label_InvProtocol", clGreen},
      {"configuration dump", [&] { w.Image_SaveGridSetClick(); }, "Label_GridSetLog", clGreen},
      {"settings upload", [&] { w.Image_OpenGridSetClick(); }, "Label_GridSetLog", clGreen},
  };
  for (bool closing : {false, true}) {
    // No link opened, or Close clicked and the loop ending.
    w.LinkOpen = closing;
    w.PollStop = 1;
    for (const Case& c : cases) {
      t.dialogs.messages.clear();
      w.Link.CmdCode = 0;
      c.click();
      EXPECT_EQ(t.dialogs.messages, QStringList{"Please Connect to Inverters first"}) << c.what;
      EXPECT_EQ(w.Link.CmdCode, 0) << c.what;
      EXPECT_EQ(w.Ctl<ValueLabel>(c.label)->fontColor(), c.colour) << c.what;
    }
  }
  EXPECT_TRUE(t.dialogs.prompts.empty());  // no access code asked for
}

// "??" is for values: the captions that tell a command's progress keep their
// text through the stale and restore passes and an inverter switch, while a
// value label beside them is marked.
TEST_F(ClockWindow, CaptionsNeverTurnQuestionMarks) {
  List({{1, 1}});
  w.AddTreeRoot();
  w.BuildIdTree();
  auto* value = w.Ctl<ValueLabel>("Label_InvProtocol");
  const struct {
    const char* what;
    QRgb before;
    std::function<void()> pass;
  } passes[] = {
      {"restore pass", clRed, [] { CurrentLinkUi().RestoreStaleViews(); }},
      {"stale pass", clBlue, [] { CurrentLinkUi().MarkViewsStale(); }},
      {"inverter list", clRed, [&] { w.ExeSelectInv(0); }},
      {"inverter chosen", clBlue, [&] {
         auto* tree = w.Ctl<QTreeWidget>("TreeView");
         tree->setCurrentItem(w.TreeRoot->child(0));
         w.TreeViewDblClick();
       }},
  };
  for (const auto& p : passes) {
    for (const char* caption : {"Label_SyncClock", "Label_GridSetLog"})
      w.Ctl<ValueLabel>(caption)->setFontColor(p.before);
    value->show("Tarvo", p.before);
    p.pass();
    EXPECT_EQ(w.Ctl<ValueLabel>("Label_SyncClock")->text(), "Sync Clock") << p.what;
    EXPECT_EQ(w.Ctl<ValueLabel>("Label_GridSetLog")->text(), "Grid Set(Load/Save)") << p.what;
    EXPECT_EQ(w.Ctl<ValueLabel>("Label_SyncClock")->fontColor(), p.before) << p.what;
    EXPECT_EQ(value->text(), "??") << p.what;
  }
}

TEST_F(ClockWindow, NothingSetIsNotReportedAsDone) {
  struct Case {
    const char* what;
    int linkMode;
    bool listed;
  };
  const Case cases[] = {
      {"radio link: no clock is written", LinkRadio, true},
      {"no inverter listed", LinkSerial, false},
  };
  for (const Case& c : cases) {
    t.sim.ClearFrames();
    t.dialogs.messages.clear();
    w.Link.LinkMode = c.linkMode;
    if (c.listed) List({{1, 1}});
    else List({});
    w.Image_SyncClockClick();
    EXPECT_EQ(w.ExecutePendingCommand(), 0) << c.what;
    EXPECT_TRUE(t.Frames().empty()) << c.what;
    EXPECT_EQ(t.dialogs.messages, QStringList{"Sync Clock Fail"}) << c.what;
    EXPECT_EQ(SyncLabel()->fontColor(), clGreen) << c.what;
  }
}

TEST_F(ClockWindow, RegisterMapSwitchThenTheNextReadShowsTheNewMap) {
  t.ShowPanel("Group_Version");
  w.LinkOpen = true;
  auto* protocol = w.Ctl<ValueLabel>("Label_InvProtocol");
  bool posted = false;
  nettest::Every5ms(w, [&] {
    if (!posted && protocol->text() == "Tarvo") {
      w.Image_TarvoSunClick();  // seen the native map: switch
      EXPECT_EQ(protocol->fontColor(), clRed);
      posted = true;
    } else if (posted && protocol->text() == "SunSpec") {
      w.ClosePortClick();
      return true;
    }
    return false;
  });
  w.RunPollingLoop();
  EXPECT_EQ(t.dialogs.messages, QStringList{"Check Protocol Please"});
  const auto frames = t.Frames();
  EXPECT_NE(std::find(frames.begin(), frames.end(), "01 06 03 21 00 05 19 87"), frames.end());
  EXPECT_EQ(t.sim.Holding(1, 802), 5);
  EXPECT_EQ(protocol->text(), "SunSpec");
  EXPECT_EQ(protocol->fontColor(), clGreen);
  EXPECT_TRUE(w.Ctl<QWidget>("Image_SunTarvo")->isVisibleTo(&w));
  EXPECT_FALSE(w.Ctl<QWidget>("Image_TarvoSun")->isVisibleTo(&w));
}

TEST_F(ClockWindow, RegisterMapSwitchToEveryListedInverterOrNone) {
  w.Ctl<QRadioButton>("Radio_CmdBroadcast")->setChecked(true);
  List({});
  w.Image_SunTarvoClick();
  EXPECT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_TRUE(t.Frames().empty());
  EXPECT_EQ(t.dialogs.messages, QStringList{"Check Protocol Please"});

  t.sim.AddSlave(3);
  List({{1, 1}, {3, 1}});
  t.sim.ClearFrames();
  w.Image_SunTarvoClick();
  EXPECT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{Write6(1, 802, 0), Write6(3, 802, 0)}));

  // A failing link ends polling: the executor reports it.
  w.Link.Port.Close();
  w.Image_TarvoSunClick();
  EXPECT_EQ(w.ExecutePendingCommand(), 1);
}
