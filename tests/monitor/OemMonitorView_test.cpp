#include <gtest/gtest.h>

#include "link/Modbus.h"
#include "monitor/OemMonitorView.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"

using polltest::Colour;
using polltest::ReadFrame;
using polltest::Rtu;
using polltest::SetInputs;
using polltest::Text;

namespace {

struct OemMonitorView : polltest::ViewTest {};

}  // namespace

TEST_F(OemMonitorView, MonitorBlockTimesMaximaAndVersions) {
  t.ShowPanel("Group_BrennikMM");
  SetInputs(t.sim, 53254, {0x1F24, 0x0001});  // 73,508 s, low word first
  SetInputs(t.sim, 55808, {0x60B6, 0x2140});  // high word first
  SetInputs(t.sim, 1114, {0x0FA0, 0x0FD2, 0x0000, 0xFFFF, 2205});
  SetInputs(t.sim, 1152, {0xFFF6, 0x0023, 0x8000, 0x0005});
  SetInputs(t.sim, 1040, {0x0105, 0x0000, 0x0A00, 0x0000, 0x0203, 0x0000});

  ASSERT_EQ(PollBrennikMM(&w.Link, 0), 0);

  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadFrame(53254, 2), ReadFrame(55808, 2), ReadFrame(1114, 5),
                                               ReadFrame(1152, 4), ReadFrame(1040, 6)}));
  EXPECT_EQ(w.StatusText(2), "Monitor...");
  EXPECT_EQ(Text(w, "Label_BRK_OutputTime"), "20 Hour 25 Min.");
  EXPECT_EQ(Text(w, "Label_BRK_StartTime"), "2021/06/01");
  EXPECT_EQ(Text(w, "Label_BRK_VdcMax"), "405.0");  // 0xFFFF counts as -1
  EXPECT_EQ(Text(w, "Label_BRK_VacMax"), "220.5");
  EXPECT_EQ(Text(w, "Label_BRK_TempMax"), "35");
  EXPECT_EQ(Text(w, "Label_BRK_DspMCU"), "V01.05");
  EXPECT_EQ(Text(w, "Label_BRK_RedMCU"), "V10.00");
  EXPECT_EQ(Text(w, "Label_BRK_CommMCU"), "V02.03");
  EXPECT_EQ(Colour(w, "Label_BRK_OutputTime"), clBlue);

  // Signed and empty edges; a rejected reply skips only its own labels.
  SetInputs(t.sim, 53254, {0xFF88, 0xFFFF});  // -120 s
  SetInputs(t.sim, 55808, {0, 0});
  SetInputs(t.sim, 1114, {0xFFF6, 0xFFEC, 0xFFFF, 0x8000, 0});
  SetInputs(t.sim, 1040, {0x7B63, 0, 0xFF00, 0, 0, 0});
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));  // the temperatures
  ASSERT_EQ(PollBrennikMM(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_BRK_OutputTime"), "0 Hour -2 Min.");
  EXPECT_EQ(Text(w, "Label_BRK_StartTime"), "");
  EXPECT_EQ(Text(w, "Label_BRK_VdcMax"), "-0.1");
  EXPECT_EQ(Text(w, "Label_BRK_VacMax"), "0.0");
  EXPECT_EQ(Text(w, "Label_BRK_TempMax"), "35");
  EXPECT_EQ(Text(w, "Label_BRK_DspMCU"), "V123.99");
  EXPECT_EQ(Text(w, "Label_BRK_RedMCU"), "V255.00");
  EXPECT_EQ(Text(w, "Label_BRK_CommMCU"), "V00.00");
}

TEST_F(OemMonitorView, SetPointsFollowTheGridFrequency) {
  t.ShowPanel("Group_BRK_SetPoint");
  //                           w0  w1  w2  w3  w4  w5  w6  w7  w8  w9  w10 w11 w12 w13 w14 w15 w16
  std::vector<uint16_t> words = {5, 2, 3, 0, 7, 0, 4, 1, 1, 1, 5, 3, 9, 9, 21, 0, 10};
  t.sim.SetHoldingBlock(1, 25344, words);
  t.sim.SetInput(1, 3332, 6000);
  ASSERT_EQ(PollBRKSetPoint(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadFrame(3332, 1), Rtu({1, 3, 0x62, 0xFF, 0, 17})}));
  EXPECT_EQ(w.StatusText(2), "SetPoint...");
  EXPECT_EQ(Text(w, "Label_BRK_SysOVR"), "115 V");
  EXPECT_EQ(Text(w, "Label_BRK_SysUVR"), "82 V");
  EXPECT_EQ(Text(w, "Label_BRK_OVRUVRTime"), "2.0 秒");
  EXPECT_EQ(Text(w, "Label_BRK_SysOFR"), "60.6 Hz");
  EXPECT_EQ(Text(w, "Label_BRK_SysUFR"), "58.9 Hz");
  EXPECT_EQ(Text(w, "Label_BRK_OFRUFRTime"), "0.5 秒");
  EXPECT_EQ(Text(w, "Label_BRK_RecoveryTime"), "0xAA55(Set)");
  EXPECT_EQ(Text(w, "Label_BRK_SysVoltDerate2"), "107");
  EXPECT_EQ(Text(w, "Label_BRK_SingleOP"), "ON");
  EXPECT_EQ(Text(w, "Label_BRK_OutputDerate"), "50 %");
  EXPECT_EQ(Text(w, "Label_BRK_PowDerate"), "1.00");
  EXPECT_EQ(Text(w, "Label_BRK_SysVoltDerate1"), "OFF");
  EXPECT_EQ(Text(w, "Label_BRK_PhaseNoEffect"), "0.95");

  // One word at a time; out-of-table codes leave their label or show "??".
  const struct {
    int frequency;  // -1: the frequency reply is refused
    int word;
    uint16_t value;
    const char* label;
    const char* text;
  } cases[] = {
      {5000, 10, 5, "Label_BRK_SysOFR", "51 Hz"},
      {5000, 11, 3, "Label_BRK_SysUFR", "48.8 Hz"},
      {5500, 10, 7, "Label_BRK_SysOFR", "51 Hz"},      // neither grid: unchanged
      {4500, 11, 7, "Label_BRK_SysUFR", "48.8 Hz"},
      {-1, 11, 7, "Label_BRK_SysUFR", "48.8 Hz"},
      {6499, 3, 2, "Label_BRK_SysOFR", "60.8 Hz"},
      {5000, 6, 0, "Label_BRK_RecoveryTime", "10 秒"},
      {5000, 6, 3, "Label_BRK_RecoveryTime", "300 秒"},
      {5000, 6, 5, "Label_BRK_RecoveryTime", "??"},
      {5000, 7, 0, "Label_BRK_SysVoltDerate2", "OFF"},
      {5000, 7, 2, "Label_BRK_SysVoltDerate2", "107.5"},
      {5000, 8, 0, "Label_BRK_SingleOP", "OFF"},
      {5000, 8, 2, "Label_BRK_SingleOP", "OFF"},       // unchanged
      {5000, 9, 0, "Label_BRK_OutputDerate", "0 %"},
      {5000, 9, 7, "Label_BRK_OutputDerate", "0 %"},   // unchanged
      {5000, 14, 0, "Label_BRK_PowDerate", "OFF"},
      {5000, 14, 1, "Label_BRK_PowDerate", "0.80"},
      {5000, 14, 22, "Label_BRK_PowDerate", "-0.99"},
      {5000, 14, 41, "Label_BRK_PowDerate", "-0.80"},
      {5000, 14, 42, "Label_BRK_PowDerate", "-0.80"},  // unchanged
      {5000, 15, 3, "Label_BRK_SysVoltDerate1", "3"},
      {5000, 2, 65535, "Label_BRK_OVRUVRTime", "32768.0 秒"},
  };
  for (const auto& c : cases) {
    words[c.word] = c.value;
    t.sim.SetHoldingBlock(1, 25344, words);
    t.sim.SetInput(1, 3332, c.frequency < 0 ? 5000 : c.frequency);
    if (c.frequency < 0) t.sim.QueueFault(sim::ReplyFault::Exception(2));
    ASSERT_EQ(PollBRKSetPoint(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, c.label), c.text) << c.frequency << " w" << c.word << "=" << c.value;
  }

  // A refused set-point block leaves the whole panel.
  words.assign(17, 0);
  t.sim.SetHoldingBlock(1, 25344, words);
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollBRKSetPoint(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_BRK_SysOVR"), "115 V");
  EXPECT_EQ(Text(w, "Label_BRK_SysVoltDerate1"), "3");
}

TEST_F(OemMonitorView, EnergyInputsOutputAndCounters) {
  t.ShowPanel("Group_BRK_Energy");
  SetInputs(t.sim, 3360, {3805, 1239, 4712, 3810, 5, 20, 0, 0, 0, 65535, 65535, 65535});
  SetInputs(t.sim, 3328, {2205, 9999, 2049, 4500, 5999});
  SetInputs(t.sim, 1072, {1234, 0, 0x1F24, 0x0001});        // 12.34 kWh, 73,508 s
  SetInputs(t.sim, 1076, {0x5678, 0x0123, 0xFF88, 0xFFFF});  // 190,931.12 kWh, -120 s

  ASSERT_EQ(PollBRKEnergy(&w.Link, 0), 0);

  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadFrame(3360, 12), ReadFrame(3328, 5), ReadFrame(1072, 4),
                                               ReadFrame(1076, 4)}));
  EXPECT_EQ(w.StatusText(2), "Energy...");
  const char* expected[][2] = {
      {"Label_BRK_Vdc1", "380.5"}, {"Label_BRK_Idc1", "12.3"},   {"Label_BRK_Pdc1", "4712"},
      {"Label_BRK_Vdc2", "381.0"}, {"Label_BRK_Idc2", "0.0"},    {"Label_BRK_Pdc2", "20"},
      {"Label_BRK_Vdc3", "0.0"},   {"Label_BRK_Idc3", "0.0"},    {"Label_BRK_Pdc3", "0"},
      {"Label_BRK_Vdc4", "6553.5"}, {"Label_BRK_Idc4", "655.3"}, {"Label_BRK_Pdc4", "65535"},
      {"Label_BRK_Vac", "220.5"},  {"Label_BRK_Iac", "20.4"},    {"Label_BRK_Pac", "4500"},
      {"Label_BRK_Fac", "59.9"},
      {"Label_BRK_EnergyToday", "12.4"},  {"Label_BRK_TimeToday", "20時間25分"},
      {"Label_BRK_EnergyAcc", "190931.0"}, {"Label_BRK_TimeAcc", "0時間-2分"},
  };
  for (const auto& e : expected) EXPECT_EQ(Text(w, e[0]), e[1]) << e[0];
  // The counters' boxes stay hidden; their labels are written all the same.
  EXPECT_TRUE(w.Control("Panel_BRK_Today")->isHidden());
  EXPECT_TRUE(w.Control("Panel_BRK_Accumulated")->isHidden());

  // A refused reply skips only its own labels.
  SetInputs(t.sim, 3360, std::vector<uint16_t>(12, 1));
  SetInputs(t.sim, 3328, {1, 1, 1, 1, 1});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollBRKEnergy(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_BRK_Vdc1"), "380.5");
  EXPECT_EQ(Text(w, "Label_BRK_Pac"), "1");
}

TEST_F(OemMonitorView, GateStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(
      t, {{PollBrennikMM, "Group_BrennikMM"}, {PollBRKSetPoint, "Group_BRK_SetPoint"}, {PollBRKEnergy, "Group_BRK_Energy"}});
  EXPECT_EQ(Text(w, "Label_BRK_SysOVR"), "??");
}

TEST(OemVersionText, BothBytesPaddedToTwoDigits) {
  EXPECT_EQ(OemVersionText(0x0105), "V01.05");
  EXPECT_EQ(OemVersionText(0x7B00), "V123.00");
  EXPECT_EQ(OemVersionText(0x0000), "V00.00");
}
