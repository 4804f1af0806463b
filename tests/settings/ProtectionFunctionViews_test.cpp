#include <gtest/gtest.h>

#include <QComboBox>
#include <QRadioButton>
#include <vector>

#include "app/GroupPanel.h"
#include "app/main.h"
#include "link/Modbus.h"
#include "link/PollingLoop.h"
#include "platform/ValueLabel.h"
#include "settings/ProtectionFunctionViews.h"
#include "support/PollFixture.h"
#include "support/SettingsFixture.h"

using polltest::Checked;
using polltest::Colour;
using polltest::ReadFrame;
using polltest::Text;
using settingstest::ReadCoil;
using settingstest::ReadHolding;
using settingstest::WriteHolding;

namespace {

constexpr const char* kPanels[] = {"Group_Insulation", "Group_GroundCurr", "Group_DcInj",    "Group_CommProtection",
                                   "Group_EPO",        "Group_Islanding",  "Group_AntiIsland", "Group_ARCTest"};

struct ProtectionFunctions : polltest::ViewTest {
  std::vector<int> pauses;           // the arc radios' pauses, in ms
  std::vector<int> pendingAtPause;   // the mailbox's code when each pause began

  void SetUp() override {
    for (const char* p : kPanels) t.ShowPanel(p);
    SetEditorSleep([this](int ms) {
      pauses.push_back(ms);
      pendingAtPause.push_back(w.Link.CmdCode);
    });
    t.sim.SetCoil(1, 24641, true);
    polltest::SetInputs(t.sim, 53288, {1200, 0, 0, 0, 1350});
    polltest::SetInputs(t.sim, 1131, {980});
    t.sim.SetHolding(1, 33584, 500);
    t.sim.SetCoil(1, 24642, false);
    t.sim.SetHoldingBlock(1, 33593, {300, 25});
    t.sim.SetCoil(1, 24640, true);
    t.sim.SetHoldingBlock(1, 33576, {35, 12});
    t.sim.SetHoldingBlock(1, 25412, {0x0101, 30});
    t.sim.SetHoldingBlock(1, 33603, {2, 0});
    t.sim.SetHolding(1, 33580, 0xFFFF);
    t.sim.SetHolding(1, 33648, 3);
    t.sim.SetCoil(1, 24652, true);
    t.sim.SetHolding(1, 48384, 1);
  }
  void TearDown() override { SetEditorSleep(nullptr); }
};

TEST(ProtectionFunctionPollOrder, EachViewAtItsPlace) {
  struct Place {
    PollItem item;
    int order;
  };
  const auto rows = PollOrder();
  for (const Place& p : {Place{PollIslanding, 35}, Place{PollAntiIsland, 36}, Place{PollARCTest, 37},
                         Place{PollEPO, 43}, Place{PollInsulation, 45}, Place{PollGroundCurr, 46},
                         Place{PollDcInj, 47}, Place{PollCommProtection, 90}}) {
    size_t i = 0;
    while (i < rows.size() && rows[i].item != p.item) ++i;
    ASSERT_LT(i, rows.size()) << p.order;
    EXPECT_EQ(rows[i].order, p.order);
    if (i > 0) EXPECT_LT(rows[i - 1].order, p.order);
    if (i + 1 < rows.size()) EXPECT_GT(rows[i + 1].order, p.order);
  }
}

TEST_F(ProtectionFunctions, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(
      t, {{PollInsulation, "Group_Insulation"}, {PollGroundCurr, "Group_GroundCurr"}, {PollDcInj, "Group_DcInj"},
          {PollCommProtection, "Group_CommProtection"}, {PollEPO, "Group_EPO"},
          {PollIslanding, "Group_Islanding"}, {PollAntiIsland, "Group_AntiIsland"}, {PollARCTest, "Group_ARCTest"}});
}

TEST_F(ProtectionFunctions, ControlsAsDeclared) {
  for (const char* label : {"Label_String1Ravg", "Label_String2Ravg", "Label_RLimit", "Label_GroundCurrAmp",
                            "Label_DcInjTime", "Label_CommProDisTime", "Label_EPO1_Mode", "Label_IslandingMode",
                            "Label_AntiIslandMode", "Label_ARC_FaultStatus"})
    EXPECT_EQ(Text(w, label), "???") << label;
  EXPECT_EQ(Text(w, "Label463"), "Mode (Japan)");
  auto& epo = polltest::ControlAs<QComboBox>(w, "Combo_EPO2_Mode");
  ASSERT_EQ(epo.count(), 2);
  EXPECT_EQ(epo.itemText(0), "Normal Close");
  EXPECT_EQ(epo.itemText(1), "Normal Open");
  EXPECT_FALSE(epo.isEditable());
  EXPECT_EQ(polltest::ControlAs<QAbstractButton>(w, "Btn_ARC_SelfTest").text(), "Self-Test");
  // Every control lies inside its panel, below the title bar.
  for (const char* p : kPanels) {
    GroupPanel* panel = w.Panel(p);
    for (QWidget* c : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (c == panel->TitleLabel()) continue;
      EXPECT_GE(c->y(), 30) << c->objectName().toStdString();
      EXPECT_LE(c->geometry().right(), panel->width()) << c->objectName().toStdString();
      EXPECT_LE(c->geometry().bottom(), panel->property("Tag").toInt()) << c->objectName().toStdString();
    }
  }
}

// The profile decides which insulation reading the inverter offers.
TEST_F(ProtectionFunctions, InsulationReadBackByInverterState) {
  polltest::Paint(w, "Label_String1Ravg", "s1", clRed);
  polltest::Paint(w, "Label_String2Ravg", "s2", clRed);
  polltest::Paint(w, "Label_RLimit", "r", clRed);

  w.InverterState = 2;  // the coil and the limit only
  ASSERT_EQ(PollInsulation(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadCoil(24641), ReadHolding(33584, 1)}));
  EXPECT_EQ(w.StatusText(2), "Insulation...");
  EXPECT_EQ(Text(w, "Label_String1Ravg"), "s1");
  EXPECT_EQ(Text(w, "Label_String2Ravg"), "s2");
  EXPECT_TRUE(Checked(w, "Radio_InsulatON"));
  EXPECT_EQ(Text(w, "Label_RLimit"), "500");
  EXPECT_EQ(Colour(w, "Label_RLimit"), clBlue);

