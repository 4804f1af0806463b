#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <vector>

#include "app/main.h"
#include "link/Modbus.h"
#include "link/PollingLoop.h"
#include "platform/ValueLabel.h"
#include "settings/AustraliaSetView.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"
#include "support/SettingsFixture.h"

using polltest::Colour;
using polltest::ControlAs;
using polltest::Text;
using settingstest::ReadHolding;
using settingstest::WriteHolding;

namespace {

// Painted blue by every pass, in register order.
constexpr const char* kLabels[] = {"Label_UHighOff2", "Label_UHighOffTime2", "Label_UHighOn2", "Label_PuStartVolt",
                                   "Label_PuStopVolt"};

const std::vector<QString> kThreeReads = {polltest::ReadFrame(1793, 1), ReadHolding(33564, 3),
                                          ReadHolding(48550, 2)};

struct AustraliaSet : polltest::ViewTest {
  void SetUp() override {
    t.ShowPanel("Group_AustraliaSet");
    t.sim.SetInput(1, 1793, 3);
    t.sim.SetHoldingBlock(1, 33564, {2650, 150, 2580});
    t.sim.SetHoldingBlock(1, 48550, {2500, 2600});
  }
  void Poll() {
    t.sim.ClearFrames();
    ASSERT_EQ(PollAustraliaSet(&w.Link, 0), 0);
  }
};

TEST(AustraliaSetPollOrder, AmongTheLastViewsOfThePass) {
  const auto rows = PollOrder();
  size_t i = 0;
  while (i < rows.size() && rows[i].item != PollAustraliaSet) ++i;
  ASSERT_LT(i, rows.size());
  EXPECT_EQ(rows[i].order, 91);
  EXPECT_LT(rows[i - 1].order, 91);
  if (i + 1 < rows.size()) EXPECT_GT(rows[i + 1].order, 91);
}

TEST_F(AustraliaSet, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollAustraliaSet, "Group_AustraliaSet"}});
}

TEST_F(AustraliaSet, ControlsAsDeclared) {
  for (const char* name : kLabels) EXPECT_EQ(Text(w, name), "???") << name;
  EXPECT_EQ(Text(w, "Label_DRM"), "???");
  EXPECT_EQ(Text(w, "Label492"), "DRM");
  EXPECT_EQ(Text(w, "Label493"), "U High Off:");
  EXPECT_EQ(Text(w, "Label494"), "U High Off Time:");
  EXPECT_EQ(Text(w, "Label495"), "U High On:");
  EXPECT_EQ(Text(w, "Label496"), "Start Voltage:");
  EXPECT_EQ(Text(w, "Label497"), "Stop Voltage:");
  EXPECT_EQ(ControlAs<QGroupBox>(w, "GroupBox30").title(), "Uac Protection 2");
  EXPECT_EQ(ControlAs<QGroupBox>(w, "GroupBox31").title(), "P of U");
  EXPECT_EQ(ControlAs<QLineEdit>(w, "Edit_UHighOn2").parentWidget()->objectName(), "GroupBox30");
  EXPECT_EQ(ControlAs<QLineEdit>(w, "Edit_PuStopVolt").parentWidget()->objectName(), "GroupBox31");
  // Every control lies inside its box or panel, below the panel's title bar.
  GroupPanel* panel = w.Panel("Group_AustraliaSet");
  for (QWidget* c : panel->findChildren<QWidget*>()) {
    if (c == panel->TitleLabel() || c->objectName().isEmpty()) continue;
    QWidget* parent = c->parentWidget();
    const QRect room = parent == panel ? QRect(0, 32, panel->width(), panel->Tag() - 32) : parent->rect();
    EXPECT_TRUE(room.contains(c->geometry())) << c->objectName().toStdString();
  }
}

