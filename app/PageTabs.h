#pragma once

class QTabWidget;

// Tab indices as the user sees them count visible tabs only; QTabWidget
// counts all. These two map between them (-1 when there is no such tab).
int VisibleTabIndex(const QTabWidget* tabs, int qtIndex);
int QtTabIndex(const QTabWidget* tabs, int visibleIndex);
