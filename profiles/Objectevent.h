#pragma once
#include <span>

class TForm_Main;

// Design mode: the one drag record that the title labels, the page scroll
// boxes and the page popup menu share.
struct DragState {
  // Mouse position in the title label when its button went down; both 0
  // while no drag is under way.
  int GrabX = 0;
  int GrabY = 0;
  // Last mouse position over a page, in that page's content coordinates:
  // where the popup menu opens a panel.
  int LastX = 0;
  int LastY = 0;
};

// One row of the page popup menu, in menu order. A row whose caption is "-"
// is a separator in its submenu. Path names the submenus that hold the row,
// outermost first, separated by " > " (empty for the top level). An item
// first gives its panel a new Tag (setTag, 0 = none), then opens its panel
// (nullptr = none) at its Tag, then runs its option routine (act).
struct PopMenuRow {
  int tag;
  const char* caption;
  const char* path;
  const char* panel = nullptr;
  int setTag = 0;
  void (*act)(TForm_Main&) = nullptr;
};

std::span<const PopMenuRow> PopMenuTable();
