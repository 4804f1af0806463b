#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>

#include "app/GroupPanel.h"
#include "app/main.h"
#include "platform/IniFile.h"
#include "profiles/Designmode.h"
#include "support/FakeDialogs.h"
#include "tests/profiles/ProfileHome.h"

namespace {

// Puts a panel open at its full height on a page, as a layout would.
void Open(TForm_Main& w, const char* name, int page, int left, int top) {
  GroupPanel* p = w.Panel(name);
  p->setParent(w.ScrollPage(page)->widget());
  p->setGeometry(left, top, p->width(), p->Tag());
  p->show();
}

TEST(PageLayout, HeightCodeAddsTenTimesTheSectionsCodeSum) {
  struct Case {
    const char* section;
    int height, stored;
  };
  const Case cases[] = {
      {"Version", 350, 7770},           // 742 x 10 + 350
      {"ADC", 400, 2400},               // the smallest code of a shown panel
      {"JapanErrorEvent", 670, 15930},  // the largest
      {"DeratingRecords", 250, 15610},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodePanelHeight(c.stored, c.section), c.height) << c.section;
    EXPECT_EQ(c.height + 10 * SectionCodeSum(c.section), c.stored) << c.section;
  }
  EXPECT_EQ(DecodePanelHeight(40, "Version"), 40);
  EXPECT_EQ(DecodePanelHeight(0, "ADC"), -2000);  // missing value: below zero
  // Hand-edited numbers at the limits of a 32-bit integer do not wrap.
  EXPECT_EQ(DecodePanelHeight(INT32_MIN, "Version"), qint64(INT32_MIN) - 7420);
  EXPECT_EQ(DecodePanelHeight(INT32_MAX, "ADC"), qint64(INT32_MAX) - 2000);
}

TEST(PageLayout, OnlyAPanelOpenAtItsTagOnThatPageIsStoredWithItsHeight) {
  TForm_Main w;
  GroupPanel* version = w.Panel("Group_Version");
  Open(w, "Group_Version", 0, 10, 20);
  EXPECT_EQ(EncodePanelHeight("Version", version, w.ScrollPage(0)), 7770);
  EXPECT_EQ(EncodePanelHeight("Version", version, w.ScrollPage(1)), 40);  // another page
  version->resize(version->width(), 40);
  EXPECT_EQ(EncodePanelHeight("Version", version, w.ScrollPage(0)), 40);  // closed
  version->resize(version->width(), 351);
  EXPECT_EQ(EncodePanelHeight("Version", version, w.ScrollPage(0)), 40);  // not its Tag
  version->resize(version->width(), 350);
  version->hide();  // visibility is not consulted
  EXPECT_EQ(EncodePanelHeight("Version", version, w.ScrollPage(0)), 7770);
}

