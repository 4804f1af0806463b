#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

#include "app/GroupPanel.h"
#include "app/main.h"
#include "platform/IniFile.h"
#include "profiles/Designmode.h"
#include "profiles/Objectevent.h"
#include "support/FakeDialogs.h"
#include "support/UserInput.h"
#include "tests/profiles/ProfileHome.h"

namespace {

// What the mouse hands a control, sent straight to it.
void Mouse(QWidget* w, QEvent::Type type, int x, int y, Qt::MouseButtons held = Qt::LeftButton) {
  const QPointF at(x, y);
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent e(type, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

class Design : public ::testing::Test {
 protected:
  void SetUp() override {
    w = std::make_unique<TForm_Main>();
    w->show();
    Pick("SuperUser");
  }
  void Pick(const QString& profile) {
    auto* combo = w->Ctl<QComboBox>("Combo_SelectMode");
    combo->setCurrentIndex(combo->findText(profile));
    emit combo->activated(combo->currentIndex());
  }
  void Click(int index) {
    auto* pages = w->Ctl<QTabWidget>("PageControl");
    for (int qt = 0, seen = 0; qt < pages->count(); ++qt)
      if (pages->isTabVisible(qt) && seen++ == index) pages->setCurrentIndex(qt);
  }
  QLabel* Title(const char* panel) const { return w->Panel(panel)->TitleLabel(); }
  // Drags a panel by its title from one point of the label to another.
  void Drag(const char* panel, QPoint from, QPoint to) {
    Mouse(Title(panel), QEvent::MouseButtonPress, from.x(), from.y());
    Mouse(Title(panel), QEvent::MouseMove, to.x(), to.y());
    Mouse(Title(panel), QEvent::MouseButtonRelease, to.x(), to.y(), Qt::NoButton);
  }
  void DoubleClick(const char* panel) {
    QLabel* t = Title(panel);
    Mouse(t, QEvent::MouseButtonPress, 20, 10);
    Mouse(t, QEvent::MouseButtonRelease, 20, 10, Qt::NoButton);
    Mouse(t, QEvent::MouseButtonDblClick, 20, 10);
    Mouse(t, QEvent::MouseButtonRelease, 20, 10, Qt::NoButton);
  }
  // The mouse resting over the current page's content at (x, y).
  void HoverPage(int page, int x, int y) {
    Mouse(w->ScrollPage(page)->widget(), QEvent::MouseMove, x, y, Qt::NoButton);
  }
  QAction* Item(const QString& caption, const QString& submenu) const {
    auto* menu = w->ScrollPopMenu()->findChild<QMenu*>(submenu);
    if (!menu) return nullptr;
    for (QAction* a : menu->actions())
      if (a->text() == caption) return a;
    return nullptr;
  }
  void Choose(const QString& caption, const QString& submenu) {
    QAction* a = Item(caption, submenu);
    ASSERT_NE(a, nullptr) << caption.toStdString();
    a->trigger();
  }
  bool RightClickOpensMenu(QWidget* target) {
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(target, &e);
    const bool shown = w->ScrollPopMenu()->isVisible();
    w->ScrollPopMenu()->hide();
    return shown;
  }
  // A right-click on the page opens the menu; a click on each item of `path`
  // in turn opens its submenu, and a click on `caption` chooses it.
  void ChooseWithTheMouse(const QStringList& path, const QString& caption) {
    QWidget* target = w->ScrollPage(0)->viewport();
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(target, &e);
    QMenu* menu = w->ScrollPopMenu();
    ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); })) << "no menu";
    QStringList items = path;
    items << caption;
    for (const QString& name : items) {
      QAction* item = nullptr;
      for (QAction* a : menu->actions())
        if (a->text() == name) item = a;
      ASSERT_NE(item, nullptr) << name.toStdString();
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
      if (name == caption) break;
      menu = item->menu();
      ASSERT_NE(menu, nullptr) << name.toStdString();
      ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); })) << name.toStdString() << " did not open";
    }
    ASSERT_TRUE(QTest::qWaitFor([this] { return !w->ScrollPopMenu()->isVisible(); })) << "the menu stayed open";
  }
  QString Stored(int page, const char* section, const char* key) const {
    return IniFile(home.Path(QString("SuperUser/MonitorSet%1.KXL").arg(page))).ReadString(section, key);
  }

  ProfileHome home;
  FakeDialogs dialogs;
  std::unique_ptr<TForm_Main> w;
};

