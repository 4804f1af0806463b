#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
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
