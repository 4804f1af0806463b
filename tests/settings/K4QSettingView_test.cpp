#include <gtest/gtest.h>

#include <QRadioButton>
#include <vector>

#include "app/main.h"
#include "link/Modbus.h"
#include "platform/ValueLabel.h"
#include "settings/RelayViews.h"
#include "support/PollFixture.h"
#include "support/SettingsFixture.h"

using polltest::Checked;
using polltest::Colour;
using polltest::Text;
using settingstest::ReadCoil;
using settingstest::ReadHolding;
using settingstest::WriteHolding;

namespace {

constexpr const char* kLabels[] = {"Label_AFCICount", "Label_AFCIREV", "Label_EUShadowMode", "Label_EUShadowInterval"};

struct K4QSetting : polltest::ViewTest {
  void SetUp() override {
    t.ShowPanel("Group_K4QSetting");
    t.sim.SetCoil(1, 24649, true);
    t.sim.SetCoil(1, 24619, false);
    polltest::SetInputs(t.sim, 1128, {3});
    polltest::SetInputs(t.sim, 1046, {12});
    t.sim.SetHoldingBlock(1, 48432, {4, 150});
  }
};

TEST_F(K4QSetting, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollK4QSetting, "Group_K4QSetting"}});
}

TEST_F(K4QSetting, ReadBack) {
  EXPECT_EQ(Text(w, "Label_EUShadowMode"), "Disable");
  EXPECT_EQ(Text(w, "Label_EUShadowInterval"), "??");
  ASSERT_EQ(PollK4QSetting(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadCoil(24649), ReadCoil(24619), WriteHolding(832, 58247),
                                              polltest::ReadFrame(1128, 1), polltest::ReadFrame(1046, 1),
                                              ReadHolding(48432, 2)}));
  EXPECT_EQ(w.StatusText(2), "EU Set...");
  EXPECT_TRUE(Checked<QRadioButton>(w, "Radio_EUParallelON"));
  EXPECT_TRUE(Checked<QRadioButton>(w, "Radio_EUEffOFF"));
  // The arc-fault switch is not read here.
  EXPECT_FALSE(Checked<QRadioButton>(w, "Radio_AFCION"));
  EXPECT_FALSE(Checked<QRadioButton>(w, "Radio_AFCIOFF"));
  const std::vector<QString> expected = {"3", "12", "All Day", "150"};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(Text(w, kLabels[i]), expected[i]) << kLabels[i];
    EXPECT_EQ(Colour(w, kLabels[i]), clBlue) << kLabels[i];
  }
  t.sim.SetHolding(1, 48432, 5);
  ASSERT_EQ(PollK4QSetting(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_EUShadowMode"), "Error");
  t.sim.SetHolding(1, 48432, 2);
  ASSERT_EQ(PollK4QSetting(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_EUShadowMode"), "Noon");
}

// An unusable coil reply is no OFF: the radios keep their state; unusable
// register replies keep their labels.
TEST_F(K4QSetting, UnusableRepliesChangeNothing) {
  ASSERT_EQ(PollK4QSetting(&w.Link, 0), 0);
  for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
  for (int i = 0; i < 6; ++i) t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollK4QSetting(&w.Link, 0), 0);
  EXPECT_TRUE(Checked<QRadioButton>(w, "Radio_EUParallelON"));
  EXPECT_TRUE(Checked<QRadioButton>(w, "Radio_EUEffOFF"));
  for (const char* name : kLabels) {
    EXPECT_EQ(Text(w, name), "x") << name;
    EXPECT_EQ(Colour(w, name), clRed) << name;
  }
}

TEST_F(K4QSetting, Editors) {
  settingstest::ExpectEditorWrites(t, {
      {"Radio_EUParallelON", nullptr, 24649, 0xFF00, nullptr, 5},
      {"Radio_EUParallelOFF", nullptr, 24649, 0, nullptr, 5},
      {"Radio_EUEffON", nullptr, 24619, 0xFF00, nullptr, 5},
      {"Radio_EUEffOFF", nullptr, 24619, 0, nullptr, 5},
      {"Radio_AFCION", nullptr, 24652, 0xFF00, nullptr, 5},
      {"Radio_AFCIOFF", nullptr, 24652, 0, nullptr, 5},
      {"Combo_EUShadowMode", "All day", 48432, 4, "Label_EUShadowMode"},
      {"Combo_EUShadowMode", "Disable", 48432, 0, "Label_EUShadowMode"},
      {"Edit_EUShadowInterval", "15", 48433, 150, "Label_EUShadowInterval"},
  });
}

TEST_F(K4QSetting, RefusalsAndRoundTrip) {
  settingstest::ExpectRefused(t, {
      {"Edit_EUShadowInterval", "", "Label_EUShadowInterval"},
      {"Edit_EUShadowInterval", "7000", "Label_EUShadowInterval"},
  });
  EXPECT_TRUE(t.Frames().empty());
  settingstest::Commit(w, "Combo_EUShadowMode", "Evening");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  EXPECT_EQ(Colour(w, "Label_EUShadowMode"), clRed);
  ASSERT_EQ(PollK4QSetting(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_EUShadowMode"), "Evening");
  EXPECT_EQ(Colour(w, "Label_EUShadowMode"), clBlue);
}

}  // namespace
