#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QLabel>

#include "app/GroupPanel.h"
#include "app/main.h"
#include "support/PollFixture.h"

namespace {

bool Declared(const QWidget* c) {
  for (const char* prefix : {"Caption_", "Label_", "Edit_", "Combo_", "List_", "GroupBox_", "Item_"})
    if (c->objectName().startsWith(QLatin1String(prefix)) && !c->objectName().endsWith("_Title")) return true;
  return false;
}

// Every control of the grid-support panels lies inside its panel (below the
// title bar) or its box, clear of the others, and every caption fits its
// text. The active-power panel is measured in its taller form.
TEST(GridSupportLayout, ControlsInsideClearOfEachOtherAndCaptionsFit) {
  polltest::LinkedWindow t(false);
  struct Panel {
    const char* name;
    int height;
  };
  for (const Panel& panel : std::initializer_list<Panel>{
           {"Group_ReactivePower", 390}, {"Group_QUCtrl", 340},    {"Group_CosPCtrl", 250},
           {"Group_ExtendCosphiP", 420}, {"Group_QofP", 450},      {"Group_QbyNight", 410},
           {"Group_CosphiOfU", 340},     {"Group_ActivePower", 250}, {"Group_PFCtrl", 400},
           {"Group_PUFunction", 260}}) {
    GroupPanel* p = t.w.Panel(panel.name);
    ASSERT_NE(p, nullptr) << panel.name;
    std::vector<QWidget*> boxes = {p};
    for (QWidget* c : p->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (c->objectName().startsWith("GroupBox_") || c->objectName().startsWith("Item_")) boxes.push_back(c);
    for (QWidget* box : boxes) {
      const QRect inside = box == p ? QRect(0, 30, p->width(), panel.height - 30) : box->rect();
      std::vector<QWidget*> kids;
      for (QWidget* c : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (Declared(c) && c != p->TitleLabel()) kids.push_back(c);
      ASSERT_FALSE(kids.empty()) << panel.name;
      for (QWidget* c : kids) {
        const std::string name = c->objectName().toStdString();
        EXPECT_TRUE(inside.contains(c->geometry())) << panel.name << " " << name;
        for (QWidget* o : kids)
          if (o->objectName() > c->objectName())
            EXPECT_FALSE(c->geometry().intersects(o->geometry()))
                << panel.name << " " << name << " / " << o->objectName().toStdString();
        if (auto* l = qobject_cast<QLabel*>(c); l && c->objectName().startsWith("Caption_"))
          EXPECT_LE(QFontMetrics(l->font()).horizontalAdvance(l->text()), l->width()) << panel.name << " " << name;
      }
    }
  }
}

}  // namespace