TEST_F(Design, PanelDraggedByItsTitleLandsWhereDroppedAndIsSaved) {
  GroupPanel* version = w->Panel("Group_Version");
  ASSERT_EQ(version->pos(), QPoint(10, 20));
  Drag("Group_Version", {30, 10}, {130, 60});
  EXPECT_EQ(version->pos(), QPoint(110, 70));
  EXPECT_EQ(w->Drag.GrabX, 0);  // the release ends the drag
  Mouse(Title("Group_Version"), QEvent::MouseMove, 200, 200);
  EXPECT_EQ(version->pos(), QPoint(110, 70));

  Click(1);  // leaving the page stores it
  EXPECT_EQ(Stored(0, "Version", "Height"), "7770");
  EXPECT_EQ(Stored(0, "Version", "Left"), "110");
  EXPECT_EQ(Stored(0, "Version", "Top"), "70");
  Click(0);
  EXPECT_EQ(version->pos(), QPoint(110, 70));
  EXPECT_FALSE(version->isHidden());
}

TEST_F(Design, DragStaysStrictlyInsideThePageOnEachAxis) {
  QScrollArea* page = w->ScrollPage(0);
  GroupPanel* p = w->Panel("Group_Version");
  const int W = page->width(), H = page->height();
  struct Case {
    int left, top;     // where the move would put the panel
    QPoint expected;   // where it goes from (100, 100)
  } cases[] = {
      {W - 51, 120, {W - 51, 120}},  // the last Left taken
      {W - 50, 120, {100, 120}},     // refused sideways, still follows downwards
      {0, 120, {100, 120}},
      {1, 1, {1, 1}},
      {150, H - 81, {150, H - 81}},
      {150, H - 80, {150, 100}},
      {150, 0, {150, 100}},
  };
  for (const Case& c : cases) {
    p->move(100, 100);
    Mouse(Title("Group_Version"), QEvent::MouseButtonPress, 20, 10);
    Mouse(Title("Group_Version"), QEvent::MouseMove, 20 + c.left - 100, 10 + c.top - 100);
    EXPECT_EQ(p->pos(), c.expected) << c.left << "," << c.top;
    Mouse(Title("Group_Version"), QEvent::MouseButtonRelease, 0, 0, Qt::NoButton);
  }
  // A press at the label's very corner is no grab.
  p->move(100, 100);
  Mouse(Title("Group_Version"), QEvent::MouseButtonPress, 0, 0);
  Mouse(Title("Group_Version"), QEvent::MouseMove, 40, 40);
  EXPECT_EQ(p->pos(), QPoint(100, 100));
}

TEST_F(Design, DoubleClickClosesAndTheNextPageChangeStoresItClosed) {
  GroupPanel* total = w->Panel("Group_TotalPower");
  DoubleClick("Group_TotalPower");
  EXPECT_TRUE(total->isHidden());
  EXPECT_EQ(total->height(), 40);
  Click(1);
  EXPECT_EQ(Stored(0, "TotPow", "Height"), "40");
  Click(0);
  EXPECT_TRUE(total->isHidden());
}

