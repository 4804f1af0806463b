#pragma once
#include <QString>

class TForm_Main;
struct EditorDecl;

// The layout files size a row's caption, value label and editor for a
// narrower font than a Linux desktop's. A technician must see the whole of
// what he types before pressing Enter, and the whole of the item he chose, so
// an editor that cannot show its row's longest text grows to the left: the
// controls before it in its row move with it, the caption gives up the room
// its text does not use, then the value label, down to the room its longest
// reading needs, unit included. The editors of a column grow alike, and so
// stand in line, where their rows have that room; a row that has not stands
// out of line by what it lacks. Panels keep their sizes.

// The longest text the row's edit accepts: the lower or the upper end of
// what it posts (RowBounds, or what the row's own hook takes), in the row's
// units.
QString LongestAcceptedText(const TForm_Main& f, const EditorDecl& row);

// The longest text the row's value label shows for what the row can write:
// its read-back text, unit included, for either end of the register's range;
// a list's longest item. Without a read-back view, the longest accepted text.
QString LongestReading(const TForm_Main& f, const EditorDecl& row);

// Fits every editor of the settings tables, starting from where the layout
// put the controls: again whenever captions or a list's items change.
void FitEditorsToText(TForm_Main& f);
