#include <gtest/gtest.h>

#include "app/SharedTables.h"
#include "link/Modbus.h"
#include "monitor/EventView.h"
#include "monitor/PollFrame.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"

using polltest::Rtu;
using polltest::Text;

namespace {

constexpr int kSelector = 801;

QString Event(TForm_Main& w, int i) { return Text(w, "Label_Event" + QString::number(i)); }
QString EventTime(TForm_Main& w, int i) { return Text(w, "Label_EventTime" + QString::number(i)); }

QString SelectFrame(int page) { return Rtu({1, 6, 0x03, 0x20, 0, page}); }
const QString kCodeRead = Rtu({1, 4, 0x04, 0x3F, 0, 11});
const QString kTimeRead = Rtu({1, 4, 0x04, 0x9F, 0, 20});

// Page 0: edge codes and the slot each shows; pages 1 and 2: code 10p + k.
const uint16_t kPage0Codes[10] = {1, 0x0101, 0, 129, 209, 255, 128, 0xFF01, 208, 77};
const int kPage0Slots[10] = {1, 0, 0, 129, 209, 255, 128, 0, 208, 77};

struct EventView : polltest::ViewTest {
  // Every page with its echo, codes and times; time i of page p is
  // 2019/01/28 19:54:40 + p minutes + i seconds, except page 0's entry 1 (none).
  void SetUp() override {
    t.ShowPanel("Group_ErrorEvent");
    for (int p = 0; p < 3; ++p) {
      std::vector<uint16_t> codes = {uint16_t(0x1200 | p)};  // only the low byte echoes the page
      std::vector<uint16_t> times;
      for (int k = 1; k <= 10; ++k) codes.push_back(p == 0 ? kPage0Codes[k - 1] : uint16_t(10 * p + k));
      for (int i = 0; i < 10; ++i) {
        const bool none = p == 0 && i == 1;
        times.push_back(none ? 0 : uint16_t(0x5E00 + 60 * p + i));  // low half first
        times.push_back(none ? 0 : 0x5C4F);
      }
      t.sim.SetPagedInput(1, kSelector, p, 1088, codes);
      t.sim.SetPagedInput(1, kSelector, p, 1184, times);
    }
  }

  QString Slot(int p, int k) { return p == 0 ? EventTexts[kPage0Slots[k]] : EventTexts[10 * p + k + 1]; }
  QString Time(int p, int i) {
    return p == 0 && i == 1 ? QString() : QString("2019/01/28 19:%1:%2").arg(54 + p).arg(40 + i);
  }
};

}  // namespace

TEST_F(EventView, ThreePagesOfCodesAndTimes) {
  ASSERT_EQ(PollErrorEvent(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{SelectFrame(0), kCodeRead, kTimeRead, SelectFrame(1), kCodeRead, kTimeRead,
                                              SelectFrame(2), kCodeRead, kTimeRead}));
  EXPECT_EQ(w.StatusText(2), "Event...");
  EXPECT_EQ(Event(w, 0), "F01- HW DC Inject (R Phase)");
  EXPECT_EQ(Event(w, 1), "");  // high byte set
  EXPECT_EQ(EventTime(w, 0), "2019/01/28 19:54:40");
  EXPECT_EQ(EventTime(w, 1), "");  // no time stored
  for (int p = 0; p < 3; ++p)
    for (int i = 0; i < 10; ++i) {
      EXPECT_EQ(Event(w, 10 * p + i), Slot(p, i)) << p << " " << i;
      EXPECT_EQ(EventTime(w, 10 * p + i), Time(p, i)) << p << " " << i;
    }
}

TEST_F(EventView, PageWithoutItsEchoIsSkippedWhole) {
  t.sim.SetPagedInput(1, kSelector, 1, 1088, {0x0100});  // echoes 0 on page 1
  ASSERT_EQ(PollErrorEvent(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{SelectFrame(0), kCodeRead, kTimeRead, SelectFrame(1), kCodeRead,
                                              SelectFrame(2), kCodeRead, kTimeRead}));
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(Event(w, 10 + i), "??");
    EXPECT_EQ(EventTime(w, 10 + i), "??");
    EXPECT_EQ(Event(w, 20 + i), Slot(2, i));
    EXPECT_EQ(EventTime(w, 20 + i), Time(2, i));
  }
}

TEST_F(EventView, RejectedRepliesLeaveTheirLabels) {
  // Page 0's time read and page 2's code read come back as exceptions.
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  for (int i = 0; i < 4; ++i) t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::BadCrc());
  ASSERT_EQ(PollErrorEvent(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames().size(), 8u);  // page 2's times are not asked for
  EXPECT_EQ(Event(w, 3), Slot(0, 3));
  EXPECT_EQ(EventTime(w, 3), "??");
  EXPECT_EQ(EventTime(w, 13), Time(1, 3));
  EXPECT_EQ(Event(w, 23), "??");
  EXPECT_EQ(EventTime(w, 23), "??");
}

TEST_F(EventView, ErrorCodeValues) {
  t.ShowPanel("Group_ErrorCodes");
  const char* labels[30] = {"F00", "F01", "F02", "F03", "F06", "F07", "F08", "F09", "P11", "E15",
                            "d15", "E16", "d16", "E17", "d17", "E18", "d19", "d20", "E21", "d21",
                            "E22", "d22", "E23", "d23", "E26", "d26", "E27", "d27", "E28", "d40"};
  for (int k = 0; k < 30; ++k) t.sim.SetInput(1, 1152 + k, uint16_t(k == 29 ? 65535 : 100 + k));
  ASSERT_EQ(PollErrorCodes(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{Rtu({1, 4, 0x04, 0x7F, 0, 30})});
  EXPECT_EQ(w.StatusText(2), "Error Codes...");
  for (int k = 0; k < 30; ++k)
    EXPECT_EQ(Text(w, QString("Label_Codes_") + labels[k]), QString::number(k == 29 ? 65535 : 100 + k)) << labels[k];

  t.sim.SetInput(1, 1152, 1);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollErrorCodes(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_Codes_F00"), "100");
}

TEST_F(EventView, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollErrorEvent, "Group_ErrorEvent"}, {PollErrorCodes, "Group_ErrorCodes"}});
}

TEST(ValueTexts, CosPhiText) {
  const struct {
    unsigned code;
    const char* text;
  } cases[] = {{0, "OFF"},       {1, "Ind 0.8"},   {2, "Ind 0.81"},  {11, "Ind 0.90"}, {20, "Ind 0.99"},
               {21, "1.00"},     {22, "Cap 0.99"}, {31, "Cap 0.90"}, {41, "Cap 0.80"}, {42, "??"},
               {unsigned(-1), "??"}};
  for (const auto& c : cases) EXPECT_EQ(CosPhiText(c.code), c.text) << c.code;
}