TEST(PageLayout, SavingWritesEverySectionAndPositionsOfShownPanelsOnly) {
  ProfileHome home(false);
  FakeDialogs dialogs;
  home.Write("SuperUser/MonitorSet0.KXL", Crlf("[version]\nHeight=40\n[Status]\nHeight=6670\nTop=111\nLeft=222\n"
                                                "[Mine]\nKept=yes\n"));
  TForm_Main w;
  w.show();  // every panel closed
  Open(w, "Group_Version", 0, 10, 20);
  Open(w, "Group_TotalPower", 1, 5, 5);  // on another page
  ASSERT_EQ(SavePageLayout(w, home.Path("SuperUser/MonitorSet0.KXL"), w.ScrollPage(0)), kFileDone);
  IniFile ini(home.Path("SuperUser/MonitorSet0.KXL"));
  EXPECT_EQ(ini.ReadString("Version", "Height"), "7770");
  EXPECT_EQ(ini.ReadString("Version", "Top"), "20");
  EXPECT_EQ(ini.ReadString("Version", "Left"), "10");
  EXPECT_EQ(ini.ReadString("Status", "Height"), "40");
  EXPECT_EQ(ini.ReadString("Status", "Top"), "111");  // a closed panel keeps what the file had
  EXPECT_EQ(ini.ReadString("TotPow", "Height"), "40");
  EXPECT_FALSE(ini.ValueExists("TotPow", "Top"));
  EXPECT_EQ(ini.ReadString("Mine", "Kept"), "yes");
  // The file keeps its own spelling and line ends and gets all 96 sections.
  const QByteArray bytes = home.Read("SuperUser/MonitorSet0.KXL");
  EXPECT_TRUE(bytes.startsWith("[version]\r\nHeight=7770\r\nTop=20\r\nLeft=10\r\n[Status]\r\n"));
  EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n"));
  EXPECT_EQ(bytes.count("Height="), 96);
  for (const GroupPanelDecl& d : GroupPanelTable())
    EXPECT_EQ(ini.SectionExists(d.section ? d.section : "Debug"), d.section != nullptr) << d.name;
  EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST(PageLayout, SavingToAMissingFileCreatesNothing) {
  ProfileHome home(false);
  FakeDialogs dialogs;
  TForm_Main w;
  EXPECT_EQ(SavePageLayout(w, home.Path("SuperUser/MonitorSet3.KXL"), w.ScrollPage(3)), kFileMissing);
  EXPECT_EQ(dialogs.messages, QStringList{"No found Setting File"});
  EXPECT_FALSE(home.Exists("SuperUser/MonitorSet3.KXL"));
}

TEST(PageLayout, LoadingDecodesHeightsInAnySectionOrderAndClosesMissingOnes) {
  ProfileHome home(false);
  TForm_Main w;
  GroupPanel* status = w.Panel("Group_Status");
  status->move(77, 88);
  // Sections in another order than the table's, one closed, one absent, one bad.
  home.Write("a.KXL", Crlf("[STATUS]\nheight=40\nTop=1\nLeft=1\n[Input2]\nHeight=junk\n"
                           "[version]\nLEFT=12\nTOP=34\nHEIGHT=7770\n"));
  ASSERT_EQ(LoadPageLayout(w, home.Path("a.KXL")), kFileDone);
  EXPECT_EQ(w.Panel("Group_Version")->geometry(), QRect(12, 34, 255, 350));
  EXPECT_EQ(status->height(), 40);
  EXPECT_EQ(status->pos(), QPoint(77, 88));  // 40: Left and Top untouched
  for (const char* name : {"Group_GetDC2", "Group_ADC"}) {  // bad, absent: closed
    EXPECT_EQ(w.Panel(name)->height(), 40) << name;
    EXPECT_EQ(w.Panel(name)->pos(), QPoint(0, 0)) << name;
  }
  EXPECT_EQ(LoadPageLayout(w, home.Path("none.KXL")), kFileMissing);
  EXPECT_EQ(w.Panel("Group_Version")->height(), 350);
}

class LayoutDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    w.show();
    auto* combo = w.Ctl<QComboBox>("Combo_SelectMode");
    combo->setCurrentIndex(combo->findText("SuperUser"));
    w.Combo_SelectModeChange();
    pages = w.Ctl<QTabWidget>("PageControl");
    dialogs.messages.clear();
  }
  QStringList ShownPanels(int page) const {
    QStringList shown;
    for (const GroupPanelDecl& d : GroupPanelTable()) {
      GroupPanel* p = w.Panel(d.name);
      if (!p->isHidden()) {
        EXPECT_EQ(p->parentWidget(), w.ScrollPage(page)->widget()) << d.name;
        shown << d.name;
      }
    }
    return shown;
  }
  ProfileHome home;
  FakeDialogs dialogs;
  TForm_Main w;
  QTabWidget* pages = nullptr;
};

