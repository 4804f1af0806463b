#include <gtest/gtest.h>

#include <QLabel>

#include "app/GroupPanel.h"
#include "link/Modbus.h"
#include "monitor/DeratingView.h"
#include "monitor/OemEventView.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"

using polltest::Colour;
using polltest::Paint;
using polltest::Rtu;
using polltest::Text;
using polltest::Two;

namespace {

struct OemEventView : polltest::ViewTest {
  // Record k counts from 0, as the labels do.
  void SetRecord(int first, int k, uint32_t start, uint16_t seconds) { polltest::SetRecord(t.sim, first, k, start, seconds); }
};

struct Area {
  int (*poll)(Modbus*, uint8_t);
  const char* panel;
  const char* status;
  int first;
  const char* prefix;
};
constexpr Area kAreas[] = {
    {PollBRKThermalEvent, "Group_BRK_ThermalEvent", "OTP...", 21056, "Group_BRK_Thm"},
    {PollBRKOpvEvent, "Group_BRK_OpvEvent", "OVP...", 21120, "Label_BRK_Opv"},
    {PollBRKVinEvent, "Group_BRK_VinEvent", "Vin P...", 21184, "Label_BRK_Vin"},
    {PollBRKOpvloEvent, "Group_BRK_OpvloEvent", "OVP Low...", 21248, "Label_BRK_Opvlo"},
};

}  // namespace

TEST_F(OemEventView, EachAreaShowsSixteenRecords) {
  for (const Area& a : kAreas) {
    SCOPED_TRACE(a.prefix);
    t.ShowPanel(a.panel);
    // Record k starts k days after 2021/06/01 12:00:00 and lasted 3661 + k s.
    for (int k = 0; k < 16; ++k) SetRecord(a.first, k, 0x60B62140u + k * 86400u, 3661 + k);
    t.sim.ClearFrames();

    ASSERT_EQ(a.poll(&w.Link, 0), 0);

    const int wire = a.first - 1;
    EXPECT_EQ(t.Frames(), (std::vector<QString>{Rtu({1, 4, wire >> 8, wire & 0xFF, 0, 48})}));
    EXPECT_EQ(w.StatusText(2), a.status);
    for (int k = 0; k < 16; ++k) {
      const QString start = a.prefix + QStringLiteral("ST") + Two(k);
      const QString time = a.prefix + QStringLiteral("DT") + Two(k);
      EXPECT_EQ(Text(w, start), QStringLiteral("2021/06/%1 12:00:00").arg(Two(k + 1))) << k;
      EXPECT_EQ(Text(w, time), QStringLiteral("01:01:%1").arg(Two(1 + k))) << k;
      EXPECT_EQ(Colour(w, start), clBlue);
    }
    t.ShowPanel(a.panel, false);
  }
  // The panel's title label, not a second label under it.
  EXPECT_EQ(w.Control("Label_BRK_ThermalEvent"), w.Panel("Group_BRK_ThermalEvent")->TitleLabel());
  EXPECT_EQ(w.Ctl<QLabel>("Label_BRK_ThermalEvent")->text(), "温度抑制_高温");
}

TEST_F(OemEventView, EmptySlotsLongestTimeAndTheDeratingViewOfTheSameArea) {
  t.ShowPanel("Group_BRK_OpvEvent");
  t.ShowPanel("Group_DeratingRecordsOPV");
  SetRecord(21120, 0, 0x60B62140u, 0x0078);
  SetRecord(21120, 1, 0, 0);
  SetRecord(21120, 2, 0, 65535);
  SetRecord(21120, 15, 0x60B62140u, 1);
  ASSERT_EQ(PollBRKOpvEvent(&w.Link, 0), 0);
  ASSERT_EQ(PollDeratingRecordsOPV(&w.Link, 0), 0);

  EXPECT_EQ(Text(w, "Label_BRK_OpvST00"), "2021/06/01 12:00:00");
  EXPECT_EQ(Text(w, "Label_BRK_OpvDT00"), "00:02:00");
  EXPECT_EQ(Text(w, "Label_RecordsOPVStart01"), "2021/06/01 12:00:00");
  EXPECT_EQ(Text(w, "Label_RecordsOPVAddUp01"), "120 sec");
  EXPECT_EQ(Text(w, "Label_BRK_OpvST01"), "");
  EXPECT_EQ(Text(w, "Label_BRK_OpvDT01"), "");
  EXPECT_EQ(Text(w, "Label_BRK_OpvST02"), "");
  EXPECT_EQ(Text(w, "Label_BRK_OpvDT02"), "18:12:15");
  EXPECT_EQ(Text(w, "Label_BRK_OpvDT15"), "00:00:01");  // the last words of the reply
}

TEST_F(OemEventView, RejectedReplyGateStopAndLinkFailure) {
  t.ShowPanel("Group_BRK_VinEvent");
  SetRecord(21184, 0, 0x60B62140u, 120);
  Paint(w, "Label_BRK_VinDT00", "00:00:07", clRed);
  for (const sim::ReplyFault& f : {sim::ReplyFault::Exception(2), sim::ReplyFault::Short()}) {
    t.sim.QueueFault(f);
    ASSERT_EQ(PollBRKVinEvent(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_BRK_VinST00"), "??");
    EXPECT_EQ(Text(w, "Label_BRK_VinDT00"), "00:00:07");
    EXPECT_EQ(Colour(w, "Label_BRK_VinDT00"), clRed);
  }

  t.sim.ClearFrames();
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollBRKThermalEvent, "Group_BRK_ThermalEvent"},
                                              {PollBRKOpvEvent, "Group_BRK_OpvEvent"},
                                              {PollBRKVinEvent, "Group_BRK_VinEvent"},
                                              {PollBRKOpvloEvent, "Group_BRK_OpvloEvent"}});
}
