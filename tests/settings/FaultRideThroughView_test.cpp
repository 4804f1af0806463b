#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <vector>

#include "app/main.h"
#include "link/Modbus.h"
#include "link/PollingLoop.h"
#include "platform/ValueLabel.h"
#include "settings/FaultRideThroughView.h"
#include "support/PollFixture.h"
#include "support/SettingsFixture.h"

using polltest::Colour;
using polltest::Text;
using settingstest::ReadHolding;
using settingstest::WriteHolding;

namespace {

constexpr const char* kLvrtLabels[] = {"Label_FRTMode",      "Label_T1Time", "Label_UacFault",
                                       "Label_FRTU1",        "Label_DeadBandUmin", "Label_T2Time",
                                       "Label_T3Time",       "Label_DeadBandUmax", "Label_KFactor"};
constexpr const char* kHvrtLabels[] = {"Label_HVRT_Mode", "Label_HVRT_V1", "Label_HVRT_V2", "Label_HVRT_T1",
                                       "Label_HVRT_T2"};

struct FaultRideThrough : polltest::ViewTest {
  void SetUp() override {
    t.ShowPanel("Group_LVFR");
    t.sim.SetHoldingBlock(1, 853, {1, 15, 90, 20, 85, 150, 300, 110, 125});
    t.sim.SetHoldingBlock(1, 48905, {5, 120, 130, 10, 20});
  }
};

TEST(FaultRideThroughPollOrder, AtItsPlace) {
  const auto rows = PollOrder();
  size_t i = 0;
  while (i < rows.size() && rows[i].item != PollLVFR) ++i;
  ASSERT_LT(i + 1, rows.size());
  EXPECT_EQ(rows[i].order, 34);
  EXPECT_LT(rows[i - 1].order, 34);
  EXPECT_GT(rows[i + 1].order, 34);
}

TEST_F(FaultRideThrough, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollLVFR, "Group_LVFR"}});
}

TEST_F(FaultRideThrough, ControlsAsDeclared) {
  for (const char* l : kLvrtLabels) EXPECT_EQ(Text(w, l), "???") << l;
  for (const char* l : kHvrtLabels) EXPECT_EQ(Text(w, l), "???") << l;
  auto& mode = polltest::ControlAs<QComboBox>(w, "Combo_FRTMode");
  ASSERT_EQ(mode.count(), 3);
  EXPECT_EQ(mode.itemText(2), "Enable(Limit Grid Supprt)");
  EXPECT_EQ(polltest::ControlAs<QComboBox>(w, "Combo_HVRT_Mode").count(), 2);
  EXPECT_EQ(Text(w, "Label_UacFaultCaption"), "Uac Fault(Vdrop)");
  // The three boxes lie inside the panel, below its title bar, side by side.
  QWidget* panel = w.Panel("Group_LVFR");
  for (const char* box : {"GroupBox48", "GroupBox49", "GroupBox50"}) {
    QWidget* b = w.Control(box);
    ASSERT_NE(b, nullptr) << box;
    EXPECT_EQ(b->parentWidget(), panel);
    EXPECT_GE(b->y(), 30);
    EXPECT_LE(b->geometry().right(), panel->width());
    EXPECT_LE(b->geometry().bottom(), panel->property("Tag").toInt());
    for (QWidget* c : b->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      EXPECT_LE(c->geometry().right(), b->width()) << c->objectName().toStdString();
      EXPECT_LE(c->geometry().bottom(), b->height()) << c->objectName().toStdString();
    }
  }
  EXPECT_EQ(polltest::ControlAs<QLineEdit>(w, "Edit_KFactor").parentWidget()->objectName(), "GroupBox49");
  EXPECT_EQ(polltest::ControlAs<QLineEdit>(w, "Edit_HVRT_T2").parentWidget()->objectName(), "GroupBox50");
}

