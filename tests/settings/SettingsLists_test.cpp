// Settings lists change a setting only by the user's choice: a click in the
// open list or a key on the focused list. A wheel notch over one scrolls the
// page it lies on and writes nothing to the inverter. The one-row lists (sign
// choosers, time pickers), whose choice is their top row, keep it too.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <set>
#include <string>
#include <vector>

#include "app/GroupPanel.h"
#include "app/main.h"
#include "profiles/Designmode.h"
#include "settings/SettingEditors.h"
#include "support/PollFixture.h"
#include "support/ReactiveFixture.h"
#include "support/SettingsFixture.h"
#include "support/UserInput.h"

namespace {

using settingstest::WriteHolding;

GroupPanel* PanelOf(QWidget* c) {
  for (QWidget* p = c; p; p = p->parentWidget())
    if (auto* panel = qobject_cast<GroupPanel*>(p)) return panel;
  return nullptr;
}

// Opens the list with a click and picks the item in the open list with the
// arrow keys and Enter.
void ChooseInOpenList(QComboBox* combo, const QString& text) {
  QTest::mouseClick(combo, Qt::LeftButton);
  QAbstractItemView* view = combo->view();
  ASSERT_TRUE(QTest::qWaitFor([view] { return view->isVisible(); }))
      << "the list did not open; items " << combo->count() << (combo->isEnabled() ? "" : ", disabled");
  const int k = combo->findText(text, Qt::MatchExactly);
  ASSERT_GE(k, 0) << text.toStdString();
  for (int step = 0; step < combo->count() && view->currentIndex().row() != k; ++step)
    QTest::keyClick(view, view->currentIndex().row() < k ? Qt::Key_Down : Qt::Key_Up);
  ASSERT_EQ(view->currentIndex().row(), k) << text.toStdString();
  QTest::keyClick(view, Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([view] { return !view->isVisible(); })) << "the list did not close";
}

// A click gives the list the focus (and opens it, when it has items, for the
// user to close with Escape after a look).
void FocusByLook(QComboBox* combo) {
  QTest::mouseClick(combo, Qt::LeftButton);
  QAbstractItemView* view = combo->view();
  if (view->isVisible()) {
    QTest::keyClick(view, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([view] { return !view->isVisible(); })) << "the list did not close";
  }
  ASSERT_TRUE(QTest::qWaitFor([combo] { return combo->hasFocus(); })) << "the click gave no focus";
}

struct SettingsLists : polltest::ViewTest {
  QScrollArea* page = nullptr;
  std::vector<QComboBox*> lists;  // every list an editor row commits
  std::vector<QListWidget*> choosers;  // every one-row list of the window

  // Every panel with such a list goes onto the first page, one under the
  // other, as a long profile layout puts them; the page then scrolls.
  void SetUp() override {
    w.show();
    ASSERT_TRUE(input::Activate(&w));
    w.LoadedCountryNames[0] = "NONE";  // no profile country list: the built-in one
    w.CountryListInit();
    page = w.ScrollPage(0);
    std::set<GroupPanel*> placed;
    int top = 0;
    for (std::span<const EditorDecl> table : SettingsEditorTables())
      for (const EditorDecl& row : table) {
        if (row.kind != EditorKind::Combo) continue;
        auto* combo = w.Ctl<QComboBox>(QLatin1String(row.control));
        ASSERT_NE(combo, nullptr) << row.control;
        GroupPanel* panel = PanelOf(combo);
        ASSERT_NE(panel, nullptr) << row.control;
        for (QWidget* c = combo; c != panel; c = c->parentWidget()) c->show();
        if (placed.insert(panel).second) {
          panel->move(0, top);
          panel->show();
          top += panel->height();
        }
        lists.push_back(combo);
      }
    for (QListWidget* list : w.findChildren<QListWidget*>()) {
      GroupPanel* panel = PanelOf(list);
      ASSERT_NE(panel, nullptr) << list->objectName().toStdString();
      for (QWidget* c = list; c != panel; c = c->parentWidget()) c->show();
      if (placed.insert(panel).second) {
        panel->move(0, top);
        panel->show();
        top += panel->height();
      }
      choosers.push_back(list);
    }
    reactivetest::BringPageToFront(page);
    FitPageContent(page);
    QCoreApplication::processEvents();
    ASSERT_GT(page->verticalScrollBar()->maximum(), 0) << "the page cannot scroll";
  }

