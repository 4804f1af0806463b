#pragma once
#include <functional>

class QWidget;

// Input hooks that hold for the whole window, beside the commit events of the
// setting editors (SettingEditors.h).

// Runs fn when the user leaves the control for another control of its
// window (a control's exit), once per leaving. Focus that goes to another
// window (a message box, a dialog, another program) or that the window loses
// as a whole (deactivated, minimised, shown anew) is no leaving: the control
// is left when the focus, back in the window, moves on from it.
void OnExit(QWidget* control, std::function<void()> fn);

// The wheel never chooses. Over any box of the window, a combo box or a
// one-row list whose top row is its choice (a sign chooser, a time picker),
// a wheel notch goes on to what lies under the box: the page scrolls, or
// nothing happens. The same holds for a row of page tabs. Nor does the wheel
// give such a box the focus. Keys and clicks still choose. Run once the
// window holds all its boxes.
void KeepTheWheelOffChoices(QWidget* window);
