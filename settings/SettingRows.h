#pragma once
#include "app/ControlTable.h"

// One value of a settings panel per row of 34 px: caption, value label (with
// its start text) and edit, in a column starting at x (0, or 262 for the
// second column of a wide panel). A signed row has the one-row "Ind"/"Cap"
// sign chooser between label and edit.
#define VALUE_ROW(x, top, caption, text, label, start, edit)           \
  {Kind::Label, caption, (x) + 6, (top) + 2, 128, 18, text, 1},        \
      {Kind::Label, label, (x) + 136, (top) + 2, 64, 18, start},       \
      {Kind::Edit, edit, (x) + 202, top, 46, 22}

#define SIGNED_ROW(x, top, caption, text, label, start, list, edit)    \
  {Kind::Label, caption, (x) + 6, (top) + 2, 112, 18, text, 1},        \
      {Kind::Label, label, (x) + 120, (top) + 2, 64, 18, start},       \
      {Kind::List, list, (x) + 186, top, 30, 22, "Ind\nCap"},          \
      {Kind::Edit, edit, (x) + 218, top, 32, 22}

// A switch read back as a text and chosen from a combo box.
#define COMBO_ROW(x, top, caption, text, label, start, combo, items)   \
  {Kind::Label, caption, (x) + 6, (top) + 2, 112, 18, text, 1},        \
      {Kind::Label, label, (x) + 120, (top) + 2, 64, 18, start},       \
      {Kind::Combo, combo, (x) + 186, top, 64, 22, items}
