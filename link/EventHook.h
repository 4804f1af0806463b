#pragma once
#include <functional>

class QWidget;

// Runs fn when the user leaves the control for another control of its
// window (a control's exit), once per leaving. Focus that goes to another
// window (a message box, a dialog, another program) or that the window loses
// as a whole (deactivated, minimised, shown anew) is no leaving: the control
// is left when the focus, back in the window, moves on from it.
void OnExit(QWidget* control, std::function<void()> fn);
