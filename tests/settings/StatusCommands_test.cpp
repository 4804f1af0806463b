#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <vector>

#include "app/main.h"
#include "link/Executor.h"
#include "link/Modbus.h"
#include "link/PollingLoop.h"
#include "monitor/StatusView.h"
#include "platform/ValueLabel.h"
#include "settings/SettingEditors.h"
#include "settings/StatusCommands.h"
#include "support/PollFixture.h"
#include "support/SettingsFixture.h"

using polltest::Checked;
using polltest::Colour;
using polltest::ControlAs;
using polltest::Rtu;
using polltest::Text;
using settingstest::ReadHolding;
using settingstest::WriteHolding;

namespace {

QString WriteTo(int id, int reg, int value) {
  return Rtu({id, 6, (reg - 1) >> 8, (reg - 1) & 0xFF, (value >> 8) & 0xFF, value & 0xFF});
}
QString ReadScale(int id) { return Rtu({id, 4, 0xA0, 0x1A, 0, 9}); }

struct StatusCommands : polltest::ViewTest {
  std::vector<int> pauses;

  void SetUp() override {
    SetEditorSleep([this](int ms) { pauses.push_back(ms); });
    for (const char* panel : {"Group_Status", "Group_DryContact", "Group_DryContactTest", "Group_NightMode",
                              "Group_OutputPower", "Group_ErrorEvent", "Group_Version", "Group_AntiPid",
                              "Group_AcTerminal"})
      t.ShowPanel(panel);
    // The relay view fills these labels; stand in for it when it is not built.
    for (const char* name : {"Label_MultiRelay1", "Label_PowerPro1"})
      if (!w.Ctl<ValueLabel>(name)) {
        auto* l = new ValueLabel(&w);
        l->setObjectName(name);
        w.RegisterControl(l);
      }
    w.IsSuperUser = 1;
    w.PowerMul = 10;
    t.sim.SetHolding(1, 52738, 4);
    t.sim.SetHolding(1, 797, 5);
    SavedRelayMode.reset();
  }
  void TearDown() override { SetEditorSleep(nullptr); }

  void ListInverters(std::initializer_list<int> ids) {
    w.InverterList.Count = 0;
    for (int id : ids) {
      if (id != 1) t.sim.AddSlave(id);
      w.InverterList.Ids[w.InverterList.Count] = id;
      w.InverterList.BaudIndex[w.InverterList.Count++] = 1;
      w.Link.IdBaudIndex[id] = 1;
    }
  }
};

// A command that takes several frames: committed as the user would, then
// the executor's exact frame sequence.
struct SequenceCase {
  const char* control;
  const char* input;
  int code;
  std::vector<QString> frames;
  const char* label = nullptr;
  const char* label2 = nullptr;
};

void ExpectSequences(polltest::LinkedWindow& t, const std::vector<SequenceCase>& cases) {
  TForm_Main& w = t.w;
  for (const SequenceCase& c : cases) {
    const std::string what = std::string(c.control) + " " + (c.input ? c.input : "");
    w.Link.CmdCode = 0;
    for (const char* l : {c.label, c.label2})
      if (l) polltest::Paint(w, l, "x", clBlue);
    settingstest::Commit(w, c.control, c.input);
    ASSERT_EQ(w.Link.CmdCode, c.code) << what;
    for (const char* l : {c.label, c.label2})
      if (l) EXPECT_EQ(Colour(w, l), clRed) << what << " " << l;
    t.sim.ClearFrames();
    ASSERT_EQ(w.ExecutePendingCommand(), 0) << what;
    EXPECT_EQ(t.Frames(), c.frames) << what;
    w.Link.CmdCode = 0;
  }
}

std::vector<QString> SerialFrames() {
  return {WriteHolding(0x6100, 0x4142), WriteHolding(0x6101, 0x4344), WriteHolding(0x6102, 0x4546),
          WriteHolding(0x6103, 0x4748), WriteHolding(0x6104, 0x494A), WriteHolding(0x6105, 0x4B4C),
          WriteHolding(0x6106, 0x4D00), WriteHolding(0x6059, 0x5A01)};
}

}  // namespace