TEST_F(Design, OutsideSuperUserATitleOnlyBringsItsPanelToTheFront) {
  Pick("Alpha");
  GroupPanel* version = w->Panel("Group_Version");
  ASSERT_FALSE(version->isHidden());
  QWidget* content = version->parentWidget();
  // Another panel on top of it first.
  GroupPanel* other = w->Panel("Group_TestValue");
  other->setParent(content);
  other->show();
  other->raise();
  ASSERT_EQ(content->children().last(), other);
  const QPoint at = version->pos();
  Mouse(Title("Group_Version"), QEvent::MouseButtonPress, 30, 10);
  EXPECT_EQ(content->children().last(), version);
  Mouse(Title("Group_Version"), QEvent::MouseMove, 90, 50);
  Mouse(Title("Group_Version"), QEvent::MouseButtonRelease, 90, 50, Qt::NoButton);
  EXPECT_EQ(version->pos(), at);
  DoubleClick("Group_Version");
  EXPECT_FALSE(version->isHidden());
  EXPECT_EQ(version->height(), 350);
}

TEST_F(Design, APageChangeEndsADrag) {
  GroupPanel* version = w->Panel("Group_Version");
  Mouse(Title("Group_Version"), QEvent::MouseButtonPress, 30, 10);
  Click(1);  // the button still down
  const QPoint at = version->pos();
  Mouse(Title("Group_Version"), QEvent::MouseMove, 130, 60);
  EXPECT_EQ(version->pos(), at);
  EXPECT_EQ(w->Drag.GrabX, 0);
  EXPECT_EQ(w->Drag.GrabY, 0);
}

TEST_F(Design, APanelLeftOutsideThePageIsBroughtBackWhenDropped) {
  QScrollArea* page = w->ScrollPage(0);
  GroupPanel* version = w->Panel("Group_Version");
  // Placed by a layout made on a wider screen.
  version->move(page->width() + 300, 40);
  Drag("Group_Version", {30, 10}, {30, 60});
  EXPECT_EQ(version->y(), 90);  // it followed downwards
  EXPECT_LT(version->x(), page->width() - 50);
  EXPECT_GE(version->x(), 0);
  // The page's content holds the whole panel, so it can be scrolled to.
  EXPECT_TRUE(page->widget()->rect().contains(version->geometry()));
}

TEST_F(Design, PopupMenuIsOfferedInSuperUserOnly) {
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(RightClickOpensMenu(w->ScrollPage(i)->widget())) << i;
  EXPECT_TRUE(RightClickOpensMenu(w->Control("PageControl")));
  EXPECT_TRUE(RightClickOpensMenu(w->Panel("Group_Version")));  // on a panel, the page's menu
  Pick("Alpha");
  EXPECT_FALSE(RightClickOpensMenu(w->ScrollPage(0)->widget()));
  EXPECT_FALSE(RightClickOpensMenu(w->Control("PageControl")));
}

TEST_F(Design, MenuHoldsItsItemsInDesignOrder) {
  QMenu* menu = w->ScrollPopMenu();
  QStringList top;
  for (QAction* a : menu->actions()) top << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(top, (QStringList{"Main Page", "-", "Config Page", "-", "Ctrl Page", "-", "Calibration", "-", "Custom",
                              "-", "Merivon"}));
  QStringList ctrl;
  for (QAction* a : menu->findChild<QMenu*>("Ctrl Page")->actions()) ctrl << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(ctrl.mid(0, 6), (QStringList{"0. Option", "1. Reactive Power", "2. Q(U) Ctrl", "3. cos(φ) of P Ctrl", "-",
                                         "4. Active Power"}));
  EXPECT_EQ(ctrl.mid(9, 2), (QStringList{"-", "8. Multi-Function Relay"}));
  QStringList status;
  for (QAction* a : menu->findChild<QMenu*>("Main Page > 2. Status")->actions()) status << a->text();
  EXPECT_EQ(status, (QStringList{"Option", "3P", "1P"}));
  // Every action item carries its Tag; "&&" shows as one "&".
  int items = 0;
  for (QAction* a : menu->findChildren<QAction*>())
    if (a->property("Tag").isValid()) ++items;
  EXPECT_EQ(items, 124);
  ASSERT_NE(Item("4. LN && ST", "Main Page > 3.Output"), nullptr);
  EXPECT_EQ(Item("4. LN && ST", "Main Page > 3.Output")->property("Tag").toInt(), 1034);
}

