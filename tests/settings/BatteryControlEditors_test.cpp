#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <vector>

#include "app/main.h"
#include "link/Executor.h"
#include "link/Modbus.h"
#include "monitor/LoadBatteryViews.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"
#include "support/SettingsFixture.h"

using polltest::Colour;
using polltest::ControlAs;
using polltest::Text;
using settingstest::WriteHolding;

namespace {

struct BatteryControl : polltest::ViewTest {
  void SetUp() override {
    w.show();  // the pickers scroll only once laid out
    t.ShowPanel("Group_BT_CTRL");
    t.ShowPanel("Group_Subsidy");
  }

  // Scrolls a one-row picker so that item `top` is its top row, as the user
  // does with its arrows.
  void Scroll(const QString& name, int top) {
    auto& list = ControlAs<QListWidget>(w, name);
    // Only a list on screen is laid out and can scroll: bring its page to front.
    for (QWidget* c = &list; c->parentWidget(); c = c->parentWidget())
      if (auto* pages = qobject_cast<QStackedWidget*>(c->parentWidget())) pages->setCurrentWidget(c);
    QCoreApplication::processEvents();
    list.verticalScrollBar()->setValue(top);
    ASSERT_EQ(list.verticalScrollBar()->value(), top) << name.toStdString();
  }
  void Pick(const char* pickers, int startHour, int startMin, int stopHour, int stopMin) {
    const QString p = QString::fromLatin1(pickers);
    Scroll(p + "StartHour", startHour);
    Scroll(p + "StartMin", startMin);
    Scroll(p + "StopHour", stopHour);
    Scroll(p + "StopMin", stopMin);
  }
};

// A window command: picked as the user would, committed, then the
// executor's two writes.
struct WindowCase {
  const char* button;
  const char* pickers;  // nullptr: the pickers play no part (Clear)
  int picks[4];         // start hour, start minute item, stop hour, stop minute item
  int reg;
  int start, stop;
  const char* startLabel;
  const char* stopLabel;
};

}  // namespace

TEST_F(BatteryControl, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollBTCTRL, "Group_BT_CTRL"}, {PollSubsidy, "Group_Subsidy"}});
}

TEST_F(BatteryControl, ControlsAsDeclared) {
  auto& mode = ControlAs<QComboBox>(w, "Combo_BT_CtrlMode");
  ASSERT_EQ(mode.count(), 6);
  EXPECT_EQ(mode.itemText(0), "1: Selfconsumption");
  EXPECT_EQ(mode.itemText(5), "6: Without Battery");
  EXPECT_EQ(ControlAs<QLineEdit>(w, "Edit_SOC_Limit").toolTip(), "0~70%");
  auto& hours = ControlAs<QListWidget>(w, "List_BTDCHG_T3StopHour");
  ASSERT_EQ(hours.count(), 24);
  EXPECT_EQ(hours.item(23)->text(), "23");
  auto& minutes = ControlAs<QListWidget>(w, "List_BTC_T2StartMin");
  ASSERT_EQ(minutes.count(), 2);
  EXPECT_EQ(minutes.item(1)->text(), "30");
  for (const char* l : {"Label_BT_CtrlMode", "Label_BT_DCHG_T3Stop", "Label_Feedin_Percent"})
    EXPECT_EQ(Text(w, l), "??") << l;
}

// Every single-write editor of both groups. No editor checks a range: 120
// goes to the SOC limit as typed.
TEST_F(BatteryControl, EveryEditorWritesItsRegister) {
  settingstest::ExpectEditorWrites(t, {
      {"Combo_BT_CtrlMode", "1: Selfconsumption", 25627, 1, "Label_BT_CtrlMode"},
      {"Combo_BT_CtrlMode", "3: Selling First", 25627, 3, "Label_BT_CtrlMode"},
      {"Combo_BT_CtrlMode", "6: Without Battery", 25627, 6, "Label_BT_CtrlMode"},
      {"Edit_SOC_Limit", "120", 25617, 120, "Label_SOC_Limit"},
      {"Edit_SOC_Limit", "0x20", 25617, 32, "Label_SOC_Limit"},
      {"Edit_Peak_Cut_Power", "15", 25620, 15, "Label_Peak_Cut_Power"},
      {"Combo_Subsidy_Mode", "OFF", 25632, 0, "Label_Subsidy_Mode"},
      {"Combo_Subsidy_Mode", "ON", 25632, 1, "Label_Subsidy_Mode"},
      {"Edit_PV_Capacity", "5.5", 25633, 55, "Label_PV_Capacity"},
      {"Edit_PV_Capacity", "12.39", 25633, 123, "Label_PV_Capacity"},
      {"Edit_Feedin_Percent", "70", 25634, 70, "Label_Feedin_Percent"},
  });
}