TEST(StatusCommandsPollOrder, DryContactAndNightModeAtTheirPlaces) {
  const auto rows = PollOrder();
  auto at = [&](PollItem item) -> size_t {
    for (size_t i = 0; i < rows.size(); ++i)
      if (rows[i].item == item) return i;
    return rows.size();
  };
  const size_t dry = at(PollDryContact), night = at(PollNightMode);
  ASSERT_LT(dry, rows.size());
  ASSERT_LT(night, rows.size());
  EXPECT_EQ(rows[dry].order, 67);
  EXPECT_EQ(rows[night].order, 70);
  for (size_t i : {dry, night}) {
    EXPECT_LT(rows[i - 1].order, rows[i].order);
    EXPECT_GT(rows[i + 1].order, rows[i].order);
  }
}

TEST_F(StatusCommands, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(
      t, {{PollDryContact, "Group_DryContact"}, {PollNightMode, "Group_NightMode"}});
}

TEST_F(StatusCommands, ControlsAsDeclared) {
  EXPECT_EQ(Text(w, "Label_DryContact1_Mode"), "??");
  EXPECT_EQ(Text(w, "Label_DryContact2_Mode"), "??");
  for (const char* name : {"Combo_DryContact1_Mode", "Combo_DryContact2_Mode"}) {
    auto& combo = ControlAs<QComboBox>(w, name);
    EXPECT_TRUE(combo.isEditable()) << name;
    ASSERT_EQ(combo.count(), 8) << name;
    EXPECT_EQ(combo.itemText(3), "Insulation");
    EXPECT_EQ(combo.itemText(7), "Warning");
  }
  EXPECT_EQ(ControlAs<QRadioButton>(w, "Radio_NightModeON").text(), "Enable");
  EXPECT_EQ(ControlAs<QRadioButton>(w, "Radio_NightModeOFF").text(), "Disable");
  EXPECT_TRUE(ControlAs<QPushButton>(w, "Btn_DryContactTest3PON").isEnabled());
  EXPECT_FALSE(ControlAs<QPushButton>(w, "Btn_DryContactTest3POFF").isEnabled());
  EXPECT_TRUE(Text(w, "Label_DryContactTestNote")
                  .endsWith("Once \u201COFF\u201D the Dry Contact Test, the \ncountry may return to default, so "
                            "please \nselect your country option manually. "));
  EXPECT_EQ(ControlAs<QPushButton>(w, "Btn_ClearLog").text(), "Clear Log");
  EXPECT_EQ(ControlAs<QPushButton>(w, "Btn_ClearLog").parentWidget(), w.Panel("Group_ErrorEvent"));
}

