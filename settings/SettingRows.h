#pragma once
#include "app/ControlTable.h"

// Where the three controls of a settings row lie across its panel or box:
// left edge and width of the caption, the value label and the editor.
struct RowColumns {
  int captionX, captionWidth;
  int labelX, labelWidth;
  int editorX, editorWidth;
  constexpr RowColumns At(int x) const {
    return {captionX + x, captionWidth, labelX + x, labelWidth, editorX + x, editorWidth};
  }
};

// One value of a settings panel: its caption (translated), its value label
// with the start text, and its editor (an edit, or a combo box with its
// items), on the row whose top is `top`. Every panel lays its rows out so, in
// columns of its own.
#define SETTING_ROW(columns, top, caption, text, label, start, editorKind, editor, items)     \
  {Kind::Label, caption, (columns).captionX, (top) + 2, (columns).captionWidth, 18, text, 1}, \
      {Kind::Label, label, (columns).labelX, (top) + 2, (columns).labelWidth, 18, start},      \
      {editorKind, editor, (columns).editorX, top, (columns).editorWidth, 22, items}

// The reactive- and active-power groups: one value per row of 34 px, in a
// column starting at x (0, or 262 for the second column of a wide panel). A
// signed row has the one-row "Ind"/"Cap" sign chooser between label and edit,
// wide enough for its scroll arrows and the whole text of its top row: the
// row's caption column gives up the room.
constexpr RowColumns kValueColumns{6, 128, 136, 64, 202, 46};
#define VALUE_ROW(x, top, caption, text, label, start, edit) \
  SETTING_ROW(kValueColumns.At(x), top, caption, text, label, start, Kind::Edit, edit, "")

#define SIGNED_ROW(x, top, caption, text, label, start, list, edit)    \
  {Kind::Label, caption, (x) + 6, (top) + 2, 96, 18, text, 1},         \
      {Kind::Label, label, (x) + 104, (top) + 2, 64, 18, start},       \
      {Kind::List, list, (x) + 170, top, 46, 22, "Ind\nCap"},          \
      {Kind::Edit, edit, (x) + 218, top, 32, 22}

// A switch read back as a text and chosen from a combo box.
constexpr RowColumns kComboColumns{6, 112, 120, 64, 186, 64};
#define COMBO_ROW(x, top, caption, text, label, start, combo, items) \
  SETTING_ROW(kComboColumns.At(x), top, caption, text, label, start, Kind::Combo, combo, items)
