#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>

#include "app/GroupPanel.h"
#include "app/main.h"
#include "profiles/ProfileHome.h"
#include "support/FakeDialogs.h"

namespace {

QString Caption(TForm_Main& w, const char* name) {
  auto* l = w.Ctl<QLabel>(QLatin1String(name));
  return l ? l->text() : QStringLiteral("<none>");
}
QString Title(TForm_Main& w, const char* panel) { return w.Panel(panel)->TitleLabel()->text(); }

struct Variants : ::testing::Test {
  FakeDialogs dialogs;
  TForm_Main w;
};

TEST_F(Variants, ProtectionCaptionsSwitchToShortCodesAndBack) {
  const std::pair<const char*, std::pair<const char*, const char*>> freq[] = {
      {"Label76", {"F High Off:", "HF2"}}, {"Label113", {"F High Off Slow Time:", "HF1T"}},
      {"Label102", {"F Low On:", "LF2H"}}, {"Label116", {"F Low On Slow:", "LF1H"}}};
  w.SetFreqProtectLabels(1);
  for (auto& [label, texts] : freq) EXPECT_EQ(Caption(w, label), texts.second) << label;
  w.SetFreqProtectLabels(0);
  for (auto& [label, texts] : freq) EXPECT_EQ(Caption(w, label), texts.first) << label;

  w.SetVoltProtectLabels(1);
  EXPECT_EQ(Caption(w, "Label71"), "HV2");
  EXPECT_EQ(Caption(w, "Label94"), "LV3");
  EXPECT_EQ(Caption(w, "Label601"), "LV2T");
  // The high side's second slow stage keeps its long captions.
  EXPECT_EQ(Caption(w, "Label551"), "U High Off Slow 2:");
  EXPECT_EQ(Caption(w, "Label575"), "U High On Slow 2:");
  w.SetVoltProtectLabels(7);  // unknown: nothing changes
  EXPECT_EQ(Caption(w, "Label71"), "HV2");
  w.SetVoltProtectLabels(0);
  EXPECT_EQ(Caption(w, "Label603"), "U Low On Slow 2:");
}

TEST_F(Variants, AcTitlesAndJapanRowSets) {
  w.SetAcGroupTitles(1);
  EXPECT_EQ(Title(w, "Group_GetAC1"), "VAB");
  EXPECT_EQ(Title(w, "Group_GetAC2"), "VBC");
  EXPECT_EQ(Title(w, "Group_GetAC3"), "VAC");
  w.SetAcGroupTitles(5);
  EXPECT_EQ(Title(w, "Group_GetAC3"), "VAC");
  w.SetAcGroupTitles(0);
  EXPECT_EQ(Title(w, "Group_GetAC2"), "Output 2");

  // Two rows of the Japan user settings, one of each set.
  QWidget* oldRow = w.Control("Combo_JapSupLevel");
  QWidget* newRow = w.Control("Label_JapGroundFault");
  ASSERT_NE(oldRow, nullptr);
  ASSERT_NE(newRow, nullptr);
  EXPECT_EQ(w.SetJapanUserSettingMode(0), 0);
  EXPECT_TRUE(oldRow->isHidden());
  EXPECT_FALSE(newRow->isHidden());
  w.SetJapanUserSettingMode(2);
  EXPECT_TRUE(oldRow->isHidden());
  w.SetJapanUserSettingMode(1);
  EXPECT_FALSE(oldRow->isHidden());
  EXPECT_TRUE(newRow->isHidden());
}

TEST(VariantsByProfile, TheProfileChangeAppliesTheOptions) {
  ProfileHome home;
  home.Write("Gamma/MonitorSet.KXL", Crlf("[VacProtect]\nset=2\n[Write]\nShowAcTitle=1\nShowGsFacMode=1\n"));
  home.Write("Delta/MonitorSet.KXL", Crlf("[VacProtect]\nset=1\n[Write]\nShowAcTitle=0\nShowGsFacMode=0\n"));
  FakeDialogs dialogs;
  TForm_Main w;
  w.show();
  auto* combo = w.Ctl<QComboBox>("Combo_SelectMode");
  auto pick = [&](const char* profile) {
    combo->setCurrentIndex(combo->findText(profile));
    emit combo->activated(combo->currentIndex());
  };
  pick("Gamma");
  EXPECT_EQ(Caption(w, "Label71"), "HV2");
  EXPECT_EQ(Caption(w, "Label76"), "HF2");
  EXPECT_EQ(Title(w, "Group_GetAC1"), "VAB");
  EXPECT_TRUE(w.Control("GroupBox39")->isHidden());
  pick("Delta");
  EXPECT_EQ(Caption(w, "Label71"), "U High Off:");
  EXPECT_EQ(Caption(w, "Label76"), "F High Off:");
  EXPECT_EQ(Title(w, "Group_GetAC1"), "Output 1");
  EXPECT_FALSE(w.Control("GroupBox39")->isHidden());
}

}  // namespace