  w.InverterState = 0;  // both strings
  t.sim.ClearFrames();
  t.sim.SetCoil(1, 24641, false);
  ASSERT_EQ(PollInsulation(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadCoil(24641), ReadFrame(53288, 5), ReadHolding(33584, 1)}));
  EXPECT_TRUE(Checked(w, "Radio_InsulatOFF"));
  EXPECT_EQ(Text(w, "Label_String1Ravg"), "1200");
  EXPECT_EQ(Text(w, "Label_String2Ravg"), "1350");
  // The string readings are never painted.
  EXPECT_EQ(Colour(w, "Label_String1Ravg"), clRed);
  EXPECT_EQ(Colour(w, "Label_String2Ravg"), clRed);

  w.InverterState = 1;  // every pass asks for the single reading first
  for (int pass = 0; pass < 2; ++pass) {
    t.sim.ClearFrames();
    ASSERT_EQ(PollInsulation(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadCoil(24641), WriteHolding(832, 9852), ReadFrame(1131, 1),
                                                ReadHolding(33584, 1)}));
  }
  EXPECT_EQ(t.sim.Holding(1, 832), 9852);
  EXPECT_EQ(Text(w, "Label_String1Ravg"), "980");
  EXPECT_EQ(Text(w, "Label_String2Ravg"), "");
  EXPECT_EQ(Colour(w, "Label_String1Ravg"), clRed);
}

TEST_F(ProtectionFunctions, InsulationLimitTurnsBlueWhateverTheReplies) {
  polltest::Paint(w, "Label_RLimit", "r", clRed);
  QRadioButton& off = polltest::ControlAs<QRadioButton>(w, "Radio_InsulatOFF");
  off.setChecked(true);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));  // coil
  t.sim.QueueFault(sim::ReplyFault::Exception(2));  // strings
  t.sim.QueueFault(sim::ReplyFault::Exception(2));  // limit
  ASSERT_EQ(PollInsulation(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames().size(), 3u);
  EXPECT_TRUE(off.isChecked());
  EXPECT_EQ(Text(w, "Label_RLimit"), "r");
  EXPECT_EQ(Colour(w, "Label_RLimit"), clBlue);
  EXPECT_EQ(Text(w, "Label_String1Ravg"), "???");
}