// Only the low three bits choose the text: 0x000B is 3, 8 is 0.
TEST_F(StatusCommands, DryContactReadBack) {
  t.sim.SetHoldingBlock(1, 48173, {0x000B, 8});
  polltest::Paint(w, "Label_DryContact1_Mode", "red", clRed);
  ASSERT_EQ(PollDryContact(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{ReadHolding(48173, 2)});
  EXPECT_EQ(w.StatusText(2), "Dry Cont...");
  EXPECT_EQ(Text(w, "Label_DryContact1_Mode"), "Insulation");
  EXPECT_EQ(Text(w, "Label_DryContact2_Mode"), "Disable");
  EXPECT_EQ(Colour(w, "Label_DryContact1_Mode"), clBlue);
  EXPECT_EQ(Colour(w, "Label_DryContact2_Mode"), clBlue);

  polltest::Paint(w, "Label_DryContact2_Mode", "red", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollDryContact(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_DryContact2_Mode"), "red");
  EXPECT_EQ(Colour(w, "Label_DryContact2_Mode"), clRed);
}

// The view tests the flag the editors write (0x0040), not bit 0.
TEST_F(StatusCommands, NightModeReadBackTestsTheWrittenFlag) {
  const struct {
    uint16_t word;
    bool on;
  } cases[] = {{0x0040, true}, {0x8040, true}, {0x0042, true}, {0x0000, false}, {0x0001, false}, {0x8002, false}};
  for (const auto& c : cases) {
    t.sim.SetHolding(1, 48158, c.word);
    t.sim.ClearFrames();
    ASSERT_EQ(PollNightMode(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), std::vector<QString>{ReadHolding(48158, 1)});
    EXPECT_EQ(Checked(w, "Radio_NightModeON"), c.on) << c.word;
    EXPECT_EQ(Checked(w, "Radio_NightModeOFF"), !c.on) << c.word;
  }
  EXPECT_EQ(w.StatusText(2), "Night M...");
}

// Every single-write editor: control, input, register, value, red label.
TEST_F(StatusCommands, EveryEditorWritesItsRegister) {
  ControlAs<QAbstractButton>(w, "Check_ConstVolt").setChecked(true);  // the user switches it off
  settingstest::ExpectEditorWrites(t, {
      {"Radio_RemoteON", nullptr, 24576, 0xFF00, nullptr, 5},
      {"Radio_RemoteOFF", nullptr, 24576, 0, nullptr, 5},
      {"Check_ConstVolt", nullptr, 825, 0xFFFF, nullptr},
      {"Edit_ConstVolt", "230.5", 829, 2305, "Label_ConstVolt"},
      {"Edit_MaxPower", "5000", 33595, 500, "Label_MaxPower"},  // PowerMul 10
      {"Edit_MaxPower", "5009", 33595, 500, "Label_MaxPower"},
      {"Edit_MaxPower", "100000", 33595, 10000, "Label_MaxPower"},
      {"Edit_MaxPower", "655350", 33595, 65535, "Label_MaxPower"},
      {"Edit_MaxPower", "0", 33595, 0, "Label_MaxPower"},
      {"Btn_ClearLog", nullptr, 24624, 0xFF00, nullptr, 5},
      {"Edit_AntiPidTripTime", "300", 25419, 300, "Label_AntiPidTripTime"},
      {"Radio_3P4W", nullptr, 24649, 0, nullptr, 5},
      {"Radio_3P3W", nullptr, 24649, 0xFF00, nullptr, 5},
      {"Combo_DryContact1_Mode", "Insulation", 48173, 3, "Label_DryContact1_Mode"},
      {"Combo_DryContact1_Mode", "Disable", 48173, 0, "Label_DryContact1_Mode"},
      {"Combo_DryContact2_Mode", "Warning", 48174, 7, "Label_DryContact2_Mode"},
      {"Radio_NightModeON", nullptr, 48158, 0x8040, nullptr},
      {"Radio_NightModeON", nullptr, 48158, 0x8040, nullptr},  // already on: posted again
      {"Radio_NightModeOFF", nullptr, 48158, 0x0040, nullptr},
  });
  EXPECT_EQ(pauses, (std::vector<int>{500, 500}));  // after each remote radio only
  EXPECT_TRUE(t.dialogs.prompts.empty());           // SuperUser: no code asked
  EXPECT_TRUE(t.dialogs.messages.isEmpty());
}

// The editors whose command takes several frames, with their exact sequences.
TEST_F(StatusCommands, MultiFrameCommands) {
  const std::vector<QString> serial = SerialFrames();
  ExpectSequences(t, {
      {"Check_ConstVolt", nullptr, 10, {WriteHolding(824, 0), WriteHolding(825, 1024)}},
      {"Btn_Unlock", nullptr, 166, {WriteHolding(25411, 1), WriteHolding(48384, 1)}},
      {"Edit_LifeEnergy", "100.5", 300, {WriteHolding(44224, 1005), WriteHolding(44225, 0)}, "Label_TotalWh"},
      {"Edit_LifeEnergy", "12345.6", 300, {WriteHolding(44224, 0xE240), WriteHolding(44225, 1)}, "Label_TotalWh"},
      {"Edit_LifeEnergy", "6553.6", 300, {WriteHolding(44224, 0), WriteHolding(44225, 1)}, "Label_TotalWh"},
      {"Edit_LifeEnergy", "429496729.5", 300, {WriteHolding(44224, 0xFFFF), WriteHolding(44225, 0xFFFF)},
       "Label_TotalWh"},
      {"Edit_KeySN", "ABCDEFGHIJKLM", 311, serial, "Label_TarvoSN"},
      {"Edit_KeySN", "ABCDEFGHIJKLMNOPQRST", 311, serial, "Label_TarvoSN"},
      {"Btn_DryContactTest3PON", nullptr, 417,
       {ReadHolding(52738, 1), WriteHolding(52738, 2), WriteHolding(52742, 1)}, "Label_MultiRelay1",
       "Label_PowerPro1"},
      {"Btn_DryContactTest3POFF", nullptr, 418,
       {WriteHolding(52738, 4), WriteHolding(52742, 0), WriteHolding(797, 0)}, "Label_MultiRelay1",
       "Label_PowerPro1"},
  });
  EXPECT_EQ(t.sim.Holding(1, 44225), 0xFFFF);  // the high word as written last
  EXPECT_TRUE(t.dialogs.messages.isEmpty());
}

// The characters are those of the edit when Enter was pressed.
TEST_F(StatusCommands, SerialNumberTakenWhenPosted) {
  settingstest::Commit(w, "Edit_KeySN", "ABCDEFGHIJKLM");
  ASSERT_EQ(w.Link.CmdCode, 311);
  ControlAs<QLineEdit>(w, "Edit_KeySN").setText("ZZ");  // changed while the command waits
  t.sim.ClearFrames();
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.Frames(), SerialFrames());
}

TEST_F(StatusCommands, Refusals) {
  settingstest::ExpectRefused(t, {
      {"Edit_LifeEnergy", "-0.1", "Label_TotalWh"},
      {"Edit_LifeEnergy", "429496729.6", "Label_TotalWh"},
      {"Edit_LifeEnergy", "abc", "Label_TotalWh"},
      {"Edit_KeySN", "ABCDEFGHIJKL\u00C9", "Label_TarvoSN"},
      {"Edit_KeySN", "ABC\tEFGHIJKLM", "Label_TarvoSN"},
      {"Edit_MaxPower", "abc", "Label_MaxPower"},
      {"Edit_MaxPower", "700000", "Label_MaxPower"},  // 70000 does not fit a register
      {"Edit_MaxPower", "655351", "Label_MaxPower"},
      {"Edit_MaxPower", "-100", "Label_MaxPower"},  // would be 0xFFF6, some 655 kW
      {"Edit_ConstVolt", "", "Label_ConstVolt"},
      {"Edit_AntiPidTripTime", "70000", "Label_AntiPidTripTime"},
  });
  EXPECT_EQ(t.dialogs.messages[3], "The serial number takes printable ASCII characters only");
  // The power is typed in watts and the range is said in watts.
  for (int k : {6, 7, 8}) EXPECT_EQ(t.dialogs.messages[k], "Out of range: the power must lie from 0 to 655350 W");
}

// Fewer than 13 characters: nothing posted, nothing said.
TEST_F(StatusCommands, ShortSerialNumberDoesNothing) {
  polltest::Paint(w, "Label_TarvoSN", "x", clBlue);
  settingstest::Commit(w, "Edit_KeySN", "ABCDEFGHIJKL");
  EXPECT_EQ(w.Link.CmdCode, 0);
  EXPECT_EQ(Colour(w, "Label_TarvoSN"), clBlue);
  EXPECT_TRUE(t.dialogs.messages.isEmpty());
}

TEST_F(StatusCommands, MaxPowerAsksForTheAccessCode) {
  w.IsSuperUser = 0;
  w.AccessCode.clear();
  polltest::Paint(w, "Label_MaxPower", "x", clBlue);
  t.dialogs.answers = {"1234"};
  settingstest::Commit(w, "Edit_MaxPower", "5000");
  EXPECT_EQ(w.Link.CmdCode, 0);
  EXPECT_EQ(t.dialogs.messages, QStringList{"Password Error"});
  EXPECT_EQ(w.AccessCode, "1234");
  EXPECT_EQ(Colour(w, "Label_MaxPower"), clBlue);
  ASSERT_EQ(t.dialogs.prompts.size(), 1u);
  EXPECT_EQ(t.dialogs.prompts[0].caption, "Input Password Please");
  EXPECT_EQ(t.dialogs.prompts[0].prompt, "");
  EXPECT_EQ(t.dialogs.prompts[0].proposed, "Password");

  t.dialogs.answers = {"8164"};
  settingstest::Commit(w, "Edit_MaxPower", "5000");
  EXPECT_EQ(w.Link.CmdCode, 6);
  EXPECT_EQ(w.Link.CmdValue, 500);
  EXPECT_EQ(Colour(w, "Label_MaxPower"), clRed);
  // A valid code is kept: the next Enter asks nothing.
  settingstest::Commit(w, "Edit_MaxPower", "6000");
  EXPECT_EQ(w.Link.CmdValue, 600);
  EXPECT_EQ(t.dialogs.prompts.size(), 2u);
}

// To every listed inverter, each one's share by its own power factor. Every
// factor is read before the first write, so the watts reach every listed
// inverter or none, and a refusal names the watts that all of them take:
// inverter 1 (x 10) takes at most 655350 W, inverter 2 (x 100) 6553500 W.
TEST_F(StatusCommands, MaxPowerBroadcastWritesEveryInverterOrNone) {
  ListInverters({1, 2});
  t.sim.SetInput(1, 40995, 3 << 3);  // power x 10
  t.sim.SetInput(2, 40995, 4 << 3);  // power x 100
  input::MouseClick(&ControlAs<QRadioButton>(w, "Radio_CmdBroadcast"));
  ASSERT_TRUE(Checked(w, "Radio_CmdBroadcast"));
  const std::vector<QString> readsOnly = {ReadScale(1), ReadScale(2)};
  ExpectSequences(t, {
      {"Edit_MaxPower", "5000", 595,
       {ReadScale(1), ReadScale(2), WriteTo(1, 33595, 500), WriteTo(2, 33595, 50)}, "Label_MaxPower"},
      {"Edit_MaxPower", "655350", 595,
       {ReadScale(1), ReadScale(2), WriteTo(1, 33595, 65535), WriteTo(2, 33595, 6553)}, "Label_MaxPower"},
  });
  EXPECT_TRUE(t.dialogs.messages.isEmpty());

  for (const char* typed : {"655359", "700000", "-1", "99999999999999999999"}) {
    ExpectSequences(t, {{"Edit_MaxPower", typed, 595, readsOnly, "Label_MaxPower"}});
    ASSERT_FALSE(t.dialogs.messages.isEmpty()) << typed;
    EXPECT_EQ(t.dialogs.messages.last(), "Out of range: the power must lie from 0 to 655350 W") << typed;
  }
  EXPECT_EQ(t.sim.Holding(1, 33595), 65535);
  EXPECT_EQ(t.sim.Holding(2, 33595), 6553);

  settingstest::ExpectRefused(t, {{"Edit_MaxPower", "abc", "Label_MaxPower"}});
}

// ON then OFF: the buttons trade places, relay 1 gets its mode back and the
// grid code is 0.
TEST_F(StatusCommands, DryContactTestOnThenOff) {
  auto& on = ControlAs<QPushButton>(w, "Btn_DryContactTest3PON");
  auto& off = ControlAs<QPushButton>(w, "Btn_DryContactTest3POFF");
  settingstest::Commit(w, "Btn_DryContactTest3POFF");  // disabled: nothing
  EXPECT_EQ(w.Link.CmdCode, 0);
  settingstest::Commit(w, "Btn_DryContactTest3PON");
  EXPECT_FALSE(on.isEnabled());
  EXPECT_TRUE(off.isEnabled());
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.sim.Holding(1, 52738), 2);
  EXPECT_EQ(t.sim.Holding(1, 52742), 1);
  settingstest::Commit(w, "Btn_DryContactTest3POFF");
  EXPECT_TRUE(on.isEnabled());
  EXPECT_FALSE(off.isEnabled());
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.sim.Holding(1, 52738), 4);
  EXPECT_EQ(t.sim.Holding(1, 52742), 0);
  EXPECT_EQ(t.sim.Holding(1, 797), 0);
}

