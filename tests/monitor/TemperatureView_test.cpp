#include <gtest/gtest.h>

#include "link/Modbus.h"
#include "monitor/PollFrame.h"
#include "monitor/TemperatureView.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"

using polltest::ReadFrame;
using polltest::Rtu;
using polltest::SetInputs;
using polltest::Text;

namespace {

using TemperatureView = polltest::ViewTest;

const struct TemperMember {
  PollItem item;
  const char* panel;
  const char* status;
  int nowReg, maxReg;
  const char* now[4];
  const char* max[4];
} kMembers[] = {
    {PollTemper1,
     "Group_Temper1",
     "Temper1...",
     1080,
     1152,
     {"Label_Temperature11", "Label_Temperature12", "Label_Temperature13", "Label_Temperature14"},
     {"Label_MaxTemp11", "Label_MaxTemp12", "Label_MaxTemp13", "Label_MaxTemp14"}},
    {PollTemper2,
     "Group_Temper2",
     "Temper2...",
     1084,
     1156,
     {"Label_Temperature21", "Label_Temperature22", "Label_Temperature23", "Label_Temperature24"},
     {"Label_MaxTemp21", "Label_MaxTemp22", "Label_MaxTemp23", "Label_MaxTemp24"}},
};

}  // namespace

TEST_F(TemperatureView, TemperaturesAreSignedWholeDegrees) {
  for (const TemperMember& m : kMembers) {
    t.ShowPanel(m.panel);
    SetInputs(t.sim, m.nowReg, {0xFFF6, 0x0041, 0, 0x7FFF});
    SetInputs(t.sim, m.maxReg, {0x8000, 1, 2, 3});
    t.sim.ClearFrames();
    ASSERT_EQ(m.item(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadFrame(m.nowReg, 4), ReadFrame(m.maxReg, 4)}));
    EXPECT_EQ(w.StatusText(2), m.status);
    const char* now[] = {"-10 ℃", "65 ℃", "0 ℃", "32767 ℃"};
    const char* max[] = {"-32768 ℃", "1 ℃", "2 ℃", "3 ℃"};
    for (int k = 0; k < 4; ++k) {
      EXPECT_EQ(Text(w, m.now[k]), QString::fromUtf8(now[k])) << m.now[k];
      EXPECT_EQ(Text(w, m.max[k]), QString::fromUtf8(max[k])) << m.max[k];
    }

    // A rejected present reading leaves its labels; the maxima are still read.
    SetInputs(t.sim, m.nowReg, {5, 5, 5, 5});
    SetInputs(t.sim, m.maxReg, {9, 9, 9, 9});
    t.sim.QueueFault(sim::ReplyFault::BadCrc());
    ASSERT_EQ(m.item(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, m.now[0]), QString::fromUtf8("-10 ℃"));
    EXPECT_EQ(Text(w, m.max[3]), QString::fromUtf8("9 ℃"));
  }
}

TEST_F(TemperatureView, MaxInputValues) {
  t.ShowPanel("Group_MaxInputValue");
  std::vector<uint16_t> words = {3905, 0xFF38, 0xFFFE};
  for (int n = 2; n <= 6; ++n) words.insert(words.end(), {uint16_t(100 * n), uint16_t(10 * n), uint16_t(n)});
  SetInputs(t.sim, 45075, words);
  w.VoltageDiv = 10;
  w.DcCurrentDiv = 100;
  w.PowerMul = 10;
  const struct {
    uint8_t signedValues;
    const char* idc1;
  } cases[] = {{1, "-2.00 A"}, {0, "653.36 A"}};
  for (const auto& c : cases) {
    w.SignedValues = c.signedValues;
    t.sim.ClearFrames();
    ASSERT_EQ(PollMaxInputValue(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), std::vector<QString>{Rtu({1, 4, 0xB0, 0x12, 0, 18})});
    EXPECT_EQ(w.StatusText(2), "Max in...");
    EXPECT_EQ(Text(w, "Label_MaxVdc1"), "390.5 V");
    EXPECT_EQ(Text(w, "Label_MaxIdc1"), c.idc1);
    EXPECT_EQ(Text(w, "Label_MaxPdc1"), "655340 W");  // input power never signed
    for (int n = 2; n <= 6; ++n) {
      const QString i = QString::number(n);
      EXPECT_EQ(Text(w, "Label_MaxVdc" + i), QString::number(10 * n) + ".0 V");
      EXPECT_EQ(Text(w, "Label_MaxIdc" + i), QString("0.%1 A").arg(10 * n, 2, 10, QChar('0')));
      EXPECT_EQ(Text(w, "Label_MaxPdc" + i), QString::number(10 * n) + " W");
    }
  }
}

