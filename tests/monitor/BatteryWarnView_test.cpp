#include <gtest/gtest.h>

#include "link/Modbus.h"
#include "monitor/BatteryWarnView.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"

using polltest::ReadFrame;
using polltest::Rtu;
using polltest::SetInputs;
using polltest::Text;

namespace {

QStringList WarnTexts(TForm_Main& w) {
  QStringList out;
  for (const char* n : {"Label_WarnEvent01", "Label_WarnEvent02", "Label_WarnEvent03", "Label_WarnEvent04",
                        "Label_WarnEvent05"})
    out << Text(w, n);
  return out;
}

using BatteryWarnView = polltest::ViewTest;

}  // namespace

TEST_F(BatteryWarnView, BatteryModules) {
  const struct {
    PollItem item;
    const char *panel, *status, *prefix;
    int reg;
  } modules[] = {{PollBTModule1, "Group_BT_Module1", "BTM1...", "Label_BTM1_", 1600},
                 {PollBTModule2, "Group_BT_Module2", "BTM2...", "Label_BTM2_", 1616}};
  // Signed current, unsigned cell temperatures; no scale factor applies.
  w.PowerMul = 1000;
  w.SignedValues = 0;
  const std::pair<const char*, const char*> shown[] = {
      {"Status", "3"},          {"Alarm", "65535"},      {"Error", "7"},        {"SOC", "95.5 %"},
      {"SOH", "100.0 %"},       {"MaxVolt", "3405 mV"},  {"MinVolt", "3390 mV"}, {"Current", "-1.00 A"},
      {"MaxT", "6553.5 °C"},    {"MinT", "21.5 °C"},     {"InputCap", "12kWh"}, {"OutputCap", "0kWh"},
  };
  for (const auto& m : modules) {
    t.ShowPanel(m.panel);
    SetInputs(t.sim, m.reg, {3, 65535, 7, 955, 1000, 3405, 3390, 0xFF9C, 0xFFFF, 215, 11, 22, 12, 0});
    t.sim.ClearFrames();
    ASSERT_EQ(m.item(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), std::vector<QString>{ReadFrame(m.reg, 14)});
    EXPECT_EQ(w.StatusText(2), m.status);
    for (const auto& [suffix, text] : shown)
      EXPECT_EQ(Text(w, QString(m.prefix) + suffix), QString::fromUtf8(text)) << m.prefix << suffix;

    // A rejected reply leaves every label.
    SetInputs(t.sim, m.reg, std::vector<uint16_t>(14, 1));
    t.sim.QueueFault(sim::ReplyFault::Exception(2));
    ASSERT_EQ(m.item(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, QString(m.prefix) + "SOC"), "95.5 %");
  }
}

TEST_F(BatteryWarnView, WarningTexts) {
  t.ShowPanel("Group_WarnEvent");
  const struct {
    uint16_t w0, w1;
    QStringList texts;
  } cases[] = {
      {0x8802, 0x0006, {"Solar1 Low", "SPD Fail", "HW FAN", "DC Surge Fail", "AC Surge Fail"}},
      // Seven texts: the surge texts do not fit.
      {0x8886, 0x0006, {"Solar1 Low", "Solar2 Low", "De-rating", "SPD Fail", "HW FAN"}},
      // Other bits play no part; short lists leave the rest empty.
      {0x77F9, 0xFFF9, {"De-rating", "", "", "", ""}},
      {0x0000, 0x0004, {"AC Surge Fail", "", "", "", ""}},
      {0x0000, 0x0000, {"", "", "", "", ""}},
  };
  for (const auto& c : cases) {
    SetInputs(t.sim, 53282, {c.w0, c.w1});
    t.sim.ClearFrames();
    ASSERT_EQ(PollWarnEvent(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), std::vector<QString>{Rtu({1, 4, 0xD0, 0x21, 0, 2})});
    EXPECT_EQ(w.StatusText(2), "Warn...");
    EXPECT_EQ(WarnTexts(w), c.texts) << std::hex << c.w0 << " " << c.w1;
  }
}

TEST_F(BatteryWarnView, UnansweredWarningsAreNotShownAsAllClear) {
  t.ShowPanel("Group_WarnEvent");
  SetInputs(t.sim, 53282, {0x0002, 0x0000});
  ASSERT_EQ(PollWarnEvent(&w.Link, 0), 0);
  ASSERT_EQ(Text(w, "Label_WarnEvent01"), "Solar1 Low");
  SetInputs(t.sim, 53282, {0, 0});
  for (const auto& fault : {sim::ReplyFault::Exception(2), sim::ReplyFault::BadCrc()}) {
    t.sim.QueueFault(fault);
    ASSERT_EQ(PollWarnEvent(&w.Link, 0), 0);
    EXPECT_EQ(WarnTexts(w), (QStringList{"Solar1 Low", "", "", "", ""}));
  }
}

TEST_F(BatteryWarnView, TestValuesAreSigned) {
  t.ShowPanel("Group_TestValue");
  std::vector<uint16_t> first, second;
  for (int k = 0; k < 12; ++k) {
    first.push_back(static_cast<uint16_t>(k * 1000));
    second.push_back(static_cast<uint16_t>(0x8000 + k));
  }
  SetInputs(t.sim, 21504, first);
  SetInputs(t.sim, 24128, second);
  ASSERT_EQ(PollTestValue(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadFrame(21504, 12), ReadFrame(24128, 12)}));
  EXPECT_EQ(w.StatusText(2), "Test Value...");
  for (int k = 0; k < 12; ++k) {
    EXPECT_EQ(Text(w, "Label_TestVal" + QString::number(k)), QString::number(k * 1000));
    EXPECT_EQ(Text(w, "Label_TestValN" + QString::number(k)), QString::number(-32768 + k));
  }

  // A rejected first read leaves its column and the second is still made.
  SetInputs(t.sim, 21504, std::vector<uint16_t>(12, 0xFFFF));
  SetInputs(t.sim, 24128, std::vector<uint16_t>(12, 0xFFFF));
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollTestValue(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_TestVal1"), "1000");
  EXPECT_EQ(Text(w, "Label_TestValN1"), "-1");
}

TEST_F(BatteryWarnView, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollBTModule1, "Group_BT_Module1"},
                                              {PollBTModule2, "Group_BT_Module2"},
                                              {PollWarnEvent, "Group_WarnEvent"},
                                              {PollTestValue, "Group_TestValue"}});
  EXPECT_EQ(Text(w, "Label_WarnEvent01"), "??");  // a failed link touches no label
}
