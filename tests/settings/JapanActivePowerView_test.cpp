#include <gtest/gtest.h>

#include <QComboBox>
#include <vector>

#include "app/main.h"
#include "link/Modbus.h"
#include "settings/JapanViews.h"
#include "support/PollFixture.h"
#include "support/SettingsFixture.h"

using polltest::Colour;
using polltest::ReadFrame;
using polltest::Text;
using polltest::Two;
using settingstest::ReadHolding;
using settingstest::WriteHolding;

namespace {

struct JapanActivePower : polltest::ViewTest {
  void SetUp() override {
    t.ShowPanel("Group_JapanActivePower");
    t.ShowPanel("Group_JapanErrorList");
    t.sim.SetHoldingBlock(1, 25361, {1, 80, 300});
  }
  // Page p of the event log: its page word, ten codes and ten times.
  void SetPage(int p, uint16_t pageWord, const std::vector<uint16_t>& codes, const std::vector<uint16_t>& times) {
    std::vector<uint16_t> words{pageWord};
    words.insert(words.end(), codes.begin(), codes.end());
    t.sim.SetPagedInput(1, 801, p, 1088, words);
    t.sim.SetPagedInput(1, 801, p, 1184, times);
  }
};

TEST_F(JapanActivePower, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollJapanActivePower, "Group_JapanActivePower"},
                                              {PollJapanErrorList, "Group_JapanErrorList"}});
}

