#include <gtest/gtest.h>

#include <QLabel>
#include <QRadioButton>
#include <vector>

#include "app/LogViews.h"
#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/Executor.h"
#include "link/Modbus.h"
#include "monitor/EngineeringViews.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"
#include "support/SettingsFixture.h"

using polltest::Checked;
using polltest::Colour;
using polltest::ControlAs;
using polltest::Text;
using settingstest::WriteCoil;
using settingstest::WriteHolding;

namespace {

struct ServiceCommands : polltest::ViewTest {
  std::vector<int> pauses;

  void SetUp() override {
    SetExecutorSleep([this](int ms) { pauses.push_back(ms); });
    for (const char* panel : {"Group_Factory", "Group_FanTest", "Group_Debug"}) t.ShowPanel(panel);
    w.Control("Group_UseForFactory")->show();  // as the SuperUser profile shows it
    w.IsSuperUser = 1;
  }
  void TearDown() override { SetExecutorSleep(nullptr); }
};

// A command that the executor carries out in several steps: clicked as the
// user would, then its exact frames and pauses.
struct SequenceCase {
  const char* button;
  int code;
  std::vector<QString> frames;
  std::vector<int> pauses;
};

std::vector<QString> ReturnToDefaultFrames() {
  std::vector<QString> f;
  for (int coil : {24628, 24629, 24624, 24597, 24643}) f.push_back(WriteCoil(coil, 0xFF00));
  f.push_back(WriteHolding(60416, 0x0200));
  f.push_back(WriteHolding(60416, 0x0400));
  f.push_back(WriteHolding(60566, 0xFF00));
  f.push_back(WriteHolding(60567, 0x55AA));
  for (int j = 0; j < 20; ++j) {
    f.push_back(WriteHolding(60566, j));
    f.push_back(WriteHolding(60567, 0));
  }
  return f;
}

// The window's labels, as the dump walks them.
std::vector<QString> WindowLabels(TForm_Main& w) {
  std::vector<QString> texts;
  const QWidget* status = w.Control("StatusPanels");
  for (const QLabel* l : w.findChildren<QLabel*>())
    if (!status->isAncestorOf(l)) texts.push_back(l->text());
  return texts;
}

}  // namespace

TEST_F(ServiceCommands, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollFactory, "Group_Factory"}, {PollFanTest, "Group_FanTest"}});
}

TEST_F(ServiceCommands, ControlsAsDeclared) {
  for (const char* b : {"Btn_ClearEnergy", "Btn_ClearEvent", "Btn_ClearCloudRegister", "Btn_PowerLimit2500"})
    EXPECT_EQ(ControlAs<QWidget>(w, b).parentWidget()->objectName(), "GroupBox_FactoryClear") << b;
  EXPECT_EQ(ControlAs<QAbstractButton>(w, "Btn_ClearEnergy").text(), "Energy && Runtime");
  EXPECT_EQ(ControlAs<QAbstractButton>(w, "Btn_PrintLabel").text(), "Print");
  EXPECT_EQ(Text(w, "Label_FanDuty"), "??");
}

// Every single write of the service panels.
TEST_F(ServiceCommands, EveryEditorWritesItsRegister) {
  settingstest::ExpectEditorWrites(t, {
      {"Btn_ClearEvent", nullptr, 24624, 0xFF00, nullptr, 5},
      {"Radio_RepairON", nullptr, 24609, 0xFF00, nullptr, 5},
      {"Radio_RepairOFF", nullptr, 24609, 0, nullptr, 5},
      {"Label_GridLockON", nullptr, 48158, 0x8002, nullptr},
      {"Label_GridLockOFF", nullptr, 48158, 0x0002, nullptr},
      {"Btn_SaveData", nullptr, 24665, 0x55AA, "Label_SaveData"},
      {"Radio_FanON", nullptr, 824, 32, nullptr},
      {"Radio_FanOFF", nullptr, 824, 0, nullptr},
      {"Edit_FanDuty", "50", 807, 0x8032, "Label_FanDuty"},
      {"Edit_FanDuty", "0", 807, 0x8000, "Label_FanDuty"},
      {"Edit_FanDuty", "100", 807, 0x8064, "Label_FanDuty"},
      {"Edit_FanDuty", "101", 807, 0x8065, "Label_FanDuty"},
      {"Edit_FanDuty", "255", 807, 0x80FF, "Label_FanDuty"},
  });
}

