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
using settingstest::ReadHolding;

namespace {

const QString kLock = QString::fromUtf8("\u30ed\u30c3\u30af");
const QString kNormal = QString::fromUtf8("\u30ce\u30fc\u30de\u30eb");

constexpr const char* kLabels[] = {"Label_RPR1Status",        "Label_RPR2Status",        "Label_RPR1CountdownTime",
                                   "Label_RPR2CountdownTime", "Label_RPR1ReconnectTime", "Label_RPR2ReconnectTime"};

struct RprOvgr : polltest::ViewTest {
  void SetUp() override {
    t.ShowPanel("Group_RPR_OVGR");
    // Input 1 enabled, normally closed, manual; input 2 disabled, normally
    // open, automatic.
    t.sim.SetHoldingBlock(1, 52672, {0x0005, 300, 12, 0x0002, 60, 0});
    t.sim.SetHolding(1, 25411, 0x0018);
  }
  // The checked radio of each pair, input 1 then input 2.
  std::vector<const char*> CheckedRadios() {
    std::vector<const char*> out;
    for (const char* name :
         {"Radio_RPR1Enabled", "Radio_RPR1Disabled", "Radio_RPR1NormalOpen", "Radio_RPR1NormalClose",
          "Radio_RPR1ReconnectAuto", "Radio_RPR1ReconnectManual", "Radio_RPR2Enabled", "Radio_RPR2Disabled",
          "Radio_RPR2NormalOpen", "Radio_RPR2NormalClose", "Radio_RPR2ReconnectAuto", "Radio_RPR2ReconnectManual"})
      if (Checked<QRadioButton>(w, name)) out.push_back(name);
    return out;
  }
};

TEST_F(RprOvgr, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollRPROVGR, "Group_RPR_OVGR"}});
}

TEST_F(RprOvgr, ReadBack) {
  for (const char* name : kLabels) EXPECT_EQ(Text(w, name), "??") << name;
  ASSERT_EQ(PollRPROVGR(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(52672, 6), ReadHolding(25411, 1)}));
  EXPECT_EQ(w.StatusText(2), "RPR...");
  EXPECT_EQ(CheckedRadios(), (std::vector<const char*>{"Radio_RPR1Enabled", "Radio_RPR1NormalClose",
                                                       "Radio_RPR1ReconnectManual", "Radio_RPR2Disabled",
                                                       "Radio_RPR2NormalOpen", "Radio_RPR2ReconnectAuto"}));
  const std::vector<QString> expected = {kLock, kLock, "12 sec", "0 sec", "300 sec", "60 sec"};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(Text(w, kLabels[i]), expected[i]) << kLabels[i];
    EXPECT_EQ(Colour(w, kLabels[i]), clBlue) << kLabels[i];
  }
  // Checking the radios from the view posted nothing.
  EXPECT_EQ(w.Link.CmdCode, 0);
  t.sim.SetHolding(1, 25411, 0x0008);
  ASSERT_EQ(PollRPROVGR(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_RPR1Status"), kLock);
  EXPECT_EQ(Text(w, "Label_RPR2Status"), kNormal);
  t.sim.SetHolding(1, 25411, 0);
  ASSERT_EQ(PollRPROVGR(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_RPR1Status"), kNormal);
}

// An unusable reply leaves its labels and radios; the lock word is still read.
TEST_F(RprOvgr, UnusableReplyKeepsItsLabels) {
  for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollRPROVGR(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(52672, 6), ReadHolding(25411, 1)}));
  EXPECT_TRUE(CheckedRadios().empty());
  EXPECT_EQ(Text(w, "Label_RPR1ReconnectTime"), "x");
  EXPECT_EQ(Colour(w, "Label_RPR1ReconnectTime"), clRed);
  EXPECT_EQ(Colour(w, "Label_RPR2CountdownTime"), clRed);
  EXPECT_EQ(Text(w, "Label_RPR2Status"), kLock);
  EXPECT_EQ(Colour(w, "Label_RPR2Status"), clBlue);
}

TEST_F(RprOvgr, EditorsPostOneFlag) {
  settingstest::ExpectEditorWrites(t, {
      {"Radio_RPR1Enabled", nullptr, 52672, 0x8001, nullptr},
      {"Radio_RPR1Disabled", nullptr, 52672, 0x0001, nullptr},
      {"Radio_RPR1NormalOpen", nullptr, 52672, 0x8002, nullptr},
      {"Radio_RPR1NormalClose", nullptr, 52672, 0x0002, nullptr},
      {"Radio_RPR1ReconnectManual", nullptr, 52672, 0x8004, nullptr},
      {"Radio_RPR1ReconnectAuto", nullptr, 52672, 0x0004, nullptr},
      {"Edit_RPR1ReconnectTime", "300", 52673, 300, "Label_RPR1ReconnectTime"},
      {"Btn_RPR1TrigUnlock", nullptr, 25411, 0x8008, nullptr},
      {"Radio_RPR2Enabled", nullptr, 52675, 0x8001, nullptr},
      {"Radio_RPR2Disabled", nullptr, 52675, 0x0001, nullptr},
      {"Radio_RPR2NormalOpen", nullptr, 52675, 0x8002, nullptr},
      {"Radio_RPR2NormalClose", nullptr, 52675, 0x0002, nullptr},
      {"Radio_RPR2ReconnectManual", nullptr, 52675, 0x8004, nullptr},
      {"Radio_RPR2ReconnectAuto", nullptr, 52675, 0x0004, nullptr},
      {"Edit_RPR2ReconnectTime", "45", 52676, 45, "Label_RPR2ReconnectTime"},
      {"Btn_RPR2TrigUnlock", nullptr, 25411, 0x8010, nullptr},
  });
}

// The radios commit on their click and stay as clicked until a read-back.
TEST_F(RprOvgr, ClickedRadioStaysUntilRead) {
  ASSERT_EQ(PollRPROVGR(&w.Link, 0), 0);
  settingstest::Commit(w, "Radio_RPR1Disabled");
  EXPECT_EQ(w.Link.CmdValue, 0x0001);
  EXPECT_TRUE(Checked<QRadioButton>(w, "Radio_RPR1Disabled"));
  EXPECT_TRUE(Checked<QRadioButton>(w, "Radio_RPR1NormalClose")) << "other pairs untouched";
  // A press alone is no click: nothing is posted.
  w.Link.CmdCode = 0;
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(4, 4), QPointF(4, 4), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(w.Ctl<QRadioButton>("Radio_RPR1Enabled"), &press);
  EXPECT_EQ(w.Link.CmdCode, 0);
}

TEST_F(RprOvgr, RefusalsAndRoundTrip) {
  settingstest::ExpectRefused(t, {
      {"Edit_RPR1ReconnectTime", "soon", "Label_RPR1ReconnectTime"},
      {"Edit_RPR2ReconnectTime", "70000", "Label_RPR2ReconnectTime"},
  });
  EXPECT_TRUE(t.Frames().empty());
  settingstest::Commit(w, "Edit_RPR1ReconnectTime", "120");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  EXPECT_EQ(Colour(w, "Label_RPR1ReconnectTime"), clRed);
  ASSERT_EQ(PollRPROVGR(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_RPR1ReconnectTime"), "120 sec");
  EXPECT_EQ(Colour(w, "Label_RPR1ReconnectTime"), clBlue);
}

}  // namespace
