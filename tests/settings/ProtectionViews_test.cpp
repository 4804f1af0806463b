#include <gtest/gtest.h>

#include <QLineEdit>
#include <vector>

#include "app/main.h"
#include "link/Modbus.h"
#include "platform/ValueLabel.h"
#include "link/PollingLoop.h"
#include "settings/ProtectionViews.h"
#include "support/PollFixture.h"
#include "support/SettingsFixture.h"
#include "support/UserInput.h"

using polltest::Colour;
using polltest::Rtu;
using polltest::Text;

namespace {

QString ReadHolding(int reg, int count) { return Rtu({1, 3, (reg - 1) >> 8, (reg - 1) & 0xFF, 0, count}); }
QString WriteHolding(int reg, int value) {
  return Rtu({1, 6, (reg - 1) >> 8, (reg - 1) & 0xFF, (value >> 8) & 0xFF, value & 0xFF});
}

constexpr const char* kUacLabels[] = {
    "Label_UHighOFF",     "Label_UHighOFFTime",     "Label_UHighON",     "Label_ULowOFF",
    "Label_ULowOFFTime",  "Label_ULowON",           "Label_UHighOFFSlow", "Label_UHighOFFSlowTime",
    "Label_UHighONSlow",  "Label_ULowOFFSlow",      "Label_ULowOFFSlowTime", "Label_ULowONSlow",
};
constexpr const char* kUacSlow2Labels[] = {"Label_UHighOFFSlow2", "Label_UHighOFFSlowTime2", "Label_UHighONSlow2",
                                           "Label_ULowOFFSlow2",  "Label_ULowOFFSlowTime2",  "Label_ULowONSlow2"};
constexpr const char* kFreqLabels[] = {
    "Label_FHighOFF",     "Label_FHighOFFTime",     "Label_FHighON",     "Label_FLowOFF",
    "Label_FLowOFFTime",  "Label_FLowON",           "Label_FHighOFFSlow", "Label_FHighOFFSlowTime",
    "Label_FHighONSlow",  "Label_FLowOFFSlow",      "Label_FLowOFFSlowTime", "Label_FLowONSlow",
};

struct Protection : polltest::ViewTest {
  ValueLabel* country = nullptr;

  void SetUp() override {
    t.ShowPanel("Group_UacProtection");
    t.ShowPanel("Group_FreqProtection");
    // The country view fills this label; stand in for it when it is not built.
    country = w.Ctl<ValueLabel>("Label_Country");
    if (!country) {
      country = new ValueLabel(&w);
      country->setObjectName("Label_Country");
      w.RegisterControl(country);
    }
    t.sim.SetHoldingBlock(1, 33552, {2530, 20, 2500, 1950, 150, 2000, 2600, 300, 2550, 1900, 250, 1980});
    t.sim.SetHoldingBlock(1, 48176, {2650, 5000, 2600, 1850, 6000, 1900});
    t.sim.SetHoldingBlock(1, 33568, {5150, 10, 5100, 4750, 20, 4800});
    t.sim.SetHoldingBlock(1, 33610, {5200, 3000, 5150, 4700, 4000, 4750});
  }
  void TypeAndEnter(const char* edit, const QString& text) {
    auto& e = polltest::ControlAs<QLineEdit>(w, edit);
    e.setText(text);
    input::KeyClick(&e, Qt::Key_Return);
  }
};

TEST(SlowStageDefaultsApply, CountryTest) {
  struct Case {
    const char* text;
    bool match;
  };
  for (const Case& c : std::initializer_list<Case>{{"Cu12345r", true},
                                                  {"Cu12345r and more", true},
                                                  {"cu12345r", false},
                                                  {"CU12345r", false},
                                                  {"Cu12345R", false},
                                                  {"Custom", false},
                                                  {"Cu1234r", false},
                                                  {"", false}})
    EXPECT_EQ(SlowStageDefaultsApply(QString::fromLatin1(c.text)), c.match) << c.text;
}

TEST(ProtectionPollOrder, VoltageThenFrequencyAfterTheEventLog) {
  const auto rows = PollOrder();
  size_t i = 0;
  while (i < rows.size() && rows[i].item != PollUacProtection) ++i;
  ASSERT_LT(i + 1, rows.size());
  EXPECT_EQ(rows[i].order, 23);
  EXPECT_EQ(rows[i + 1].item, &PollFreqProtection);
  EXPECT_EQ(rows[i + 1].order, 24);
  EXPECT_LT(rows[i - 1].order, 23);
}

TEST_F(Protection, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollUacProtection, "Group_UacProtection"},
                                              {PollFreqProtection, "Group_FreqProtection"}});
}