TEST_F(Design, EveryPanelItemOpensItsPanelAtTheMouseOnTheCurrentPage) {
  Click(1);
  HoverPage(1, 140, 90);
  for (const PopMenuRow& row : PopMenuTable()) {
    if (!row.panel) continue;
    QAction item;
    item.setProperty("Tag", row.tag);
    w->Pop_Click(&item);
    GroupPanel* p = w->Panel(row.panel);
    ASSERT_NE(p, nullptr) << row.panel;
    EXPECT_FALSE(p->isHidden()) << row.panel;
    EXPECT_EQ(p->height(), p->Tag()) << row.panel;
    EXPECT_EQ(p->pos(), QPoint(140, 90)) << row.panel;
    EXPECT_EQ(p->parentWidget(), w->ScrollPage(1)->widget()) << row.panel;
  }
}

TEST_F(Design, OpeningMovesAPanelFromAnotherPageAndTheCloseStoresIt) {
  GroupPanel* version = w->Panel("Group_Version");
  Click(2);
  HoverPage(2, 300, 200);
  Choose("1. Version", "Main Page");
  EXPECT_EQ(version->parentWidget(), w->ScrollPage(2)->widget());
  EXPECT_EQ(version->pos(), QPoint(300, 200));
  Choose("5. Error Codes", "Config Page");
  EXPECT_EQ(w->Panel("Group_ErrorCodes")->height(), 580);
  DoubleClick("Group_ReactivePower");
  w->close();
  EXPECT_EQ(Stored(2, "Version", "Height"), "7770");
  EXPECT_EQ(Stored(2, "Version", "Left"), "300");
  EXPECT_EQ(Stored(2, "Version", "Top"), "200");
  EXPECT_EQ(Stored(2, "ErrorCodes", "Height"), QString::number(580 + 10 * SectionCodeSum("ErrorCodes")));
  EXPECT_EQ(Stored(2, "ReactivePower", "Height"), "40");

  // Read back the same by the next run.
  w = std::make_unique<TForm_Main>();
  w->show();
  Pick("SuperUser");
  Click(2);
  EXPECT_EQ(w->Panel("Group_Version")->parentWidget(), w->ScrollPage(2)->widget());
  EXPECT_EQ(w->Panel("Group_Version")->geometry(), QRect(300, 200, 255, 350));
  EXPECT_FALSE(w->Panel("Group_ErrorCodes")->isHidden());
  EXPECT_TRUE(w->Panel("Group_ReactivePower")->isHidden());
}

