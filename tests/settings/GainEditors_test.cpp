#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <vector>

#include "app/main.h"
#include "link/CommandCodes.h"
#include "link/Executor.h"
#include "link/Modbus.h"
#include "monitor/EngineeringViews.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"
#include "support/SettingsFixture.h"
#include "support/UserInput.h"

using polltest::Colour;
using polltest::ControlAs;
using polltest::Text;

namespace {

struct Gains : polltest::ViewTest {
  void SetUp() override { t.ShowPanel("Group_VIPGain"); }
};

constexpr const char* kCalibrationEdits[] = {"Edit_VoltCaliLow",   "Edit_VoltCaliHigh",  "Edit_CurrCaliLow",
                                             "Edit_CurrCaliHigh",  "Edit_PowerCaliLow",  "Edit_PowerCaliHigh",
                                             "Edit_VoltRedCaliHigh", "Edit_VoltRedCaliLow"};

}  // namespace

TEST_F(Gains, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollVIPGain, "Group_VIPGain"}});
}

TEST_F(Gains, ControlsAsDeclared) {
  auto& index = ControlAs<QComboBox>(w, "Combo_GainIndex");
  ASSERT_EQ(index.count(), 17);
  EXPECT_EQ(index.itemText(0), "Inout1");
  EXPECT_EQ(index.itemText(4), "Inout5");
  EXPECT_EQ(index.itemText(16), "Total Bus");
  EXPECT_EQ(ControlAs<ValueLabel>(w, "Label204").text(), "Calibration");
  EXPECT_TRUE(ControlAs<ValueLabel>(w, "Label204").isHidden());
  for (const char* e : kCalibrationEdits) EXPECT_TRUE(ControlAs<QLineEdit>(w, e).isHidden()) << e;
}

// The channel combo through its code table, each gain edit to its register
// as a plain integer (a negative one as its 16-bit pattern).
TEST_F(Gains, EveryEditorWritesItsRegister) {
  settingstest::ExpectEditorWrites(t, {
      {"Combo_GainIndex", "Inout1", 33536, 48, "Label_GainIndex"},
      {"Combo_GainIndex", "Input4", 33536, 51, "Label_GainIndex"},
      {"Combo_GainIndex", "Inout5", 33536, 52, "Label_GainIndex"},
      {"Combo_GainIndex", "Input8", 33536, 55, "Label_GainIndex"},
      {"Combo_GainIndex", "Output1", 33536, 0, "Label_GainIndex"},
      {"Combo_GainIndex", "Output3", 33536, 2, "Label_GainIndex"},
      {"Combo_GainIndex", "Pbus", 33536, 64, "Label_GainIndex"},
      {"Combo_GainIndex", "Nbus", 33536, 65, "Label_GainIndex"},
      {"Combo_GainIndex", "Output1(out)", 33536, 16, "Label_GainIndex"},
      {"Combo_GainIndex", "Output3(out)", 33536, 18, "Label_GainIndex"},
      {"Combo_GainIndex", "Total Bus", 33536, 66, "Label_GainIndex"},
      {"Edit_VoltHighGain", "10240", 33537, 10240, "Label_VoltHighGain"},
      {"Edit_VoltBoundary", "2000", 33538, 2000, "Label_VoltBoundary"},
      {"Edit_VoltLowGain", "0xFFFF", 33539, 0xFFFF, "Label_VoltLowGain"},
      {"Edit_CurrHighGain", "65535", 33540, 65535, "Label_CurrHighGain"},
      {"Edit_CurrBoundary", "0", 33541, 0, "Label_CurrBoundary"},
      {"Edit_CurrLowGain", "512", 33542, 512, "Label_CurrLowGain"},
      {"Edit_PowerHighGain", "9999", 33543, 9999, "Label_PowerHighGain"},
      {"Edit_PowertBoundary", "3000", 33544, 3000, "Label_PowertBoundary"},
      {"Edit_PowerLowGain", "4096", 33545, 4096, "Label_PowerLowGain"},
      {"Edit_VoltHighGainRed", "10001", 33546, 10001, "Label_VoltHighGainRed"},
      {"Edit_VoltBoundaryRed", "1500", 33547, 1500, "Label_VoltBoundaryRed"},
      {"Edit_VoltLowGainRed", "9000", 33548, 9000, "Label_VoltLowGainRed"},
  });
}

// A gain is an integer: a fraction or a typo is refused, never rounded, and
// leaves the mailbox as it was.
TEST_F(Gains, NonIntegerTextIsRefused) {
  settingstest::ExpectRefused(t, {
      {"Edit_VoltHighGain", "1.5", "Label_VoltHighGain"},
      {"Edit_PowertBoundary", "", "Label_PowertBoundary"},
      {"Edit_CurrLowGain", "12a", "Label_CurrLowGain"},
      {"Edit_VoltLowGainRed", "70000", "Label_VoltLowGainRed"},
      {"Edit_VoltLowGain", "-1", "Label_VoltLowGain"},  // the unsigned gain would read 65535
  });
  w.Link.CmdRegister = 1234;
  w.Link.CmdValue = 77;
  settingstest::Commit(w, "Edit_VoltBoundary", "2.5");
  EXPECT_EQ(w.Link.CmdCode, 0);
  EXPECT_EQ(w.Link.CmdRegister, 1234);
  EXPECT_EQ(w.Link.CmdValue, 77);
  EXPECT_TRUE(t.Frames().empty());
}

// The calibration row takes no input, and the calibration codes have no
// work of their own: none of them ever runs a reset.
TEST_F(Gains, CalibrationPostsAndSendsNothing) {
  for (const char* e : kCalibrationEdits) {
    w.Link.CmdCode = 0;
    settingstest::Commit(w, e, "100");
    EXPECT_EQ(w.Link.CmdCode, 0) << e;
  }
  w.IsSuperUser = 1;
  for (int code : {CmdVoltCaliHigh, CmdVoltCaliLow, CmdCurrCaliHigh, CmdCurrCaliLow, CmdVoltRedCaliHigh,
                   CmdPowerCaliHigh, CmdPowerCaliLow}) {
    PostCommand(w.Link, code, 33537, 100);
    ASSERT_EQ(w.ExecutePendingCommand(), 0) << code;
    EXPECT_TRUE(t.Frames().empty()) << code;
  }
}

TEST_F(Gains, WrittenThenReadBackBlue) {
  settingstest::Commit(w, "Edit_VoltLowGain", "65535");
  settingstest::Commit(w, "Combo_GainIndex", "Total Bus");
  ASSERT_EQ(w.Link.CmdCode, 6);
  EXPECT_EQ(Colour(w, "Label_VoltLowGain"), clRed);
  EXPECT_EQ(Colour(w, "Label_GainIndex"), clRed);
  // The second post replaced the first in the mailbox: run both as posted.
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  settingstest::Commit(w, "Edit_VoltLowGain", "65535");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  ASSERT_EQ(PollVIPGain(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_VoltLowGain"), "65535");
  EXPECT_EQ(Text(w, "Label_GainIndex"), "Total Bus");
  EXPECT_EQ(Colour(w, "Label_VoltLowGain"), clBlue);
  EXPECT_EQ(Colour(w, "Label_GainIndex"), clBlue);
}
