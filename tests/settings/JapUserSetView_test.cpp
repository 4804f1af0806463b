#include <gtest/gtest.h>

#include <QComboBox>
#include <vector>

#include "app/main.h"
#include "link/Modbus.h"
#include "settings/JapanViews.h"
#include "support/PollFixture.h"
#include "support/SettingsFixture.h"

using polltest::Colour;
using polltest::Text;
using settingstest::ReadHolding;

namespace {

// Register 25344 upward: one code per row, chosen so each row shows a
// worked example.
const std::vector<uint16_t> kCodes = {5, 0, 1, 7, 0, 3, 3, 2, 1, 1, 5, 15, 0, 1, 22, 3, 15, 1, 100, 300, 2, 4, 1, 0};

struct Row {
  const char* label;  // current layout; the older one adds "_Old"
  const char* current;
  const char* older;  // nullptr: the row exists in the current layout only
};
constexpr Row kRows[] = {
    {"Label_JapOVR", "115 V", "115 V"},
    {"Label_JapUVR", "80 V", "80 V"},
    {"Label_JapVST", "1.0 sec", "1.0 sec"},
    {"Label_JapOFR60", "61.2 Hz", "61.3 Hz"},
    {"Label_JapUFR60", "57.0 Hz", "58.2 Hz"},
    {"Label_JapFST", "2.0 sec", "2.0 sec"},
    {"Label_JapRT", "300 sec", "300 sec"},
    {"Label_JapSuppVolt", "107.5 V", "107.5 V"},
    {"Label_JapIslandPass", "ON", "ON"},
    {"Label_JapSupLevel", "50 %", "50 %"},
    {"Label_JapOFR50", "51.0 Hz", "51.0 Hz"},
    {"Label_JapUFR50", "48.5 Hz", "50.0 Hz"},
    {"Label_JapRCMU", "OFF", "OFF"},
    {"Label_JapInOutDoor", "Out-door", "Out-door"},
    {"Label_JapConstPF", "Cap 0.99", "Cap 0.99"},
    {"Label_JapQU_PU", "105.0/108.0V", "Index3"},
    {"Label_JapQU_PF", "1.00", "1.00"},
    {"Label_JapPMM", "Rated", "Rated"},
    {"Label_JapAPP", "100 %", "100 %"},
    {"Label_JapAPS", "300", "300"},
    {"Label_JapActiveIslanding", "Gain C", nullptr},
    {"Label_JapRPRStandbyTime", "4800", nullptr},
    {"Label_JapGroundFault", "ON", nullptr},
    {"Label_JapanSetMainLoadCal", "OFF", nullptr},
    {"Label_JapIDsetting", "7", "7"},
};

QString Old(const char* label) { return QString::fromLatin1(label) + "_Old"; }

struct JapUserSet : polltest::ViewTest {
  void SetUp() override {
    t.ShowPanel("Group_JapUserSet");
    t.ShowPanel("Group_JapUserSet_Old");
    t.sim.SetHoldingBlock(1, 25344, kCodes);
    t.sim.SetHolding(1, 44040, 7);
  }
};

TEST_F(JapUserSet, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(
      t, {{PollJapUserSet, "Group_JapUserSet"}, {PollJapUserSetOld, "Group_JapUserSet_Old"}});
}

// The register map is named before the block is read: a read that fails on
// the link leaves it named all the same.
TEST_F(JapUserSet, MapNamedBeforeTheRead) {
  w.Ctl<ValueLabel>("Label_InvProtocol")->setText("SunSpec");
  t.w.Link.Port.Close();
  EXPECT_EQ(PollJapUserSet(&w.Link, 0), 1);
  EXPECT_EQ(Text(w, "Label_InvProtocol"), "Tarvo");
}

// Captions as the inverter's documentation names the settings; values "??"
// until read.
TEST_F(JapUserSet, ControlsAsDeclared) {
  EXPECT_EQ(Text(w, "Label_JapOVRCaption"), "系統過電圧 OVR");
  EXPECT_EQ(Text(w, "Label_JapQU_PUCaption"), "系統電圧上昇抑制(進相無効\n電力制御、有効電力制御)");
  EXPECT_EQ(Text(w, "Label716"), "主幹負荷計測");
  EXPECT_EQ(Text(w, "Label_JapConstPFCaption_Old"), "Constant power factor(OFF))");
  for (const Row& r : kRows) {
    EXPECT_EQ(Text(w, r.label), "??") << r.label;
    if (r.older) EXPECT_EQ(Text(w, Old(r.label)), "??") << r.label;
  }
  EXPECT_EQ(polltest::ControlAs<QComboBox>(w, "Combo_JapConstPF").count(), 22);
  EXPECT_EQ(polltest::ControlAs<QComboBox>(w, "Combo_JapConstPF_Old").count(), 42);
  EXPECT_EQ(polltest::ControlAs<QComboBox>(w, "Combo_JapUFR60").count(), 26);
  EXPECT_EQ(polltest::ControlAs<QComboBox>(w, "Combo_JapAPS_Old").itemText(0), "60");
}

TEST_F(JapUserSet, BothLayoutsReadTheSameBlockWithTheirOwnTexts) {
  ASSERT_EQ(PollJapUserSet(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(25344, 24), ReadHolding(44040, 1)}));
  EXPECT_EQ(w.StatusText(2), "Japan User...");
  EXPECT_EQ(Text(w, "Label_InvProtocol"), "Tarvo");
  t.sim.ClearFrames();
  ASSERT_EQ(PollJapUserSetOld(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(25344, 20), ReadHolding(44040, 1)}));
  for (const Row& r : kRows) {
    EXPECT_EQ(Text(w, r.label), r.current) << r.label;
    EXPECT_EQ(Colour(w, r.label), clBlue) << r.label;
    if (!r.older) continue;
    EXPECT_EQ(Text(w, Old(r.label)), r.older) << r.label;
    EXPECT_EQ(Colour(w, Old(r.label)), clBlue) << r.label;
  }
}