TEST_F(Design, ViewOptionItemsSwitchTheProfileOptionsAndTheCloseKeepsThem) {
  struct Case {
    const char* caption;
    const char* submenu;
    std::function<int(const TForm_Main&)> field;
    int value;
  } cases[] = {
      {"Ind- ; Cap+", "Ctrl Page > 0. Option", [](auto& f) { return f.ReactiveSign; }, 1},
      {"cos-phi 1%", "Ctrl Page > 0. Option", [](auto& f) { return f.CosPhiSet; }, 0},
      {"1P", "Main Page > 2. Status", [](auto& f) { return f.InverterState; }, 1},
      {"Lock", "Main Page > 15. Write Permission", [](auto& f) { return int(f.WriteLock); }, 1},
      {"Engineer", "Main Page > 3.Output > Option", [](auto& f) { return f.ShowAcMode; }, 2},
      {"Title: VAB...", "Main Page > 3.Output > Option", [](auto& f) { return f.ShowAcTitle; }, 1},
      {"USA", "Config Page > 3. Freq. Protection", [](auto& f) { return f.ShowGsFacMode; }, 1},
      {"RULE 21", "Config Page > 2. Uac Protection", [](auto& f) { return f.VacProtectSet; }, 2},
      {"Language Selection", "Config Page > 1. Country Set", [](auto& f) { return int(f.ShowLanguageSelect); }, 1},
      {"Const Volt.", "Main Page > 2. Status > Option", [](auto& f) { return int(f.ShowConstVolt); }, 1},
      {"1. No Slope", "Ctrl Page > 4. Active Power", [](auto& f) { return int(f.ShowActiveSlope); }, 0},
      {"New", "Custom > Japan > Japan User Setting", [](auto& f) { return f.JapanUserSettingMode; }, 0},
  };
  for (const Case& c : cases) {
    Choose(c.caption, c.submenu);
    EXPECT_EQ(c.field(*w), c.value) << c.caption;
  }
  EXPECT_EQ(w->Panel("Group_UacProtection")->width(), 520);
  EXPECT_EQ(w->Panel("Group_UacProtection")->TitleLabel()->width(), 520);
  EXPECT_TRUE(w->Control("GroupBox39")->isHidden());
  EXPECT_FALSE(w->Control("Combo_LanguageSelect")->isHidden());
  EXPECT_FALSE(w->Control("Group_ConstVolt")->isHidden());
  EXPECT_EQ(w->Panel("Group_ActivePower")->Tag(), 200);
  EXPECT_EQ(w->Panel("Group_ActivePower")->height(), 200);
  Choose("Tempature2", "Main Page > 7. Temperature");
  EXPECT_EQ(w->Ctl<QLabel>("Label_TemperTitle24")->text(), "TAMB");
  Choose("2. Show Slope", "Ctrl Page > 4. Active Power");
  EXPECT_EQ(w->Panel("Group_ActivePower")->height(), 250);

  w->close();
  w = std::make_unique<TForm_Main>();
  w->show();
  Pick("SuperUser");
  for (const Case& c : cases)
    if (std::string(c.caption) != "1. No Slope") EXPECT_EQ(c.field(*w), c.value) << c.caption;
  EXPECT_EQ(w->ShowActiveSlope, 1);
}

// The three voltage-protection layouts: the panel and its title bar take the
// same width, as the profile change gives them.
TEST_F(Design, UacProtectionItemsLayOutTheGroup) {
  const struct {
    const char* caption;
    int set, width;
    bool secondHighStage;
    const char* lowOffCaption;
  } cases[] = {
      {"RULE 21", 2, 520, false, "LV3"},
      {"Vac1 && Vac2", 1, 520, true, "U Low Off:"},
      {"Vac1", 0, 255, true, "U Low Off:"},  // the box stays as it was, off the narrow panel
  };
  for (const auto& c : cases) {
    Choose(c.caption, "Config Page > 2. Uac Protection");
    EXPECT_EQ(w->VacProtectSet, c.set) << c.caption;
    EXPECT_EQ(w->Panel("Group_UacProtection")->width(), c.width) << c.caption;
    EXPECT_EQ(w->Panel("Group_UacProtection")->TitleLabel()->width(), c.width) << c.caption;
    EXPECT_EQ(w->Control("GroupBox39")->isHidden(), !c.secondHighStage) << c.caption;
    EXPECT_EQ(w->Ctl<QLabel>("Label94")->text(), c.lowOffCaption) << c.caption;
  }
}

TEST_F(Design, ArrangeShowsTheJapanActivePowerPanelAloneOnTheFirstPage) {
  w->Pop_Arrange();
  GroupPanel* p = w->Panel("Group_JapanActivePower");
  EXPECT_EQ(p->geometry(), QRect(5, 5, p->width(), 165));
  EXPECT_EQ(p->parentWidget(), w->ScrollPage(0)->widget());
  for (const GroupPanelDecl& d : GroupPanelTable())
    if (std::string(d.name) != "Group_JapanActivePower") EXPECT_TRUE(w->Panel(d.name)->isHidden()) << d.name;
  EXPECT_FALSE(p->isHidden());
}