TEST_F(Protection, ControlsAsDeclared) {
  for (const char* name : kUacLabels) EXPECT_EQ(Text(w, name), "???") << name;
  EXPECT_EQ(polltest::ControlAs<ValueLabel>(w, "Label71").text(), "U High Off:");
  EXPECT_EQ(polltest::ControlAs<ValueLabel>(w, "Label116").text(), "F Low On Slow:");
  // The high side's second slow stage lies in its own box.
  EXPECT_EQ(polltest::ControlAs<QLineEdit>(w, "Edit_UHighONSlow2").parentWidget()->objectName(), "GroupBox39");
  EXPECT_EQ(polltest::ControlAs<QLineEdit>(w, "Edit_ULowONSlow2").parentWidget(), w.Panel("Group_UacProtection"));
  EXPECT_EQ(polltest::ControlAs<QLineEdit>(w, "Edit_FHighOFFSlow").toolTip(), "Max: 65Hz");
  EXPECT_EQ(polltest::ControlAs<QLineEdit>(w, "Edit_ULowOFFSlowTime2").toolTip(), "Max: 600 sec");
}

TEST_F(Protection, VoltageReadBack) {
  for (const char* name : kUacLabels) polltest::Paint(w, name, "red", clRed);
  ASSERT_EQ(PollUacProtection(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(33552, 12), ReadHolding(48176, 6)}));
  EXPECT_EQ(w.StatusText(2), "Vac Set...");
  const std::vector<QString> expected = {"253.0 V", "0.20 Sec", "250.0 V", "195.0 V", "1.50 Sec", "200.0 V",
                                         "260.0 V", "3.00 Sec", "255.0 V", "190.0 V", "2.50 Sec", "198.0 V"};
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(Text(w, kUacLabels[i]), expected[i]) << kUacLabels[i];
    EXPECT_EQ(Colour(w, kUacLabels[i]), clBlue) << kUacLabels[i];
  }
  const std::vector<QString> slow2 = {"265.0 V", "50.00 Sec", "260.0 V", "185.0 V", "60.00 Sec", "190.0 V"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(Text(w, kUacSlow2Labels[i]), slow2[i]) << kUacSlow2Labels[i];
    EXPECT_EQ(Colour(w, kUacSlow2Labels[i]), clBlue) << kUacSlow2Labels[i];
  }
}

TEST_F(Protection, FrequencyReadBack) {
  ASSERT_EQ(PollFreqProtection(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(33568, 6), ReadHolding(33610, 6)}));
  EXPECT_EQ(w.StatusText(2), "Freq Set...");
  const std::vector<QString> expected = {"51.50 Hz", "0.10 Sec", "51.00 Hz", "47.50 Hz", "0.20 Sec", "48.00 Hz",
                                         "52.00 Hz", "30.00 Sec", "51.50 Hz", "47.00 Hz", "40.00 Sec", "47.50 Hz"};
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(Text(w, kFreqLabels[i]), expected[i]) << kFreqLabels[i];
    EXPECT_EQ(Colour(w, kFreqLabels[i]), clBlue) << kFreqLabels[i];
  }
}

