#include <gtest/gtest.h>

#include "link/Modbus.h"
#include "monitor/DeratingView.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"

using polltest::Colour;
using polltest::Paint;
using polltest::Rtu;
using polltest::Text;
using polltest::Two;

namespace {

constexpr QRgb kLit = 0xFFFA0000u;    // 250, 0, 0: not the stale display's red
constexpr QRgb kClear = 0xFFF0F0F0u;  // button face

struct DeratingView : polltest::ViewTest {
  // Record k counts from 1, as the labels do.
  void SetRecord(int first, int k, uint32_t start, uint16_t addUp) { polltest::SetRecord(t.sim, first, k - 1, start, addUp); }
};

struct Area {
  int (*poll)(Modbus*, uint8_t);
  const char* panel;
  const char* status;
  int first;
  const char* key;
};
constexpr Area kAreas[] = {
    {PollDeratingRecordsOPV, "Group_DeratingRecordsOPV", "OPV...", 21120, "OPV"},
    {PollDeratingRecordsVin, "Group_DeratingRecordsVin", "Vin...", 21184, "Vin"},
    {PollDeratingRecordsOPVLo, "Group_DeratingRecordsOPVLo", "OPVLo...", 21248, "OPVLo"},
    {PollDeratingRecordsPM, "Group_DeratingRecordsPM", "Thermal...", 21056, "PM"},
};

}  // namespace

TEST_F(DeratingView, EachAreaShowsItsTwelveRecords) {
  for (const Area& a : kAreas) {
    SCOPED_TRACE(a.key);
    t.ShowPanel(a.panel);
    // Record k starts k - 1 days after 2021/06/01 12:00:00 and lasted 10k s;
    // a thirteenth record lies beyond what is read.
    for (int k = 1; k <= 13; ++k) SetRecord(a.first, k, 0x60B62140u + (k - 1) * 86400u, 10 * k);
    t.sim.ClearFrames();

    ASSERT_EQ(a.poll(&w.Link, 0), 0);

    const int wire = a.first - 1;
    EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 4, wire >> 8, wire & 0xFF, 0, 36})}));
    EXPECT_EQ(w.StatusText(2), a.status);
    const QString prefix = QStringLiteral("Label_Records") + a.key;
    for (int k = 1; k <= 12; ++k) {
      const QString start = prefix + "Start" + Two(k);
      const QString addUp = prefix + "AddUp" + Two(k);
      EXPECT_EQ(Text(w, start), QStringLiteral("2021/06/%1 12:00:00").arg(Two(k))) << k;
      EXPECT_EQ(Text(w, addUp), QStringLiteral("%1 sec").arg(10 * k)) << k;
      EXPECT_EQ(Colour(w, start), clBlue);
      EXPECT_EQ(Colour(w, addUp), clBlue);
    }
    EXPECT_EQ(Text(w, prefix + "No12"), "12.");
    t.ShowPanel(a.panel, false);
  }
}

TEST_F(DeratingView, EmptyAndOutOfRangeRecordSlots) {
  t.ShowPanel("Group_DeratingRecordsOPV");
  const struct {
    uint32_t start;
    uint16_t addUp;
    const char *startText, *addUpText;
  } cases[] = {
      {0x60B62140u, 0x0078, "2021/06/01 12:00:00", "120 sec"},
      {0, 0, "", ""},                       // an empty slot is an empty row
      {0, 65535, "", "65535 sec"},          // no start time, the seconds still shown
      {0xFFFF0000u, 5, "", "5 sec"},        // a start after 2100 is no time
      {0x00000001u, 1, "1970/01/01 00:00:01", "1 sec"},
  };
  int k = 1;
  for (const auto& c : cases) SetRecord(21120, k++, c.start, c.addUp);
  ASSERT_EQ(PollDeratingRecordsOPV(&w.Link, 0), 0);
  k = 1;
  for (const auto& c : cases) {
    EXPECT_EQ(Text(w, "Label_RecordsOPVStart" + Two(k)), c.startText) << k;
    EXPECT_EQ(Text(w, "Label_RecordsOPVAddUp" + Two(k)), c.addUpText) << k;
    ++k;
  }
}

