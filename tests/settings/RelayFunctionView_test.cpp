#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <vector>

#include "app/main.h"
#include "link/Modbus.h"
#include "link/PollingLoop.h"
#include "platform/ValueLabel.h"
#include "settings/RelayViews.h"
#include "support/PollFixture.h"
#include "support/SettingsFixture.h"

using polltest::Checked;
using polltest::Colour;
using polltest::ControlAs;
using polltest::Text;
using settingstest::ReadHolding;

namespace {

constexpr const char* kLabels[] = {
    "Label_MultiRelay1", "Label_Relay1_FEW1", "Label_Relay1_FEW2", "Label_Relay1_FEW3", "Label_PowerPro1",
    "Label_RelayOP1",    "Label_RelayDuration1", "Label_RelayMD1", "Label_Relay1Temp1",
};

struct RelayFunction : polltest::ViewTest {
  void SetUp() override {
    t.ShowPanel("Group_RelayFunction1");
    // Relay 1: power production, events 101-303, enabled, 12.34 kW, 15 and
    // 30 min, -5.0 degrees, classes error and warning.
    t.sim.SetHoldingBlock(1, 52738, {2, 101, 202, 303, 1, 1234, 15, 30, 0xFFCE, 0, 5});
    // Relay 2: external load, 25.5 degrees, the fault class only.
    t.sim.SetHoldingBlock(1, 52750, {3, 7, 8, 9, 0, 250, 5, 10, 255, 0, 2});
  }
  QComboBox& Selector() { return ControlAs<QComboBox>(w, "Combo_SelectRelay"); }
  void ChooseRelay2() {
    settingstest::Commit(w, "Combo_SelectRelay", "Relay 2");
    ASSERT_EQ(w.Link.CmdCode, 0);
  }
  std::vector<bool> Classes() {
    return {Checked(w, "Check_Relay1AllError"), Checked(w, "Check_Relay1AllFault"),
            Checked(w, "Check_Relay1AllWarning")};
  }
};

TEST(RelayPollOrder, RelaysAndK4QAtTheirPlaces) {
  struct Place {
    int order;
    PollItem item;
  };
  for (const Place& p : {Place{48, PollK4QSetting}, Place{84, PollRelayFunction}, Place{94, PollRPROVGR}}) {
    const auto rows = PollOrder();
    size_t i = 0;
    while (i < rows.size() && rows[i].order != p.order) ++i;
    ASSERT_LT(i, rows.size()) << p.order;
    EXPECT_EQ(rows[i].item, p.item) << p.order;
    if (i > 0) EXPECT_LT(rows[i - 1].order, p.order);
    if (i + 1 < rows.size()) EXPECT_GT(rows[i + 1].order, p.order);
  }
}

TEST_F(RelayFunction, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollRelayFunction, "Group_RelayFunction1"}});
}

TEST_F(RelayFunction, StartsOnRelay1) {
  EXPECT_EQ(Selector().currentIndex(), 0);
  EXPECT_EQ(Text(w, "Label_SelectRelay"), "Relay 1");
  for (const char* name : kLabels) EXPECT_EQ(Text(w, name), "??") << name;
}

TEST_F(RelayFunction, ReadsRelay1) {
  for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
  ASSERT_EQ(PollRelayFunction(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(52738, 5), ReadHolding(52742, 7)}));
  EXPECT_EQ(w.StatusText(2), "Relay...");
  const std::vector<QString> expected = {"2: Power Production", "101",    "202",    "303",          "1: Enable",
                                         "12.34 KW",            "15 min", "30 min", "-5.0 \u2103"};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(Text(w, kLabels[i]), expected[i]) << kLabels[i];
    EXPECT_EQ(Colour(w, kLabels[i]), clBlue) << kLabels[i];
  }
  EXPECT_EQ(Classes(), (std::vector<bool>{true, false, true}));
}