// ON whose read of relay 1's mode gets no usable reply: nothing is switched,
// the buttons are as before the click (OFF cannot post 418 and clear a relay
// mode of 5), and the user is told why.
TEST_F(StatusCommands, DryContactTestWhoseModeCannotBeReadSwitchesNothing) {
  auto& on = ControlAs<QPushButton>(w, "Btn_DryContactTest3PON");
  auto& off = ControlAs<QPushButton>(w, "Btn_DryContactTest3POFF");
  t.sim.SetHolding(1, 52738, 5);
  settingstest::Commit(w, "Btn_DryContactTest3PON");
  t.sim.QueueFault(sim::ReplyFault::Silent());
  t.sim.ClearFrames();
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{ReadHolding(52738, 1)});
  EXPECT_TRUE(on.isEnabled());
  EXPECT_FALSE(off.isEnabled());
  EXPECT_EQ(t.dialogs.messages, QStringList{"Dry Contact Test not started: relay 1's mode could not be read"});
  w.Link.CmdCode = 0;
  settingstest::Commit(w, "Btn_DryContactTest3POFF");
  EXPECT_EQ(w.Link.CmdCode, 0);
  EXPECT_EQ(t.sim.Holding(1, 52738), 5);
  EXPECT_EQ(t.sim.Holding(1, 52742), 0);
}