TEST_F(JapUserSet, CodesOutsideAndBesideTheirLists) {
  struct Case {
    int reg;
    uint16_t code;
    const char* label;
    const char* text;
  };
  for (const Case& c : {Case{25344, 11, "Label_JapOVR", "kept"}, Case{25352, 2, "Label_JapIslandPass", "OFF"},
                        Case{25356, 2, "Label_JapRCMU", "ON"}, Case{25358, 42, "Label_JapConstPF", "??"},
                        Case{25358, 1, "Label_JapConstPF", "Ind 0.8"}, Case{25358, 41, "Label_JapConstPF", "Cap 0.80"},
                        Case{25347, 0, "Label_JapOFR60", "60.5 Hz"}, Case{25353, 3, "Label_JapSupLevel", "0 %"},
                        Case{25364, 3, "Label_JapActiveIslanding", "kept"}}) {
    t.sim.SetHoldingBlock(1, 25344, kCodes);
    t.sim.SetHolding(1, c.reg, c.code);
    polltest::Paint(w, c.label, "kept", clRed);
    ASSERT_EQ(PollJapUserSet(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, c.label), c.text) << c.reg << " " << c.code;
    EXPECT_EQ(Colour(w, c.label), clBlue) << c.reg;
  }
}

// A missed reply changes no label and no colour; the register map's name
// is set all the same.
TEST_F(JapUserSet, UnusableRepliesPaintNothing) {
  w.Ctl<ValueLabel>("Label_InvProtocol")->setText("SunSpec");
  for (const Row& r : kRows) polltest::Paint(w, r.label, "red", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollJapUserSet(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames().size(), 1u);
  EXPECT_EQ(Text(w, "Label_InvProtocol"), "Tarvo");
  for (const Row& r : kRows) {
    EXPECT_EQ(Text(w, r.label), "red") << r.label;
    EXPECT_EQ(Colour(w, r.label), clRed) << r.label;
  }
  // Only the device ID missed: it stays red, the rest turn blue.
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollJapUserSet(&w.Link, 0), 0);
  EXPECT_EQ(Colour(w, "Label_JapOVR"), clBlue);
  EXPECT_EQ(Colour(w, "Label_JapIDsetting"), clRed);
  polltest::Paint(w, "Label_JapIDsetting_Old", "red", clRed);
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollJapUserSetOld(&w.Link, 0), 0);
  EXPECT_EQ(Colour(w, "Label_JapIDsetting_Old"), clRed);
}

