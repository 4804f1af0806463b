#include <gtest/gtest.h>

#include <QPushButton>
#include <QTimer>

#include "link/Executor.h"
#include "link/Modbus.h"
#include "link/PollingLoop.h"
#include "logs/DataLogActive.h"
#include "monitor/VersionView.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"

using polltest::LinkedWindow;
using polltest::Rtu;

namespace {

const QString kRead802 = Rtu({1, 3, 0x03, 0x21, 0, 1});
const QString kWrite802 = "01 06 03 21 00 05 19 87";

struct PollingLoop : ::testing::Test {
  LinkedWindow t;
  TForm_Main& w = t.w;
  void SetUp() override {
    t.ShowPanel("Group_Version");
    w.LinkOpen = true;
    w.Ctl<QPushButton>("OpenPort")->setEnabled(false);
    w.Ctl<QPushButton>("ClosePort")->setEnabled(true);
  }
  // Runs fn when the device has received n frames (checked every 5 ms).
  void AtFrame(size_t n, std::function<void()> fn) {
    auto* timer = new QTimer(&w);
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer, n, fn] {
      if (t.sim.Frames().size() < n) return;
      timer->stop();
      fn();
    });
    timer->start(5);
  }
  size_t Count(const QString& frame) {
    const auto f = t.Frames();
    return std::count(f.begin(), f.end(), frame);
  }
};

}  // namespace

TEST(PollOrder, VersionFirstAndAscending) {
  const auto rows = PollOrder();
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows[0].item, &PollVersion);
  for (size_t i = 1; i < rows.size(); ++i) EXPECT_LT(rows[i - 1].order, rows[i].order);
}

TEST(OptionSummary, SignStepAndLock) {
  EXPECT_EQ(OptionSummary(0, 0, 0), "Ind+ 1% , Unlock");
  EXPECT_EQ(OptionSummary(1, 1, 1), "Ind- 0.1% , Lock");
  EXPECT_EQ(OptionSummary(2, 2, 2), " , Unlock");
}

TEST_F(PollingLoop, CloseRequestEndsTheLoopAndClosesTheLink) {
  DataLogActive = 1;
  AtFrame(6, [&] { w.ClosePortClick(); });
  EXPECT_EQ(w.RunPollingLoop(), 1);
  EXPECT_GE(t.sim.Frames().size(), 6u);
  EXPECT_EQ(w.StatusText(4), "COM Close");
  EXPECT_EQ(w.StatusText(8), "Ind+ 1% , Unlock");
  EXPECT_TRUE(w.Ctl<QPushButton>("OpenPort")->isEnabled());
  EXPECT_FALSE(w.Ctl<QPushButton>("ClosePort")->isEnabled());
  EXPECT_FALSE(w.Link.Port.IsOpen());
  EXPECT_FALSE(w.LinkOpen);
  EXPECT_EQ(w.PollStop, 1);
  EXPECT_EQ(DataLogActive, 0);
}

TEST_F(PollingLoop, PostedWriteRunsBetweenPassesAndIsReadBack) {
  // Posted while the first pass's first request waits, as an editor posts it.
  AtFrame(1, [&] {
    PostCommand(w.Link, 6, 802, 5);
    w.Ctl<ValueLabel>("Label_InvProtocol")->setFontColor(clRed);
  });
  AtFrame(12, [&] { w.ClosePortClick(); });
  EXPECT_EQ(w.RunPollingLoop(), 1);
  const auto frames = t.Frames();
  ASSERT_GE(frames.size(), 7u);
  // The first pass runs to its end (the version item had begun), then the write, then the read-back.
  EXPECT_EQ(frames[0], kRead802);
  EXPECT_EQ(frames[5], kWrite802);
  EXPECT_EQ(frames[6], kRead802);
  EXPECT_EQ(Count(kWrite802), 1u);
  EXPECT_EQ(w.Ctl<ValueLabel>("Label_InvProtocol")->text(), "SunSpec");
  EXPECT_EQ(w.Ctl<ValueLabel>("Label_InvProtocol")->fontColor(), clGreen);
  EXPECT_EQ(w.Link.CmdCode, 0);
}