TEST_F(ProtectionFunctions, GroundCurrentAndDcInjectionReadBack) {
  ASSERT_EQ(PollGroundCurr(&w.Link, 0), 0);
  ASSERT_EQ(PollDcInj(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadCoil(24642), ReadHolding(33593, 2), ReadCoil(24640),
                                              ReadHolding(33576, 2)}));
  EXPECT_EQ(w.StatusText(2), "Dc Inj...");
  EXPECT_TRUE(Checked(w, "Radio_GroundCurrOFF"));
  EXPECT_TRUE(Checked(w, "Radio_DcInjON"));
  // The ground-current limit has one decimal, the DC-injection limit two.
  EXPECT_EQ(Text(w, "Label_GroundCurrAmp"), "30.0 A");
  EXPECT_EQ(Text(w, "Label_GroundCurrTime"), "2.5 Sec");
  EXPECT_EQ(Text(w, "Label_DcInjAmp"), "0.35 A");
  EXPECT_EQ(Text(w, "Label_DcInjTime"), "1.2 Sec");
  for (const char* l : {"Label_GroundCurrAmp", "Label_GroundCurrTime", "Label_DcInjAmp", "Label_DcInjTime"})
    EXPECT_EQ(Colour(w, l), clBlue) << l;

  // An unusable limit reply leaves text and colour; the coil is still shown.
  polltest::Paint(w, "Label_GroundCurrAmp", "red", clRed);
  t.sim.SetCoil(1, 24642, true);
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollGroundCurr(&w.Link, 0), 0);
  EXPECT_TRUE(Checked(w, "Radio_GroundCurrON"));
  EXPECT_EQ(Text(w, "Label_GroundCurrAmp"), "red");
  EXPECT_EQ(Colour(w, "Label_GroundCurrAmp"), clRed);
}

