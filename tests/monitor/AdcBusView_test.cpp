#include <gtest/gtest.h>

#include "link/Modbus.h"
#include "monitor/AdcBusView.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"

using polltest::Colour;
using polltest::ReadFrame;
using polltest::Rtu;
using polltest::SetInputs;
using polltest::Text;

namespace {

constexpr int kSelector = 800;

// Selector write and window read of one page, as they go on the wire.
std::vector<QString> PageFrames(int page, int window, int words) {
  return {Rtu({1, 6, 0x03, 0x1F, 0, page}), ReadFrame(window, words)};
}

using AdcBusView = polltest::ViewTest;

// The converter pages in poll order: page, words, label of each word ("" = not shown).
const struct {
  int page;
  int words;
  std::vector<const char*> labels;
} kAdcPages[] = {
    {0, 4, {"Label_Output1AdcVolt", "Label_Output1AdcCurr", "Label_Output1AdcPower", "Label_Output1AdcVRed"}},
    {1, 4, {"Label_Output2AdcVolt", "Label_Output2AdcCurr", "Label_Output2AdcPower", "Label_Output2AdcVRed"}},
    {2, 4, {"Label_Output3AdcVolt", "Label_Output3AdcCurr", "Label_Output3AdcPower", "Label_Output3AdcVRed"}},
    {16, 4, {"Label_Output1AdcVout", "", "", "Label_Output1AdcVoutRed"}},
    {17, 4, {"Label_Output2AdcVout", "", "", "Label_Output2AdcVoutRed"}},
    {18, 4, {"Label_Output3AdcVout", "", "", "Label_Output3AdcVoutRed"}},
    {48, 3, {"Label_Input1AdcVolt", "Label_Input1AdcCurr", "Label_Input1AdcPower"}},
    {49, 3, {"Label_Input2AdcVolt", "Label_Input2AdcCurr", "Label_Input2AdcPower"}},
    {50, 3, {"Label_Input3AdcVolt", "Label_Input3AdcCurr", "Label_Input3AdcPower"}},
    {51, 3, {"Label_Input4AdcVolt", "Label_Input4AdcCurr", "Label_Input4AdcPower"}},
    {52, 3, {"Label_Input5AdcVolt", "Label_Input5AdcCurr", "Label_Input5AdcPower"}},
    {53, 3, {"Label_Input6AdcVolt", "Label_Input6AdcCurr", "Label_Input6AdcPower"}},
    {64, 1, {"Label_PbusAdcVolt"}},
    {65, 1, {"Label_NbusAdcVolt"}},
};

// A distinct unsigned count for every page and word (above 32767 to show no sign is taken).
uint16_t Count(int page, int k) { return static_cast<uint16_t>(40000 + page * 10 + k); }

}  // namespace

TEST_F(AdcBusView, AdcPagesWithOneRejectedThenTotalBusOverwritesPbusCount) {
  t.ShowPanel("Group_ADC");
  t.ShowPanel("Group_GetTotalBus");
  for (const auto& p : kAdcPages) {
    std::vector<uint16_t> words;
    for (int k = 0; k < p.words; ++k) words.push_back(Count(p.page, k));
    t.sim.SetPagedInput(1, kSelector, p.page, 1068, words);
  }
  // Page 17's read is the tenth answer: it comes back as an exception.
  for (int i = 0; i < 9; ++i) t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));

  ASSERT_EQ(PollADC(&w.Link, 0), 0);

  std::vector<QString> expected;
  for (const auto& p : kAdcPages)
    for (const QString& f : PageFrames(p.page, 1068, p.words)) expected.push_back(f);
  EXPECT_EQ(t.Frames(), expected);
  EXPECT_EQ(w.StatusText(2), "ADC...");
  for (const auto& p : kAdcPages)
    for (int k = 0; k < p.words; ++k) {
      if (!*p.labels[k]) continue;
      const QString want = p.page == 17 ? QStringLiteral("??") : QString::number(Count(p.page, k));
      EXPECT_EQ(Text(w, p.labels[k]), want) << p.labels[k];
      EXPECT_EQ(Colour(w, p.labels[k]), clBlue);
    }

  // Later in the pass the total-bus item puts page 66's word 12 into the Pbus count.
  std::vector<uint16_t> bus(14, 0);
  bus[0] = 0x0042;
  bus[1] = 4000;
  bus[12] = 777;
  t.sim.SetPagedInput(1, kSelector, 66, 1056, bus);
  t.sim.ClearFrames();
  ASSERT_EQ(PollTotalBus(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), PageFrames(66, 1056, 14));
  EXPECT_EQ(w.StatusText(2), "Total BUS...");
  EXPECT_EQ(Text(w, "Label_TotalBus"), "400.0 V");
  EXPECT_EQ(Text(w, "Label_PbusAdcVolt"), "777");
}