// The resets and the power limit: one code each, the executor does the rest.
TEST_F(ServiceCommands, MultiStepCommands) {
  const std::vector<SequenceCase> cases = {
      {"Btn_ClearEnergy", CmdEnergyReset, {WriteCoil(24628, 0xFF00), WriteCoil(24629, 0xFF00)}, {500}},
      {"Btn_ClearCloudRegister", CmdReturnToDefault, ReturnToDefaultFrames(), {500, 500, 500, 500, 500}},
      {"Btn_PowerLimit2500",
       CmdPowerLimit2500,
       {WriteHolding(33595, 2500), WriteHolding(44032, 0x5236), WriteHolding(44033, 0x2E32),
        WriteHolding(44034, 0x5F33), WriteHolding(44035, 0x3138), WriteHolding(44036, 0), WriteHolding(44037, 0),
        WriteHolding(44038, 0), WriteHolding(44039, 0)},
       {200, 200, 200, 200, 200}},
  };
  for (const SequenceCase& c : cases) {
    w.Link.CmdCode = 0;
    pauses.clear();
    settingstest::Commit(w, c.button);
    ASSERT_EQ(w.Link.CmdCode, c.code) << c.button;
    t.sim.ClearFrames();
    ASSERT_EQ(w.ExecutePendingCommand(), 0) << c.button;
    EXPECT_EQ(t.Frames(), c.frames) << c.button;
    EXPECT_EQ(pauses, c.pauses) << c.button;
  }
}

// The resets go to the current inverter alone, whatever the broadcast radio says.
TEST_F(ServiceCommands, ResetsIgnoreBroadcast) {
  t.sim.AddSlave(2);
  w.InverterList.Count = 2;
  w.InverterList.Ids[0] = 1;
  w.InverterList.Ids[1] = 2;
  w.InverterList.BaudIndex[0] = w.InverterList.BaudIndex[1] = 1;
  ControlAs<QRadioButton>(w, "Radio_CmdBroadcast").setChecked(true);
  settingstest::Commit(w, "Btn_ClearEnergy");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{WriteCoil(24628, 0xFF00), WriteCoil(24629, 0xFF00)}));
}

// A duty is a byte: 256 would set bit 8 and a negative value would clear
// the duty flag, so both are refused.
TEST_F(ServiceCommands, FanDutyOutsideTheByteRefused) {
  settingstest::ExpectRefused(t, {
      {"Edit_FanDuty", "300", "Label_FanDuty"},
      {"Edit_FanDuty", "256", "Label_FanDuty"},
      {"Edit_FanDuty", "-1", "Label_FanDuty"},
      {"Edit_FanDuty", "", "Label_FanDuty"},
      {"Edit_FanDuty", "5O", "Label_FanDuty"},
  });
  EXPECT_EQ(t.dialogs.messages.back(), "'5O' is not a valid integer value");
  EXPECT_EQ(t.dialogs.messages.count("Fan duty: enter 0 to 255"), 3);
  EXPECT_TRUE(t.Frames().empty());
}

TEST_F(ServiceCommands, WrittenThenReadBackBlue) {
  settingstest::Commit(w, "Edit_FanDuty", "50");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  settingstest::Commit(w, "Radio_FanON");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  ASSERT_EQ(PollFanTest(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_FanDuty"), "50");
  EXPECT_EQ(Colour(w, "Label_FanDuty"), clBlue);
  EXPECT_TRUE(Checked(w, "Radio_FanON"));

  settingstest::Commit(w, "Btn_SaveData");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  settingstest::Commit(w, "Label_GridLockON");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  EXPECT_EQ(Colour(w, "Label_SaveData"), clRed);
  ASSERT_EQ(PollFactory(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_SaveData"), QString::number(0x55AA));
  EXPECT_EQ(Colour(w, "Label_SaveData"), clBlue);
  EXPECT_TRUE(Checked(w, "Label_GridLockON"));
}

// The dump lists every label's caption in the order the window holds them,
// the panels' own in their declaration order, and posts nothing.
TEST_F(ServiceCommands, PrintLabelDumpsCaptionsInOrder) {
  auto& log = ControlAs<LogView>(w, "List_Event");
  log.clear();
  w.Link.CmdCode = 0;
  settingstest::Commit(w, "Btn_PrintLabel");
  EXPECT_EQ(w.Link.CmdCode, 0);
  EXPECT_TRUE(t.Frames().empty());

  const std::vector<QString> labels = WindowLabels(w);
  ASSERT_GT(labels.size(), 100u);
  QStringList expected;
  for (const QString& l : labels) expected << l;
  // An empty caption appended to the empty view leaves it empty.
  while (!expected.isEmpty() && expected.front().isEmpty()) expected.removeFirst();
  EXPECT_EQ(log.toPlainText(), expected.join('\n'));

  // The factory panel's labels in declaration order; its radio buttons and
  // buttons are no labels.
  const QStringList lines = log.toPlainText().split('\n');
  const qsizetype title = lines.indexOf("Factory");
  ASSERT_GE(title, 0);
  EXPECT_EQ(lines.mid(title, 5), (QStringList{"Factory", "Grid Lock", "Save:", "??", "Repair:"}));
  EXPECT_FALSE(lines.contains("Energy && Runtime"));
  EXPECT_FALSE(lines.contains("Click"));
}
