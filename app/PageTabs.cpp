#include "app/PageTabs.h"

#include <QTabWidget>

int VisibleTabIndex(const QTabWidget* tabs, int qtIndex) {
  if (!tabs || qtIndex < 0 || qtIndex >= tabs->count() || !tabs->isTabVisible(qtIndex)) return -1;
  int visible = 0;
  for (int i = 0; i < qtIndex; ++i)
    if (tabs->isTabVisible(i)) ++visible;
  return visible;
}

int QtTabIndex(const QTabWidget* tabs, int visibleIndex) {
  if (!tabs || visibleIndex < 0) return -1;
  for (int i = 0, visible = 0; i < tabs->count(); ++i) {
    if (!tabs->isTabVisible(i)) continue;
    if (visible++ == visibleIndex) return i;
  }
  return -1;
}
