#include <gtest/gtest.h>

#include <QImage>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <vector>

#include "app/main.h"
#include "link/PollingLoop.h"
#include "settings/GridSupportViews.h"
#include "settings/ReactiveHooks.h"
#include "support/PollFixture.h"
#include "support/QtPrinters.h"
#include "support/ReactiveFixture.h"
#include "support/SettingsFixture.h"
#include "support/UserInput.h"

using polltest::Colour;
using polltest::Text;
using settingstest::ReadHolding;
using settingstest::WriteHolding;
using namespace reactivetest;

namespace {

constexpr const char* kLabels[] = {"Label_ReactiveMode", "Label_FixCos", "Label_FixKvar", "Label_ReDelayT"};

struct ReactivePower : polltest::ViewTest {
  void SetUp() override {
    w.show();  // the choosers scroll only once laid out
    t.ShowPanel("Group_ReactivePower");
  }
  void SetRegisters(uint16_t mode, uint16_t coarse, uint16_t fine, uint16_t q, uint16_t delay) {
    t.sim.SetHoldingBlock(1, 33616, {mode, coarse});
    t.sim.SetHolding(1, 48795, fine);
    t.sim.SetHolding(1, 33624, q);
    t.sim.SetHolding(1, 33633, delay);
  }
};

TEST(ReactivePowerPollOrder, AfterTheAcTerminal) {
  const auto rows = PollOrder();
  size_t i = 0;
  while (i < rows.size() && rows[i].item != PollReactivePower) ++i;
  ASSERT_LT(i, rows.size());
  EXPECT_EQ(rows[i].order, 26);
  EXPECT_LT(rows[i - 1].order, 26);
  if (i + 1 < rows.size()) EXPECT_GT(rows[i + 1].order, 26);
}

TEST_F(ReactivePower, GatesStopAndLinkFailure) {
  polltest::ExpectGatesStopAndLinkFailure(t, {{PollReactivePower, "Group_ReactivePower"}});
}

TEST_F(ReactivePower, ControlsAsDeclared) {
  for (const char* name : kLabels) EXPECT_EQ(Text(w, name), "??") << name;
  auto& mode = polltest::ControlAs<QComboBox>(w, "Combo_ReactiveMode");
  ASSERT_EQ(mode.count(), 15);
  EXPECT_EQ(mode.itemText(12), "Reserved");
  EXPECT_EQ(mode.itemText(11), "Extend Cos(φ) of P Control");
  auto& chooser = polltest::ControlAs<QListWidget>(w, "List_CosRange");
  ASSERT_EQ(chooser.count(), 2);
  EXPECT_EQ(chooser.item(0)->text(), "Ind");
  EXPECT_EQ(chooser.item(1)->text(), "Cap");
  for (const QWidget* c : w.Panel("Group_ReactivePower")->findChildren<QWidget*>())
    if (!c->objectName().isEmpty() && c->parentWidget() == w.Panel("Group_ReactivePower"))
      EXPECT_LE(c->geometry().right(), 255) << c->objectName().toStdString();
}

// The worked examples under both conventions and both resolutions: the exact
// requests, the texts, all four labels blue.
TEST_F(ReactivePower, ReadBackUnderEachOption) {
  struct Case {
    int sign, cosSet;
    uint16_t mode, coarse, fine, q, delay;
    const char* modeText;
    const char* cos;
    const char* kvar;
    const char* delayText;
  };
  const std::vector<Case> cases = {
      {kIndPlus, kCoarse, 1, 95, 0, 30, 150, "Constant cos(φ)", "Ind 0.95", "Ind 30%", "1.50 sec"},
      {kIndPlus, kCoarse, 12, static_cast<uint16_t>(-95), 0, static_cast<uint16_t>(-20), 0, "Q(P) 24/7",
       "Cap 0.95", "Cap 20%", "0.00 sec"},
      {kIndPlus, kCoarse, 0, 100, 0, 0, 5, "Disable", "1", "Cap 0%", "0.05 sec"},
      {kIndPlus, kCoarse, 14, static_cast<uint16_t>(-100), 0, 0, 0, "Q(U) 24/7", "1", "Cap 0%", "0.00 sec"},
      {kIndPlus, kCoarse, 3, 0, 0, 1, 0, "Constant Q", "Cap 0.00", "Ind 1%", "0.00 sec"},
      {kIndMinus, kCoarse, 11, 95, 0, 30, 0, "Extend Cos(φ) of P Control", "Cap 0.95", "Cap 30%", "0.00 sec"},
      {kIndMinus, kCoarse, 2, 0, 0, static_cast<uint16_t>(-20), 0, "cos(φ) of P Control", "Ind 0.00", "Ind 20%",
       "0.00 sec"},
      {kIndPlus, kFine, 9, 95, 950, 30, 0, "Cosphi(U)", "Ind 0.950", "Ind 30%", "0.00 sec"},
      {kIndPlus, kFine, 9, 95, static_cast<uint16_t>(-1000), 30, 0, "Cosphi(U)", "1", "Ind 30%", "0.00 sec"},
      {kIndMinus, kFine, 13, 95, static_cast<uint16_t>(-901), 30, 0, "Fixed Kvar 24/7", "Ind 0.901", "Cap 30%",
       "0.00 sec"},
  };
  for (const Case& c : cases) {
    const std::string what = std::string(c.modeText) + " " + c.cos;
    w.ReactiveSign = c.sign;
    w.CosPhiSet = c.cosSet;
    SetRegisters(c.mode, c.coarse, c.fine, c.q, c.delay);
    for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
    t.sim.ClearFrames();
    ASSERT_EQ(PollReactivePower(&w.Link, 0), 0) << what;
    std::vector<QString> frames = {ReadHolding(33616, 2)};
    if (c.cosSet == kFine) frames.push_back(ReadHolding(48795, 1));
    frames.push_back(ReadHolding(33624, 10));
    EXPECT_EQ(t.Frames(), frames) << what;
    EXPECT_EQ(w.StatusText(2), "Reactive...");
    EXPECT_EQ(Text(w, "Label_ReactiveMode"), QString::fromUtf8(c.modeText)) << what;
    EXPECT_EQ(Text(w, "Label_FixCos"), c.cos) << what;
    EXPECT_EQ(Text(w, "Label_FixKvar"), c.kvar) << what;
    EXPECT_EQ(Text(w, "Label_ReDelayT"), c.delayText) << what;
    for (const char* name : kLabels) EXPECT_EQ(Colour(w, name), clBlue) << what << " " << name;
  }
}

TEST_F(ReactivePower, UnknownModeKeepsItsTextButTurnsBlueWithTheCosPhi) {
  SetRegisters(15, 95, 0, 0, 0);
  polltest::Paint(w, "Label_ReactiveMode", "Q(P)", clRed);
  ASSERT_EQ(PollReactivePower(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_ReactiveMode"), "Q(P)");
  EXPECT_EQ(Colour(w, "Label_ReactiveMode"), clBlue);
}

// At "0.1%" the mode turns blue only with the fine cos φ; an unusable fine
// reply leaves both as they were while the mode text is already new.
TEST_F(ReactivePower, UnusableRepliesLeaveTheirLabels) {
  w.CosPhiSet = kFine;
  SetRegisters(4, 95, 950, 30, 150);
  for (const char* name : kLabels) polltest::Paint(w, name, "x", clRed);
  t.sim.QueueFault(sim::ReplyFault::BadCrc());      // 33616
  t.sim.QueueFault(sim::ReplyFault::Exception(2)); // 48795
  ASSERT_EQ(PollReactivePower(&w.Link, 0), 0);
  for (const char* name : {"Label_ReactiveMode", "Label_FixCos"}) {
    EXPECT_EQ(Text(w, name), "x") << name;
    EXPECT_EQ(Colour(w, name), clRed) << name;
  }
  EXPECT_EQ(Text(w, "Label_FixKvar"), "Ind 30%");
  EXPECT_EQ(Colour(w, "Label_FixKvar"), clBlue);

  t.sim.QueueFault(sim::ReplyFault{});              // 33616 answers
  t.sim.QueueFault(sim::ReplyFault::Exception(2));  // 48795 again
  ASSERT_EQ(PollReactivePower(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_ReactiveMode"), "Q(U) Control");
  EXPECT_EQ(Colour(w, "Label_ReactiveMode"), clRed);

  // An option value of neither resolution reads no cos φ and paints neither.
  w.CosPhiSet = 2;
  t.sim.ClearFrames();
  ASSERT_EQ(PollReactivePower(&w.Link, 0), 0);
  EXPECT_EQ(t.Frames(), (std::vector<QString>{ReadHolding(33616, 2), ReadHolding(33624, 10)}));
  EXPECT_EQ(Colour(w, "Label_FixCos"), clRed);
}

// Every editor row, under both conventions and both resolutions, with the
// chooser on either item.
TEST_F(ReactivePower, EveryEditorWritesItsRegister) {
  struct Case {
    int sign, cosSet;
    const char* chooser;
    int choice;
    settingstest::EditorCase edit;
  };
  const std::vector<Case> cases = {
      {kIndPlus, kCoarse, nullptr, 0, {"Combo_ReactiveMode", "Reserved", 33616, 12, "Label_ReactiveMode"}},
      {kIndPlus, kCoarse, nullptr, 0, {"Combo_ReactiveMode", "Disable", 33616, 0, "Label_ReactiveMode"}},
      {kIndPlus, kCoarse, nullptr, 0, {"Combo_ReactiveMode", "Q(U) 24/7", 33616, 14, "Label_ReactiveMode"}},
      {kIndPlus, kCoarse, "List_CosRange", kInd, {"Edit_FixCos", "0.95", 33617, 95, "Label_FixCos"}},
      {kIndPlus, kCoarse, "List_CosRange", kCap, {"Edit_FixCos", "0.95", 33617, 0xFFA1, "Label_FixCos"}},
      {kIndMinus, kCoarse, "List_CosRange", kCap, {"Edit_FixCos", "0.95", 33617, 95, "Label_FixCos"}},
      {kIndMinus, kCoarse, "List_CosRange", kInd, {"Edit_FixCos", "0.95", 33617, 0xFFA1, "Label_FixCos"}},
      {kIndPlus, kCoarse, "List_CosRange", kInd, {"Edit_FixCos", "0.29", 33617, 29, "Label_FixCos"}},
      {kIndPlus, kFine, "List_CosRange", kInd, {"Edit_FixCos", "0.95", 48795, 950, "Label_FixCos"}},
      {kIndPlus, kFine, "List_CosRange", kCap, {"Edit_FixCos", "0.95", 48795, 0xFC4A, "Label_FixCos"}},
      {kIndMinus, kFine, "List_CosRange", kCap, {"Edit_FixCos", "0.955", 48795, 955, "Label_FixCos"}},
      {kIndMinus, kFine, "List_CosRange", kInd, {"Edit_FixCos", "1", 48795, 0xFC18, "Label_FixCos"}},
      {kIndPlus, kCoarse, "List_FixKvar", kInd, {"Edit_FixKvar", "30", 33624, 30, "Label_FixKvar"}},
      {kIndPlus, kCoarse, "List_FixKvar", kCap, {"Edit_FixKvar", "20", 33624, 0xFFEC, "Label_FixKvar"}},
      {kIndMinus, kFine, "List_FixKvar", kCap, {"Edit_FixKvar", "20", 33624, 20, "Label_FixKvar"}},
      {kIndMinus, kFine, "List_FixKvar", kInd, {"Edit_FixKvar", "20", 33624, 0xFFEC, "Label_FixKvar"}},
      {kIndPlus, kCoarse, "List_FixKvar", kCap, {"Edit_FixKvar", "-10", 33624, 10, "Label_FixKvar"}},
      {kIndPlus, kCoarse, nullptr, 0, {"Edit_ReDelayT", "1.5", 33633, 150, "Label_ReDelayT"}},
      {kIndMinus, kFine, nullptr, 0, {"Edit_ReDelayT", "0.29", 33633, 29, "Label_ReDelayT"}},
  };
  for (const Case& c : cases) {
    w.ReactiveSign = c.sign;
    w.CosPhiSet = c.cosSet;
    if (c.chooser) ScrollChooser(w, c.chooser, c.choice);
    SCOPED_TRACE(testing::Message() << "sign " << c.sign << " cos " << c.cosSet << " choice " << c.choice);
    settingstest::ExpectEditorWrites(t, {c.edit});
  }
}

TEST_F(ReactivePower, RefusedEntries) {
  settingstest::ExpectRefused(t, {{"Edit_FixKvar", "3.5", "Label_FixKvar"},
                                  {"Edit_FixKvar", "", "Label_FixKvar"},
                                  {"Edit_FixCos", "abc", "Label_FixCos"},
                                  {"Edit_ReDelayT", "1.5 s", "Label_ReDelayT"}});
  // Neither resolution: the cos φ edit has no register and posts nothing.
  w.CosPhiSet = 2;
  polltest::Paint(w, "Label_FixCos", "x", clBlue);
  settingstest::Commit(w, "Edit_FixCos", "0.95");
  EXPECT_EQ(w.Link.CmdCode, 0);
  EXPECT_EQ(Colour(w, "Label_FixCos"), clBlue);
}

TEST_F(ReactivePower, WrittenThenReadBackBlue) {
  w.CosPhiSet = kFine;
  ScrollChooser(w, "List_CosRange", kCap);
  settingstest::Commit(w, "Edit_FixCos", "0.9");
  EXPECT_EQ(Colour(w, "Label_FixCos"), clRed);
  t.sim.ClearFrames();
  ASSERT_EQ(PollReactivePower(&w.Link, 0), 0);  // a command waits: nothing read
  EXPECT_TRUE(t.Frames().empty());
  ASSERT_EQ(w.ExecutePendingCommand(), 0);
  EXPECT_EQ(t.sim.Holding(1, 48795), 0xFC7C);
  w.Link.CmdCode = 0;
  ASSERT_EQ(PollReactivePower(&w.Link, 0), 0);
  EXPECT_EQ(Text(w, "Label_FixCos"), "Cap 0.900");
  EXPECT_EQ(Colour(w, "Label_FixCos"), clBlue);
}

// The columns that the text of the chooser's top row inks (darker than mid
// grey on the light list), as the screen shows them.
int InkWidth(QListWidget* box, const QRect& row) {
  const QImage shot = box->viewport()->grab().toImage();
  const QRect area = row & shot.rect();
  int left = shot.width(), right = -1;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (qGray(shot.pixel(x, y)) < 128) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
  return right < left ? 0 : right - left + 1;
}

// Every sign chooser, scrolled with its own arrows as the user does, shows
// the sign the next write will carry: the whole text of its top row.
TEST_F(ReactivePower, EverySignChooserShowsItsChoiceWhole) {
  int choosers = 0;
  for (QListWidget* box : w.findChildren<QListWidget*>()) {
    if (box->count() != 2 || box->item(0)->text() != "Ind") continue;
    ++choosers;
    for (QWidget* p = box->parentWidget(); p && p != w.ScrollPage(0)->widget(); p = p->parentWidget()) p->show();
    BringPageToFront(box);
    const std::string name = box->objectName().toStdString();
    QScrollBar* arrows = box->verticalScrollBar();
    ASSERT_TRUE(arrows->isVisible()) << name;
    const struct {
      int y;  // where on the arrows the user clicks
      int choice;
      const char* text;
    } clicks[] = {{arrows->height() - 2, kCap, "Cap"}, {1, kInd, "Ind"}};
    for (const auto& c : clicks) {
      QTest::mouseClick(arrows, Qt::LeftButton, {}, QPoint(arrows->width() / 2, c.y));
      ASSERT_EQ(ChooserChoice(w, box->objectName().toLatin1().constData()), c.choice) << name;
      QListWidgetItem* top = box->itemAt(1, 1);
      ASSERT_NE(top, nullptr) << name;
      EXPECT_EQ(top->text(), c.text) << name;
      const int text = box->fontMetrics().tightBoundingRect(c.text).width();
      EXPECT_NEAR(InkWidth(box, box->visualItemRect(top)), text, 2) << name << " shows " << c.text << " cut off";
      // Its choice alone: the top row fills the list's inside, no part of the
      // other item shows, and nothing is inked outside the top row.
      const QRect inside = box->viewport()->rect();
      EXPECT_TRUE(box->visualItemRect(top).contains(inside)) << name << " shows " << c.text << " in part";
      for (int i = 0; i < box->count(); ++i)
        if (box->item(i) != top)
          EXPECT_FALSE(box->visualItemRect(box->item(i)).intersects(inside))
              << name << " shows part of " << box->item(i)->text().toStdString() << " below " << c.text;
      const QImage shot = box->viewport()->grab().toImage();
      int strayInk = 0;
      for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
          if (!box->visualItemRect(top).contains(x, y) && qGray(shot.pixel(x, y)) < 128) ++strayInk;
      EXPECT_EQ(strayInk, 0) << name;
    }
  }
  EXPECT_GT(choosers, 0);
}

}  // namespace