// Every editor of both layouts: combos write their item index (the slope
// combos the number shown), the edits their number.
TEST_F(JapUserSet, EveryEditorWritesItsRegister) {
  settingstest::ExpectEditorWrites(t, {
      {"Combo_JapOVR", "115", 25344, 5, "Label_JapOVR"},
      {"Combo_JapUVR", "92", 25345, 12, "Label_JapUVR"},
      {"Combo_JapVST", "1.5", 25346, 2, "Label_JapVST"},
      {"Combo_JapOFR60", "60.6", 25347, 1, "Label_JapOFR60"},
      {"Combo_JapUFR60", "59.5", 25348, 25, "Label_JapUFR60"},
      {"Combo_JapFST", "0.5", 25349, 0, "Label_JapFST"},
      {"Combo_JapRT", "Set", 25350, 4, "Label_JapRT"},
      {"Combo_JapSuppVolt", "112", 25351, 11, "Label_JapSuppVolt"},
      {"Combo_JapIslandPass", "ON", 25352, 1, "Label_JapIslandPass"},
      {"Combo_JapSupLevel", "50", 25353, 1, "Label_JapSupLevel"},
      {"Combo_JapOFR50", "52", 25354, 15, "Label_JapOFR50"},
      {"Combo_JapUFR50", "47", 25355, 0, "Label_JapUFR50"},
      {"Combo_JapRCMU", "ON", 25356, 1, "Label_JapRCMU"},
      {"Combo_JapInOutDoor", "In-door", 25357, 0, "Label_JapInOutDoor"},
      {"Combo_JapConstPF", "1.00", 25358, 21, "Label_JapConstPF"},
      {"Combo_JapQU_PU", "105.0/108.0", 25359, 3, "Label_JapQU_PU"},
      {"Combo_JapQU_PF", "1.00", 25360, 15, "Label_JapQU_PF"},
      {"Combo_JapPMM", "Rated", 25361, 1, "Label_JapPMM"},
      {"Edit_JapAPP", "100", 25362, 100, "Label_JapAPP"},
      {"Edit_JapAPP", "0", 25362, 0, "Label_JapAPP"},
      {"Combo_JapAPS", "120", 25363, 120, "Label_JapAPS"},
      {"Combo_JapAPS", "0", 25363, 0, "Label_JapAPS"},
      {"Combo_JapActiveIslanding", "Gain A", 25364, 1, "Label_JapActiveIslanding"},
      {"Combo_JapRPRStandbyTime", "6000", 25365, 5, "Label_JapRPRStandbyTime"},
      {"Combo_JapGroundFault", "ON", 25366, 1, "Label_JapGroundFault"},
      {"Combo_JapanSetMainLoadCal", "OFF", 25367, 0, "Label_JapanSetMainLoadCal"},
      {"Edit_JapIDsetting", "32", 44040, 32, "Label_JapIDsetting"},
      {"Edit_JapIDsetting", "1", 44040, 1, "Label_JapIDsetting"},
      {"Combo_JapOVR_Old", "110", 25344, 0, "Label_JapOVR_Old"},
      {"Combo_JapUVR_Old", "81", 25345, 1, "Label_JapUVR_Old"},
      {"Combo_JapVST_Old", "2", 25346, 3, "Label_JapVST_Old"},
      {"Combo_JapOFR60_Old", "60.6", 25347, 0, "Label_JapOFR60_Old"},
      {"Combo_JapOFR60_Old", "61.8", 25347, 12, "Label_JapOFR60_Old"},
      {"Combo_JapUFR60_Old", "59.4", 25348, 12, "Label_JapUFR60_Old"},
      {"Combo_JapFST_Old", "1", 25349, 1, "Label_JapFST_Old"},
      {"Combo_JapRT_Old", "10", 25350, 0, "Label_JapRT_Old"},
      {"Combo_JapSuppVolt_Old", "OFF", 25351, 0, "Label_JapSuppVolt_Old"},
      {"Combo_JapIslandPass_Old", "OFF", 25352, 0, "Label_JapIslandPass_Old"},
      {"Combo_JapSupLevel_Old", "0", 25353, 0, "Label_JapSupLevel_Old"},
      {"Combo_JapOFR50_Old", "51.5", 25354, 10, "Label_JapOFR50_Old"},
      {"Combo_JapUFR50_Old", "48.5", 25355, 0, "Label_JapUFR50_Old"},
      {"Combo_JapRCMU_Old", "OFF", 25356, 0, "Label_JapRCMU_Old"},
      {"Combo_JapInOutDoor_Old", "Out-door", 25357, 1, "Label_JapInOutDoor_Old"},
      {"Combo_JapConstPF_Old", "Cap 0.80", 25358, 41, "Label_JapConstPF_Old"},
      {"Combo_JapQU_PU_Old", "Index 11", 25359, 11, "Label_JapQU_PU_Old"},
      {"Combo_JapQU_PF_Old", "0.85", 25360, 0, "Label_JapQU_PF_Old"},
      {"Combo_JapPMM_Old", "OFF", 25361, 0, "Label_JapPMM_Old"},
      {"Edit_JapAPP_Old", "55", 25362, 55, "Label_JapAPP_Old"},
      {"Combo_JapAPS_Old", "60", 25363, 60, "Label_JapAPS_Old"},
      {"Combo_JapAPS_Old", "600", 25363, 600, "Label_JapAPS_Old"},
      {"Edit_JapIDsetting_Old", "5", 44040, 5, "Label_JapIDsetting_Old"},
      {"Btn_ReturnToDefault", nullptr, 24691, 0xFF00, nullptr, 5},
  });
}