// The selector posts nothing; the next pass reads the other relay.
TEST_F(RelayFunction, ChoosingRelay2ReadsItsBlocks) {
  ASSERT_EQ(PollRelayFunction(&w.Link, 0), 0);
  ChooseRelay2();
  EXPECT_EQ(Text(w, "Label_SelectRelay"), "Relay 2");
  t.sim.ClearFrames();
  ASSERT_EQ(PollRelayFunction(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(52750, 5), ReadHolding(52754, 7)}));
  EXPECT_EQ(Text(w, "Label_MultiRelay1"), "3: External Load Control");
  EXPECT_EQ(Text(w, "Label_PowerPro1"), "0: Disable");
  EXPECT_EQ(Text(w, "Label_RelayOP1"), "2.50 KW");
  EXPECT_EQ(Text(w, "Label_Relay1Temp1"), "25.5 \u2103");
  EXPECT_EQ(Classes(), (std::vector<bool>{false, true, false}));
}

TEST_F(RelayFunction, CodeTexts) {
  struct Case {
    uint16_t mode, power;
    const char* modeText;
    const char* powerText;
  };
  for (const Case& c : {Case{0, 0, "0: Disable", "0: Disable"}, Case{1, 1, "1: Fault/Error/Warning", "1: Enable"},
                        Case{4, 2, "4: Control External Fans", "??"}, Case{5, 0xFFFF, "??", "??"}}) {
    t.sim.SetHolding(1, 52738, c.mode);
    t.sim.SetHolding(1, 52742, c.power);
    ASSERT_EQ(PollRelayFunction(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_MultiRelay1"), c.modeText) << c.mode;
    EXPECT_EQ(Text(w, "Label_PowerPro1"), c.powerText) << c.power;
  }
}

// No usable first block: the second is not read and no label turns blue.
TEST_F(RelayFunction, UnusableRepliesPaintNothing) {
  for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollRelayFunction(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{ReadHolding(52738, 5)});
  for (const char* name : kLabels) {
    EXPECT_EQ(Text(w, name), "x") << name;
    EXPECT_EQ(Colour(w, name), clRed) << name;
  }
  // The first block used, the second not: only the first's labels are blue,
  // and the event classes stay unknown.
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollRelayFunction(&w.Link, 0), 0);
  EXPECT_EQ(Colour(w, "Label_Relay1_FEW3"), clBlue);
  EXPECT_EQ(Colour(w, "Label_PowerPro1"), clRed);
  EXPECT_EQ(Colour(w, "Label_Relay1Temp1"), clRed);
  settingstest::Commit(w, "Check_Relay1AllFault");
  EXPECT_EQ(w.Link.CmdCode, 0);
}

// A selector without a choice is relay 1 for editors and view alike; the
// view then shows the choice.
TEST_F(RelayFunction, NoChoiceIsRelay1) {
  Selector().setCurrentIndex(-1);
  settingstest::Commit(w, "Edit_Relay1_FEW1", "7");
  EXPECT_EQ(w.Link.CmdRegister, 52739);
  w.Link.CmdCode = 0;
  ASSERT_EQ(PollRelayFunction(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(52738, 5), ReadHolding(52742, 7)}));
  EXPECT_EQ(Selector().currentIndex(), 0);
  EXPECT_EQ(Text(w, "Label_SelectRelay"), "Relay 1");
}

// Each relay's boxes toggle that relay's word as last read: before it was
// read nothing is posted, and a second click works on the word just posted.
TEST_F(RelayFunction, EventClassBoxesToggleTheShownRelaysWord) {
  settingstest::Commit(w, "Check_Relay1AllFault");
  EXPECT_EQ(w.Link.CmdCode, 0);
  ASSERT_EQ(PollRelayFunction(&w.Link, 0), 0);  // relay 1: 5
  ChooseRelay2();
  settingstest::Commit(w, "Check_Relay1AllFault");
  EXPECT_EQ(w.Link.CmdCode, 0) << "relay 2 not read yet";
  t.sim.SetHolding(1, 52760, 5);
  ASSERT_EQ(PollRelayFunction(&w.Link, 0), 0);
  settingstest::Commit(w, "Check_Relay1AllFault");
  EXPECT_EQ(w.Link.CmdCode, 6);
  EXPECT_EQ(w.Link.CmdRegister, 52760);
  EXPECT_EQ(w.Link.CmdValue, 7);
  settingstest::Commit(w, "Check_Relay1AllFault");
  EXPECT_EQ(w.Link.CmdValue, 5);
  settingstest::Commit(w, "Check_Relay1AllError");
  EXPECT_EQ(w.Link.CmdValue, 4);
  // Relay 1 keeps its own word.
  settingstest::Commit(w, "Combo_SelectRelay", "Relay 1");
  settingstest::Commit(w, "Check_Relay1AllWarning");
  EXPECT_EQ(w.Link.CmdRegister, 52748);
  EXPECT_EQ(w.Link.CmdValue, 1);
}