// The mode combos take typed text: a text that names an item posts it, any
// other text nothing (and is no new item).
TEST_F(StatusCommands, DryContactModeTyped) {
  auto& combo = ControlAs<QComboBox>(w, "Combo_DryContact1_Mode");
  ASSERT_NE(combo.lineEdit(), nullptr);
  combo.lineEdit()->setText("Fault");
  input::KeyClick(combo.lineEdit(), Qt::Key_Return);
  EXPECT_EQ(w.Link.CmdCode, 6);
  EXPECT_EQ(w.Link.CmdRegister, 48173);
  EXPECT_EQ(w.Link.CmdValue, 6);
  w.Link.CmdCode = 0;
  combo.lineEdit()->setText("Relay");
  input::KeyClick(combo.lineEdit(), Qt::Key_Return);
  EXPECT_EQ(w.Link.CmdCode, 0);
  EXPECT_EQ(combo.count(), 8);
}

TEST_F(StatusCommands, WrittenThenReadBackBlue) {
  t.sim.SetHoldingBlock(1, 48173, {1, 1});
  ASSERT_EQ(PollDryContact(&w.Link, 0), 0);
  settingstest::Commit(w, "Combo_DryContact2_Mode", "Alarm");
  EXPECT_EQ(Colour(w, "Label_DryContact2_Mode"), clRed);
  EXPECT_EQ(Text(w, "Label_DryContact2_Mode"), "On Grid");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;  // as the loop empties the mailbox
  ASSERT_EQ(PollDryContact(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_DryContact2_Mode"), "Alarm");
  EXPECT_EQ(Colour(w, "Label_DryContact2_Mode"), clBlue);
}

// The status view shows the register times the power factor: the typed
// watts again once the inverter took them.
TEST_F(StatusCommands, MaxPowerReadBackShowsTheTypedWatts) {
  settingstest::Commit(w, "Edit_MaxPower", "5000");
  EXPECT_EQ(Colour(w, "Label_MaxPower"), clRed);
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  ASSERT_EQ(PollStatus(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_MaxPower"), "5,000 W");
  EXPECT_EQ(Colour(w, "Label_MaxPower"), clBlue);
}
