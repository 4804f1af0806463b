#include <gtest/gtest.h>

#include "link/Modbus.h"
#include "monitor/VersionView.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"

using polltest::Colour;
using polltest::SetInputs;
using polltest::Text;

namespace {

constexpr int kBlock = 40963;  // version block, input registers

// Words of a version block: comm, DSP, redundant, ARC, SCM versions; a
// 14-byte serial number; the phase count and the scale word.
void SetVersionBlock(sim::SimInverter& sim, uint16_t comm, uint16_t dsp, uint16_t red, uint16_t arc, uint16_t scm,
                     const QByteArray& serial, uint16_t phases, uint16_t scale) {
  std::vector<uint16_t> w(33, 0);
  w[0] = comm;
  w[2] = dsp;
  w[4] = red;
  w[6] = arc;
  w[8] = scm;
  for (int i = 0; i < 14 && i < serial.size(); ++i)
    w[12 + i / 2] |= static_cast<uint8_t>(serial[i]) << (i % 2 ? 0 : 8);
  w[24] = phases;
  w[32] = scale;
  SetInputs(sim, kBlock, w);
}

void SetModelName(sim::SimInverter& sim, const QByteArray& name) {
  for (int k = 0; k < 8; ++k) {
    const uint8_t hi = 2 * k < name.size() ? name[2 * k] : 0;
    const uint8_t lo = 2 * k + 1 < name.size() ? name[2 * k + 1] : 0;
    sim.SetHolding(1, 44032 + k, hi << 8 | lo);
  }
}

struct VersionView : polltest::ViewTest {
  void SetUp() override {
    t.ShowPanel("Group_Version");
    SetVersionBlock(t.sim, 0x0105, 0x0207, 0x027B, 0xFF00, 0x0100, "AB-12 34", 1, 0x0000);
    SetModelName(t.sim, "R6.2_318XYZ");
    t.sim.SetHolding(1, 802, 0);
    t.sim.SetHolding(1, 25338, 0x2105);
    t.sim.SetHolding(1, 60673, 0x0309);
  }
};

}  // namespace

TEST_F(VersionView, FillsLabelsFactorsAndStatusPanels) {
  ASSERT_EQ(PollVersion(&w.Link, 0), 0);

  EXPECT_EQ(t.Frames(), (std::vector<QString>{
                            polltest::Rtu({1, 3, 0x03, 0x21, 0, 1}),
                            polltest::Rtu({1, 4, 0xA0, 0x02, 0, 33}),
                            polltest::Rtu({1, 3, 0xAB, 0xFF, 0, 8}),
                            polltest::Rtu({1, 3, 0x62, 0xF9, 0, 1}),
                            polltest::Rtu({1, 3, 0xED, 0x00, 0, 1}),
                        }));
  EXPECT_EQ(w.StatusText(2), "Version...");
  EXPECT_EQ(Text(w, "Label_InvProtocol"), "Tarvo");
  EXPECT_EQ(Colour(w, "Label_InvProtocol"), clGreen);
  EXPECT_FALSE(w.Control("Image_TarvoSun")->isHidden());
  EXPECT_TRUE(w.Control("Image_SunTarvo")->isHidden());
  EXPECT_EQ(Text(w, "Label_Display_Rev"), "V1.05");
  EXPECT_EQ(Text(w, "Label_DSP_Rev"), "V2.07");
  EXPECT_EQ(Text(w, "Label_Redundant_Rev"), "V2.123");
  EXPECT_EQ(Text(w, "Label_ARC_Rev"), ".");
  EXPECT_EQ(Text(w, "Label_SCM_Rev"), "V1.00");
  EXPECT_EQ(Text(w, "Label_TarvoSN"), "AB1234");  // hyphen, blank and zero bytes dropped
  EXPECT_EQ(Colour(w, "Label_TarvoSN"), clBlue);
  EXPECT_EQ(Text(w, "Label_ModelName"), "R6.2_318XYZ");
  EXPECT_EQ(Text(w, "Label_Sub1G_Rev"), "V3.09");
  EXPECT_EQ(w.PhaseCount, 1);
  EXPECT_EQ(w.SignedValues, 1);
  EXPECT_EQ(w.EnergyMul, 1);
  EXPECT_EQ(w.StatusText(6), "Idc:100 ; P:1 ; E:1 ; Iac:100 ; V:10");
  EXPECT_EQ(w.StatusText(7), "Type:0x2105");
}