TEST_F(Protection, InvalidRepliesVoltageKeepsColourFrequencyPaintsBlue) {
  for (const char* name : kUacLabels) polltest::Paint(w, name, "red", clRed);
  for (const char* name : kFreqLabels) polltest::Paint(w, name, "red", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));  // 33552
  ASSERT_EQ(PollUacProtection(&w.Link, 0), 0);
  for (const char* name : kUacLabels) {
    EXPECT_EQ(Text(w, name), "red") << name;
    EXPECT_EQ(Colour(w, name), clRed) << name;
  }
  EXPECT_EQ(Text(w, "Label_UHighOFFSlow2"), "265.0 V");  // the next block goes on

  t.sim.QueueFault(sim::ReplyFault::Exception(2));  // 33568
  t.sim.QueueFault(sim::ReplyFault::Exception(2));  // 33610
  ASSERT_EQ(PollFreqProtection(&w.Link, 0), 0);
  for (const char* name : kFreqLabels) {
    EXPECT_EQ(Text(w, name), "red") << name;
    EXPECT_EQ(Colour(w, name), clBlue) << name;
  }
}

TEST_F(Protection, VoltageDefaultsOnlyForUnsetRegistersOfTheMatchingCountry) {
  t.sim.SetHolding(1, 33559, 0);
  ASSERT_EQ(PollUacProtection(&w.Link, 0), 0);  // country does not match
  EXPECT_EQ(t.Frames().size(), 2u);

  country->setText("Cu12345r");
  t.sim.ClearFrames();
  ASSERT_EQ(PollUacProtection(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(33552, 12), WriteHolding(33559, 60000),
                                              ReadHolding(48176, 6)}));
  EXPECT_EQ(Text(w, "Label_UHighOFFSlowTime"), "0.00 Sec");  // as read; the defaults show next pass
  EXPECT_EQ(t.sim.Holding(1, 33559), 60000);
}

TEST_F(Protection, AllSixVoltageSlowStageWordsUnset) {
  country->setText("Cu12345r");
  t.sim.SetHoldingBlock(1, 33558, {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF});
  ASSERT_EQ(PollUacProtection(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(33552, 12), WriteHolding(33558, 2760),
                                              WriteHolding(33559, 60000), WriteHolding(33560, 2760),
                                              WriteHolding(33561, 1840), WriteHolding(33562, 60000),
                                              WriteHolding(33563, 1840), ReadHolding(48176, 6)}));
  EXPECT_EQ(Text(w, "Label_UHighOFFSlow"), "6553.5 V");
  EXPECT_EQ(Text(w, "Label_UHighOFFSlowTime"), "655.35 Sec");
  EXPECT_EQ(Colour(w, "Label_UHighOFFSlow"), clBlue);

  t.sim.ClearFrames();
  ASSERT_EQ(PollUacProtection(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames().size(), 2u);
  EXPECT_EQ(Text(w, "Label_UHighOFFSlow"), "276.0 V");
  EXPECT_EQ(Text(w, "Label_ULowONSlow"), "184.0 V");
}

TEST_F(Protection, FrequencyDefaults) {
  country->setText("Cu12345r");
  t.sim.SetHoldingBlock(1, 33610, {0, 3000, 0xFFFF, 4700, 0, 0xFFFF});
  ASSERT_EQ(PollFreqProtection(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(33568, 6), ReadHolding(33610, 6),
                                              WriteHolding(33610, 6500), WriteHolding(33612, 6500),
                                              WriteHolding(33614, 60000), WriteHolding(33615, 4500)}));
  for (const char* name : kFreqLabels) EXPECT_EQ(Colour(w, name), clBlue) << name;

  // No valid slow-stage reply: nothing written, the labels still blue.
  t.sim.SetHoldingBlock(1, 33610, {0, 0, 0, 0, 0, 0});
  t.sim.ClearFrames();
  polltest::Paint(w, "Label_FLowONSlow", "red", clRed);
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollFreqProtection(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames().size(), 2u);
  EXPECT_EQ(Colour(w, "Label_FLowONSlow"), clBlue);
}

