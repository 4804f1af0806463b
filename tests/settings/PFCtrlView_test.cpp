#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main.h"
#include "link/PollingLoop.h"
#include "settings/GridSupportViews.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"
#include "support/SettingsFixture.h"

using polltest::Colour;
using polltest::Text;
using settingstest::ReadHolding;

namespace {

constexpr const char* kBlockLabels[] = {
    "Label_PROFRMode",          "Label_PROFRGradient",  "Label_FacStart",        "Label_FacStop",
    "Label_FacRec",             "Label_PF_ReocveryTime", "Label_Statism",        "Label_PROFRGradient_Under",
    "Label_FacStart_Under",     "Label_FacRec_Under",   "Label_PminPercent",     "Label_PROFRMode_Under",
    "Label_PF_ReocveryTime_Under"};

struct PFCtrl : polltest::ViewTest {
  void SetUp() override {
    t.ShowPanel("Group_PFCtrl");
    t.sim.SetHoldingBlock(1, 48640, {1, 40, 5020, 5150, 5010, 0, 30000, 45, 0, 50, 4980, 4990, 20, 2, 6000});
    t.sim.SetHolding(1, 33568, 5150);
  }
};

TEST(PFCtrlPollOrder, AfterActivePower) {
  const auto rows = PollOrder();
  size_t i = 0;
  while (i < rows.size() && rows[i].item != PollPFCtrl) ++i;
  ASSERT_LT(i, rows.size());
  EXPECT_EQ(rows[i].order, 31);
  EXPECT_EQ(rows[i - 1].item, &PollActivePower);
}

TEST_F(PFCtrl, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollPFCtrl, "Group_PFCtrl"}});
}

TEST_F(PFCtrl, ControlsAsDeclared) {
  // Hidden in the design; the read-back fills them all the same.
  EXPECT_TRUE(w.Control("Edit_Statism")->isHidden());
  EXPECT_TRUE(w.Control("Label_PF_ReocveryTime_Under")->isHidden());
  EXPECT_FALSE(w.Control("Edit_FacStart")->isHidden());
  EXPECT_EQ(w.Control("Edit_FHighOFF1")->toolTip(), "Max: 65Hz");
  EXPECT_EQ(w.Control("Edit_FacRec_Under")->parentWidget()->objectName(), "GroupBox_UnderFrequency");
}

TEST_F(PFCtrl, ReadBack) {
  for (const char* name : kBlockLabels) polltest::Paint(w, name, "x", clRed);
  polltest::Paint(w, "Label_FHighOFF1", "x", clRed);
  ASSERT_EQ(PollPFCtrl(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(48640, 15), ReadHolding(33568, 1)}));
  EXPECT_EQ(w.StatusText(2), "PF Ctrl...");
  const std::vector<QString> expected = {"Enable",   "40 %",     "50.20 Hz", "51.50 Hz", "50.10 Hz",
                                         "300.00 sec", "4.5 %",  "50 %",     "49.80 Hz", "49.90 Hz",
                                         "20 %",     "Enable",   "60.00 sec"};
  for (size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(Text(w, kBlockLabels[k]), expected[k]) << kBlockLabels[k];
    EXPECT_EQ(Colour(w, kBlockLabels[k]), clBlue) << kBlockLabels[k];
  }
  EXPECT_EQ(Text(w, "Label_FHighOFF1"), "51.50 Hz");
  EXPECT_EQ(Colour(w, "Label_FHighOFF1"), clBlue);

  t.sim.SetHolding(1, 48640, 0);
  ASSERT_EQ(PollPFCtrl(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_PROFRMode"), "Disable");
}

TEST_F(PFCtrl, UnusableBlockSkipsItsStepOnly) {
  for (const char* name : kBlockLabels) polltest::Paint(w, name, "x", clRed);
  t.sim.QueueFault(sim::ReplyFault::Exception(2));
  ASSERT_EQ(PollPFCtrl(&w.Link, 0), 0);
  for (const char* name : kBlockLabels) EXPECT_EQ(Colour(w, name), clRed) << name;
  EXPECT_EQ(Text(w, "Label_FHighOFF1"), "51.50 Hz");
}

TEST_F(PFCtrl, EveryEditorWritesItsRegister) {
  settingstest::ExpectEditorWrites(t, {
      {"Combo_PROFRMode", "Enable", 48640, 1, "Label_PROFRMode"},
      {"Combo_PROFRMode", "Disable", 48640, 0, "Label_PROFRMode"},
      {"Edit_PROFRGradient", "40", 48641, 40, "Label_PROFRGradient"},
      {"Edit_FacStart", "50.2", 48642, 5020, "Label_FacStart"},
      {"Edit_FacStop", "51.5", 48643, 5150, "Label_FacStop"},
      {"Edit_FacRec", "50.1", 48644, 5010, "Label_FacRec"},
      {"Edit_PF_ReocveryTime", "600", 48646, 60000, "Label_PF_ReocveryTime"},
      {"Edit_PF_ReocveryTime", "0", 48646, 0, "Label_PF_ReocveryTime"},
      {"Edit_Statism", "4.5", 48647, 45, "Label_Statism"},
      {"Edit_PminPercent", "20", 48652, 20, "Label_PminPercent"},
      {"Edit_FHighOFF1", "70", 33568, 7000, "Label_FHighOFF1"},  // the hint is text only
      {"Combo_PROFRMode_Under", "Enable", 48653, 1, "Label_PROFRMode_Under"},
      {"Edit_PROFRGradient_Under", "50", 48649, 50, "Label_PROFRGradient_Under"},
      {"Edit_FacStart_Under", "49.8", 48650, 4980, "Label_FacStart_Under"},
      {"Edit_FacRec_Under", "49.9", 48651, 4990, "Label_FacRec_Under"},
      {"Edit_PF_ReocveryTime_Under", "600", 48654, 60000, "Label_PF_ReocveryTime_Under"},
  });
}

// The recovery times take 0 to 600 s. Whatever lies outside, a time above
// 600 s as well as a negative one the unsigned register cannot hold, posts
// nothing, leaves the label's colour and says which range the row takes.
TEST_F(PFCtrl, RecoveryTimesOutsideTheirRangeAreRefused) {
  constexpr const char* kRange = "Out of range: the value must lie from 0.00 to 600.00";
  for (const char* edit : {"Edit_PF_ReocveryTime", "Edit_PF_ReocveryTime_Under"}) {
    const std::string label = QString::fromLatin1(edit).replace("Edit_", "Label_").toStdString();
    for (const char* typed : {"601", "600.01", "655.35", "-1", "-0.01"})
      settingstest::ExpectRefused(t, {{edit, typed, label.c_str(), kRange}});
  }
}

TEST_F(PFCtrl, RefusedEntries) {
  settingstest::ExpectRefused(t, {{"Edit_PROFRGradient", "4.5", "Label_PROFRGradient"},
                                  {"Edit_PminPercent", "", "Label_PminPercent"},
                                  {"Edit_FacStart", "fifty", "Label_FacStart"}});
}

// The high trip level edited here is the frequency protection's register.
TEST_F(PFCtrl, WrittenThenReadBackBlue) {
  settingstest::Commit(w, "Edit_FHighOFF1", "51.2");
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.sim.Holding(1, 33568), 5120);
  w.Link.CmdCode = 0;
  ASSERT_EQ(PollPFCtrl(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_FHighOFF1"), "51.20 Hz");
  EXPECT_EQ(Colour(w, "Label_FHighOFF1"), clBlue);
}

}  // namespace