  // One notch over the list, towards the end of the page that has room.
  void NotchOver(QComboBox* combo, bool focused) {
    const std::string what = combo->objectName().toStdString() + (focused ? ", focused" : ", unfocused");
    QScrollBar* bar = page->verticalScrollBar();
    const int scrolled = bar->value();
    const int index = combo->currentIndex();
    input::Wheel(combo, scrolled < bar->maximum() ? -1 : 1);
    EXPECT_NE(bar->value(), scrolled) << what << ": the page did not scroll";
    EXPECT_EQ(combo->currentIndex(), index) << what;
    EXPECT_EQ(combo->hasFocus(), focused) << what << ": the wheel moved the focus";
    EXPECT_EQ(w.Link.CmdCode, 0) << what << " posted a command";
    // The executor runs between two polling passes whatever the mailbox holds.
    ASSERT_EQ(w.ExecutePendingCommand(), 0);
    w.Link.CmdCode = 0;
  }
};

TEST_F(SettingsLists, WheelOverEveryListScrollsThePageAndWritesNothing) {
  ASSERT_FALSE(lists.empty());
  for (QComboBox* combo : lists) {
    page->ensureWidgetVisible(combo);
    NotchOver(combo, false);
    page->ensureWidgetVisible(combo);
    FocusByLook(combo);
    ASSERT_TRUE(combo->hasFocus()) << combo->objectName().toStdString();
    NotchOver(combo, true);
  }
  EXPECT_EQ(t.Frames(), std::vector<QString>{}) << "frames written by wheel notches";
}

// Over its items or over its scroll arrows, a notch towards the item the list
// does not show leaves its top row, and scrolls the page where it has room.
TEST_F(SettingsLists, WheelOverEveryOneRowListKeepsItsChoiceAndScrollsThePage) {
  ASSERT_FALSE(choosers.empty());
  QScrollBar* bar = page->verticalScrollBar();
  int pageScrolls = 0;
  for (QListWidget* list : choosers) {
    QScrollBar* arrows = list->verticalScrollBar();
    const std::string name = list->objectName().toStdString();
    page->ensureWidgetVisible(list);
    ASSERT_TRUE(arrows->isVisible()) << name;
    for (QWidget* under : {static_cast<QWidget*>(list->viewport()), static_cast<QWidget*>(arrows)}) {
      const std::string what = name + (under == arrows ? " (arrows)" : " (items)");
      const int shown = arrows->value();
      const int notches = shown < arrows->maximum() ? -1 : 1;
      const int scrolled = bar->value();
      const bool room = notches < 0 ? scrolled < bar->maximum() : scrolled > 0;
      input::Wheel(under, notches);
      EXPECT_EQ(arrows->value(), shown) << what << ": the wheel changed the choice";
      if (room) {
        EXPECT_NE(bar->value(), scrolled) << what << ": the page did not scroll";
        ++pageScrolls;
      }
      page->ensureWidgetVisible(list);
    }
  }
  EXPECT_GT(pageScrolls, 0);
  EXPECT_EQ(w.Link.CmdCode, 0);
}

// The sign the chooser shows is the sign Enter writes, wheel notch or not.
TEST_F(SettingsLists, AfterAWheelNotchOverASignChooserEnterWritesTheSignItShows) {
  auto* chooser = w.Ctl<QListWidget>("List_FixKvar");
  auto* edit = w.Ctl<QLineEdit>("Edit_FixKvar");
  ASSERT_TRUE(chooser && edit);
  page->ensureWidgetVisible(chooser);
  QScrollBar* arrows = chooser->verticalScrollBar();
  // "Ind" on top, with a click on the upper arrow.
  QTest::mouseClick(arrows, Qt::LeftButton, {}, QPoint(arrows->width() / 2, 1));
  ASSERT_EQ(chooser->itemAt(1, 1)->text(), "Ind");
  input::Wheel(chooser->viewport(), -1);
  EXPECT_EQ(chooser->itemAt(1, 1)->text(), "Ind");
  page->ensureWidgetVisible(edit);
  QTest::mouseClick(edit, Qt::LeftButton);
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(edit, "30");
  QTest::keyClick(edit, Qt::Key_Return);
  ASSERT_EQ(w.Link.CmdCode, 6);
  t.sim.ClearFrames();
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  w.Link.CmdCode = 0;
  // Under "Ind+" an inductive 30 % is written as +30.
  EXPECT_EQ(t.Frames(), std::vector<QString>{WriteHolding(33624, 30)});
}

// The user's own choices still write: keys in the list opened by a click,
// then a key on the closed list.
TEST_F(SettingsLists, ChoicesInTheOpenListAndKeysOnTheFocusedListWrite) {
  struct Case {
    const char* list;
    const char* item;
    int reg, value;   // the write of the item chosen in the open list
    int upValue;      // the write of the item above, chosen by the Up key
  };
  const Case cases[] = {
      {"Combo_Baudrate", "38400", 33821, 4, 3},
      {"Combo_ReactiveMode", "Reserved", 33616, 12, 11},
      {"Combo_Country", "Greece", 797, 7, 5},
  };
  for (const Case& c : cases) {
    auto* combo = w.Ctl<QComboBox>(c.list);
    page->ensureWidgetVisible(combo);
    ChooseInOpenList(combo, c.item);
    ASSERT_EQ(w.Link.CmdCode, 6) << c.list;
    t.sim.ClearFrames();
    ASSERT_EQ(w.ExecutePendingCommand(), 0);
    w.Link.CmdCode = 0;
    EXPECT_EQ(t.Frames(), std::vector<QString>{WriteHolding(c.reg, c.value)}) << c.list;

    QTest::keyClick(combo, Qt::Key_Up);
    ASSERT_EQ(w.Link.CmdCode, 6) << c.list;
    t.sim.ClearFrames();
    ASSERT_EQ(w.ExecutePendingCommand(), 0);
    w.Link.CmdCode = 0;
    EXPECT_EQ(t.Frames(), std::vector<QString>{WriteHolding(c.reg, c.upValue)}) << c.list;
  }
}

}  // namespace
