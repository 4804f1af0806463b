#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QScrollArea>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <stdexcept>

#include "app/GroupPanel.h"
#include "app/LogViews.h"
#include "app/Startup.h"
#include "app/main.h"
#include "support/FakeDialogs.h"

TEST(MainWindow, SkeletonControlsAreFoundByName) {
  TForm_Main w;
  EXPECT_EQ(w.windowTitle(), "Qorvane V4.9");
  for (const char* name : {"Group_Top", "Panel_LeftDown", "Panel_RightDown", "PageControl", "TabSheet1",
                           "TabSheet7", "Tab_Firmware", "TreeView", "Btn_ScanID", "Group_Debug", "List_Event",
                           "Scroll_Page1", "Scroll_Page7"})
    EXPECT_NE(w.Control(name), nullptr) << name;
  EXPECT_EQ(w.Ctl<QLineEdit>("Edit_StartID")->text(), "1");
  EXPECT_EQ(w.Ctl<QLineEdit>("Edit_EndID")->text(), "32");
  EXPECT_NE(w.EventLog(), nullptr);
  EXPECT_EQ(w.Ctl<QTabWidget>("PageControl")->count(), 8);
  EXPECT_EQ(w.Panel("Group_Debug")->Tag(), 490);
  EXPECT_EQ(w.Panel("Group_Debug")->property("Tag").toInt(), 490);
}

TEST(MainWindow, StatusBarHasElevenPanelsAtTheirWidths) {
  TForm_Main w;
  const int widths[11] = {45, 75, 85, 90, 100, 160, 240, 100, 120, 200, 50};
  for (int i = 0; i < 11; ++i) {
    auto* panel = w.findChild<QLabel*>(QString("StatusPanel%1").arg(i));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->width(), widths[i]) << i;
  }
  w.SetStatus(4, "COM Open");
  EXPECT_EQ(w.StatusText(4), "COM Open");
  w.SetStatus(11, "out of range");  // ignored, no crash
  EXPECT_EQ(w.StatusText(11), "");
}

TEST(MainWindow, WhiteBehindTheControlsWithoutAStyleSheetOverThePanels) {
  TForm_Main w;
  QCoreApplication::processEvents();  // lays the window out
  const QImage shot = w.grab().toImage();
  // The left panel's margin: nothing drawn there but the window's background.
  QWidget* left = w.Control("Panel_LeftDown");
  const QPoint margin = left->mapTo(&w, QPoint(1, left->height() / 2));
  EXPECT_EQ(shot.pixelColor(margin).name(), "#ffffff");
  // A style sheet reaching the panels would style each of their thousands of
  // controls through the style-sheet style and its caches (tens of MB).
  EXPECT_FALSE(w.Control("Label_BRK_Vdc1")->style()->inherits("QStyleSheetStyle"));
}

TEST(MainWindow, TabsCarryTheirDesignCaptions) {
  TForm_Main w;
  auto* pages = w.Ctl<QTabWidget>("PageControl");
  ASSERT_NE(pages, nullptr);
  const char* expected[][2] = {{"TabSheet1", "Main"},           {"TabSheet2", "Config"},
                               {"TabSheet3", "Ctrl"},           {"TabSheet4", "Config6082"},
                               {"TabSheet5", "Ctrl6082"},       {"TabSheet6", "Config8164"},
                               {"TabSheet7", "Ctrl8164"},       {"Tab_Firmware", "Upgrade"}};
  for (const auto& e : expected)
    EXPECT_EQ(pages->tabText(pages->indexOf(w.Control(e[0]))), e[1]) << e[0];
}

TEST(MainWindow, EveryTitleLabelIsFoundByItsName) {
  TForm_Main w;
  // A few as the window's routines use them, then every panel of the table.
  const char* named[][2] = {{"Group_Version", "Label_Version"},
                            {"Group_UacProtection", "Label_UacProtection"},
                            {"Group_RelayFunction1", "Label_RelayFunction1"},
                            {"Group_Country", "Label_CountrySet"},
                            {"Group_GetAC3", "Label_GetAC3"},
                            {"Group_K4QSetting", "Label485"},
                            {"Group_BRK_ThermalEvent", "Label_BRK_ThermalEvent"}};
  for (const auto& n : named) {
    bool inTable = false;
    for (const GroupPanelDecl& d : GroupPanelTable())
      inTable |= QString(d.name) == n[0] && QString(d.titleLabel) == n[1];
    EXPECT_TRUE(inTable) << n[0] << " " << n[1];
  }
  QSet<QString> names;
  for (const GroupPanelDecl& d : GroupPanelTable()) {
    GroupPanel* panel = w.Panel(d.name);
    ASSERT_NE(panel, nullptr) << d.name;
    EXPECT_EQ(w.Control(d.titleLabel), panel->TitleLabel()) << d.titleLabel;
    EXPECT_EQ(panel->TitleLabel()->text(), QString::fromUtf8(d.title)) << d.titleLabel;
    // One control of that name in the whole window.
    EXPECT_EQ(w.findChildren<QWidget*>(d.titleLabel).size(), 1) << d.titleLabel;
    EXPECT_FALSE(names.contains(d.titleLabel)) << d.titleLabel;
    names.insert(d.titleLabel);
  }
}

TEST(MainWindow, NotMaximisedItFitsTheScreen) {
  TForm_Main w;
  const QRect screen = w.screen()->availableGeometry();
  EXPECT_LE(w.width(), screen.width());
  EXPECT_LE(w.height(), screen.height());
}

TEST(MainWindow, ShowHandlerSetsStartValuesOnce) {
  TForm_Main w;
  EXPECT_EQ(w.PollStop, 0);
  EXPECT_EQ(w.CurrentPage, 0);
  w.show();
  EXPECT_EQ(w.PollStop, 1);
  EXPECT_EQ(w.CurrentPage, -1);
  EXPECT_EQ(w.PowerMul, 1);
  EXPECT_EQ(w.EnergyMul, 10);
  EXPECT_EQ(w.VoltageDiv, 10);
  EXPECT_EQ(w.DcCurrentDiv, 100);
  EXPECT_EQ(w.AcCurrentDiv, 100);
  w.CurrentPage = 3;
  w.hide();
  w.show();  // a second show is no second start
  EXPECT_EQ(w.CurrentPage, 3);
}

TEST(MainWindow, DroppedFileReachesTheHandler) {
  TForm_Main w;
  QString got;
  QObject::connect(&w, &TForm_Main::FileDropped, [&](const QString& p) { got = p; });
  w.OnDropFiles("/tmp/image.HEX");
  EXPECT_EQ(got, "/tmp/image.HEX");
}

namespace {
class Thrower : public QObject {
 public:
  int handled = 0;
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw std::runtime_error("bad value in handler");
    if (e->type() == QEvent::Type(QEvent::User + 1)) {
      ++handled;
      return true;
    }
    return QObject::event(e);
  }
};
}  // namespace

TEST(Application, ExceptionInHandlerIsShownAndLoopGoesOn) {
  ASSERT_NE(dynamic_cast<QorvaneApplication*>(QCoreApplication::instance()), nullptr);
  FakeDialogs dialogs;
  Thrower t;
  QCoreApplication::postEvent(&t, new QEvent(QEvent::User));
  QCoreApplication::postEvent(&t, new QEvent(QEvent::Type(QEvent::User + 1)));
  QCoreApplication::processEvents();
  ASSERT_EQ(dialogs.messages.size(), 1);
  EXPECT_EQ(dialogs.messages.front(), "bad value in handler");
  EXPECT_EQ(t.handled, 1);
}
