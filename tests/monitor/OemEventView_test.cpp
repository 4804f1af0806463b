#include <gtest/gtest.h>

#include "link/Modbus.h"
#include "monitor/DeratingView.h"
#include "monitor/OemEventView.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"

using polltest::LinkedWindow;

namespace {

QString Two(int n) { return QString::number(n).rightJustified(2, QLatin1Char('0')); }

struct OemEventView : ::testing::Test {
  LinkedWindow t;
  TForm_Main& w = t.w;
  ValueLabel* L(const QString& name) {
    auto* l = w.Ctl<ValueLabel>(name);
    if (!l) ADD_FAILURE() << qPrintable(name);
    return l;
  }
  void SetRecord(int first, int k, uint32_t start, uint16_t seconds) {  // k from 0
    const int reg = first + 3 * k;
    t.sim.SetInput(1, reg, start & 0xFFFF);  // low word first
    t.sim.SetInput(1, reg + 1, start >> 16);
    t.sim.SetInput(1, reg + 2, seconds);
  }
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
    EXPECT_EQ(t.Frames(), (std::vector<QString>{polltest::Rtu({1, 4, wire >> 8, wire & 0xFF, 0, 48})}));
    EXPECT_EQ(w.StatusText(2), a.status);
    for (int k = 0; k < 16; ++k) {
      ValueLabel* start = L(a.prefix + QStringLiteral("ST") + Two(k));
      ValueLabel* time = L(a.prefix + QStringLiteral("DT") + Two(k));
      ASSERT_TRUE(start && time);
      EXPECT_EQ(start->text(), QStringLiteral("2021/06/%1 12:00:00").arg(Two(k + 1))) << k;
      EXPECT_EQ(time->text(), QStringLiteral("01:01:%1").arg(Two(1 + k))) << k;
      EXPECT_EQ(start->fontColor(), clBlue);
    }
    t.ShowPanel(a.panel, false);
  }
  EXPECT_EQ(L("Label_BRK_ThermalEvent")->text(), "温度抑制_高温");
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

  EXPECT_EQ(L("Label_BRK_OpvST00")->text(), "2021/06/01 12:00:00");
  EXPECT_EQ(L("Label_BRK_OpvDT00")->text(), "00:02:00");
  EXPECT_EQ(L("Label_RecordsOPVStart01")->text(), "2021/06/01 12:00:00");
  EXPECT_EQ(L("Label_RecordsOPVAddUp01")->text(), "120 sec");
  EXPECT_EQ(L("Label_BRK_OpvST01")->text(), "");
  EXPECT_EQ(L("Label_BRK_OpvDT01")->text(), "");
  EXPECT_EQ(L("Label_BRK_OpvST02")->text(), "");
  EXPECT_EQ(L("Label_BRK_OpvDT02")->text(), "18:12:15");
  EXPECT_EQ(L("Label_BRK_OpvDT15")->text(), "00:00:01");  // the last words of the reply
}

TEST_F(OemEventView, RejectedReplyGateStopAndLinkFailure) {
  t.ShowPanel("Group_BRK_VinEvent");
  SetRecord(21184, 0, 0x60B62140u, 120);
  L("Label_BRK_VinDT00")->show("00:00:07", clRed);
  for (const sim::ReplyFault& f : {sim::ReplyFault::Exception(2), sim::ReplyFault::Short()}) {
    t.sim.QueueFault(f);
    ASSERT_EQ(PollBRKVinEvent(&w.Link, 0), 0);
    EXPECT_EQ(L("Label_BRK_VinST00")->text(), "??");
    EXPECT_EQ(L("Label_BRK_VinDT00")->text(), "00:00:07");
    EXPECT_EQ(L("Label_BRK_VinDT00")->fontColor(), clRed);
  }

  t.sim.ClearFrames();
  for (const Area& a : kAreas) {
    t.ShowPanel(a.panel, false);
    EXPECT_EQ(a.poll(&w.Link, 0), 0);
    EXPECT_EQ(a.poll(&w.Link, 1), 1);
    t.ShowPanel(a.panel);
    w.Link.CmdCode = 6;
    EXPECT_EQ(a.poll(&w.Link, 0), 0);
    w.Link.CmdCode = 0;
  }
  EXPECT_TRUE(t.Frames().empty());
  w.Link.Port.Close();
  for (const Area& a : kAreas) EXPECT_EQ(a.poll(&w.Link, 0), 1);
}
