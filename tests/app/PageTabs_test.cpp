#include <gtest/gtest.h>

#include <QTabWidget>

#include "app/PageTabs.h"

TEST(PageTabs, MapsBetweenVisibleAndWidgetIndices) {
  QTabWidget tabs;
  for (int i = 0; i < 5; ++i) tabs.addTab(new QWidget, QString::number(i));
  tabs.setTabVisible(1, false);
  tabs.setTabVisible(3, false);
  // widget tabs 0 2 4 are visible tabs 0 1 2
  const int qtOf[] = {0, 2, 4};
  for (int v = 0; v < 3; ++v) {
    EXPECT_EQ(QtTabIndex(&tabs, v), qtOf[v]);
    EXPECT_EQ(VisibleTabIndex(&tabs, qtOf[v]), v);
  }
  EXPECT_EQ(QtTabIndex(&tabs, 3), -1);
  EXPECT_EQ(VisibleTabIndex(&tabs, 1), -1);  // hidden tab has no visible index
  EXPECT_EQ(VisibleTabIndex(&tabs, 7), -1);
}