// Every editor, for relay 1 and again for relay 2 (registers 12 higher),
// once both relays have been read.
TEST_F(RelayFunction, EditorsWriteTheShownRelay) {
  for (int relay : {0, 1}) {
    if (relay == 1) ChooseRelay2();
    ASSERT_EQ(PollRelayFunction(&w.Link, 0), 0);
    const int mask = relay == 0 ? 5 : 2;
    const int d = 12 * relay;
    settingstest::ExpectEditorWrites(t, {
        {"Combo_MultiRelay1", "3 : External load control", 52738 + d, 3, "Label_MultiRelay1"},
        {"Combo_MultiRelay1", "0 : Disable", 52738 + d, 0, "Label_MultiRelay1"},
        {"Edit_Relay1_FEW1", "101", 52739 + d, 101, "Label_Relay1_FEW1"},
        {"Edit_Relay1_FEW2", "0x20", 52740 + d, 32, "Label_Relay1_FEW2"},
        {"Edit_Relay1_FEW3", "303", 52741 + d, 303, "Label_Relay1_FEW3"},
        {"Combo_PowerPro1", "1 : Enable", 52742 + d, 1, "Label_PowerPro1"},
        {"Edit_RelayOP1", "12.34", 52743 + d, 1234, "Label_RelayOP1"},
        {"Edit_RelayDuration1", "15", 52744 + d, 15, "Label_RelayDuration1"},
        {"Edit_RelayMD1", "30", 52745 + d, 30, "Label_RelayMD1"},
        {"Edit_Relay1Temp1", "-5", 52746 + d, 0xFFCE, "Label_Relay1Temp1"},
        {"Edit_Relay1Temp1", "25.5", 52746 + d, 255, "Label_Relay1Temp1"},
        {"Check_Relay1AllError", nullptr, 52748 + d, mask ^ 1, nullptr},
        {"Check_Relay1AllFault", nullptr, 52748 + d, mask ^ 1 ^ 2, nullptr},
        {"Check_Relay1AllWarning", nullptr, 52748 + d, mask ^ 1 ^ 2 ^ 4, nullptr},
    });
  }
}

TEST_F(RelayFunction, Refusals) {
  settingstest::ExpectRefused(t, {
      {"Edit_RelayOP1", "abc", "Label_RelayOP1"},
      {"Edit_RelayOP1", "700", "Label_RelayOP1"},
      {"Edit_Relay1_FEW1", "", "Label_Relay1_FEW1"},
      {"Edit_RelayDuration1", "70000", "Label_RelayDuration1"},
      {"Edit_Relay1Temp1", "warm", "Label_Relay1Temp1"},
      {"Edit_Relay1Temp1", "7000", "Label_Relay1Temp1"},
  });
  EXPECT_TRUE(t.Frames().empty());
}

TEST_F(RelayFunction, RoundTrip) {
  settingstest::Commit(w, "Edit_RelayOP1", "7.5");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  EXPECT_EQ(Colour(w, "Label_RelayOP1"), clRed);
  ASSERT_EQ(PollRelayFunction(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_RelayOP1"), "7.50 KW");
  EXPECT_EQ(Colour(w, "Label_RelayOP1"), clBlue);
}

}  // namespace