TEST_F(FaultRideThrough, ReadBack) {
  for (const char* l : kLvrtLabels) polltest::Paint(w, l, "red", clRed);
  ASSERT_EQ(PollLVFR(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(853, 9), ReadHolding(48905, 5)}));
  EXPECT_EQ(w.StatusText(2), "FRT...");
  const std::vector<QString> lvrt = {"Enable",  "0.15 sec", "90 %",  "20 %", "85 %",
                                     "1.50 sec", "3.00 sec", "110 %", "12.5"};
  for (size_t i = 0; i < lvrt.size(); ++i) {
    EXPECT_EQ(Text(w, kLvrtLabels[i]), lvrt[i]) << kLvrtLabels[i];
    EXPECT_EQ(Colour(w, kLvrtLabels[i]), clBlue) << kLvrtLabels[i];
  }
  const std::vector<QString> hvrt = {"Enable", "120 %", "130 %", "0.10 sec", "0.20 sec"};  // 48905 = 5
  for (size_t i = 0; i < hvrt.size(); ++i) {
    EXPECT_EQ(Text(w, kHvrtLabels[i]), hvrt[i]) << kHvrtLabels[i];
    EXPECT_EQ(Colour(w, kHvrtLabels[i]), clBlue) << kHvrtLabels[i];
  }
}

