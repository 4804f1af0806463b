#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSet>
#include <QTabWidget>

#include "app/GroupPanel.h"
#include "app/main.h"
#include "platform/IniFile.h"
#include "profiles/Designmode.h"
#include "sim/SimInverter.h"
#include "support/FakeDialogs.h"
#include "support/UserInput.h"
#include "support/Wait.h"
#include "tests/profiles/ProfileHome.h"

namespace {

QStringList Listed() {
  std::array<QString, 20> names;
  EXPECT_TRUE(ListLayoutProfiles(names));
  QStringList out;
  for (const QString& n : names)
    if (!n.isEmpty()) out << n;
  return out;
}

TEST(ListLayoutProfiles, PlainFoldersHoldingASettingsFileOnly) {
  ProfileHome home;
  home.Write(".Hidden/MonitorSet.KXL", "");
  home.Write("Locked/MonitorSet.KXL", "");
  ASSERT_TRUE(QFile::setPermissions(home.Path("Locked"), QFile::ReadOwner | QFile::ExeOwner));
  ASSERT_TRUE(QFile::link(home.Path("SuperUser"), home.Path("Linked")));
  home.Write("Lower/monitorset.kxl", "");
  home.Write("MonitorSet.KXL", "");  // a file, not a folder
  const QStringList names = Listed();
  EXPECT_EQ(QSet<QString>(names.begin(), names.end()),
            (QSet<QString>{"Alpha", "SuperUser", "SuperUser-Init", "Xy"}));
  EXPECT_EQ(names.size(), 4);
}

TEST(ListLayoutProfiles, AtMostTwentyInListingOrder) {
  ProfileHome home(false);
  for (int i = 0; i < 25; ++i) home.Write(QString("Profile%1/MonitorSet.KXL").arg(i), "");
  const QStringList names = Listed();
  ASSERT_EQ(names.size(), 20);
  // The first twenty qualifying folders in the order the folder lists them.
  QStringList order = QDir(home.Path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
  EXPECT_EQ(names, order.mid(0, 20));
}

TEST(ListLayoutProfiles, UnreadableProgramFolderIsAnError) {
  ProfileHome home(false);
  qputenv("QORVANE_HOME", home.Path("no such folder").toLocal8Bit());
  std::array<QString, 20> names;
  EXPECT_FALSE(ListLayoutProfiles(names));
}

class Profiles : public ::testing::Test {
 protected:
  void SetUp() override {
    w.show();
    combo = w.Ctl<QComboBox>("Combo_SelectMode");
    pages = w.Ctl<QTabWidget>("PageControl");
  }
  void Pick(const QString& profile) {
    combo->setCurrentIndex(combo->findText(profile));
    emit combo->activated(combo->currentIndex());
  }
  // Clicks the tab with the tool's (visible) index.
  void Click(int index) {
    for (int qt = 0, seen = 0; qt < pages->count(); ++qt)
      if (pages->isTabVisible(qt) && seen++ == index) pages->setCurrentIndex(qt);
  }
  QStringList VisibleTabs() const {
    QStringList out;
    for (int qt = 0; qt < pages->count(); ++qt)
      if (pages->isTabVisible(qt)) out << pages->tabText(qt);
    return out;
  }
  QStringList Shown() const {
    QStringList out;
    for (const GroupPanelDecl& d : GroupPanelTable())
      if (!w.Panel(d.name)->isHidden()) out << d.name;
    return out;
  }
  ProfileHome home;
  FakeDialogs dialogs;
  TForm_Main w;
  QComboBox* combo = nullptr;
  QTabWidget* pages = nullptr;
};

TEST_F(Profiles, SuperUserSeesSevenPagesWithTheirLayoutsAndNoPrompt) {
  w.Link.CmdCode = 6;  // a setting typed before the profile was picked
  w.AccessCode = "2937";
  const QByteArray before = home.Read("SuperUser/MonitorSet0.KXL");
  Pick("SuperUser");
  EXPECT_EQ(w.IsSuperUser, 1);
  EXPECT_TRUE(w.ScrollPopMenuAuto);
  EXPECT_EQ(VisibleTabs(),
            (QStringList{"Main", "Config2937", "Ctrl2937", "Config6082", "Ctrl6082", "Config8164", "Ctrl8164"}));
  EXPECT_EQ(w.CurrentPage, 0);
  EXPECT_EQ(w.Link.CmdCode, 0);
  EXPECT_TRUE(w.AccessCode.isEmpty());
  EXPECT_EQ(Shown(), (QStringList{"Group_Version", "Group_Status", "Group_TotalPower"}));
  EXPECT_EQ(w.Panel("Group_Version")->geometry(), QRect(10, 20, 255, 350));
  EXPECT_EQ(w.Panel("Group_TotalPower")->geometry(), QRect(10, 400, 255, 180));
  EXPECT_EQ(home.Read("SuperUser/MonitorSet0.KXL"), before);  // the switch itself saves nothing

  // Each page shows its own file's panels on its own scroll box.
  const QStringList perPage[7] = {
      {"Group_Version", "Group_Status", "Group_TotalPower"},
      {"Group_Country", "Group_ErrorEvent"},
      {"Group_ReactivePower", "Group_ActivePower"},  // 250 high: the profile shows the slope
      {"Group_LVFR"},
      {"Group_PFCtrl"},
      {"Group_Factory"},
      {"Group_VIPGain", "Group_ADC"},
  };
  for (int page : {1, 2, 3, 4, 5, 6, 0}) {
    Click(page);
    EXPECT_EQ(w.CurrentPage, page);
    EXPECT_EQ(Shown(), perPage[page]) << page;
    for (const QString& name : perPage[page])
      EXPECT_EQ(w.Panel(name)->parentWidget(), w.ScrollPage(page)->widget()) << name.toStdString();
  }
  EXPECT_EQ(w.Panel("Group_ActivePower")->Tag(), 250);
  EXPECT_EQ(w.Panel("Group_VIPGain")->pos(), QPoint(600, 5));
  EXPECT_TRUE(dialogs.prompts.empty());
  EXPECT_TRUE(dialogs.messages.isEmpty());
  EXPECT_TRUE(w.CheckAccessCode());
  EXPECT_TRUE(dialogs.prompts.empty());
}

TEST_F(Profiles, OtherProfilesSeeThreePagesGuardedByTheCodeLevel) {
  Pick("Alpha");
  EXPECT_EQ(w.IsSuperUser, 0);
  EXPECT_FALSE(w.ScrollPopMenuAuto);
  EXPECT_EQ(VisibleTabs(), (QStringList{"Main", "Config", "Ctrl"}));
  EXPECT_EQ(Shown(), QStringList{"Group_Version"});
  EXPECT_EQ(w.ReclosureRate, 100);
  EXPECT_EQ(w.LoadedCountryNames[3], "Belgium");

  dialogs.answers.push_back("6082");
  Click(1);
  ASSERT_EQ(dialogs.prompts.size(), 1u);
  EXPECT_EQ(dialogs.prompts[0].caption, "Input Password Please");
  EXPECT_EQ(dialogs.prompts[0].prompt, "");
  EXPECT_EQ(dialogs.prompts[0].proposed, "Password");
  EXPECT_EQ(Shown(), QStringList{"Group_UacProtection"});  // level 2: MonitorSet3
  Click(2);
  EXPECT_EQ(dialogs.prompts.size(), 1u);  // no second prompt
  EXPECT_EQ(Shown(), QStringList{"Group_FreqProtection"});  // MonitorSet4
  EXPECT_TRUE(w.CheckAccessCode());
  EXPECT_EQ(dialogs.prompts.size(), 1u);
  EXPECT_TRUE(dialogs.messages.isEmpty());
  // The other profile's files are only read.
  QFile fixture(QString(QORVANE_TEST_DATA) + "/profiles/Alpha/MonitorSet3.KXL");
  ASSERT_TRUE(fixture.open(QIODevice::ReadOnly));
  EXPECT_EQ(home.Read("Alpha/MonitorSet3.KXL"), fixture.readAll());
}

TEST_F(Profiles, WrongOrCancelledCodeGoesBackToMainAndAsksAgain) {
  Pick("Alpha");
  struct Case {
    bool ok;
    const char* answer;
  };
  const Case cases[] = {{false, ""}, {true, "Password"}, {true, "1234"}, {true, "29370"}, {true, ""}};
  for (const Case& c : cases) {
    dialogs.messages.clear();
    dialogs.prompts.clear();
    if (c.ok) dialogs.answers.push_back(c.answer);  // otherwise Cancel
    Click(2);
    EXPECT_EQ(dialogs.prompts.size(), 1u) << c.answer;
    EXPECT_EQ(dialogs.messages, QStringList{"Password Error"}) << c.answer;
    EXPECT_EQ(w.CurrentPage, 0) << c.answer;
    EXPECT_EQ(pages->currentWidget(), w.Control("TabSheet1"));
    EXPECT_EQ(Shown(), QStringList{"Group_Version"}) << c.answer;
  }
  EXPECT_EQ(w.AccessCode, "");  // the text typed stays, valid or not
  dialogs.answers.push_back("8164");
  Click(2);
  EXPECT_EQ(Shown(), QStringList{"Group_DcInj"});  // level 3: MonitorSet6
}

TEST_F(Profiles, ProfileChangeAsksForTheCodeAgainAndDropsThePendingCommand) {
  home.Write("Gamma/MonitorSet.KXL", "");
  home.Write("Gamma/MonitorSet1.KXL", "");
  combo->addItem("Gamma");
  Pick("Alpha");
  dialogs.answers.push_back("2937");
  Click(1);
  EXPECT_EQ(Shown(), QStringList{"Group_Country"});
  w.Link.CmdCode = 6;
  Pick("Gamma");
  EXPECT_EQ(w.Link.CmdCode, 0);
  EXPECT_EQ(w.CurrentPage, 0);
  Click(1);
  EXPECT_EQ(dialogs.prompts.size(), 2u);
  // Gamma has no MonitorSet0.KXL, so its Main page stays empty.
  EXPECT_EQ(dialogs.messages, (QStringList{"No Found Setting File2", "Password Error", "No Found Setting File2"}));
}

TEST_F(Profiles, CheckAccessCodeAsksOnceUntilTheNextProfile) {
  Pick("Alpha");
  EXPECT_FALSE(w.CheckAccessCode());  // Cancel
  EXPECT_EQ(w.AccessCode, "Cancel");
  EXPECT_EQ(dialogs.messages, QStringList{"Password Error"});
  dialogs.answers.push_back("2937");
  EXPECT_TRUE(w.CheckAccessCode());
  EXPECT_TRUE(w.CheckAccessCode());
  EXPECT_EQ(dialogs.prompts.size(), 2u);
  // The valid code also opens the pages without a prompt.
  Click(1);
  EXPECT_EQ(dialogs.prompts.size(), 2u);
  EXPECT_EQ(Shown(), QStringList{"Group_Country"});
}

TEST_F(Profiles, SuperUserInitReloadsTheInitialLayoutAndReturnsToSuperUser) {
  // Before any page was shown the file would be MonitorSet-1.KXL: none.
  Pick("SuperUser-Init");
  EXPECT_EQ(dialogs.messages, QStringList{"No Found Setting File2"});
  EXPECT_EQ(combo->currentText(), "SuperUser");
  EXPECT_EQ(w.IsSuperUser, 0);
  EXPECT_EQ(Shown(), QStringList{});
  EXPECT_EQ(w.Ctl<QLineEdit>("Edit_StartID")->text(), "1");  // its own file is never read

  dialogs.messages.clear();
  Pick("SuperUser");
  Click(2);
  Pick("SuperUser-Init");
  EXPECT_EQ(combo->currentText(), "SuperUser");
  EXPECT_EQ(w.IsSuperUser, 1);
  EXPECT_EQ(w.CurrentPage, 2);
  EXPECT_EQ(Shown(), QStringList{"Group_QUCtrl"});
  EXPECT_EQ(w.Panel("Group_QUCtrl")->pos(), QPoint(40, 40));
  // Leaving the page stores the initial arrangement as SuperUser's own.
  Click(0);
  IniFile page2(home.Path("SuperUser/MonitorSet2.KXL"));
  EXPECT_EQ(page2.ReadString("QUCtrl", "Height"), QString::number(340 + 10 * SectionCodeSum("QUCtrl")));
  EXPECT_EQ(page2.ReadString("ReactivePower", "Height"), "40");
  EXPECT_TRUE(dialogs.messages.isEmpty());
}

// Only SuperUser has initial layouts to go back to. Picked with another
// profile in force, SuperUser-Init leaves the box naming that profile and
// reloads nothing; SuperUser is then picked as any other profile.
TEST_F(Profiles, SuperUserInitPickedUnderAnotherProfileLeavesTheBoxOnIt) {
  ASSERT_TRUE(input::Activate(&w));
  ASSERT_TRUE(input::ChooseInOpenList(combo, "Alpha"));
  ASSERT_EQ(w.IsSuperUser, 0);
  const QStringList tabs = VisibleTabs();
  const QStringList shown = Shown();
  ASSERT_FALSE(shown.isEmpty());
  const QRect where = w.Panel(shown.first())->geometry();

  ASSERT_TRUE(input::ChooseInOpenList(combo, "SuperUser-Init"));
  EXPECT_EQ(combo->currentText().toStdString(), "Alpha");
  EXPECT_EQ(w.IsSuperUser, 0);
  EXPECT_EQ(VisibleTabs(), tabs);
  EXPECT_EQ(Shown(), shown);
  EXPECT_EQ(w.Panel(shown.first())->geometry(), where);
  EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(" | ").toStdString();

  ASSERT_TRUE(input::ChooseInOpenList(combo, "SuperUser"));
  EXPECT_EQ(combo->currentText(), "SuperUser");
  EXPECT_EQ(w.IsSuperUser, 1);
  EXPECT_EQ(VisibleTabs().size(), 7);
}

TEST_F(Profiles, SwitchingProfilesNeverSavesThePageOnScreen) {
  const QByteArray su0 = home.Read("SuperUser/MonitorSet0.KXL");
  Pick("Alpha");
  w.Panel("Group_Version")->move(123, 45);
  Pick("SuperUser");  // the page on screen belongs to Alpha
  EXPECT_EQ(home.Read("SuperUser/MonitorSet0.KXL"), su0);
  w.Panel("Group_Version")->move(99, 99);
  Pick("Alpha");  // SuperUser is no longer selected when the page changes
  EXPECT_EQ(home.Read("SuperUser/MonitorSet0.KXL"), su0);
}

TEST_F(Profiles, ProfileOptionsRearrangeTheirControls) {
  // Controls that the settings views declare; built here the way views do.
  auto* status = w.Panel("Group_Status");
  QWidget* constVolt = w.Control("Group_ConstVolt");
  if (!constVolt) {
    constVolt = new QWidget(status);
    constVolt->setObjectName("Group_ConstVolt");
  }
  QWidget* lang = w.Control("Combo_LanguageSelect");  // the country view's language row
  ASSERT_TRUE(lang);
  w.RegisterControl(constVolt);
  QWidget* factory = w.Control("Group_UseForFactory");  // the factory view's repair box
  ASSERT_TRUE(factory);

  Pick("SuperUser");  // ConstVlot show=5, Language Select=1, VacProtect set=2
  EXPECT_FALSE(constVolt->isHidden());
  EXPECT_FALSE(lang->isHidden());
  EXPECT_FALSE(factory->isHidden());
  EXPECT_EQ(w.Panel("Group_UacProtection")->width(), 520);
  EXPECT_EQ(w.Panel("Group_UacProtection")->TitleLabel()->width(), 520);  // found by its name, Label_UacProtection
  Pick("Alpha");  // none of them
  EXPECT_TRUE(constVolt->isHidden());
  EXPECT_TRUE(lang->isHidden());
  EXPECT_TRUE(factory->isHidden());
  EXPECT_EQ(w.Panel("Group_UacProtection")->width(), 255);
  EXPECT_EQ(w.Panel("Group_ActivePower")->Tag(), 200);
}

TEST_F(Profiles, MissingSettingsFileKeepsTheOptionsAndSwitchesAnyway) {
  Pick("SuperUser");
  QFile::remove(home.Path("Alpha/MonitorSet.KXL"));
  Pick("Alpha");
  EXPECT_EQ(dialogs.messages, QStringList{"No Found Setting File1"});
  EXPECT_EQ(w.ShowAcMode, 2);  // still SuperUser's
  EXPECT_EQ(w.IsSuperUser, 0);
  EXPECT_EQ(VisibleTabs(), (QStringList{"Main", "Config", "Ctrl"}));
}

}  // namespace

namespace {

// The link open on the simulated inverter: picking a profile resumes polling
// on its Main page, and a command typed before is never sent.
TEST(ProfileChangeWithLinkOpen, PollingResumesOnTheNewProfilesPages) {
  ProfileHome home;
  FakeDialogs dialogs;
  sim::SimInverter sim;
  sim.AddSlave(1);
  TForm_Main w;
  w.show();
  ASSERT_EQ(w.Link.OpenSerial(sim.PortPath()), 0);
  w.Link.SlaveId = 1;
  w.Link.SetBaudIndex(1);
  w.LinkOpen = true;
  w.Link.CmdCode = 6;  // a setting typed while no profile was shown
  w.Link.CmdRegister = 802;
  waits::Until(
      &w, "frame 3",
      [&] {
        if (sim.Frames().size() < 3) return false;
        w.ClosePortClick();
        return true;
      },
      [&] { w.ClosePortClick(); });
  auto* combo = w.Ctl<QComboBox>("Combo_SelectMode");
  combo->setCurrentIndex(combo->findText("SuperUser"));
  w.Combo_SelectModeChange();  // returns when that polling ends
  EXPECT_FALSE(w.LinkOpen);
  ASSERT_GE(sim.Frames().size(), 3u);
  for (const sim::SimFrame& f : sim.Frames()) EXPECT_NE(f.bytes[1], 6) << "the dropped write never goes out";
  EXPECT_FALSE(w.Panel("Group_Version")->isHidden());
}

}  // namespace