// Every editor of both groups: the typed text, the register and value
// written, the label painted red; the clamps of the frequency slow stage.
TEST_F(Protection, EveryEditorWritesItsRegister) {
  settingstest::ExpectEditorWrites(t, {
      {"Edit_UHighOFF", "276", 33552, 2760, "Label_UHighOFF"},
      {"Edit_UHighOFF", "253.05", 33552, 2530, "Label_UHighOFF"},
      {"Edit_UHighOFFTime", "0.2", 33553, 20, "Label_UHighOFFTime"},
      {"Edit_UHighON", "250", 33554, 2500, "Label_UHighON"},
      {"Edit_ULowOFF", "195", 33555, 1950, "Label_ULowOFF"},
      {"Edit_ULowOFFTime", "0.29", 33556, 29, "Label_ULowOFFTime"},
      {"Edit_ULowON", "200.5", 33557, 2005, "Label_ULowON"},
      {"Edit_UHighOFFSlow", "260", 33558, 2600, "Label_UHighOFFSlow"},
      {"Edit_UHighOFFSlowTime", "3", 33559, 300, "Label_UHighOFFSlowTime"},
      {"Edit_UHighONSlow", "255", 33560, 2550, "Label_UHighONSlow"},
      {"Edit_ULowOFFSlow", "190", 33561, 1900, "Label_ULowOFFSlow"},
      {"Edit_ULowOFFSlowTime", "2.5", 33562, 250, "Label_ULowOFFSlowTime"},
      {"Edit_ULowONSlow", "198", 33563, 1980, "Label_ULowONSlow"},
      {"Edit_UHighOFFSlow2", "265", 48176, 2650, "Label_UHighOFFSlow2"},
      {"Edit_UHighOFFSlowTime2", "600", 48177, 60000, "Label_UHighOFFSlowTime2"},
      {"Edit_UHighONSlow2", "260", 48178, 2600, "Label_UHighONSlow2"},
      {"Edit_ULowOFFSlow2", "185", 48179, 1850, "Label_ULowOFFSlow2"},
      {"Edit_ULowOFFSlowTime2", "60", 48180, 6000, "Label_ULowOFFSlowTime2"},
      {"Edit_ULowONSlow2", "184", 48181, 1840, "Label_ULowONSlow2"},
      {"Edit_FHighOFF", "65", 33568, 6500, "Label_FHighOFF"},
      {"Edit_FHighOFFTime", "0.1", 33569, 10, "Label_FHighOFFTime"},
      {"Edit_FHighON", "51", 33570, 5100, "Label_FHighON"},
      {"Edit_FLowOFF", "47.5", 33571, 4750, "Label_FLowOFF"},
      {"Edit_FLowOFFTime", "0.25", 33572, 25, "Label_FLowOFFTime"},
      {"Edit_FLowON", "48", 33573, 4800, "Label_FLowON"},
      {"Edit_FHighOFFSlow", "65.5", 33610, 6500, "Label_FHighOFFSlow"},
      {"Edit_FHighOFFSlow", "60", 33610, 6000, "Label_FHighOFFSlow"},
      {"Edit_FHighOFFSlow", "400", 33610, 6500, "Label_FHighOFFSlow"},  // 40000 is above the limit too
      {"Edit_FHighOFFSlowTime", "700", 33611, 60000, "Label_FHighOFFSlowTime"},
      {"Edit_FHighOFFSlowTime", "600", 33611, 60000, "Label_FHighOFFSlowTime"},
      {"Edit_FHighOFFSlowTime", "5", 33611, 500, "Label_FHighOFFSlowTime"},
      {"Edit_FHighONSlow", "70", 33612, 6500, "Label_FHighONSlow"},
      {"Edit_FHighONSlow", "400", 33612, 6500, "Label_FHighONSlow"},
      {"Edit_FLowOFFSlow", "40", 33613, 4500, "Label_FLowOFFSlow"},
      {"Edit_FLowOFFSlow", "400", 33613, 4500, "Label_FLowOFFSlow"},
      {"Edit_FLowOFFSlowTime", "700", 33614, 60000, "Label_FLowOFFSlowTime"},
      {"Edit_FLowONSlow", "40", 33615, 4500, "Label_FLowONSlow"},
      {"Edit_FLowONSlow", "400", 33615, 4500, "Label_FLowONSlow"},
  });
}