TEST_F(TemperatureView, MaxOutputValues) {
  t.ShowPanel("Group_MaxOutputValue");
  SetInputs(t.sim, 49215, {2301, 0xFF9C, 0xFFFE, 5002, 2302, 200, 300, 6000, 65535, 1, 2, 0});
  w.VoltageDiv = 10;
  w.AcCurrentDiv = 100;
  w.PowerMul = 10;
  const struct {
    uint8_t signedValues;
    const char *iac1, *pac1;
  } cases[] = {{1, "-1.00 A", "-20 W"}, {0, "654.36 A", "655340 W"}};
  for (const auto& c : cases) {
    w.SignedValues = c.signedValues;
    t.sim.ClearFrames();
    ASSERT_EQ(PollMaxOutputValue(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), std::vector<QString>{Rtu({1, 4, 0xC0, 0x3E, 0, 12})});
    EXPECT_EQ(w.StatusText(2), "Max out...");
    EXPECT_EQ(Text(w, "Label_MaxVac1"), "230.1 V");
    EXPECT_EQ(Text(w, "Label_MaxIac1"), c.iac1);
    EXPECT_EQ(Text(w, "Label_MaxPac1"), c.pac1);
    EXPECT_EQ(Text(w, "Label_MaxFac1"), "50.02 Hz");
    EXPECT_EQ(Text(w, "Label_MaxVac2"), "230.2 V");
    EXPECT_EQ(Text(w, "Label_MaxIac2"), "2.00 A");
    EXPECT_EQ(Text(w, "Label_MaxPac2"), "3000 W");
    EXPECT_EQ(Text(w, "Label_MaxFac2"), "60.00 Hz");
    EXPECT_EQ(Text(w, "Label_MaxVac3"), "6553.5 V");  // voltages are never signed
    EXPECT_EQ(Text(w, "Label_MaxIac3"), "0.01 A");
    EXPECT_EQ(Text(w, "Label_MaxPac3"), "20 W");
    EXPECT_EQ(Text(w, "Label_MaxFac3"), "0.00 Hz");
  }
}

TEST_F(TemperatureView, RejectedRepliesGatesStopAndLinkFailure) {
  const std::initializer_list<polltest::GatedItem> items = {{PollTemper1, "Group_Temper1"},
                                                            {PollTemper2, "Group_Temper2"},
                                                            {PollMaxInputValue, "Group_MaxInputValue"},
                                                            {PollMaxOutputValue, "Group_MaxOutputValue"}};
  const char* const labels[] = {"Label_MaxTemp11", "Label_MaxTemp21", "Label_MaxVdc1", "Label_MaxFac3"};
  polltest::ExpectGatesAndStop(t, items);

  // Exception or silence: every label keeps its caption.
  for (size_t k = 0; k < items.size(); ++k) {
    const polltest::GatedItem& i = items.begin()[k];
    t.sim.QueueFault(sim::ReplyFault::Exception(2));
    t.sim.QueueFault(sim::ReplyFault::Silent());
    EXPECT_EQ(i.item(&w.Link, 0), 0) << i.panel;
    EXPECT_EQ(Text(w, labels[k]), "??") << i.panel;
  }

  polltest::ExpectLinkFailure(t, items);
}