TEST_F(DeratingView, RejectedRepliesLeaveEveryLabel) {
  t.ShowPanel("Group_DeratingRecordsVin");
  t.ShowPanel("Group_DeratingRecords");
  t.ShowPanel("Group_FanFail");
  SetRecord(21184, 1, 0x60B62140u, 120);
  t.sim.SetInput(1, 20991, 0x01FE);
  t.sim.SetInput(1, 53297, 0xFFFF);
  t.sim.SetInput(1, 53299, 0xFFFF);
  Paint(w, "Label_RecordsVinAddUp01", "7 sec", clRed);

  for (const sim::ReplyFault& fault :
       {sim::ReplyFault::Exception(2), sim::ReplyFault::Short(), sim::ReplyFault::BadCrc(), sim::ReplyFault::Silent()}) {
    t.sim.QueueFault(fault);
    t.sim.QueueFault(fault);
    t.sim.QueueFault(fault);
    EXPECT_EQ(PollDeratingRecordsVin(&w.Link, 0), 0);
    EXPECT_EQ(PollDeratingRecords(&w.Link, 0), 0);
    EXPECT_EQ(PollFanFail(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_RecordsVinStart01"), "??");
    EXPECT_EQ(Text(w, "Label_RecordsVinAddUp01"), "7 sec");
    EXPECT_EQ(Colour(w, "Label_RecordsVinAddUp01"), clRed);
    EXPECT_NE(Colour(w, "Label_DerateRecord1"), kLit);
    EXPECT_NE(Colour(w, "Label_FanInt00"), kLit);
    EXPECT_NE(Colour(w, "Label_FanExt15"), kLit);
  }
}

TEST_F(DeratingView, CauseAndFanLabelsStartSilverUntilTheFirstReply) {
  // Black would read as "active" before anything was read.
  constexpr QRgb kSilver = 0xFFC0C0C0u;
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(Colour(w, QStringLiteral("Label_DerateRecord%1").arg(i)), kSilver) << i;
  for (int n = 0; n < 16; ++n) {
    EXPECT_EQ(Colour(w, "Label_FanInt" + Two(n)), kSilver) << n;
    EXPECT_EQ(Colour(w, "Label_FanExt" + Two(n)), kSilver) << n;
  }
}

TEST_F(DeratingView, CauseFlagsLightTheirLabels) {
  t.ShowPanel("Group_DeratingRecords");
  const char* captions[] = {"Thermal", "OPV", "Vin", "OPV_Lo", "PM", "P(F)", "Ramp up", "Others"};
  const struct {
    uint16_t word;
    unsigned lit;  // bit i: Label_DerateRecord(i + 1) red
  } cases[] = {
      {0x01FE, 0xFF}, {0x0001, 0x00}, {0xFE00, 0x00}, {0x0006, 0x03}, {0x0120, 0x90}, {0xFFFF, 0xFF},
  };
  for (const auto& c : cases) {
    t.sim.SetInput(1, 20991, c.word);
    t.sim.ClearFrames();
    ASSERT_EQ(PollDeratingRecords(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 4, 0x51, 0xFE, 0, 1})}));
    EXPECT_EQ(w.StatusText(2), "Derating...");
    for (int i = 0; i < 8; ++i) {
      const QString label = QStringLiteral("Label_DerateRecord%1").arg(i + 1);
      EXPECT_EQ(Colour(w, label), (c.lit >> i & 1) ? kLit : kClear) << std::hex << c.word << " label " << i + 1;
      EXPECT_EQ(Text(w, label), captions[i]);
    }
  }
}

TEST_F(DeratingView, FanWordsLightInternalAndExternalFans) {
  t.ShowPanel("Group_FanFail");
  const struct {
    uint16_t words[4];
    uint16_t internal, external;
  } cases[] = {
      {{0x8001, 0xFFFF, 0x0002, 0xFFFF}, 0x8001, 0x0002},  // words 1 and 3 are not shown
      {{0x0000, 0xFFFF, 0xFFFF, 0x0000}, 0x0000, 0xFFFF},
      {{0x0F0F, 0x0000, 0x0000, 0x0000}, 0x0F0F, 0x0000},
  };
  for (const auto& c : cases) {
    for (int i = 0; i < 4; ++i) t.sim.SetInput(1, 53297 + i, c.words[i]);
    t.sim.ClearFrames();
    ASSERT_EQ(PollFanFail(&w.Link, 0), 0);
    EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 4, 0xD0, 0x30, 0, 4})}));
    EXPECT_EQ(w.StatusText(2), "Fan Fail...");
    for (int n = 0; n < 16; ++n) {
      const QString in = "Label_FanInt" + Two(n);
      const QString ex = "Label_FanExt" + Two(n);
      EXPECT_EQ(Colour(w, in), (c.internal >> n & 1) ? kLit : kClear) << "F" << n;
      EXPECT_EQ(Colour(w, ex), (c.external >> n & 1) ? kLit : kClear) << "F" << n;
      EXPECT_EQ(Text(w, in), "F" + Two(n));
      EXPECT_EQ(Text(w, ex), "F" + Two(n));
    }
  }
}

TEST_F(DeratingView, GateStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollDeratingRecordsOPV, "Group_DeratingRecordsOPV"},
                                              {PollDeratingRecordsVin, "Group_DeratingRecordsVin"},
                                              {PollDeratingRecordsOPVLo, "Group_DeratingRecordsOPVLo"},
                                              {PollDeratingRecordsPM, "Group_DeratingRecordsPM"},
                                              {PollDeratingRecords, "Group_DeratingRecords"},
                                              {PollFanFail, "Group_FanFail"}});
  EXPECT_EQ(Text(w, "Label_RecordsOPVStart01"), "??");
}