// Every window button: code 36 carries start and stop, the executor writes
// them to the window's two registers.
TEST_F(BatteryControl, EveryWindowButtonWritesStartAndStop) {
  const std::vector<WindowCase> cases = {
      {"Btn_BTChargeT1Set", "List_BTC_T1", {7, 1, 16, 0}, 25635, 730, 1600, "Label_BT_Charge_T1Start",
       "Label_BT_Charge_T1Stop"},
      {"Btn_BTChargeT2Set", "List_BTC_T2", {0, 0, 23, 1}, 25637, 0, 2330, "Label_BT_Charge_T2Start",
       "Label_BT_Charge_T2Stop"},
      {"Btn_BTChargeT3Set", "List_BTC_T3", {12, 1, 13, 0}, 25639, 1230, 1300, "Label_BT_Charge_T3Start",
       "Label_BT_Charge_T3Stop"},
      {"Btn_BTDCHGT1Set", "List_BTDCHG_T1", {18, 0, 22, 1}, 25641, 1800, 2230, "Label_BT_DCHG_T1Start",
       "Label_BT_DCHG_T1Stop"},
      {"Btn_BTDCHGT2Set", "List_BTDCHG_T2", {1, 1, 2, 0}, 25643, 130, 200, "Label_BT_DCHG_T2Start",
       "Label_BT_DCHG_T2Stop"},
      {"Btn_BTDCHGT3Set", "List_BTDCHG_T3", {20, 0, 21, 1}, 25645, 2000, 2130, "Label_BT_DCHG_T3Start",
       "Label_BT_DCHG_T3Stop"},
      {"Btn_BTChargeT1Clear", nullptr, {}, 25635, 0x55AA, 0x55AA, "Label_BT_Charge_T1Start",
       "Label_BT_Charge_T1Stop"},
      {"Btn_BTChargeT2Clear", nullptr, {}, 25637, 0x55AA, 0x55AA, "Label_BT_Charge_T2Start",
       "Label_BT_Charge_T2Stop"},
      {"Btn_BTChargeT3Clear", nullptr, {}, 25639, 0x55AA, 0x55AA, "Label_BT_Charge_T3Start",
       "Label_BT_Charge_T3Stop"},
      {"Btn_BTDCHGT1Clear", nullptr, {}, 25641, 0x55AA, 0x55AA, "Label_BT_DCHG_T1Start", "Label_BT_DCHG_T1Stop"},
      {"Btn_BTDCHGT2Clear", nullptr, {}, 25643, 0x55AA, 0x55AA, "Label_BT_DCHG_T2Start", "Label_BT_DCHG_T2Stop"},
      {"Btn_BTDCHGT3Clear", nullptr, {}, 25645, 0x55AA, 0x55AA, "Label_BT_DCHG_T3Start", "Label_BT_DCHG_T3Stop"},
  };
  for (const WindowCase& c : cases) {
    if (c.pickers) Pick(c.pickers, c.picks[0], c.picks[1], c.picks[2], c.picks[3]);
    w.Link.CmdCode = 0;
    polltest::Paint(w, c.startLabel, "x", clBlue);
    polltest::Paint(w, c.stopLabel, "x", clBlue);
    settingstest::Commit(w, c.button);
    ASSERT_EQ(w.Link.CmdCode, 36) << c.button;
    EXPECT_EQ(w.Link.CmdRegister, c.reg) << c.button;
    EXPECT_EQ(static_cast<uint16_t>(w.Link.CmdValue), c.start) << c.button;
    EXPECT_EQ(static_cast<uint16_t>(w.Link.CmdValue2), c.stop) << c.button;
    EXPECT_EQ(Colour(w, c.startLabel), clRed) << c.button;
    EXPECT_EQ(Colour(w, c.stopLabel), clRed) << c.button;
    t.sim.ClearFrames();
    ASSERT_EQ(w.ExecutePendingCommand(), 0) << c.button;
    EXPECT_EQ(t.Frames(), (std::vector<QString>{WriteHolding(c.reg, c.start), WriteHolding(c.reg + 1, c.stop)}))
        << c.button;
  }
}