TEST_F(FaultRideThrough, ModeTexts) {
  struct Case {
    uint16_t lvrt, hvrt;
    const char* lvrtText;
    const char* hvrtText;
  };
  for (const Case& c : {Case{0, 0, "Disable", "Disable"}, Case{2, 1, "Enable(Limit Grid Supprt)", "Enable"},
                        Case{3, 0xFFFF, "kept", "Enable"}, Case{0xFFFF, 2, "kept", "Enable"}}) {
    polltest::Paint(w, "Label_FRTMode", "kept", clRed);
    t.sim.SetHolding(1, 853, c.lvrt);
    t.sim.SetHolding(1, 48905, c.hvrt);
    ASSERT_EQ(PollLVFR(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_FRTMode"), c.lvrtText) << c.lvrt;
    // A code outside the list keeps the text but turns blue with the rest.
    EXPECT_EQ(Colour(w, "Label_FRTMode"), clBlue) << c.lvrt;
    EXPECT_EQ(Text(w, "Label_HVRT_Mode"), c.hvrtText) << c.hvrt;
  }
}

TEST_F(FaultRideThrough, InvalidRepliesLeaveTheirLabels) {
  for (const char* l : kLvrtLabels) polltest::Paint(w, l, "red", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));  // 853: the high side is read all the same
  ASSERT_EQ(PollLVFR(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames().size(), 2u);
  for (const char* l : kLvrtLabels) {
    EXPECT_EQ(Text(w, l), "red") << l;
    EXPECT_EQ(Colour(w, l), clRed) << l;
  }
  EXPECT_EQ(Text(w, "Label_HVRT_V1"), "120 %");

  for (const char* l : kHvrtLabels) polltest::Paint(w, l, "red", clRed);
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::BadCrc());  // 48905
  ASSERT_EQ(PollLVFR(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_KFactor"), "12.5");
  for (const char* l : kHvrtLabels) {
    EXPECT_EQ(Text(w, l), "red") << l;
    EXPECT_EQ(Colour(w, l), clRed) << l;
  }
}

// Every editor of the group, with the item chosen or the text typed, the
// register and value written, and the label painted red.
TEST_F(FaultRideThrough, EveryEditorWritesItsRegister) {
  settingstest::ExpectEditorWrites(t, {
      {"Combo_FRTMode", "Disable", 853, 0, "Label_FRTMode"},
      {"Combo_FRTMode", "Enable", 853, 1, "Label_FRTMode"},
      {"Combo_FRTMode", "Enable(Limit Grid Supprt)", 853, 2, "Label_FRTMode"},
      {"Edit_T1Time", "0.15", 854, 15, "Label_T1Time"},
      {"Edit_T1Time", "0.29", 854, 29, "Label_T1Time"},
      {"Edit_UacFault", "90", 855, 90, "Label_UacFault"},
      {"Edit_FRTU1", "20", 856, 20, "Label_FRTU1"},
      {"Edit_DeadBandUmin", "85", 857, 85, "Label_DeadBandUmin"},
      {"Edit_T2Time", "1.5", 858, 150, "Label_T2Time"},
      {"Edit_T3Time", "3", 859, 300, "Label_T3Time"},
      {"Edit_DeadBandUmax", "110", 860, 110, "Label_DeadBandUmax"},
      {"Edit_KFactor", "12.5", 861, 125, "Label_KFactor"},
      {"Edit_KFactor", "2", 861, 20, "Label_KFactor"},
      {"Combo_HVRT_Mode", "Enable", 48905, 1, "Label_HVRT_Mode"},
      {"Combo_HVRT_Mode", "Disable", 48905, 0, "Label_HVRT_Mode"},
      {"Edit_HVRT_V1", "120", 48906, 120, "Label_HVRT_V1"},
      {"Edit_HVRT_V1", "0x7F", 48906, 127, "Label_HVRT_V1"},
      {"Edit_HVRT_V2", "130", 48907, 130, "Label_HVRT_V2"},
      {"Edit_HVRT_T1", "0.1", 48908, 10, "Label_HVRT_T1"},
      {"Edit_HVRT_T2", "0.2", 48909, 20, "Label_HVRT_T2"},
  });
}

// The two mode combos take typed text: an item's text chooses the item, any
// other text posts nothing and adds no item.
TEST_F(FaultRideThrough, ModeCombosTakeTypedItemTexts) {
  struct Case {
    const char* combo;
    const char* typed;
    int reg;
    int value;  // -1: nothing posted
    const char* label;
  };
  for (const Case& c : {Case{"Combo_FRTMode", "Enable(Limit Grid Supprt)", 853, 2, "Label_FRTMode"},
                        Case{"Combo_FRTMode", "Disable", 853, 0, "Label_FRTMode"},
                        Case{"Combo_FRTMode", "3", 853, -1, "Label_FRTMode"},
                        Case{"Combo_FRTMode", "Enable(Limit", 853, -1, "Label_FRTMode"},
                        Case{"Combo_HVRT_Mode", "Enable", 48905, 1, "Label_HVRT_Mode"},
                        Case{"Combo_HVRT_Mode", "On", 48905, -1, "Label_HVRT_Mode"}}) {
    auto& combo = polltest::ControlAs<QComboBox>(w, c.combo);
    ASSERT_TRUE(combo.isEditable());
    const int items = combo.count();
    w.Link.CmdCode = 0;
    polltest::Paint(w, c.label, "x", clBlue);
    combo.lineEdit()->setText(QString::fromUtf8(c.typed));
    input::KeyClick(combo.lineEdit(), Qt::Key_Return);
    EXPECT_EQ(combo.count(), items) << c.typed;
    if (c.value < 0) {
      EXPECT_EQ(w.Link.CmdCode, 0) << c.typed;
      EXPECT_EQ(Colour(w, c.label), clBlue) << c.typed;
      continue;
    }
    EXPECT_EQ(w.Link.CmdCode, 6) << c.typed;
    EXPECT_EQ(w.Link.CmdRegister, c.reg) << c.typed;
    EXPECT_EQ(w.Link.CmdValue, c.value) << c.typed;
    EXPECT_EQ(Colour(w, c.label), clRed) << c.typed;
  }
}

// Text that is no whole number is refused with a message on both sides: a
// typed 90% must not become a level of 0.
TEST_F(FaultRideThrough, TextThatIsNoNumberIsRefused) {
  settingstest::ExpectRefused(t, {{"Edit_UacFault", "90%", "Label_UacFault"},
                                  {"Edit_HVRT_V1", "90%", "Label_HVRT_V1"},
                                  {"Edit_FRTU1", "", "Label_FRTU1"},
                                  {"Edit_HVRT_V2", "", "Label_HVRT_V2"},
                                  {"Edit_DeadBandUmin", "85.5", "Label_DeadBandUmin"},
                                  {"Edit_DeadBandUmax", "abc", "Label_DeadBandUmax"},
                                  {"Edit_T1Time", "0.15s", "Label_T1Time"},
                                  {"Edit_KFactor", "", "Label_KFactor"}});
  EXPECT_TRUE(t.Frames().empty());
  EXPECT_EQ(t.dialogs.messages[0], "'90%' is not a valid integer value");
  EXPECT_EQ(t.dialogs.messages[1], "'90%' is not a valid integer value");
}

TEST_F(FaultRideThrough, WrittenThenReadBackBlue) {
  ASSERT_EQ(PollLVFR(&w.Link, 0), 0);
  settingstest::Commit(w, "Edit_KFactor", "1.5");
  EXPECT_EQ(Colour(w, "Label_KFactor"), clRed);
  EXPECT_EQ(Text(w, "Label_KFactor"), "12.5");

  t.sim.ClearFrames();
  ASSERT_EQ(PollLVFR(&w.Link, 0), 0);  // a command waits: nothing read
  EXPECT_TRUE(t.Frames().empty());

  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{WriteHolding(861, 15)});
  w.Link.CmdCode = 0;

  ASSERT_EQ(PollLVFR(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_KFactor"), "1.5");
  EXPECT_EQ(Colour(w, "Label_KFactor"), clBlue);
}

}  // namespace