TEST_F(JapanActivePower, ReadBack) {
  ASSERT_EQ(PollJapanActivePower(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), std::vector<QString>{ReadHolding(25361, 3)});
  EXPECT_EQ(w.StatusText(2), "Active Pow...");
  EXPECT_EQ(Text(w, "Label_JapanPowerManage"), "RATED");
  EXPECT_EQ(Text(w, "Label_JapanActivePercentage"), "80");
  EXPECT_EQ(Text(w, "Label_JapanActiveSlope"), "300");
  for (const char* l : {"Label_JapanPowerManage", "Label_JapanActivePercentage", "Label_JapanActiveSlope"})
    EXPECT_EQ(Colour(w, l), clBlue) << l;

  // A mode without a text keeps the old one, still blue.
  t.sim.SetHolding(1, 25361, 2);
  polltest::Paint(w, "Label_JapanPowerManage", "OFF", clRed);
  ASSERT_EQ(PollJapanActivePower(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_JapanPowerManage"), "OFF");
  EXPECT_EQ(Colour(w, "Label_JapanPowerManage"), clBlue);
}

// A missed reply is no confirmed value: nothing turns blue.
TEST_F(JapanActivePower, UnusableReplyPaintsNothing) {
  polltest::Paint(w, "Label_JapanActiveSlope", "300", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollJapanActivePower(&w.Link, 0), 0);
  EXPECT_EQ(Colour(w, "Label_JapanActiveSlope"), clRed);
}

TEST_F(JapanActivePower, EveryEditorWritesItsRegister) {
  settingstest::ExpectEditorWrites(t, {
      {"Combo_JapanPowerManage", "OFF", 25361, 0, "Label_JapanPowerManage"},
      {"Combo_JapanPowerManage", "RATED", 25361, 1, "Label_JapanPowerManage"},
      {"Combo_JapanActivePercentage", "0", 25362, 0, "Label_JapanActivePercentage"},
      {"Combo_JapanActivePercentage", "100", 25362, 100, "Label_JapanActivePercentage"},
      {"Combo_JapanActiveSlope", "300", 25363, 300, "Label_JapanActiveSlope"},  // its number, not index 4
      {"Combo_JapanActiveSlope", "60", 25363, 60, "Label_JapanActiveSlope"},
      // The lock-out voltage from this row's own edit, in tenths of a volt.
      {"Edit5", "230.5", 885, 2305, "Label_ProvrLockOutV"},
  });
  EXPECT_EQ(polltest::ControlAs<QComboBox>(w, "Combo_JapanActivePercentage").count(), 101);
}

TEST_F(JapanActivePower, LockOutVoltageRefusesTextThatIsNoNumber) {
  settingstest::ExpectRefused(t, {{"Edit5", "", "Label_ProvrLockOutV"}, {"Edit5", "23O", "Label_ProvrLockOutV"}});
}

TEST_F(JapanActivePower, PercentageWrittenThenReadBackBlue) {
  ASSERT_EQ(PollJapanActivePower(&w.Link, 0), 0);
  settingstest::Commit(w, "Combo_JapanActivePercentage", "55");
  EXPECT_EQ(Colour(w, "Label_JapanActivePercentage"), clRed);
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  ASSERT_EQ(PollJapanActivePower(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_JapanActivePercentage"), "55");
  EXPECT_EQ(Colour(w, "Label_JapanActivePercentage"), clBlue);
}

std::vector<QString> PageFrames(int p, bool withTimes = true) {
  std::vector<QString> f{WriteHolding(801, p), ReadFrame(1088, 11)};
  if (withTimes) f.push_back(ReadFrame(1184, 20));
  return f;
}

TEST_F(JapanActivePower, EventListShowsThreePages) {
  SetPage(0, 0xAB00, {1, 129, 0, 0, 0, 0, 0, 0, 0, 76}, {28544, 23040});
  SetPage(1, 1, {232}, {});
  SetPage(2, 2, {}, {});
  ASSERT_EQ(PollJapanErrorList(&w.Link, 0), 0);
  std::vector<QString> frames;
  for (int p = 0; p < 3; ++p)
    for (const QString& f : PageFrames(p)) frames.push_back(f);
  EXPECT_EQ(t.Frames(), frames);
  EXPECT_EQ(w.StatusText(2), "Event...");
  EXPECT_EQ(Text(w, "Label_Japan_E00"), "00. G_F01- 直流分検出");
  EXPECT_EQ(Text(w, "Label_Japan_E01"), "01. G_E01- 系統過周波数");
  EXPECT_EQ(Text(w, "Label_Japan_E05"), "05. 0");   // no event
  EXPECT_EQ(Text(w, "Label_Japan_E09"), "09. 0");   // a code without a text
  EXPECT_EQ(Text(w, "Label_Japan_E10"), "10. G_W24- 主幹負荷計測異常");
  EXPECT_EQ(Text(w, "Label_Japan_E29"), "29. 0");
  EXPECT_EQ(Text(w, "Label_ET00"), "2017/11/06 14:19:44");
  EXPECT_EQ(Text(w, "Label_ET01"), "");  // both words 0
  EXPECT_EQ(Colour(w, "Label_Japan_E00"), clBlack);
  EXPECT_EQ(Text(w, "Label_JapanErrorCodeHead"), "コード/說明");
  EXPECT_EQ(Text(w, "Label_JapanErrorDateHead"), "日付");
}

TEST_F(JapanActivePower, PageAnsweringWithAnotherNumberIsSkipped) {
  SetPage(0, 0, {1}, {28544, 23040});
  SetPage(1, 0, {129}, {28544, 23040});  // still page 0
  SetPage(2, 2, {232}, {28544, 23040});
  for (int n = 10; n < 20; ++n) {
    polltest::Paint(w, "Label_Japan_E" + Two(n), "kept", clBlack);
    polltest::Paint(w, "Label_ET" + Two(n), "kept", clBlack);
  }
  ASSERT_EQ(PollJapanErrorList(&w.Link, 0), 0);
  std::vector<QString> frames;
  for (int p = 0; p < 3; ++p)
    for (const QString& f : PageFrames(p, p != 1)) frames.push_back(f);
  EXPECT_EQ(t.Frames(), frames);
  EXPECT_EQ(Text(w, "Label_Japan_E10"), "kept");
  EXPECT_EQ(Text(w, "Label_ET10"), "kept");
  EXPECT_EQ(Text(w, "Label_Japan_E20"), "20. G_W24- 主幹負荷計測異常");
  EXPECT_EQ(Text(w, "Label_ET20"), "2017/11/06 14:19:44");
}

// A silent page reply skips that page's times; the next page goes on. (A
// failed write of the selector ends the view: the closed-port case above.)
TEST_F(JapanActivePower, UnansweredPageIsSkipped) {
  SetPage(0, 0, {1}, {28544, 23040});
  SetPage(1, 1, {129}, {28544, 23040});
  SetPage(2, 2, {232}, {28544, 23040});
  polltest::Paint(w, "Label_Japan_E00", "kept", clBlack);
  t.sim.QueueFault(sim::ReplyFault{});
  t.sim.QueueFault(sim::ReplyFault::Silent());
  ASSERT_EQ(PollJapanErrorList(&w.Link, 0), 0);
  std::vector<QString> frames;
  for (int p = 0; p < 3; ++p)
    for (const QString& f : PageFrames(p, p != 0)) frames.push_back(f);
  EXPECT_EQ(t.Frames(), frames);
  EXPECT_EQ(Text(w, "Label_Japan_E00"), "kept");
  EXPECT_EQ(Text(w, "Label_Japan_E10"), "10. G_E01- 系統過周波数");
}

}  // namespace
