#pragma once
#include <QString>

class TForm_Main;
struct EditorDecl;

// The layout files size a row's caption, value label and editor for a
// narrower font than a Linux desktop's. A technician must see the whole of
// what he types before pressing Enter, and the whole of the item he chose, so
// an editor that cannot show its row's longest text grows to the left: the
// controls before it in its row move with it, the caption gives up the room
// its text does not use, then, where the row's own editor needs it, the
// value label, down to the room the row's longest number (or item) needs.
// Every editor of a column grows alike, so columns stay aligned; panels keep
// their sizes.

// The longest text the row's edit accepts: the lower or the upper end of
// what it posts (RowBounds), in the row's units.
QString LongestAcceptedText(const TForm_Main& f, const EditorDecl& row);

// Fits every editor of the settings tables, starting from where the layout
// put the controls: again whenever captions or a list's items change.
void FitEditorsToText(TForm_Main& f);