TEST_F(ProtectionFunctions, CommProtectionTestsTheLowByteOnly) {
  struct Case {
    uint16_t mode;
    const char* checked;
  };
  for (const Case& c : {Case{0x0101, "Radio_CommProtectionON"}, Case{0x0100, "Radio_CommProtectionOFF"},
                        Case{1, "Radio_CommProtectionON"}, Case{2, "Radio_CommProtectionOFF"}}) {
    t.sim.SetHolding(1, 25412, c.mode);
    t.sim.ClearFrames();
    ASSERT_EQ(PollCommProtection(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), std::vector<QString>{ReadHolding(25412, 2)});
    EXPECT_TRUE(Checked(w, c.checked)) << c.mode;
  }
  EXPECT_EQ(w.StatusText(2), "Comm Prot...");
  EXPECT_EQ(Text(w, "Label_CommProDisTime"), "30 Sec");
  EXPECT_EQ(Colour(w, "Label_CommProDisTime"), clBlue);

  // The time turns blue even when the reply was unusable.
  polltest::Paint(w, "Label_CommProDisTime", "red", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollCommProtection(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_CommProDisTime"), "red");
  EXPECT_EQ(Colour(w, "Label_CommProDisTime"), clBlue);
}

TEST_F(ProtectionFunctions, EpoModes) {
  ASSERT_EQ(PollEPO(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{ReadHolding(33603, 2)});
  EXPECT_EQ(w.StatusText(2), "EPO...");
  EXPECT_EQ(Text(w, "Label_EPO1_Mode"), "Normal Open");  // any code but 0
  EXPECT_EQ(Text(w, "Label_EPO2_Mode"), "Normal Close");
  EXPECT_EQ(Colour(w, "Label_EPO1_Mode"), clBlue);
  EXPECT_EQ(Colour(w, "Label_EPO2_Mode"), clBlue);

  polltest::Paint(w, "Label_EPO1_Mode", "red", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollEPO(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_EPO1_Mode"), "red");
  EXPECT_EQ(Colour(w, "Label_EPO1_Mode"), clRed);
}

// A code outside the list keeps the text, and the label still turns blue.
TEST_F(ProtectionFunctions, IslandingAndAntiIslandingModes) {
  struct Case {
    PollItem item;
    int reg;
    uint16_t word;
    const char* label;
    const char* text;
    const char* status;
  };
  for (const Case& c : {Case{PollIslanding, 33580, 0xFFFF, "Label_IslandingMode", "ON", "Islanding..."},
                        Case{PollIslanding, 33580, 0, "Label_IslandingMode", "OFF", "Islanding..."},
                        Case{PollIslanding, 33580, 1, "Label_IslandingMode", "kept", "Islanding..."},
                        Case{PollIslanding, 33580, 3, "Label_IslandingMode", "kept", "Islanding..."},
                        Case{PollAntiIsland, 33648, 3, "Label_AntiIslandMode", "ON", "Anti-Islanding..."},
                        Case{PollAntiIsland, 33648, 0, "Label_AntiIslandMode", "OFF", "Anti-Islanding..."},
                        Case{PollAntiIsland, 33648, 0xFFFF, "Label_AntiIslandMode", "kept", "Anti-Islanding..."},
                        Case{PollAntiIsland, 33648, 1, "Label_AntiIslandMode", "kept", "Anti-Islanding..."}}) {
    polltest::Paint(w, c.label, "kept", clRed);
    t.sim.SetHolding(1, c.reg, c.word);
    t.sim.ClearFrames();
    ASSERT_EQ(c.item(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), std::vector<QString>{ReadHolding(c.reg, 1)});
    EXPECT_EQ(w.StatusText(2), c.status);
    EXPECT_EQ(Text(w, c.label), c.text) << c.reg << " " << c.word;
    EXPECT_EQ(Colour(w, c.label), clBlue) << c.reg << " " << c.word;
  }
  // No usable reply: neither text nor colour changes.
  for (const char* label : {"Label_IslandingMode", "Label_AntiIslandMode"}) polltest::Paint(w, label, "r", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollIslanding(&w.Link, 0), 0);
  ASSERT_EQ(PollAntiIsland(&w.Link, 0), 0);
  for (const char* label : {"Label_IslandingMode", "Label_AntiIslandMode"}) {
    EXPECT_EQ(Text(w, label), "r");
    EXPECT_EQ(Colour(w, label), clRed);
  }
}

// The coil says detection is off; the fault state never changes colour.
TEST_F(ProtectionFunctions, ArcDetectionAndFaultState) {
  polltest::Paint(w, "Label_ARC_FaultStatus", "???", clRed);
  ASSERT_EQ(PollARCTest(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadCoil(24652), ReadHolding(48384, 1)}));
  EXPECT_EQ(w.StatusText(2), "ARC...");
  EXPECT_TRUE(Checked(w, "Radio_ARC_Disable"));
  EXPECT_EQ(Text(w, "Label_ARC_FaultStatus"), "Lock");
  EXPECT_EQ(Colour(w, "Label_ARC_FaultStatus"), clRed);

  t.sim.SetCoil(1, 24652, false);
  t.sim.SetHolding(1, 48384, 0);
  ASSERT_EQ(PollARCTest(&w.Link, 0), 0);
  EXPECT_TRUE(Checked(w, "Radio_ARC_Enable"));
  EXPECT_EQ(Text(w, "Label_ARC_FaultStatus"), "Normal");

  t.sim.SetHolding(1, 48384, 2);
  ASSERT_EQ(PollARCTest(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_ARC_FaultStatus"), "Normal");
  EXPECT_EQ(Colour(w, "Label_ARC_FaultStatus"), clRed);
}

// Every editor of the eight groups: the input, the coil or register and the
// value written, the label painted red.
TEST_F(ProtectionFunctions, EveryEditorWritesItsRegister) {
  settingstest::ExpectEditorWrites(t, {
      {"Radio_InsulatON", nullptr, 24641, 0xFF00, nullptr, 5},
      {"Radio_InsulatOFF", nullptr, 24641, 0, nullptr, 5},
      {"Edit_RLimit", "500", 33584, 500, "Label_RLimit"},
      {"Edit_RLimit", "0x200", 33584, 0x200, "Label_RLimit"},
      {"Radio_GroundCurrON", nullptr, 24642, 0xFF00, nullptr, 5},
      {"Radio_GroundCurrOFF", nullptr, 24642, 0, nullptr, 5},
      {"Edit_GroundCurrAmp", "0.35", 33593, 3, "Label_GroundCurrAmp"},
      {"Edit_GroundCurrAmp", "30", 33593, 300, "Label_GroundCurrAmp"},
      {"Edit_GroundCurrTime", "0.29", 33594, 2, "Label_GroundCurrTime"},
      {"Edit_GroundCurrTime", "2.5", 33594, 25, "Label_GroundCurrTime"},
      {"Radio_DcInjON", nullptr, 24640, 0xFF00, nullptr, 5},
      {"Radio_DcInjOFF", nullptr, 24640, 0, nullptr, 5},
      {"Edit_DcInjAmp", "0.35", 33576, 35, "Label_DcInjAmp"},
      {"Edit_DcInjAmp", "0.29", 33576, 29, "Label_DcInjAmp"},
      {"Edit_DcInjTime", "1.2", 33577, 12, "Label_DcInjTime"},
      {"Radio_CommProtectionON", nullptr, 25412, 1, nullptr},
      {"Radio_CommProtectionOFF", nullptr, 25412, 0, nullptr},
      {"Edit_CommProDisTime", "30", 25413, 30, "Label_CommProDisTime"},
      {"Combo_EPO1_Mode", "Normal Open", 33603, 1, "Label_EPO1_Mode"},
      {"Combo_EPO1_Mode", "Normal Close", 33603, 0, "Label_EPO1_Mode"},
      {"Combo_EPO2_Mode", "Normal Open", 33604, 1, "Label_EPO2_Mode"},
      {"Combo_IslandingMode", "ON", 33580, 0xFFFF, "Label_IslandingMode"},
      {"Combo_IslandingMode", "OFF", 33580, 0, "Label_IslandingMode"},
      {"Combo_AntiIslandMode", "ON", 33648, 3, "Label_AntiIslandMode"},
      {"Combo_AntiIslandMode", "OFF", 33648, 0, "Label_AntiIslandMode"},
      {"Radio_ARC_Enable", nullptr, 24652, 0, nullptr, 5},
      {"Radio_ARC_Disable", nullptr, 24652, 0xFF00, nullptr, 5},
      {"Btn_ARC_Unlock", nullptr, 48384, 1, nullptr},
      {"Btn_ARC_SelfTest", nullptr, 24675, 0xFF00, nullptr, 5},
  });
}

// A typo is no limit of 0: refused with a message, nothing posted.
TEST_F(ProtectionFunctions, TextThatIsNoNumberIsRefused) {
  settingstest::ExpectRefused(t, {{"Edit_RLimit", "abc", "Label_RLimit"},
                                  {"Edit_RLimit", "2.5", "Label_RLimit"},
                                  {"Edit_GroundCurrAmp", "", "Label_GroundCurrAmp"},
                                  {"Edit_DcInjAmp", "0.35A", "Label_DcInjAmp"},
                                  {"Edit_DcInjTime", "abc", "Label_DcInjTime"},
                                  {"Edit_CommProDisTime", "30s", "Label_CommProDisTime"}});
}

// The arc radios freeze the window for 500 ms after posting, before the
// executor runs; no other editor pauses.
TEST_F(ProtectionFunctions, ArcRadiosPauseAfterPosting) {
  settingstest::Commit(w, "Radio_ARC_Disable");
  EXPECT_EQ(w.Link.CmdRegister, 24652);
  EXPECT_EQ(pauses, std::vector<int>{500});
  EXPECT_EQ(pendingAtPause, std::vector<int>{5});
  EXPECT_TRUE(t.Frames().empty());

  w.Link.CmdCode = 0;
  settingstest::Commit(w, "Radio_ARC_Enable");
  EXPECT_EQ(pauses, (std::vector<int>{500, 500}));
  EXPECT_EQ(pendingAtPause, (std::vector<int>{5, 5}));

  w.Link.CmdCode = 0;
  for (const char* c : {"Btn_ARC_Unlock", "Btn_ARC_SelfTest", "Radio_InsulatON", "Radio_CommProtectionOFF"})
    settingstest::Commit(w, c);
  EXPECT_EQ(pauses.size(), 2u);
}

TEST_F(ProtectionFunctions, WrittenThenReadBackBlue) {
  ASSERT_EQ(PollDcInj(&w.Link, 0), 0);
  settingstest::Commit(w, "Edit_DcInjAmp", "0.5");
  EXPECT_EQ(Colour(w, "Label_DcInjAmp"), clRed);
  EXPECT_EQ(Text(w, "Label_DcInjAmp"), "0.35 A");

  // While the command waits no view reads.
  t.sim.ClearFrames();
  ASSERT_EQ(PollDcInj(&w.Link, 0), 0);
  EXPECT_TRUE(t.Frames().empty());

  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{WriteHolding(33576, 50)});
  w.Link.CmdCode = 0;  // as the loop empties the mailbox

  ASSERT_EQ(PollDcInj(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_DcInjAmp"), "0.50 A");
  EXPECT_EQ(Colour(w, "Label_DcInjAmp"), clBlue);

  // A coil the same way: the radio writes, the next pass checks it.
  settingstest::Commit(w, "Radio_DcInjOFF");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  EXPECT_FALSE(t.sim.Coil(1, 24640));
  QRadioButton& on = polltest::ControlAs<QRadioButton>(w, "Radio_DcInjON");
  on.setChecked(true);
  ASSERT_EQ(PollDcInj(&w.Link, 0), 0);
  EXPECT_TRUE(Checked(w, "Radio_DcInjOFF"));
}

}  // namespace