// The pickers of one window never feed another's button.
TEST_F(BatteryControl, EachWindowReadsItsOwnPickers) {
  Pick("List_BTC_T1", 7, 1, 16, 0);
  Pick("List_BTDCHG_T1", 3, 0, 4, 1);
  settingstest::Commit(w, "Btn_BTDCHGT1Set");
  EXPECT_EQ(w.Link.CmdValue, 300);
  EXPECT_EQ(w.Link.CmdValue2, 430);
}

TEST_F(BatteryControl, TextThatIsNoNumberIsRefused) {
  settingstest::ExpectRefused(t, {
      {"Edit_SOC_Limit", "", "Label_SOC_Limit"},
      {"Edit_Peak_Cut_Power", "15kW", "Label_Peak_Cut_Power"},
      {"Edit_PV_Capacity", "abc", "Label_PV_Capacity"},
      {"Edit_Feedin_Percent", "70000", "Label_Feedin_Percent"},
  });
  EXPECT_TRUE(t.Frames().empty());
}

// A window goes to the current inverter alone, whatever the broadcast radio says.
TEST_F(BatteryControl, WindowIgnoresBroadcast) {
  t.sim.AddSlave(2);
  w.InverterList.Count = 2;
  w.InverterList.Ids[0] = 1;
  w.InverterList.Ids[1] = 2;
  w.InverterList.BaudIndex[0] = w.InverterList.BaudIndex[1] = 1;
  ControlAs<QRadioButton>(w, "Radio_CmdBroadcast").setChecked(true);
  settingstest::Commit(w, "Btn_BTDCHGT2Clear");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{WriteHolding(25643, 0x55AA), WriteHolding(25644, 0x55AA)}));
}

TEST_F(BatteryControl, WrittenThenReadBackBlue) {
  t.sim.SetHoldingBlock(1, 25632, {0, 10, 50});
  Pick("List_BTC_T1", 7, 1, 16, 0);
  settingstest::Commit(w, "Btn_BTChargeT1Set");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  settingstest::Commit(w, "Edit_PV_Capacity", "5.5");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(Colour(w, "Label_PV_Capacity"), clRed);
  w.Link.CmdCode = 0;

  ASSERT_EQ(PollBTCTRL(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_BT_Charge_T1Start"), "07:30");
  EXPECT_EQ(Text(w, "Label_BT_Charge_T1Stop"), "16:00");
  EXPECT_EQ(Colour(w, "Label_BT_Charge_T1Start"), clBlue);
  EXPECT_EQ(Colour(w, "Label_BT_Charge_T1Stop"), clBlue);
  ASSERT_EQ(PollSubsidy(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_PV_Capacity"), "5.5 KWh");
  EXPECT_EQ(Colour(w, "Label_PV_Capacity"), clBlue);

  // A cleared window reads back as 219:30; a rejected reply leaves it red.
  settingstest::Commit(w, "Btn_BTChargeT1Clear");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollBTCTRL(&w.Link, 0), 0);
  EXPECT_EQ(Colour(w, "Label_BT_Charge_T1Start"), clRed);
  ASSERT_EQ(PollBTCTRL(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_BT_Charge_T1Start"), "219:30");
  EXPECT_EQ(Text(w, "Label_BT_Charge_T1Stop"), "219:30");
  EXPECT_EQ(Colour(w, "Label_BT_Charge_T1Stop"), clBlue);
}