TEST_F(AdcBusView, BusPagesAreUsedOnlyWithTheirEcho) {
  t.ShowPanel("Group_GetVbus");
  t.ShowPanel("Group_GetTotalBus");
  // Page 64 echoes 0x41 (wrong): its label stays; page 65 is still read. Only
  // the low byte of the echo counts.
  t.sim.SetPagedInput(1, kSelector, 64, 1056, {0x0041, 3905});
  t.sim.SetPagedInput(1, kSelector, 65, 1056, {0x0141, 65535});
  t.sim.SetPagedInput(1, kSelector, 66, 1056, std::vector<uint16_t>(14, 0x0140));
  ASSERT_EQ(PollVbus(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{PageFrames(64, 1056, 2)[0], PageFrames(64, 1056, 2)[1],
                                              PageFrames(65, 1056, 2)[0], PageFrames(65, 1056, 2)[1]}));
  EXPECT_EQ(w.StatusText(2), "BUS...");
  EXPECT_EQ(Text(w, "Label_PBus"), "??");
  EXPECT_EQ(Text(w, "Label_NBus"), "6553.5 V");  // the negative bus is unsigned too
  ASSERT_EQ(PollTotalBus(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_TotalBus"), "??");

  // The bus voltages follow the voltage divisor.
  const struct {
    int divisor;
    const char* text;
  } cases[] = {{10, "390.5 V"}, {1, "3905 V"}, {100, "39.05 V"}, {1000, "3.905 V"}};
  t.sim.SetPagedInput(1, kSelector, 64, 1056, {0x0140, 3905});
  for (const auto& c : cases) {
    w.VoltageDiv = c.divisor;
    ASSERT_EQ(PollVbus(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_PBus"), c.text) << c.divisor;
  }
}

TEST_F(AdcBusView, OutputEnergyAndRunTimes) {
  t.ShowPanel("Group_OutputPower");
  const struct {
    std::vector<uint16_t> words;
    int energyMul;
    const char *today, *runtime, *total, *totalRuntime;
  } cases[] = {
      {{0x86A0, 0x0001, 0x0E10, 0, 0, 0, 0, 0}, 1, "100.000 KWh", "1:0:0", "0.000 KWh", "0:0:0"},
      {{1234, 0, 0x5FCD, 0x0001, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}, 10, "12.340 KWh", "25:1:1", "42949672.000 KWh",
       "0:0:-1"},
      // A large lifetime counter times the factor does not wrap negative.
      {{0, 0, 59, 0, 0, 0x0040, 3599, 0}, 1000, "0.000 KWh", "0:0:59", "4194304.000 KWh", "0:59:59"},
  };
  for (const auto& c : cases) {
    SetInputs(t.sim, 1072, c.words);
    w.EnergyMul = c.energyMul;
    t.sim.ClearFrames();
    ASSERT_EQ(PollOutputPower(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), std::vector<QString>{Rtu({1, 4, 0x04, 0x2F, 0, 8})});
    EXPECT_EQ(w.StatusText(2), "OutP...");
    EXPECT_EQ(Text(w, "Label_TodayWh"), c.today);
    EXPECT_EQ(Text(w, "Label_Runtime"), c.runtime);
    EXPECT_EQ(Text(w, "Label_TotalWh"), c.total);
    EXPECT_EQ(Text(w, "Label_TotalRuntime"), c.totalRuntime);
  }
}

TEST_F(AdcBusView, LifetimeEnergyTurnsBlueOnlyWhenReadBack) {
  t.ShowPanel("Group_OutputPower");
  t.sim.SetInput(1, 1072 + 4, 500);
  auto* total = w.Ctl<ValueLabel>("Label_TotalWh");
  total->show("9999", clRed);  // a lifetime energy written, not yet confirmed

  t.sim.QueueFault(sim::ReplyFault::Exception(4));
  ASSERT_EQ(PollOutputPower(&w.Link, 0), 0);
  EXPECT_EQ(total->text(), "9999");
  EXPECT_EQ(total->fontColor(), clRed);
  EXPECT_EQ(Text(w, "Label_TodayWh"), "??");

  ASSERT_EQ(PollOutputPower(&w.Link, 0), 0);
  EXPECT_EQ(total->text(), "5.000 KWh");
  EXPECT_EQ(total->fontColor(), clBlue);
}

TEST_F(AdcBusView, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollADC, "Group_ADC"},
                                              {PollVbus, "Group_GetVbus"},
                                              {PollTotalBus, "Group_GetTotalBus"},
                                              {PollOutputPower, "Group_OutputPower"}});
  EXPECT_EQ(Text(w, "Label_PBus"), "??");
}