// A typo or an empty edit is no trip level of 0 V (or of 45 Hz after the
// clamp): refused with a message.
TEST_F(Protection, TextThatIsNoNumberIsRefused) {
  settingstest::ExpectRefused(t, {{"Edit_FLowON", "abc", "Label_FLowON"},
                                  {"Edit_FLowOFFSlow", "", "Label_FLowOFFSlow"},
                                  {"Edit_ULowOFF", "2O0", "Label_ULowOFF"}});
}

TEST_F(Protection, ValueBeyondSixteenBitsPostsNothing) {
  // 70000 would be written as 446.4 V.
  settingstest::ExpectRefused(t, {{"Edit_UHighOFF", "7000", "Label_UHighOFF"}});
  EXPECT_EQ(t.dialogs.messages.back(), "Out of range: the value must lie from 0.0 to 6553.5");
  // Nor does the unsigned register take a negative level (6553.5 V read back).
  settingstest::ExpectRefused(t, {{"Edit_ULowOFF", "-0.1", "Label_ULowOFF"}});
  EXPECT_EQ(t.dialogs.messages.back(), "Out of range: the value must lie from 0.0 to 6553.5");
}

// A clamped row is refused with the range it writes, not the register's:
// above the limit it writes the limit, below the register's floor nothing.
TEST_F(Protection, ClampedRowsNameTheRangeTheyWrite) {
  constexpr const char* kSeconds = "Out of range: the value must lie from 0.00 to 600.00";
  constexpr const char* kHighHz = "Out of range: the value must lie from 0.00 to 65.00";
  // 750 Hz is 75000, whose stored word reads 94.64 Hz: above the low clamp,
  // but more than the register holds.
  constexpr const char* kLowHz = "Out of range: the value must lie from 45.00 to 327.67";
  settingstest::ExpectRefused(t, {
      {"Edit_FHighOFFSlowTime", "-1", "Label_FHighOFFSlowTime", kSeconds},
      {"Edit_FLowOFFSlowTime", "-0.01", "Label_FLowOFFSlowTime", kSeconds},
      {"Edit_FHighOFFSlow", "-1", "Label_FHighOFFSlow", kHighHz},
      {"Edit_FHighONSlow", "-0.01", "Label_FHighONSlow", kHighHz},
      {"Edit_FLowOFFSlow", "750", "Label_FLowOFFSlow", kLowHz},
      {"Edit_FLowONSlow", "750", "Label_FLowONSlow", kLowHz},
  });
}

TEST_F(Protection, EditWrittenThenReadBackBlue) {
  ASSERT_EQ(PollUacProtection(&w.Link, 0), 0);
  TypeAndEnter("Edit_UHighOFF", "262.5");
  EXPECT_EQ(w.Link.CmdRegister, 33552);
  EXPECT_EQ(w.Link.CmdValue, 2625);
  EXPECT_EQ(Colour(w, "Label_UHighOFF"), clRed);
  EXPECT_EQ(Text(w, "Label_UHighOFF"), "253.0 V");

  // While the command waits no view reads.
  t.sim.ClearFrames();
  ASSERT_EQ(PollUacProtection(&w.Link, 0), 0);
  EXPECT_TRUE(t.Frames().empty());
  EXPECT_EQ(Colour(w, "Label_UHighOFF"), clRed);

  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{WriteHolding(33552, 2625)});
  EXPECT_EQ(t.sim.Holding(1, 33552), 2625);
  w.Link.CmdCode = 0;  // as the loop empties the mailbox

  ASSERT_EQ(PollUacProtection(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_UHighOFF"), "262.5 V");
  EXPECT_EQ(Colour(w, "Label_UHighOFF"), clBlue);
}

}  // namespace
