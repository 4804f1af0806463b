#include <gtest/gtest.h>

#include "link/Modbus.h"
#include "monitor/InvTimeView.h"
#include "platform/ValueLabel.h"
#include "support/PollFixture.h"

using polltest::Rtu;
using polltest::SetInputs;
using polltest::Text;

namespace {

struct InvTimeView : polltest::ViewTest {
  void SetUp() override { t.ShowPanel("Group_InvTime"); }
};

}  // namespace

TEST_F(InvTimeView, ClockAndInstallationDates) {
  const struct {
    std::initializer_list<uint16_t> clock, install;
    const char *ymd, *hms, *installYmd;
  } cases[] = {
      {{2024, 3, 7, 9, 5, 0}, {2019, 12, 31}, "2024/03/07", "09:05:00", "2019/12/31"},
      // No range checks: tens then units, so 123 prints all its digits.
      {{2024, 13, 123, 23, 59, 60}, {0, 0, 0}, "2024/13/123", "23:59:60", "0/00/00"},
  };
  for (const auto& c : cases) {
    SetInputs(t.sim, 1033, c.clock);
    SetInputs(t.sim, 1168, c.install);
    ASSERT_EQ(PollInvTime(&w.Link, 0), 0);
    EXPECT_EQ(Text(w, "Label_InvYMD"), c.ymd);
    EXPECT_EQ(Text(w, "Label_InvHMS"), c.hms);
    EXPECT_EQ(Text(w, "Label_InstallYMD"), c.installYmd);
    EXPECT_EQ(w.Ctl<ValueLabel>("Label_InvYMD")->fontColor(), clBlue);
  }
  EXPECT_EQ(w.StatusText(2), "Inv Time...");
  const std::vector<QString> frames = t.Frames();
  ASSERT_EQ(frames.size(), 4u);
  EXPECT_EQ(frames[0], Rtu({1, 4, 0x04, 0x08, 0, 6}));
  EXPECT_EQ(frames[1], Rtu({1, 4, 0x04, 0x8F, 0, 3}));
  EXPECT_EQ(Text(w, "Label_InvRTC"), "??");
  EXPECT_TRUE(w.Ctl<ValueLabel>("Label_InvRTC")->isHidden());
}

TEST_F(InvTimeView, RepliesJudgedApartGateAndFailure) {
  SetInputs(t.sim, 1033, {2024, 3, 7, 9, 5, 0});
  SetInputs(t.sim, 1168, {2019, 12, 31});
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollInvTime(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames().size(), 2u);  // the second request still goes out
  EXPECT_EQ(Text(w, "Label_InvYMD"), "??");
  EXPECT_EQ(Text(w, "Label_InvHMS"), "??");
  EXPECT_EQ(Text(w, "Label_InstallYMD"), "2019/12/31");

  t.sim.ClearFrames();
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollInvTime, "Group_InvTime"}});
}