// The current layout refuses a percentage outside 0-100 and an ID outside
// 1-32, judged on the whole number typed, and text that is no number.
TEST_F(JapUserSet, RangesAndTextRefusedInTheCurrentLayout) {
  settingstest::ExpectRefused(t, {
      {"Edit_JapAPP", "101", "Label_JapAPP", "Please input 0~100"},
      {"Edit_JapAPP", "-1", "Label_JapAPP", "Please input 0~100"},
      {"Edit_JapAPP", "65636", "Label_JapAPP", "Please input 0~100"},
      {"Edit_JapAPP", "abc", "Label_JapAPP"},
      {"Edit_JapIDsetting", "0", "Label_JapIDsetting", "Please input 1~32"},
      {"Edit_JapIDsetting", "33", "Label_JapIDsetting", "Please input 1~32"},
      {"Edit_JapIDsetting", "65537", "Label_JapIDsetting", "Please input 1~32"},
  });
}

// The older layout checks no range of its own: what is typed is posted, as
// far as the register holds it.
TEST_F(JapUserSet, OlderLayoutPostsWhatIsTyped) {
  settingstest::ExpectEditorWrites(t, {
      {"Edit_JapAPP_Old", "101", 25362, 101, "Label_JapAPP_Old"},
      {"Edit_JapAPP_Old", "0", 25362, 0, "Label_JapAPP_Old"},
      {"Edit_JapIDsetting_Old", "0", 44040, 0, "Label_JapIDsetting_Old"},
      {"Edit_JapIDsetting_Old", "33", 44040, 33, "Label_JapIDsetting_Old"},
      {"Edit_JapIDsetting_Old", "65535", 44040, 65535, "Label_JapIDsetting_Old"},
  });
  constexpr const char* kWord = "Out of range: the value must lie from 0 to 65535";
  settingstest::ExpectRefused(t, {
      {"Edit_JapAPP_Old", "65636", "Label_JapAPP_Old", kWord},
      {"Edit_JapAPP_Old", "-1", "Label_JapAPP_Old", kWord},
      {"Edit_JapAPP_Old", "abc", "Label_JapAPP_Old"},
      {"Edit_JapIDsetting_Old", "", "Label_JapIDsetting_Old"},
      {"Edit_JapIDsetting_Old", "65536", "Label_JapIDsetting_Old", kWord},
  });
}

// A refused value never reaches the mailbox, so a command still waiting
// there runs with its own value.
TEST_F(JapUserSet, RefusalLeavesAPendingCommandAlone) {
  settingstest::Commit(w, "Combo_JapOVR", "112");
  ASSERT_EQ(w.Link.CmdCode, 6);
  settingstest::Commit(w, "Edit_JapAPP", "65636");
  EXPECT_EQ(w.Link.CmdRegister, 25344);
  EXPECT_EQ(w.Link.CmdValue, 2);
  t.sim.ClearFrames();
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{settingstest::WriteHolding(25344, 2)});
}

// "60.6" in the current layout is code 1, which the older layout reads as
// 60.7 Hz.
TEST_F(JapUserSet, WrittenThenReadBackInBothLayouts) {
  ASSERT_EQ(PollJapUserSet(&w.Link, 0), 0);
  settingstest::Commit(w, "Combo_JapOFR60", "60.6");
  EXPECT_EQ(Colour(w, "Label_JapOFR60"), clRed);
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  ASSERT_EQ(PollJapUserSet(&w.Link, 0), 0);
  ASSERT_EQ(PollJapUserSetOld(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_JapOFR60"), "60.6 Hz");
  EXPECT_EQ(Colour(w, "Label_JapOFR60"), clBlue);
  EXPECT_EQ(Text(w, "Label_JapOFR60_Old"), "60.7 Hz");
}

// The mode shows one of the two alternative row sets of the current layout;
// the read-back fills all rows either way.
TEST_F(JapUserSet, ModeChoosesTheRowSet) {
  const char* older[] = {"Label266", "Label_JapIslandPass", "Combo_JapInOutDoor"};
  const char* newer[] = {"Label675", "Label_JapGroundFault", "Combo_JapanSetMainLoadCal"};
  w.SetJapanUserSettingMode(0);
  for (const char* n : older) EXPECT_TRUE(w.Control(n)->isHidden()) << n;
  for (const char* n : newer) EXPECT_FALSE(w.Control(n)->isHidden()) << n;
  w.SetJapanUserSettingMode(1);
  for (const char* n : older) EXPECT_FALSE(w.Control(n)->isHidden()) << n;
  for (const char* n : newer) EXPECT_TRUE(w.Control(n)->isHidden()) << n;
  ASSERT_EQ(PollJapUserSet(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_JapGroundFault"), "ON");
}

}  // namespace