// A page drawn off screen shows every panel whole, even one opened at the
// page's far corner.
TEST_F(Design, ScreenshotOfAPageShowsNothingClipped) {
  QScrollArea* page = w->ScrollPage(0);
  HoverPage(0, page->width() - 60, page->height() - 90);
  Choose("8. Test Value", "Main Page");
  GroupPanel* test = w->Panel("Group_TestValue");
  QWidget* content = page->widget();
  const QImage shot = content->grab().toImage();
  for (GroupPanel* p : content->findChildren<GroupPanel*>(Qt::FindDirectChildrenOnly)) {
    if (p->isHidden()) continue;
    const QRect g = p->geometry();
    ASSERT_TRUE(QRect(QPoint(0, 0), shot.size()).contains(g)) << p->objectName().toStdString();
    // The frame's far corner is drawn, not the page's background.
    EXPECT_LT(qGray(shot.pixel(g.right(), g.bottom())), 128) << p->objectName().toStdString();
  }
  EXPECT_FALSE(test->isHidden());
  // Scrolled to the end, the viewport shows the panel's far corner.
  page->horizontalScrollBar()->setValue(page->horizontalScrollBar()->maximum());
  page->verticalScrollBar()->setValue(page->verticalScrollBar()->maximum());
  const QRect seen(-content->pos(), page->viewport()->size());
  EXPECT_TRUE(seen.contains(test->geometry().bottomRight()));
}

// Items that change captions fit the rows again: a longer caption takes
// its room back from the editor that had it, and every row keeps caption,
// value and editor whole and apart. The profile starts with the short
// captions of "RULE 21" and "USA".
TEST_F(Design, CaptionsChangedFromTheMenuShowWholeBesideTheirEditors) {
  ASSERT_TRUE(input::Activate(w.get()));
  ASSERT_EQ(w->VacProtectSet, 2);
  ASSERT_EQ(w->ShowGsFacMode, 1);
  w->Panel("Group_UacProtection")->show();
  w->Panel("Group_FreqProtection")->show();
  const struct {
    QStringList path;
    const char* caption;
    const char* panel;
  } choices[] = {
      {{"Config Page", "2. Uac Protection"}, "Vac1 && Vac2", "Group_UacProtection"},
      {{"Config Page", "3. Freq. Protection"}, "Display", "Group_FreqProtection"},
      {{"Config Page", "2. Uac Protection"}, "RULE 21", "Group_UacProtection"},
      {{"Config Page", "2. Uac Protection"}, "Vac1 && Vac2", "Group_UacProtection"},
  };
  for (const auto& c : choices) {
    SCOPED_TRACE(c.caption);
    ChooseWithTheMouse(c.path, c.caption);
    int rows = 0;
    for (QLineEdit* edit : w->Panel(c.panel)->findChildren<QLineEdit*>()) {
      if (!edit->isVisibleTo(w->Panel(c.panel))) continue;
      QWidget* row = edit->parentWidget();
      auto inRow = [edit](QWidget* c) {
        return c->y() < edit->y() + edit->height() && edit->y() < c->y() + c->height() && c->x() < edit->x();
      };
      // The row's own labels lie right of any editor before it.
      int from = 0;
      for (QLineEdit* other : row->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly))
        if (other != edit && inRow(other)) from = std::max(from, other->geometry().right());
      QLabel* caption = nullptr;
      QLabel* value = nullptr;
      for (QLabel* l : row->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (!inRow(l) || l->x() <= from) continue;
        if (!caption || l->x() < caption->x()) caption = l;
        if (!value || l->x() > value->x()) value = l;
      }
      ASSERT_TRUE(caption && value && caption != value) << edit->objectName().toStdString();
      ++rows;
      const std::string what = caption->text().toStdString();
      EXPECT_LE(caption->fontMetrics().horizontalAdvance(caption->text()), caption->contentsRect().width())
          << what << " cut";
      EXPECT_LT(caption->geometry().right(), value->x()) << what;
      EXPECT_LT(value->geometry().right(), edit->x()) << what;
    }
    EXPECT_GE(rows, 12);
  }
}

}  // namespace
