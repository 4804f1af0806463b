#pragma once
#include <QWidget>
#include <span>

// Controls are declared as rows of data and built by one routine, so a
// panel's declaration reads line by line against its control table.
enum class Kind { Label, Edit, Combo, Radio, Check, Button, Image, Grid, Log };

struct ControlDecl {
  Kind kind;
  const char* name;
  int left, top, width, height;
  const char* caption = "";  // text as designed (label, button, radio, check, edit)
  int tag = 0;               // 1 = caption is translated
};

// The controls that fill one group panel.
struct PanelControls {
  const char* panel;
  std::span<const ControlDecl> controls;
};

// Creates the rows as children of parent, with objectName, geometry, caption
// and Tag. Labels are ValueLabels in black.
void BuildControls(QWidget* parent, std::span<const ControlDecl> rows);

// Every view's control table, in one list (see ViewTables.cpp).
std::span<const PanelControls* const> AllPanelControls();