TEST_F(LayoutDisplay, ShowsExactlyTheOpenPanelsOnThePageTwiceAlike) {
  const QStringList expected{"Group_Version", "Group_Status", "Group_TotalPower"};
  EXPECT_EQ(ShownPanels(0), expected);
  // An open panel that no layout stores goes along to the page shown.
  GroupPanel* debug = w.Panel("Group_Debug");
  debug->resize(debug->width(), debug->Tag());
  w.SettingFilePath = home.Path("SuperUser/MonitorSet0.KXL");
  w.ShowPageLayout();
  w.ShowPageLayout();
  EXPECT_EQ(ShownPanels(0), expected + QStringList{"Group_Debug"});
  EXPECT_EQ(w.Panel("Group_Status")->geometry(), QRect(300, 20, 255, 230));
  // The page's content covers its panels.
  EXPECT_GE(w.ScrollPage(0)->widget()->height(), 400 + 180);
  EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(LayoutDisplay, MissingLayoutFileChangesNoPanel) {
  w.SettingFilePath = home.Path("SuperUser/MonitorSet9.KXL");
  w.ShowPageLayout();
  EXPECT_EQ(dialogs.messages, QStringList{"No Found Setting File2"});
  EXPECT_EQ(ShownPanels(0), (QStringList{"Group_Version", "Group_Status", "Group_TotalPower"}));
}

TEST_F(LayoutDisplay, LeavingAPageSavesItOnlyForSuperUserAndNotTheFirmwareTab) {
  // Dragged on page 0, then page 1 is picked: page 0's file holds the move.
  w.Panel("Group_Version")->move(40, 50);
  w.ScrollPage(0)->verticalScrollBar()->setValue(0);
  pages->setCurrentIndex(1);
  EXPECT_EQ(w.CurrentPage, 1);
  IniFile page0(home.Path("SuperUser/MonitorSet0.KXL"));
  EXPECT_EQ(page0.ReadString("Version", "Left"), "40");
  EXPECT_EQ(page0.ReadString("Version", "Top"), "50");
  EXPECT_EQ(page0.ReadString("InvTime", "Top"), "999");  // closed: position left alone
  EXPECT_EQ(ShownPanels(1), (QStringList{"Group_Country", "Group_ErrorEvent"}));

  // The firmware tab (index 7) has no layout: leaving it saves nothing.
  const QByteArray before = home.Read("SuperUser/MonitorSet1.KXL");
  w.CurrentPage = 7;
  w.SaveCurrentPageLayout();
  EXPECT_EQ(home.Read("SuperUser/MonitorSet1.KXL"), before);
  EXPECT_FALSE(home.Exists("SuperUser/MonitorSet7.KXL"));
}

TEST_F(LayoutDisplay, NoProfileOrNoPageMeansNothingAtAllNotEvenTheScrollReset) {
  auto* content = w.ScrollPage(0)->widget();
  content->resize(3000, 3000);
  auto* bar = w.ScrollPage(0)->horizontalScrollBar();
  bar->setValue(100);
  ASSERT_EQ(bar->value(), 100);
  w.CurrentPage = -1;
  w.SaveCurrentPageLayout();
  EXPECT_EQ(bar->value(), 100);
  w.CurrentPage = 0;
  w.Ctl<QComboBox>("Combo_SelectMode")->setCurrentIndex(-1);
  w.SaveCurrentPageLayout();
  EXPECT_EQ(bar->value(), 100);
  w.Ctl<QComboBox>("Combo_SelectMode")->setCurrentIndex(0);
  w.SaveCurrentPageLayout();
  EXPECT_EQ(bar->value(), 0);
}

TEST_F(LayoutDisplay, RefusedLayoutWriteIsReportedAndThePageChangeGoesOn) {
  ASSERT_TRUE(QFile::setPermissions(home.Path("SuperUser/MonitorSet0.KXL"), QFile::ReadOwner));
  const QByteArray before = home.Read("SuperUser/MonitorSet0.KXL");
  w.Panel("Group_Version")->move(1, 2);
  pages->setCurrentIndex(2);
  EXPECT_EQ(dialogs.messages, QStringList{"Unable to write to " + home.Path("SuperUser/MonitorSet0.KXL")});
  EXPECT_EQ(home.Read("SuperUser/MonitorSet0.KXL"), before);
  EXPECT_EQ(w.CurrentPage, 2);
  EXPECT_EQ(ShownPanels(2), (QStringList{"Group_ReactivePower", "Group_ActivePower"}));
}

// Layout files are user-editable: numbers at the limits of a 32-bit integer
// must neither wrap nor put a panel beyond the toolkit's coordinates.
TEST_F(LayoutDisplay, NumbersAtTheIntegerLimitsCloseThePanelOrKeepItOnThePage) {
  GroupPanel* version = w.Panel("Group_Version");
  QWidget* content = w.ScrollPage(0)->widget();
  auto show = [&](const char* section) {
    home.Write("SuperUser/MonitorSet0.KXL", Crlf(section));
    w.SettingFilePath = home.Path("SuperUser/MonitorSet0.KXL");
    w.ShowPageLayout();
  };
  // A height that no panel has (below zero, or above its full height) is a
  // closed panel, not one open at a wrapped size.
  for (const char* file : {"[Version]\nHeight=-2147483648\nLeft=10\nTop=20\n",
                           "[Version]\nHeight=2147483647\nLeft=10\nTop=20\n",
                           "[Version]\nHeight=8121\nLeft=10\nTop=20\n"}) {  // 351: one above its Tag
    show(file);
    EXPECT_EQ(version->height(), 40) << file;
    EXPECT_TRUE(version->isHidden()) << file;
  }
  // Left and Top at the largest integer, or a panel that would end there: the
  // panel stays open within the page range, alike on the next load, and the
  // page grows to it.
  const QPoint corner(kMaxPanelOffset, kMaxPanelOffset);
  for (const char* file : {"[Version]\nHeight=7770\nLeft=2147483647\nTop=2147483647\n",
                           "[Version]\nHeight=7770\nLeft=2147483647\nTop=2147483647\n",
                           "[Version]\nHeight=7770\nLeft=2147483393\nTop=2147483298\n"}) {
    show(file);
    EXPECT_EQ(version->geometry(), QRect(corner, QSize(255, 350))) << file;
    EXPECT_FALSE(version->isHidden()) << file;
    EXPECT_EQ(content->size(), QSize(kMaxPanelOffset + 255, kMaxPanelOffset + 350)) << file;
  }
  show("[Version]\nHeight=7770\nLeft=-2147483648\nTop=-5\n");
  EXPECT_EQ(version->geometry(), QRect(0, 0, 255, 350));
}

// A panel that no layout stores may stand anywhere: fitting the page to a
// panel that ends at the largest coordinate takes the largest page there is.
TEST_F(LayoutDisplay, FittingToAPanelAtTheLargestCoordinateDoesNotWrap) {
  GroupPanel* debug = w.Panel("Group_Debug");
  debug->resize(debug->width(), debug->Tag());
  debug->move(INT32_MAX - debug->width() + 1, INT32_MAX - debug->height() + 1);
  ASSERT_EQ(debug->geometry().bottomRight(), QPoint(INT32_MAX, INT32_MAX));
  w.SettingFilePath = home.Path("SuperUser/MonitorSet0.KXL");
  w.ShowPageLayout();
  ASSERT_FALSE(debug->isHidden());
  EXPECT_EQ(w.ScrollPage(0)->widget()->size(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

}  // namespace