TEST_F(AustraliaSet, ReadBack) {
  for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
  Poll();
  EXPECT_EQ(t.Frames(), kThreeReads);
  EXPECT_EQ(w.StatusText(2), "Australia Set...");
  EXPECT_EQ(Text(w, "Label_DRM"), "3");
  EXPECT_EQ(Colour(w, "Label_DRM"), clBlack);
  const std::vector<QString> expected = {"265.0 V", "1.50 Sec", "258.0 V", "250.0 V", "260.0 V"};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(Text(w, kLabels[i]), expected[i]) << kLabels[i];
    EXPECT_EQ(Colour(w, kLabels[i]), clBlue) << kLabels[i];
  }
  t.sim.SetInput(1, 1793, 65535);
  Poll();
  EXPECT_EQ(Text(w, "Label_DRM"), "65535");
}

// Unusable replies leave every text as it was, but the stage-2 and P of U
// labels turn blue all the same (an edit's red label shows its old value in
// blue); the DRM label never changes colour.
TEST_F(AustraliaSet, InvalidRepliesKeepTheTextsButPaintBlue) {
  polltest::Paint(w, "Label_DRM", "drm", clRed);
  for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));  // 1793
  t.sim.QueueFault(sim::ReplyFault::Exception(2));  // 33564
  t.sim.QueueFault(sim::ReplyFault::Silent());      // 48550
  Poll();
  EXPECT_EQ(t.Frames(), kThreeReads);
  EXPECT_EQ(Text(w, "Label_DRM"), "drm");
  EXPECT_EQ(Colour(w, "Label_DRM"), clRed);
  for (const char* name : kLabels) {
    EXPECT_EQ(Text(w, name), "x") << name;
    EXPECT_EQ(Colour(w, name), clBlue) << name;
  }

  // Only 33564 invalid: the P of U values are shown, and the DRM label keeps
  // its colour while its text changes.
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  Poll();
  EXPECT_EQ(Text(w, "Label_DRM"), "3");
  EXPECT_EQ(Colour(w, "Label_DRM"), clRed);
  EXPECT_EQ(Text(w, "Label_UHighOff2"), "x");
  EXPECT_EQ(Text(w, "Label_PuStartVolt"), "250.0 V");
}

TEST_F(AustraliaSet, EveryEditorWritesItsRegister) {
  settingstest::ExpectEditorWrites(t, {
      {"Edit_UHighOff2", "258", 33564, 2580, "Label_UHighOff2"},
      {"Edit_UHighOff2", "6553.5", 33564, 0xFFFF, "Label_UHighOff2"},
      {"Edit_UHighOffTime2", "1.5", 33565, 150, "Label_UHighOffTime2"},
      {"Edit_UHighOffTime2", "0.29", 33565, 29, "Label_UHighOffTime2"},
      {"Edit_UHighOn2", "255.5", 33566, 2555, "Label_UHighOn2"},
      {"Edit_PuStartVolt", "250", 48550, 2500, "Label_PuStartVolt"},
      {"Edit_PuStopVolt", "265", 48551, 2650, "Label_PuStopVolt"},
  });
}

TEST_F(AustraliaSet, TextThatIsNoNumberOrBeyondSixteenBitsIsRefused) {
  settingstest::ExpectRefused(t, {{"Edit_UHighOff2", "", "Label_UHighOff2"},
                                  {"Edit_PuStopVolt", "abc", "Label_PuStopVolt"},
                                  {"Edit_UHighOffTime2", "700", "Label_UHighOffTime2"},
                                  // The unsigned level would read back as 6553.3 V.
                                  {"Edit_UHighOff2", "-3.3", "Label_UHighOff2"}});
  EXPECT_EQ(t.dialogs.messages.last(), "Out of range: the value must lie from 0.0 to 6553.5");
}

TEST_F(AustraliaSet, WrittenThenReadBackBlue) {
  Poll();
  settingstest::Commit(w, "Edit_UHighOff2", "258");
  EXPECT_EQ(Colour(w, "Label_UHighOff2"), clRed);
  EXPECT_EQ(Text(w, "Label_UHighOff2"), "265.0 V");
  Poll();
  EXPECT_TRUE(t.Frames().empty());  // a command waits
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{WriteHolding(33564, 2580)});
  w.Link.CmdCode = 0;
  Poll();
  EXPECT_EQ(Text(w, "Label_UHighOff2"), "258.0 V");
  EXPECT_EQ(Colour(w, "Label_UHighOff2"), clBlue);
}

}  // namespace