TEST_F(VersionView, RegisterMapSerialModelTypeVariants) {
  const struct {
    uint16_t map;
    const char* protocol;
    bool tarvoSun;
    QByteArray serial, model;
    const char *serialText, *modelText;
    uint16_t type;
    uint8_t signedValues;
    const char* panel7;
    uint16_t scale;
    const char* panel6;
  } cases[] = {
      {5, "SunSpec", false, "abZ09[/:", "ABCDEFGHIJKLMNOP", "Z09:", "ABCDEFGHIJKLM", 0x2205, 0, "Type:0x2205", 0x1DA4,
       "Idc:10 ; P:100 ; E:100 ; Iac:1 ; V:100"},
      {1, "???", false, "12345678901234", QByteArray("AB\0CD", 5), "12345678901234", "AB", 0x3001, 1, "Type:0x3001", 0x1DA5,
       "Idc:100 ; P:1 ; E:1 ; Iac:100 ; V:10"},
      {0, "Tarvo", true, "", "", "", "", 0x31FF, 1, "Type:0x31FF", 0x0018, "Idc:100 ; P:10 ; E:1 ; Iac:100 ; V:10"},
  };
  for (const auto& c : cases) {
    t.sim.SetHolding(1, 802, c.map);
    SetVersionBlock(t.sim, 0x0105, 0x0207, 0x027B, 0x0100, 0xFF05, c.serial, 1, c.scale);
    SetModelName(t.sim, c.model);
    t.sim.SetHolding(1, 25338, c.type);
    w.SignedValues = 1 - c.signedValues;
    ASSERT_EQ(PollVersion(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_InvProtocol"), c.protocol);
    EXPECT_EQ(w.Control("Image_TarvoSun")->isHidden(), !c.tarvoSun) << c.map;
    EXPECT_EQ(w.Control("Image_SunTarvo")->isHidden(), c.tarvoSun) << c.map;
    EXPECT_EQ(Text(w, "Label_ARC_Rev"), "V1.00");
    EXPECT_EQ(Text(w, "Label_SCM_Rev"), ".");
    EXPECT_EQ(Text(w, "Label_TarvoSN"), c.serialText);
    EXPECT_EQ(Text(w, "Label_ModelName"), c.modelText);
    EXPECT_EQ(w.SignedValues, c.signedValues) << std::hex << c.type;
    EXPECT_EQ(w.StatusText(7), c.panel7);
    EXPECT_EQ(w.StatusText(6), c.panel6);
  }
}

TEST_F(VersionView, UnusableRepliesLeaveLabelsColoursAndConvention) {
  ASSERT_EQ(PollVersion(&w.Link, 0), 0);
  ASSERT_EQ(w.SignedValues, 1);
  w.Ctl<ValueLabel>("Label_TarvoSN")->setFontColor(clRed);  // a serial number written, not yet read back
  w.Ctl<ValueLabel>("Label_InvProtocol")->setFontColor(clRed);
  SetVersionBlock(t.sim, 0x0999, 0x0999, 0x0999, 0x0999, 0x0999, "ZZZZ", 3, 0x1DA4);
  t.sim.SetHolding(1, 25338, 0x0001);

  // Every reply of the pass is unusable: an exception, a bad CRC, silence.
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  t.sim.QueueFault(sim::ReplyFault::BadCrc());
  t.sim.QueueFault(sim::ReplyFault::Silent());
  t.sim.QueueFault(sim::ReplyFault::Silent());
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollVersion(&w.Link, 0), 0);

  EXPECT_EQ(Text(w, "Label_InvProtocol"), "Tarvo");
  EXPECT_EQ(Colour(w, "Label_InvProtocol"), clRed);
  EXPECT_EQ(Text(w, "Label_DSP_Rev"), "V2.07");
  EXPECT_EQ(Text(w, "Label_TarvoSN"), "AB1234");
  EXPECT_EQ(Colour(w, "Label_TarvoSN"), clRed);
  EXPECT_EQ(Text(w, "Label_ModelName"), "R6.2_318XYZ");
  EXPECT_EQ(w.PhaseCount, 1);
  EXPECT_EQ(w.EnergyMul, 1);
  // One missed type word does not turn signed values unsigned.
  EXPECT_EQ(w.SignedValues, 1);
  EXPECT_EQ(Text(w, "Label_Sub1G_Rev"), ".");
  EXPECT_EQ(w.StatusText(7), "Type:0x0000");
  EXPECT_EQ(w.StatusText(6), "Idc:100 ; P:1 ; E:1 ; Iac:100 ; V:10");
}

TEST_F(VersionView, GateStopAndLinkFailure) {
  const std::initializer_list<polltest::GatedItem> items = {{PollVersion, "Group_Version"}};
  polltest::ExpectGatesAndStop(t, items);

  // A port that fails ends the item at once, before the status panels.
  w.SetStatus(6, "before");
  polltest::ExpectLinkFailure(t, items);
  EXPECT_EQ(w.StatusText(6), "before");
}