TEST_F(PollingLoop, TwoEditsInOnePassOnlyTheSecondRuns) {
  AtFrame(1, [&] {
    PostCommand(w.Link, 6, 802, 5);
    PostCommand(w.Link, 6, 803, 7);
  });
  AtFrame(12, [&] { w.ClosePortClick(); });
  w.RunPollingLoop();
  EXPECT_EQ(Count(kWrite802), 0u);
  EXPECT_EQ(Count(Rtu({1, 6, 0x03, 0x22, 0, 7})), 1u);
}

TEST_F(PollingLoop, LockedWriteIsRefusedAndNothingGoesOut) {
  w.WriteLock = 1;
  AtFrame(1, [&] { PostCommand(w.Link, 6, 802, 5); });
  AtFrame(12, [&] { w.ClosePortClick(); });
  w.RunPollingLoop();
  EXPECT_EQ(Count(kWrite802), 0u);
  EXPECT_EQ(t.dialogs.messages, QStringList{"Lock: Permission denied"});
  EXPECT_EQ(w.StatusText(8), "Ind+ 1% , Lock");
  EXPECT_EQ(w.Link.CmdCode, 0);
}

TEST_F(PollingLoop, FailedRequestLeavesNoStaleLinkOpenState) {
  AtFrame(3, [&] { w.Link.Port.Close(); });
  EXPECT_EQ(w.RunPollingLoop(), 1);
  EXPECT_FALSE(w.LinkOpen);
  EXPECT_EQ(w.PollStop, 1);
  EXPECT_EQ(w.StatusText(4), "COM Close");
  EXPECT_TRUE(w.Ctl<QPushButton>("OpenPort")->isEnabled());
}

TEST_F(PollingLoop, ReentryRestartsAtThePassBoundary) {
  int nested = -1;
  bool nestedReturnedAtOnce = false;
  AtFrame(2, [&] {
    const size_t before = t.sim.Frames().size();
    w.PollStop = 1;  // the fresh loop clears it, as a new loop does
    nested = w.RunPollingLoop();
    nestedReturnedAtOnce = t.sim.Frames().size() == before && w.Link.Port.IsOpen();
  });
  AtFrame(14, [&] { w.ClosePortClick(); });
  EXPECT_EQ(w.RunPollingLoop(), 1);
  EXPECT_EQ(nested, 0);
  EXPECT_TRUE(nestedReturnedAtOnce);
  // Every request had the link to itself: no reply was lost or mixed up.
  EXPECT_EQ(w.Link.NoReplyCount, 0);
  EXPECT_EQ(w.Link.CrcErrors, 0);
  EXPECT_GE(t.sim.Frames().size(), 14u);
  EXPECT_FALSE(w.Link.Port.IsOpen());
}

TEST_F(PollingLoop, FirmwareHandOverKeepsThePortOpen) {
  AtFrame(3, [&] {
    w.KeepPortOpen = 1;
    w.PollStop = 1;
  });
  EXPECT_EQ(w.RunPollingLoop(), 0);
  EXPECT_TRUE(w.Link.Port.IsOpen());
  EXPECT_TRUE(w.LinkOpen);
  EXPECT_FALSE(w.Ctl<QPushButton>("OpenPort")->isEnabled());
  EXPECT_TRUE(w.Ctl<QPushButton>("ClosePort")->isEnabled());
}

TEST_F(PollingLoop, HiddenPanelsSendNothing) {
  t.ShowPanel("Group_Version", false);
  QTimer::singleShot(150, &w, [&] { w.ClosePortClick(); });
  EXPECT_EQ(w.RunPollingLoop(), 1);
  EXPECT_TRUE(t.Frames().empty());
  EXPECT_EQ(w.StatusText(8), "Ind+ 1% , Unlock");
}
